#include "platform/known_folders.h"

#include "platform/fs.h"
#include "platform/strings.h"

#include <windows.h>
#include <shlobj.h>

namespace orvelle::platform {

namespace {

std::wstring ShellFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) return {};
  return LowerCase(ExcludeTrailingBackslash(path));
}

void AddFolder(std::vector<std::wstring>& list, std::wstring folder) {
  if (folder.size() < 3) return;  // a drive root names no folder of its own here
  for (const std::wstring& known : list) {
    if (known == folder) return;
  }
  list.push_back(std::move(folder));
}

}  // namespace

SystemFolders GetSystemFolders() {
  SystemFolders folders;
  AddFolder(folders.Trees, ShellFolder(CSIDL_WINDOWS));
  for (int csidl : {CSIDL_SYSTEM, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
                    CSIDL_COMMON_APPDATA, CSIDL_PROFILE}) {
    AddFolder(folders.Shared, ShellFolder(csidl));
  }
  const std::wstring profile = ShellFolder(CSIDL_PROFILE);
  if (!profile.empty()) AddFolder(folders.Shared, ExtractFileDir(profile));
  return folders;
}

std::wstring FullPathName(const std::wstring& path) {
  const DWORD size = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return path;
  std::wstring full(size, L'\0');
  const DWORD n = ::GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (n == 0 || n >= size) return path;
  full.resize(n);
  return full;
}

}  // namespace orvelle::platform
