// The comparison of two directories, file by file and subdirectory by
// subdirectory, for the plugin and package directories.
#include "compare/entries.h"
#include "compare/read_ahead.h"
#include "compare/run_comparison.h"
#include "tree/vars_conts.h"
#include "util/date_time.h"
#include "util/file_faults.h"
#include "util/icons.h"
#include "util/version_info.h"

#include "platform/fs.h"
#include "platform/strings.h"

#include <algorithm>
#include <memory>
#include <unordered_map>
#include <utility>
#include <vector>

namespace orvelle {

namespace {

using platform::FileEntry;

// The sign of what could not be looked at.
constexpr wchar_t kUnknownSign[] = L"?";

// The host's display is refreshed after this many compared files or bytes,
// so that a large directory does not freeze it and a cancel is seen soon.
constexpr int kFilesPerRefresh = 64;
constexpr uint64_t kBytesPerRefresh = 64ull << 20;

struct Listing {
  std::vector<FileEntry> files;
  std::vector<FileEntry> dirs;
  bool unreadable = false;  // the folder is there but could not be listed (whole)
};

bool NameBefore(const FileEntry& a, const FileEntry& b) {
  return ::CompareStringOrdinal(a.name.c_str(), -1, b.name.c_str(), -1, TRUE) == CSTR_LESS_THAN;
}

// One pass over a directory; a directory that is missing (or not given)
// contributes nothing, one that cannot be read is marked so. Entries come
// sorted by name, as NTFS returns them: other file systems (and Wine on
// them) return them in any order, and the entries' order in the tree follows
// this one.
Listing ListDirectory(const std::wstring& dir, bool withSubdirectories) {
  Listing listing;
  if (dir.empty()) return listing;
  // Plugin folders nest deep; past MAX_PATH only the long form is read.
  const std::wstring readable = platform::LongPathForm(dir);
  DWORD error = 0;
  if (InjectedFileFault(FileStep::ListFolder, dir)) {
    error = ERROR_ACCESS_DENIED;
  } else {
    for (const FileEntry& e : platform::EnumFiles(readable + L"*.*", &error)) {
      if (!e.IsDirectory()) {
        listing.files.push_back(e);
      } else if (withSubdirectories) {
        listing.dirs.push_back(e);
      }
    }
  }
  // An empty listing of a folder that is there is no empty folder.
  listing.unreadable = error != 0 && platform::DirectoryExists(readable);
  std::sort(listing.files.begin(), listing.files.end(), NameBefore);
  std::sort(listing.dirs.begin(), listing.dirs.end(), NameBefore);
  return listing;
}

// A name present in one or both directories; null for the side that lacks it.
struct Pair {
  const FileEntry* newEntry = nullptr;
  const FileEntry* myEntry = nullptr;
};

// Names in both (in New's order), then New's only, then My's only, matched
// without regard to case.
std::vector<Pair> PairByName(const std::vector<FileEntry>& news,
                             const std::vector<FileEntry>& mys) {
  std::unordered_map<std::wstring, size_t> myByName;
  for (size_t i = 0; i < mys.size(); ++i) myByName.emplace(platform::LowerCase(mys[i].name), i);
  std::vector<Pair> both, newOnly, myOnly;
  std::vector<bool> matched(mys.size(), false);
  for (const FileEntry& n : news) {
    auto it = myByName.find(platform::LowerCase(n.name));
    if (it == myByName.end()) {
      newOnly.push_back({&n, nullptr});
    } else {
      both.push_back({&n, &mys[it->second]});
      matched[it->second] = true;
    }
  }
  for (size_t i = 0; i < mys.size(); ++i) {
    if (!matched[i]) myOnly.push_back({nullptr, &mys[i]});
  }
  both.insert(both.end(), newOnly.begin(), newOnly.end());
  both.insert(both.end(), myOnly.begin(), myOnly.end());
  return both;
}

FileFacts FactsOf(const FileEntry& e) {
  return FileFacts{true, e.size, FileTimeToLocalDateTime(e.lastWrite)};
}

}  // namespace

// One level of a directory comparison, listed on the pool: both sides' files
// and subfolders paired by name, a reading queued for every pair of files,
// and the next level queued for every pair of subfolders. Each gets a key
// after the level's own, in the order the tree takes them (files, then
// subfolders), so the workers read what the tree needs next.
class DirectoryLevel : public PoolTask {
 public:
  DirectoryLevel(std::wstring mode, std::wstring myDir, std::wstring newDir)
      : mode(std::move(mode)), myDir(std::move(myDir)), newDir(std::move(newDir)) {}

  const std::wstring mode, myDir, newDir;
  // Valid once the pool's Wait for the level has returned.
  Listing newSide, mySide;
  std::vector<Pair> files, dirs;
  std::vector<std::shared_ptr<FilePairRead>> reads;      // per file pair; null: one side only
  std::vector<std::shared_ptr<DirectoryLevel>> levels;  // per subfolder pair

 protected:
  bool Run(TaskPool& pool, StopFlag) override {
    const bool subdirectories = mode != L"^";
    if (mode != L"!") newSide = ListDirectory(newDir, subdirectories);
    if (mode != L"*") mySide = ListDirectory(myDir, subdirectories);
    files = PairByName(newSide.files, mySide.files);
    dirs = PairByName(newSide.dirs, mySide.dirs);

    Key key = TaskKey();
    key.push_back(0);
    reads.reserve(files.size());
    for (const Pair& p : files) {
      std::shared_ptr<FilePairRead> read;
      if (p.newEntry && p.myEntry) {
        read = std::make_shared<FilePairRead>(
            platform::LongPathForm(newDir + p.newEntry->name), FactsOf(*p.newEntry),
            platform::LongPathForm(myDir + p.myEntry->name), FactsOf(*p.myEntry));
        pool.Submit(read, key);
      }
      reads.push_back(std::move(read));
      ++key.back();
    }
    levels.reserve(dirs.size());
    for (const Pair& p : dirs) {
      // A subfolder one side lacks is listed on the other side only.
      auto level = std::make_shared<DirectoryLevel>(
          !p.myEntry ? L"*" : !p.newEntry ? L"!" : L"",
          p.myEntry ? myDir + p.myEntry->name + L"\\" : std::wstring(),
          p.newEntry ? newDir + p.newEntry->name + L"\\" : std::wstring());
      pool.Submit(level, key);
      levels.push_back(std::move(level));
      ++key.back();
    }
    return true;
  }
};

namespace {

class DirectoryComparer {
 public:
  explicit DirectoryComparer(CompareContext& ctx) : ctx_(ctx) {}

  // The distinct signs of the entries made below parentIndex, at any depth
  // (a subfolder's Status is the set of its own). Stops early when the
  // comparison stops.
  SignSummary Level(DirectoryLevel& level, int parentIndex, const std::wstring& parentPath) {
    ctx_.Pool().Wait(level);
    SignSummary signs;
    if (level.newSide.unreadable || level.mySide.unreadable) {
      // Nothing read from a side says nothing about it: no "=" for it.
      std::wstring comment = texts::kFolderUnreadable;
      if (level.newSide.unreadable) comment += L" " + level.newDir;
      if (level.mySide.unreadable) comment += L" " + level.myDir;
      std::wstring& info = ctx_.Tree[parentIndex].Info;
      info = info.empty() ? comment : comment + L" " + info;
      signs.Add(kUnknownSign);
    }
    int order = 0;
    for (size_t i = 0; i < level.files.size(); ++i) {
      if (ctx_.Stopped()) return signs;
      std::wstring sign = AppendFile(level, i, parentIndex, parentPath, order++);
      if (!sign.empty()) signs.Add(sign);
    }
    for (size_t i = 0; i < level.dirs.size(); ++i) {
      if (ctx_.Stopped()) return signs;
      SignSummary sub = AppendSubdirectory(level, i, parentIndex, parentPath, order++);
      // What is in the tree needs no keeping.
      level.levels[i].reset();
      signs.Add(sub);
    }
    return signs;
  }

 private:
  std::wstring AppendFile(const DirectoryLevel& level, size_t i, int parentIndex,
                          const std::wstring& parentPath, int order) {
    const Pair& p = level.files[i];
    const FileEntry& shown = p.newEntry ? *p.newEntry : *p.myEntry;
    TVirtualTreeItem item = MakeEntry(parentIndex, parentPath, order, shown.name, nullptr);
    item.HasFiles = true;
    if (p.newEntry) item.NewFile = level.newDir + p.newEntry->name;
    if (p.myEntry) item.MyFile = level.myDir + p.myEntry->name;
    item.SizeHigh = static_cast<uint32_t>(shown.size >> 32);
    item.SizeLow = static_cast<uint32_t>(shown.size);
    item.Attributes = shown.attributes;
    if (level.reads[i]) {
      const FileVerdict& verdict = FileComparisonResult(ctx_, *level.reads[i]);
      item.Status = verdict.sign;
      item.Info = VerdictInfo(verdict);
      CountCompared(p.newEntry->size == p.myEntry->size ? shown.size : 0);
    } else {
      item.Status = p.newEntry ? L"*" : L"!";
    }
    item.Icon = GetExeIcon(platform::LongPathForm(p.newEntry ? item.NewFile : item.MyFile));
    ShortenEntryName(item);
    std::wstring sign = item.Status;
    return ctx_.Tree.Append(std::move(item)) < 0 ? std::wstring() : sign;
  }

  SignSummary AppendSubdirectory(const DirectoryLevel& level, size_t i, int parentIndex,
                                 const std::wstring& parentPath, int order) {
    const Pair& p = level.dirs[i];
    const FileEntry& shown = p.newEntry ? *p.newEntry : *p.myEntry;
    TVirtualTreeItem folder =
        MakeFolder(parentIndex, parentPath, order, shown.name, ctx_.Icons.Get(IconRole::Folder));
    folder.ContentFolder = true;
    ShortenEntryName(folder);
    const std::wstring folderPath = folder.FolderPath();
    const int index = ctx_.Tree.Append(std::move(folder));
    if (index < 0) return {};

    DirectoryLevel& sublevel = *level.levels[i];
    SignSummary sub = Level(sublevel, index, folderPath);
    // An empty directory that one side lacks is a difference too.
    if (sub.Empty()) sub.Add(sublevel.mode.empty() ? L"=" : sublevel.mode);
    ctx_.Tree[index].Status = sub.Text();
    return sub;
  }
  void CountCompared(uint64_t bytes) {
    ++files_;
    bytes_ += bytes;
    if (files_ >= kFilesPerRefresh || bytes_ >= kBytesPerRefresh) {
      files_ = 0;
      bytes_ = 0;
      RefreshProgress(ctx_.Progress);
    }
  }

  CompareContext& ctx_;
  int files_ = 0;
  uint64_t bytes_ = 0;
};

}  // namespace

std::shared_ptr<DirectoryLevel> StartDirectoryComparison(CompareContext& ctx,
                                                         const std::wstring& mode,
                                                         const std::wstring& myDir,
                                                         const std::wstring& newDir) {
  auto dirOf = [](const std::wstring& dir) {
    return dir.empty() ? dir : platform::IncludeTrailingBackslash(dir);
  };
  auto level = std::make_shared<DirectoryLevel>(mode, dirOf(myDir), dirOf(newDir));
  ctx.Pool().Submit(level, ctx.NextKey());
  return level;
}

std::wstring CompareDirectories(CompareContext& ctx, DirectoryLevel& started, int parentIndex,
                                const std::wstring& parentPath) {
  DirectoryComparer comparer(ctx);
  SignSummary signs = comparer.Level(started, parentIndex, parentPath);
  return signs.Empty() ? L"=" : signs.Text();
}

std::wstring CompareDirectories(CompareContext& ctx, const std::wstring& mode,
                                const std::wstring& myDir, const std::wstring& newDir,
                                int parentIndex, const std::wstring& parentPath) {
  return CompareDirectories(ctx, *StartDirectoryComparison(ctx, mode, myDir, newDir), parentIndex,
                            parentPath);
}

}  // namespace orvelle
