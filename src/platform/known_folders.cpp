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

// FOLDERID_Downloads, spelt here so that no GUID library is linked for it.
constexpr GUID kDownloadsFolder = {
    0x374de290, 0x123f, 0x4565, {0x91, 0x64, 0x39, 0xc4, 0x92, 0x5e, 0x46, 0x7b}};

std::wstring KnownFolder(REFKNOWNFOLDERID id) {
  PWSTR path = nullptr;
  std::wstring result;
  if (SUCCEEDED(::SHGetKnownFolderPath(id, 0, nullptr, &path)) && path) {
    result = LowerCase(ExcludeTrailingBackslash(path));
  }
  ::CoTaskMemFree(path);  // also when the call failed
  return result;
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
  // The user's own folders hold whatever the user put there side by side.
  for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_MYPICTURES, CSIDL_MYMUSIC,
                    CSIDL_MYVIDEO, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA, CSIDL_COMMON_DOCUMENTS,
                    CSIDL_COMMON_DESKTOPDIRECTORY}) {
    AddFolder(folders.Shared, ShellFolder(csidl));
  }
  AddFolder(folders.Shared, KnownFolder(kDownloadsFolder));
  if (!profile.empty()) AddFolder(folders.Shared, profile + L"\\downloads");
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
