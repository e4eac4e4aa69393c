#include "util/file_ops.h"

#include "util/digest.h"
#include "util/file_faults.h"
#include "util/move_item.h"
#include "platform/fs.h"
#include "platform/handle.h"
#include "platform/message_box.h"
#include "platform/strings.h"

#include <shellapi.h>

#include <algorithm>
#include <optional>
#include <vector>

namespace orvelle {

namespace {

constexpr DWORD kBlocksCopyBlock = 2048;
constexpr DWORD kProgressCopyBlock = 49152;

// Source files are read with writing denied to others, so a copy onto the
// very file it reads fails instead of truncating it.
platform::unique_hfile OpenForReading(const std::wstring& path) {
  return platform::unique_hfile(::CreateFileW(platform::LongPathForm(path).c_str(), GENERIC_READ,
                                              FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

platform::unique_hfile CreateForWriting(const std::wstring& path) {
  return platform::unique_hfile(::CreateFileW(platform::LongPathForm(path).c_str(), GENERIC_WRITE, 0,
                                              nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                              nullptr));
}

bool WriteBlock(HANDLE file, const char* data, DWORD size) {
  DWORD written = 0;
  return size == 0 || (::WriteFile(file, data, size, &written, nullptr) && written == size);
}


int Percent(uint64_t done, uint64_t size) {
  if (size == 0) return 100;
  return static_cast<int>(std::min<uint64_t>(100, (done * 100 + size / 2) / size));
}

struct DirectoryListing {
  std::vector<std::wstring> names;
  uint64_t mainFileSize = 0;
};

DirectoryListing ListDirectory(const std::wstring& dir, const std::wstring& nameInDir) {
  DirectoryListing listing;
  const std::wstring mainName = platform::LowerCase(nameInDir);
  for (const platform::FileEntry& e : platform::EnumFiles(dir + L"\\*.*")) {
    std::wstring name = platform::LowerCase(e.name);
    if (e.IsDirectory()) {
      name += L'\\';
    } else if (name == mainName) {
      listing.mainFileSize = e.size;
    }
    listing.names.push_back(std::move(name));
  }
  std::sort(listing.names.begin(), listing.names.end());
  return listing;
}

bool IsDriveOrShareRoot(const std::wstring& path) {
  if (path.size() == 2 && path[1] == L':') return true;
  if (path.rfind(L"\\\\", 0) != 0) return false;
  // "\\server\share": two names after the leading backslashes.
  const size_t server = path.find(L'\\', 2);
  return server != std::wstring::npos && server > 2 && server + 1 < path.size() &&
         path.find(L'\\', server + 1) == std::wstring::npos;
}

std::optional<std::wstring> RootOf(const std::wstring& path) {
  if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
  if (path.rfind(L"\\\\", 0) != 0) return std::nullopt;
  const size_t server = path.find(L'\\', 2);
  if (server == std::wstring::npos || server == 2) return std::nullopt;
  const size_t share = path.find(L'\\', server + 1);
  return share == std::wstring::npos ? path : path.substr(0, share);
}

}  // namespace

bool CopyFileBlocks(const std::wstring& source, const std::wstring& target) {
  platform::unique_hfile in = OpenForReading(source);
  if (!in) return false;
  platform::unique_hfile out = CreateForWriting(target);
  if (!out) return false;
  char buffer[kBlocksCopyBlock];
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(in.get(), buffer, kBlocksCopyBlock, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    if (!WriteBlock(out.get(), buffer, got)) {
      ok = false;
      break;
    }
  }
  // A write that fails at the last moment, when the target is all there.
  if (ok && InjectedFileFault(FileStep::CopyFile, target)) ok = false;
  out.reset();
  if (!ok) ::DeleteFileW(platform::LongPathForm(target).c_str());
  return ok;
}

bool CreateFolder(const std::wstring& path) {
  if (InjectedFileFault(FileStep::CreateFolder, path)) return false;
  return ::CreateDirectoryW(platform::LongPathForm(path).c_str(), nullptr) != FALSE;
}

int CopyFileWithProgress(const std::wstring& source, const std::wstring& target,
                         ProgressFn progress, int pluginNr) {
  if (platform::EqualsNoCase(source, target)) return 0;
  platform::unique_hfile in = OpenForReading(source);
  LARGE_INTEGER size{};
  FILETIME lastWrite{};
  if (!in || !::GetFileSizeEx(in.get(), &size) || !::GetFileTime(in.get(), nullptr, nullptr, &lastWrite)) {
    return kCopyFailed;
  }
  platform::unique_hfile out = CreateForWriting(target);
  if (!out) return kCopyFailed;

  std::vector<char> buffer(kProgressCopyBlock);
  uint64_t total = 0;
  int result = 0;
  bool failed = false;
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(in.get(), buffer.data(), kProgressCopyBlock, &got, nullptr)) {
      failed = true;
      break;
    }
    total += got;
    result = progress ? progress(pluginNr, source, target, Percent(total, static_cast<uint64_t>(size.QuadPart)))
                      : 0;
    if (result == 1) break;  // aborted: the partial target stays for the caller
    if (!WriteBlock(out.get(), buffer.data(), got)) {
      const DWORD error = ::GetLastError();
      platform::ShowError(L"File copy Error: \r\n" + source + L" ->\r\n" + target + L"\r\n" +
                          SystemMessage(error));
      failed = true;
      break;
    }
    if (got < kProgressCopyBlock) {
      ::SetFileTime(out.get(), nullptr, nullptr, &lastWrite);
      break;
    }
  }
  out.reset();
  if (failed) {
    ::DeleteFileW(platform::LongPathForm(target).c_str());
    return kCopyFailed;
  }
  return result;
}

bool SameDirectoryContent(const std::wstring& dirA, const std::wstring& dirB,
                          const std::wstring& nameInDir) {
  const DirectoryListing a = ListDirectory(dirA, nameInDir);
  const DirectoryListing b = ListDirectory(dirB, nameInDir);
  if (a.names != b.names || a.mainFileSize != b.mainFileSize || a.mainFileSize == 0) return false;
  // An unreadable file gives an empty digest; two of those prove nothing.
  const std::wstring digestA = FileMD5(dirA + L"\\" + nameInDir);
  return !digestA.empty() && digestA == FileMD5(dirB + L"\\" + nameInDir);
}

bool DeleteDirectoryTree(const std::wstring& dir, bool removeDir) {
  // A stack of folders of its own rather than the thread's: a tree may be
  // nested as deep as paths allow. Each folder is taken once to empty it
  // (its subfolders go on the stack above it) and once more, when they are
  // gone, to remove it.
  struct Pending {
    std::wstring path;
    bool emptied = false;
  };
  bool ok = true;
  std::vector<Pending> stack{{dir, false}};
  while (!stack.empty()) {
    if (stack.back().emptied) {
      const std::wstring path = std::move(stack.back().path);
      stack.pop_back();
      if (!stack.empty() || removeDir) {
        ok = ::RemoveDirectoryW(platform::LongPathForm(path).c_str()) != FALSE && ok;
      }
      continue;
    }
    stack.back().emptied = true;
    const std::wstring current = stack.back().path;
    for (const platform::FileEntry& e : platform::EnumFiles(current + L"\\*.*")) {
      const std::wstring name = current + L"\\" + e.name;
      const std::wstring path = platform::LongPathForm(name);
      if (e.IsDirectory()) {
        if ((e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
          platform::SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
          ok = platform::RemoveEmptyDirectory(path) && ok;
        } else {
          if ((e.attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            platform::SetAttributes(path, e.attributes & ~FILE_ATTRIBUTE_READONLY);
          }
          stack.push_back({name, false});
        }
        continue;
      }
      if (e.attributes != FILE_ATTRIBUTE_ARCHIVE)
        platform::SetAttributes(path, FILE_ATTRIBUTE_ARCHIVE);
      ok = platform::RemoveFile(path) && ok;
    }
  }
  return ok;
}

bool ShellCopyDirectory(const std::wstring& sourceDir, const std::wstring& targetDir, HWND owner) {
  // Both lists end with two NULs: the string's own and one pushed here.
  std::wstring from = sourceDir + L"\\*.*";
  from.push_back(L'\0');
  std::wstring to = targetDir;
  to.push_back(L'\0');
  SHFILEOPSTRUCTW op{};
  op.hwnd = owner;
  op.wFunc = FO_COPY;
  op.pFrom = from.c_str();
  op.pTo = to.c_str();
  op.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR;
  return ::SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}

bool CreateDirectoryPath(const std::wstring& path) {
  const std::wstring full = platform::ExcludeTrailingBackslash(path);
  const std::optional<std::wstring> root = RootOf(full);
  if (!root || !platform::DirectoryExists(*root + L"\\")) return false;
  std::vector<std::wstring> missing;
  std::wstring level = full;
  while (!IsDriveOrShareRoot(level) && !platform::DirectoryExists(level)) {
    const size_t slash = level.find_last_of(L'\\');
    if (slash == std::wstring::npos) return false;
    missing.push_back(level);
    level = level.substr(0, slash);
  }
  if (missing.empty()) return false;
  for (auto it = missing.rbegin(); it != missing.rend(); ++it) {
    if (!::CreateDirectoryW(platform::LongPathForm(*it + L"\\").c_str(), nullptr)) return false;
  }
  return true;
}

}  // namespace orvelle
