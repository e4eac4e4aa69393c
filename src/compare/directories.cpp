// The comparison of two directories, file by file and subdirectory by
// subdirectory, for the plugin and package directories.
#include "compare/entries.h"
#include "compare/run_comparison.h"
#include "tree/vars_conts.h"
#include "util/date_time.h"
#include "util/file_faults.h"
#include "util/icons.h"
#include "util/version_info.h"

#include "platform/fs.h"
#include "platform/strings.h"

#include <algorithm>
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

// The verdict of CompareFiles, from the facts the listing already holds: no
// second look at either directory entry.
FileVerdict CompareListed(const std::wstring& newFile, const FileEntry& newEntry,
                          const std::wstring& myFile, const FileEntry& myEntry) {
  auto facts = [](const FileEntry& e) {
    return FileFacts{true, e.size, FileTimeToLocalDateTime(e.lastWrite)};
  };
  const std::wstring newPath = platform::LongPathForm(newFile);
  const std::wstring myPath = platform::LongPathForm(myFile);
  return DecideFiles(
      facts(newEntry), facts(myEntry), [&] { return SameFileContent(newPath, myPath); },
      [&] { return CompareFileVersions(newPath, myPath); });
}

class DirectoryComparer {
 public:
  explicit DirectoryComparer(CompareContext& ctx) : ctx_(ctx) {}

  // The distinct signs of the entries made below parentIndex, at any depth
  // (a subfolder's Status is the set of its own). Stops early when the
  // comparison stops.
  SignSummary Level(const std::wstring& mode, const std::wstring& myDir, const std::wstring& newDir,
              int parentIndex, const std::wstring& parentPath) {
    const bool subdirectories = mode != L"^";
    Listing newSide = mode != L"!" ? ListDirectory(newDir, subdirectories) : Listing();
    Listing mySide = mode != L"*" ? ListDirectory(myDir, subdirectories) : Listing();

    SignSummary signs;
    if (newSide.unreadable || mySide.unreadable) {
      // Nothing read from a side says nothing about it: no "=" for it.
      std::wstring comment = texts::kFolderUnreadable;
      if (newSide.unreadable) comment += L" " + newDir;
      if (mySide.unreadable) comment += L" " + myDir;
      std::wstring& info = ctx_.Tree[parentIndex].Info;
      info = info.empty() ? comment : comment + L" " + info;
      signs.Add(kUnknownSign);
    }
    int order = 0;
    for (const Pair& p : PairByName(newSide.files, mySide.files)) {
      if (ctx_.Stopped()) return signs;
      std::wstring sign = AppendFile(p, myDir, newDir, parentIndex, parentPath, order++);
      if (!sign.empty()) signs.Add(sign);
    }
    for (const Pair& p : PairByName(newSide.dirs, mySide.dirs)) {
      if (ctx_.Stopped()) return signs;
      SignSummary sub = AppendSubdirectory(p, myDir, newDir, parentIndex, parentPath, order++);
      signs.Add(sub);
    }
    return signs;
  }

 private:
  std::wstring AppendFile(const Pair& p, const std::wstring& myDir, const std::wstring& newDir,
                          int parentIndex, const std::wstring& parentPath, int order) {
    const FileEntry& shown = p.newEntry ? *p.newEntry : *p.myEntry;
    TVirtualTreeItem item = MakeEntry(parentIndex, parentPath, order, shown.name, nullptr);
    item.HasFiles = true;
    if (p.newEntry) item.NewFile = newDir + p.newEntry->name;
    if (p.myEntry) item.MyFile = myDir + p.myEntry->name;
    item.SizeHigh = static_cast<uint32_t>(shown.size >> 32);
    item.SizeLow = static_cast<uint32_t>(shown.size);
    item.Attributes = shown.attributes;
    if (p.newEntry && p.myEntry) {
      FileVerdict verdict =
          CompareListed(item.NewFile, *p.newEntry, item.MyFile, *p.myEntry);
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

  SignSummary AppendSubdirectory(const Pair& p, const std::wstring& myDir, const std::wstring& newDir,
                           int parentIndex, const std::wstring& parentPath, int order) {
    const FileEntry& shown = p.newEntry ? *p.newEntry : *p.myEntry;
    TVirtualTreeItem folder =
        MakeFolder(parentIndex, parentPath, order, shown.name, ctx_.Icons.Get(IconRole::Folder));
    folder.ContentFolder = true;
    ShortenEntryName(folder);
    const std::wstring folderPath = folder.FolderPath();
    const int index = ctx_.Tree.Append(std::move(folder));
    if (index < 0) return {};

    const std::wstring mode = !p.myEntry ? L"*" : !p.newEntry ? L"!" : L"";
    const std::wstring subMy = p.myEntry ? myDir + p.myEntry->name + L"\\" : std::wstring();
    const std::wstring subNew = p.newEntry ? newDir + p.newEntry->name + L"\\" : std::wstring();
    SignSummary sub = Level(mode, subMy, subNew, index, folderPath);
    // An empty directory that one side lacks is a difference too.
    if (sub.Empty()) sub.Add(mode.empty() ? L"=" : mode);
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

std::wstring CompareDirectories(CompareContext& ctx, const std::wstring& mode,
                                const std::wstring& myDir, const std::wstring& newDir,
                                int parentIndex, const std::wstring& parentPath) {
  auto dirOf = [](const std::wstring& dir) {
    return dir.empty() ? dir : platform::IncludeTrailingBackslash(dir);
  };
  DirectoryComparer comparer(ctx);
  SignSummary signs = comparer.Level(mode, dirOf(myDir), dirOf(newDir), parentIndex, parentPath);
  return signs.Empty() ? L"=" : signs.Text();
}

}  // namespace orvelle
