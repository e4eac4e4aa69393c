#include "plugin/commands.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "platform/strings.h"
#include "plugin/entry_actions.h"
#include "plugin/host_api.h"
#include "plugin/report_entries.h"
#include "util/text_file.h"
#include "util/file_ops.h"

#include <windows.h>

#include <vector>

namespace orvelle {

int ExecuteEntry(PluginState& state, const std::wstring& remoteName, const std::wstring& verb) {
  if (IsBusy(state)) return host::FS_EXEC_ERROR;
  BusyScope busy(state);
  CompleteFinishedAdds(state);
  const std::wstring trimmed = platform::Trim(verb);
  const bool open = trimmed == L"open";
  // Alt+Enter: the entry's dialog, as Enter shows it; never an operation
  // or a restore, which only Enter starts.
  const bool properties = trimmed == L"properties";
  if (!open && !properties) return host::FS_EXEC_OK;
  const int index = state.Tree.Tree.FindTreeItem(remoteName);
  if (index < 0) return host::FS_EXEC_OK;
  // The first flag that holds wins: an entry that compares files and also
  // carries a delete action opens its comparison.
  const TVirtualTreeItem& e = state.Tree.Tree[index];
  if (e.IsAbout) {
    OpenAbout(state, index);
  } else if (e.RestoreDeleted || e.RestoreInstalled || e.RestoreSettings) {
    if (!open) return host::FS_EXEC_OK;
    if (e.RestoreDeleted) {
      OpenRestoreDeleted(state, index);
    } else if (e.RestoreInstalled) {
      OpenRestoreInstalled(state, index);
    } else {
      OpenRestoreSettings(state, index);
    }
  } else if (e.HasFiles) {
    OpenFileCompare(state, index);
  } else if (e.CommandEntry) {
    OpenTextCompare(state, index);
  } else if (!open) {
    return host::FS_EXEC_OK;
  } else if (ReportKindOf(e) != ReportKind::None) {
    OpenReport(state, ReportKindOf(e));
  } else if (e.Action == 1) {
    OpenDelete(state, index);
  } else if (e.Action == 2) {
    OpenAdd(state, index);
  } else if (e.Action == 3) {
    OpenUpdate(state, index);
  } else if (e.Action == 4 || e.Action == 5) {
    OpenBatch(state, index);
  }
  return host::FS_EXEC_OK;
}

namespace {
// The host creates the target directories of a virtual folder before it asks
// for the files; remove those again, deepest first. Directories that are not
// empty stay.
void RemoveHostMadeDirectories(const std::wstring& remoteName, const std::wstring& localName) {
  size_t common = 0;
  while (common < remoteName.size() && common < localName.size() &&
         remoteName[remoteName.size() - 1 - common] == localName[localName.size() - 1 - common]) {
    ++common;
  }
  // The shared tail must begin at a folder boundary: "inst\..." and
  // "out\..." share the "t" before it, which is no folder of either.
  const size_t tailStart = localName.find(L'\\', localName.size() - common);
  if (common == 0 || tailStart == std::wstring::npos) return;
  const std::wstring head = localName.substr(0, tailStart);
  const std::wstring rest = localName.substr(tailStart + 1);
  std::vector<std::wstring> parts;
  for (size_t start = 0;;) {
    size_t p = rest.find(L'\\', start);
    if (p == std::wstring::npos) break;  // the last part is the file name
    parts.push_back(rest.substr(start, p - start));
    start = p + 1;
  }
  for (size_t depth = parts.size(); depth > 0; --depth) {
    std::wstring dir = head;
    for (size_t i = 0; i < depth; ++i) dir += L"\\" + parts[i];
    ::RemoveDirectoryW(platform::LongPathForm(dir).c_str());
  }
}

// The host's progress callback for the copy of one file. The host calls the
// plugin from one thread, so one copy runs at a time.
class CopyProgress {
 public:
  explicit CopyProgress(const PluginState& state) { callback_ = &state.Host.ProgressCallback; }
  ~CopyProgress() { callback_ = nullptr; }
  CopyProgress(const CopyProgress&) = delete;
  CopyProgress& operator=(const CopyProgress&) = delete;

  static int Report(int, const std::wstring& source, const std::wstring& target, int percent) {
    if (callback_ == nullptr || !*callback_) return 0;
    return (*callback_)(source, target, percent);
  }

 private:
  static inline const ProgressCallbackFn* callback_ = nullptr;
};

bool CanRead(const std::wstring& path) {
  platform::unique_hfile file(::CreateFileW(platform::LongPathForm(path).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  return static_cast<bool>(file);
}

// What the copy flags allow for an existing local name: -1 to go on, else
// the host's answer. 8 and 16 only tell how the existing name is spelt.
int RefusedTarget(const std::wstring& localName, int copyFlags) {
  const int flags = copyFlags & (host::FS_COPYFLAGS_OVERWRITE | host::FS_COPYFLAGS_RESUME |
                                 host::FS_COPYFLAGS_MOVE);
  if ((flags & host::FS_COPYFLAGS_RESUME) != 0) return host::FS_FILE_NOTSUPPORTED;
  if ((flags & host::FS_COPYFLAGS_OVERWRITE) == 0 && platform::PathExists(localName)) {
    return host::FS_FILE_EXISTS;
  }
  return -1;
}

// The entry's description (or a report) as the local file: the host's
// viewer shows it, a copy keeps it.
int WriteEntryText(PluginState& state, int index, const std::wstring& localName, int copyFlags) {
  const int refused = RefusedTarget(localName, copyFlags);
  if (refused >= 0) return refused;
  if (!WriteWholeFile(localName, EntryFileBytes(state, index))) return host::FS_FILE_WRITEERROR;
  return host::FS_FILE_OK;
}
}  // namespace

int GetEntryFile(PluginState& state, const std::wstring& remoteName, const std::wstring& localName,
                 int copyFlags) {
  const int index = state.Tree.Tree.FindTreeItem(remoteName);
  // An entry that stands for no file is described, in any folder; a file
  // entry never is: a description under a file's name would pass for it.
  if (index >= 0 && !state.Tree.Tree[index].HasFiles) {
    return WriteEntryText(state, index, localName, copyFlags);
  }
  // Copying an ordinary folder must not pull the installations' files along.
  if (state.ListOperation == 6) {
    RemoveHostMadeDirectories(remoteName, localName);
    return host::FS_FILE_OK;
  }
  if (index < 0) return host::FS_FILE_NOTFOUND;
  const TVirtualTreeItem& entry = state.Tree.Tree[index];
  const std::wstring source = platform::FileExists(entry.MyFile)    ? entry.MyFile
                              : platform::FileExists(entry.NewFile) ? entry.NewFile
                                                                    : std::wstring();
  if (source.empty()) return host::FS_FILE_NOTFOUND;

  const int refused = RefusedTarget(localName, copyFlags);
  if (refused >= 0) return refused;
  // A move copies too: the installations' files are never removed from here.
  // The host's progress display dispatches messages: what calls in meanwhile
  // finds the copy running.
  BusyScope busy(state);
  CopyProgress progress(state);
  const int result = CopyFileWithProgress(source, localName, &CopyProgress::Report,
                                          state.Host.PluginNumber);
  if (result == 1) {
    ::DeleteFileW(platform::LongPathForm(localName).c_str());
    return host::FS_FILE_USERABORT;
  }
  if (result == kCopyFailed) {
    return CanRead(source) ? host::FS_FILE_WRITEERROR : host::FS_FILE_READERROR;
  }
  return host::FS_FILE_OK;
}

bool DeleteEntry(PluginState& state, const std::wstring& remoteName) {
  if (IsBusy(state)) return false;
  BusyScope busy(state);
  CompleteFinishedAdds(state);
  const int index = state.Tree.Tree.FindTreeItem(remoteName);
  if (index < 0 || state.Tree.Tree[index].Action != 1) return false;
  return DeleteItem(state, index, false);
}

}  // namespace orvelle
