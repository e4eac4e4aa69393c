// The comparison of two directories, file by file and subdirectory by
// subdirectory, for the plugin and package directories.
#include "compare/entries.h"
#include "compare/read_ahead.h"
#include "compare/run_comparison.h"
#include "tree/translation.h"
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

// Folders nested deeper below a plugin's folder are not compared: no plugin
// nests its files that deep, and the tree's paths would grow without end.
constexpr int kMaxDirectoryDepth = 64;

// The host's display is refreshed after this many compared files or bytes,
// so that a large directory does not freeze it and a cancel is seen soon.
constexpr int kFilesPerRefresh = 64;
constexpr uint64_t kBytesPerRefresh = 64ull << 20;

struct Listing {
  std::vector<FileEntry> files;  // also links to folders: shown, never entered
  std::vector<FileEntry> dirs;
  bool unreadable = false;  // the folder is there but could not be listed (whole)
};

bool IsFolderLink(const FileEntry& e) {
  return e.IsDirectory() && (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool NameBefore(const FileEntry& a, const FileEntry& b) {
  return ::CompareStringOrdinal(a.name.c_str(), -1, b.name.c_str(), -1, TRUE) == CSTR_LESS_THAN;
}

bool Kept(const std::optional<std::vector<std::wstring>>& only, const std::wstring& name) {
  if (!only) return true;
  return std::any_of(only->begin(), only->end(),
                     [&](const std::wstring& kept) { return platform::EqualsNoCase(kept, name); });
}

// One pass over a directory; a directory that is missing (or not given)
// contributes nothing, one that cannot be read is marked so. Entries come
// sorted by name, as NTFS returns them: other file systems (and Wine on
// them) return them in any order, and the entries' order in the tree follows
// this one. A junction or symbolic link to a folder is an entry of its own:
// what it points to may be anything, a drive or the folder itself.
Listing ListDirectory(const std::wstring& dir, bool withSubdirectories,
                      const std::optional<std::vector<std::wstring>>& only) {
  Listing listing;
  if (dir.empty()) return listing;
  // Plugin folders nest deep; past MAX_PATH only the long form is read.
  const std::wstring readable = platform::LongPathForm(dir);
  DWORD error = 0;
  if (InjectedFileFault(FileStep::ListFolder, dir)) {
    error = ERROR_ACCESS_DENIED;
  } else {
    for (const FileEntry& e : platform::EnumFiles(readable + L"*.*", &error)) {
      if (only) {
        if (!e.IsDirectory() && Kept(only, e.name)) listing.files.push_back(e);
      } else if (!e.IsDirectory() || IsFolderLink(e)) {
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
  DirectoryLevel(std::wstring mode, std::wstring myDir, std::wstring newDir, int depth = 0,
                 DirectoryFilter filter = {})
      : mode(std::move(mode)),
        myDir(std::move(myDir)),
        newDir(std::move(newDir)),
        depth(depth),
        filter(std::move(filter)) {}

  const std::wstring mode, myDir, newDir;
  const int depth;  // levels below the compared folder
  const DirectoryFilter filter;
  // Valid once the pool's Wait for the level has returned.
  Listing newSide, mySide;
  std::vector<Pair> files, dirs;
  std::vector<std::shared_ptr<FilePairRead>> reads;      // per file pair; null: one side only
  std::vector<std::shared_ptr<DirectoryLevel>> levels;  // per subfolder pair; null: too deep

 protected:
  bool Run(TaskPool& pool, StopFlag) override {
    const bool subdirectories = mode != L"^";
    if (mode != L"!") newSide = ListDirectory(newDir, subdirectories, filter.New);
    if (mode != L"*") mySide = ListDirectory(myDir, subdirectories, filter.My);
    files = PairByName(newSide.files, mySide.files);
    dirs = PairByName(newSide.dirs, mySide.dirs);

    Key key = TaskKey();
    key.push_back(0);
    reads.reserve(files.size());
    for (const Pair& p : files) {
      std::shared_ptr<FilePairRead> read;
      if (p.newEntry && p.myEntry && !IsFolderLink(*p.newEntry) && !IsFolderLink(*p.myEntry)) {
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
      std::shared_ptr<DirectoryLevel> level;
      if (depth + 1 < kMaxDirectoryDepth) {
        // A subfolder one side lacks is listed on the other side only.
        level = std::make_shared<DirectoryLevel>(
            !p.myEntry ? L"*" : !p.newEntry ? L"!" : L"",
            p.myEntry ? myDir + p.myEntry->name + L"\\" : std::wstring(),
            p.newEntry ? newDir + p.newEntry->name + L"\\" : std::wstring(), depth + 1);
        pool.Submit(level, key);
      }
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
  // comparison stops. The folders are walked with a stack of their own, not
  // the thread's: the host's thread has little of it, and a folder tree may
  // be nested as deep as paths allow.
  SignSummary Level(DirectoryLevel& top, int parentIndex, const std::wstring& parentPath) {
    std::vector<Frame> stack;
    stack.push_back(Enter(top, parentIndex, parentPath, -1));
    SignSummary result;
    while (!stack.empty()) {
      Frame& frame = stack.back();
      if (ctx_.Stopped() || frame.nextDir >= frame.level->dirs.size()) {
        SignSummary done = std::move(frame.signs);
        const int folder = frame.folderIndex;
        const std::wstring mode = frame.level->mode;
        stack.pop_back();
        if (stack.empty()) {
          result = std::move(done);
          continue;
        }
        // An empty directory that one side lacks is a difference too.
        if (done.Empty()) done.Add(mode.empty() ? L"=" : mode);
        ctx_.Tree[folder].Status = done.Text();
        Frame& parent = stack.back();
        // What is in the tree needs no keeping.
        parent.level->levels[parent.nextDir - 1].reset();
        parent.signs.Add(done);
        continue;
      }
      const size_t i = frame.nextDir++;
      const std::wstring folderPath = AppendSubdirectory(frame, i);
      if (folderPath.empty()) continue;
      const int index = frame.lastFolder;
      std::shared_ptr<DirectoryLevel> sublevel = frame.level->levels[i];
      if (!sublevel) {
        TVirtualTreeItem& item = ctx_.Tree[index];
        item.Status = kUnknownSign;
        item.Info = std::wstring(Tr(texts::kFolderTooDeep)) + L" " + folderPath;
        frame.signs.Add(kUnknownSign);
        continue;
      }
      Frame next = Enter(*sublevel, index, folderPath, index);
      next.owner = std::move(sublevel);
      stack.push_back(std::move(next));
    }
    return result;
  }

 private:
  // One folder level being filled into the tree.
  struct Frame {
    DirectoryLevel* level = nullptr;
    std::shared_ptr<DirectoryLevel> owner;  // keeps a sublevel while it is walked
    int parentIndex = -1;
    std::wstring parentPath;
    int folderIndex = -1;  // the level's own folder entry; -1 for the compared folder
    int order = 0;
    size_t nextDir = 0;
    int lastFolder = -1;  // the folder entry AppendSubdirectory made last
    SignSummary signs;
  };

  // The level's listing and its files in the tree; its subfolders follow.
  Frame Enter(DirectoryLevel& level, int parentIndex, const std::wstring& parentPath,
              int folderIndex) {
    ctx_.Pool().Wait(level);
    Frame frame;
    frame.level = &level;
    frame.parentIndex = parentIndex;
    frame.parentPath = parentPath;
    frame.folderIndex = folderIndex;
    if (level.newSide.unreadable || level.mySide.unreadable) {
      // Nothing read from a side says nothing about it: no "=" for it.
      std::wstring comment = Tr(texts::kFolderUnreadable);
      if (level.newSide.unreadable) comment += L" " + level.newDir;
      if (level.mySide.unreadable) comment += L" " + level.myDir;
      std::wstring& info = ctx_.Tree[parentIndex].Info;
      info = info.empty() ? comment : comment + L" " + info;
      frame.signs.Add(kUnknownSign);
    }
    for (size_t i = 0; i < level.files.size(); ++i) {
      if (ctx_.Stopped()) {
        frame.nextDir = level.dirs.size();
        return frame;
      }
      std::wstring sign = AppendFile(level, i, parentIndex, parentPath, frame.order++);
      if (!sign.empty()) frame.signs.Add(sign);
    }
    return frame;
  }

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
    const bool link = (p.newEntry && IsFolderLink(*p.newEntry)) ||
                      (p.myEntry && IsFolderLink(*p.myEntry));
    if (level.reads[i]) {
      const FileVerdict& verdict = FileComparisonResult(ctx_, *level.reads[i]);
      item.Status = verdict.sign;
      item.Info = VerdictInfo(verdict);
      CountCompared(p.newEntry->size == p.myEntry->size ? shown.size : 0);
    } else {
      // What a link points to is not looked at: nothing is known of it.
      item.Status = p.newEntry && p.myEntry ? kUnknownSign : p.newEntry ? L"*" : L"!";
    }
    if (link) {
      item.Info = Tr(texts::kLinkNotFollowed);
      item.Attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY);
    }
    item.Icon = GetExeIcon(platform::LongPathForm(p.newEntry ? item.NewFile : item.MyFile));
    ShortenEntryName(item);
    std::wstring sign = item.Status;
    return ctx_.Tree.Append(std::move(item)) < 0 ? std::wstring() : sign;
  }

  // The folder entry of the frame's subfolder i; its folder path, or empty
  // when the tree is full.
  std::wstring AppendSubdirectory(Frame& frame, size_t i) {
    const Pair& p = frame.level->dirs[i];
    const FileEntry& shown = p.newEntry ? *p.newEntry : *p.myEntry;
    TVirtualTreeItem folder = MakeFolder(frame.parentIndex, frame.parentPath, frame.order++,
                                         shown.name, ctx_.Icons.Get(IconRole::Folder));
    folder.ContentFolder = true;
    ShortenEntryName(folder);
    const std::wstring folderPath = folder.FolderPath();
    frame.lastFolder = ctx_.Tree.Append(std::move(folder));
    return frame.lastFolder < 0 ? std::wstring() : folderPath;
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
                                                         const std::wstring& newDir,
                                                         const DirectoryFilter& filter) {
  auto dirOf = [](const std::wstring& dir) {
    return dir.empty() ? dir : platform::IncludeTrailingBackslash(dir);
  };
  auto level = std::make_shared<DirectoryLevel>(mode, dirOf(myDir), dirOf(newDir), 0, filter);
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
