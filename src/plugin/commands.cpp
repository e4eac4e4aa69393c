#include "plugin/commands.h"

#include "platform/strings.h"
#include "plugin/entry_actions.h"
#include "plugin/host_api.h"

#include <windows.h>

#include <vector>

namespace orvelle {

int ExecuteEntry(PluginState& state, const std::wstring& remoteName, const std::wstring& verb) {
  if (state.Tree.TreeBuilding) return host::FS_EXEC_ERROR;
  CompleteFinishedAdds(state);
  if (platform::Trim(verb) != L"open") return host::FS_EXEC_OK;
  const int index = state.Tree.Tree.FindTreeItem(remoteName);
  if (index < 0) return host::FS_EXEC_OK;
  // The first flag that holds wins: an entry that compares files and also
  // carries a delete action opens its comparison.
  const TVirtualTreeItem& e = state.Tree.Tree[index];
  if (e.IsAbout) {
    OpenAbout(state, index);
  } else if (e.RestoreDeleted) {
    OpenRestoreDeleted(state, index);
  } else if (e.RestoreInstalled) {
    OpenRestoreInstalled(state, index);
  } else if (e.RestoreSettings) {
    OpenRestoreSettings(state, index);
  } else if (e.HasFiles) {
    OpenFileCompare(state, index);
  } else if (e.CommandEntry) {
    OpenTextCompare(state, index);
  } else if (e.Action == 1) {
    OpenDelete(state, index);
  } else if (e.Action == 2) {
    OpenAdd(state, index);
  } else if (e.Action == 3) {
    OpenUpdate(state, index);
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
    ::RemoveDirectoryW(dir.c_str());
  }
}
}  // namespace

int GetEntryFile(PluginState& state, const std::wstring& remoteName, const std::wstring& localName,
                 int copyFlags) {
  if (state.ListOperation == 6) {
    RemoveHostMadeDirectories(remoteName, localName);
    return host::FS_FILE_OK;
  }
  int index = state.Tree.Tree.FindTreeItem(remoteName);
  if (index < 0 || !state.Tree.Tree[index].HasFiles) return host::FS_FILE_NOTFOUND;
  return host::FS_FILE_NOTFOUND;
}

bool DeleteEntry(PluginState& state, const std::wstring& remoteName) {
  if (state.Tree.TreeBuilding) return false;
  CompleteFinishedAdds(state);
  const int index = state.Tree.Tree.FindTreeItem(remoteName);
  if (index < 0 || state.Tree.Tree[index].Action != 1) return false;
  return DeleteItem(state, index, false);
}

}  // namespace orvelle
