#include "util/move_item.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "util/file_faults.h"
#include "util/file_ops.h"

#include <array>
#include <cstring>
#include <optional>

namespace orvelle {

namespace {

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

DWORD LastErrorOr(DWORD fallback) {
  const DWORD error = ::GetLastError();
  return error != 0 ? error : fallback;
}

platform::unique_hfile OpenForReading(const std::wstring& path) {
  return platform::unique_hfile(::CreateFileW(platform::LongPathForm(path).c_str(), GENERIC_READ,
                                              FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
}

bool SameBytes(const std::wstring& a, const std::wstring& b) {
  platform::unique_hfile fa = OpenForReading(a);
  platform::unique_hfile fb = OpenForReading(b);
  if (!fa || !fb) return false;
  static constexpr DWORD kBlock = 1 << 16;
  std::array<char, kBlock> ba{}, bb{};
  for (;;) {
    DWORD na = 0, nb = 0;
    if (!::ReadFile(fa.get(), ba.data(), kBlock, &na, nullptr) ||
        !::ReadFile(fb.get(), bb.data(), kBlock, &nb, nullptr) || na != nb) {
      return false;
    }
    if (na == 0) return true;
    if (std::memcmp(ba.data(), bb.data(), na) != 0) return false;
  }
}

// A folder's last-write time is changed by every file made in it, so it is
// set once its content is complete.
bool SetFolderTime(const std::wstring& path, const FILETIME& lastWrite) {
  platform::unique_hfile dir(::CreateFileW(platform::LongPathForm(path).c_str(),
                                           FILE_WRITE_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  return dir && ::SetFileTime(dir.get(), nullptr, nullptr, &lastWrite) != FALSE;
}

// A free name beside path on its own volume.
std::optional<std::wstring> AsideName(const std::wstring& path) {
  for (int n = 1; n <= 100; ++n) {
    std::wstring candidate = path + L"~moving" + (n == 1 ? L"" : std::to_wstring(n));
    if (!platform::PathExists(candidate)) return candidate;
  }
  return std::nullopt;
}

// Copies into an existing folder what it lacks from source (a source
// folder whose removal stopped half-way gets back what it lost).
bool FillFrom(const std::wstring& source, const std::wstring& target) {
  bool ok = true;
  for (const platform::FileEntry& e : platform::EnumFiles(source + L"\\*")) {
    const std::wstring from = source + L"\\" + e.name;
    const std::wstring to = target + L"\\" + e.name;
    if (e.IsDirectory()) {
      if (!platform::DirectoryExists(to)) {
        ok = CopyFolderTree(from, to) == 0 && ok;
      } else {
        ok = FillFrom(from, to) && ok;
      }
    } else if (!platform::PathExists(to)) {
      ok = platform::CopyFileTo(from, to, true) && ok;
    }
  }
  return ok;
}

}  // namespace

std::wstring SystemMessage(DWORD error) {
  wchar_t* buffer = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = n > 0 && buffer ? std::wstring(buffer, n) : L"Error " + std::to_wstring(error);
  if (buffer) ::LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  return text;
}

DWORD CopyFolderTree(const std::wstring& from, const std::wstring& to) {
  std::optional<platform::FileEntry> root = platform::GetFileEntry(from);
  if (!root || !root->IsDirectory()) return ERROR_PATH_NOT_FOUND;
  if (IsLink(root->attributes)) return ERROR_NOT_SUPPORTED;
  if (!platform::MakeDirectory(to)) return LastErrorOr(ERROR_CANNOT_MAKE);
  DWORD listError = 0;
  for (const platform::FileEntry& e : platform::EnumFiles(from + L"\\*", &listError)) {
    if (IsLink(e.attributes)) return ERROR_NOT_SUPPORTED;
    const std::wstring source = from + L"\\" + e.name;
    const std::wstring target = to + L"\\" + e.name;
    if (e.IsDirectory()) {
      if (DWORD error = CopyFolderTree(source, target)) return error;
    } else if (!platform::CopyFileTo(source, target, true)) {
      return LastErrorOr(ERROR_WRITE_FAULT);
    }
  }
  if (listError != 0) return listError;
  const DWORD attributes = root->attributes & ~(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY);
  if (attributes != 0 && attributes != FILE_ATTRIBUTE_NORMAL) platform::SetAttributes(to, attributes);
  SetFolderTime(to, root->lastWrite);
  return 0;
}

bool SameFolderTree(const std::wstring& a, const std::wstring& b) {
  size_t count = 0;
  for (const platform::FileEntry& e : platform::EnumFiles(a + L"\\*")) {
    ++count;
    std::optional<platform::FileEntry> other = platform::GetFileEntry(b + L"\\" + e.name);
    if (!other || other->IsDirectory() != e.IsDirectory() || IsLink(e.attributes)) return false;
    const std::wstring pa = a + L"\\" + e.name;
    const std::wstring pb = b + L"\\" + e.name;
    if (e.IsDirectory() ? !SameFolderTree(pa, pb)
                        : other->size != e.size || !SameBytes(pa, pb)) {
      return false;
    }
  }
  size_t otherCount = 0;
  for (const platform::FileEntry& e : platform::EnumFiles(b + L"\\*")) {
    (void)e;
    ++otherCount;
  }
  return count == otherCount;
}

DWORD MoveItem(const std::wstring& from, const std::wstring& to) {
  if (InjectedFileFault(FileStep::Rename, from)) return ERROR_WRITE_FAULT;
  if (platform::MovePath(from, to)) return 0;
  const DWORD renameError = LastErrorOr(ERROR_ACCESS_DENIED);
  // Windows says "not the same device"; Wine, whose drives may share one
  // Unix tree, says "access denied" for a folder on another file system. A
  // folder that is refused for another reason fails below as well, with
  // nothing changed.
  if ((renameError != ERROR_NOT_SAME_DEVICE && renameError != ERROR_ACCESS_DENIED) ||
      !platform::DirectoryExists(from)) {
    return renameError;
  }
  if (platform::PathExists(to)) return ERROR_ALREADY_EXISTS;
  DWORD error = CopyFolderTree(from, to);
  if (error == 0 && !SameFolderTree(from, to)) error = ERROR_INVALID_DATA;
  // The source goes aside on its own volume first: a folder with a file in
  // use cannot be renamed, so nothing of it is lost to a removal that would
  // stop half-way.
  std::optional<std::wstring> aside;
  if (error == 0) {
    aside = AsideName(from);
    if (!aside) {
      error = ERROR_ALREADY_EXISTS;
    } else if (!platform::MovePath(from, *aside, 0)) {
      error = LastErrorOr(ERROR_SHARING_VIOLATION);
    }
  }
  if (error != 0) {
    // Roll back: the copy goes; the source was not touched.
    DeleteDirectoryTree(to, true);
    return error;
  }
  if (DeleteDirectoryTree(*aside, true)) return 0;
  error = LastErrorOr(ERROR_SHARING_VIOLATION);
  // Roll back: what the removal took from the source comes back from the
  // verified copy, and the source goes home; the copy goes.
  if (FillFrom(to, *aside) && platform::MovePath(*aside, from, 0)) DeleteDirectoryTree(to, true);
  return error;
}

}  // namespace orvelle
