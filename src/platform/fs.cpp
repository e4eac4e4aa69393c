#include "platform/fs.h"

#include "platform/strings.h"

namespace orvelle::platform {

DWORD FileAttributes(const std::wstring& path) {
  return ::GetFileAttributesW(LongPathForm(path).c_str());
}

bool SetAttributes(const std::wstring& path, DWORD attributes) {
  return ::SetFileAttributesW(LongPathForm(path).c_str(), attributes) != FALSE;
}

bool MovePath(const std::wstring& from, const std::wstring& to, DWORD flags) {
  return ::MoveFileExW(LongPathForm(from).c_str(), LongPathForm(to).c_str(), flags) != FALSE;
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to, bool failIfExists) {
  return ::CopyFileW(LongPathForm(from).c_str(), LongPathForm(to).c_str(), failIfExists) != FALSE;
}

bool RemoveFile(const std::wstring& path) {
  return ::DeleteFileW(LongPathForm(path).c_str()) != FALSE;
}

bool MakeDirectory(const std::wstring& path) {
  return ::CreateDirectoryW(LongPathForm(path).c_str(), nullptr) != FALSE;
}

bool RemoveEmptyDirectory(const std::wstring& path) {
  return ::RemoveDirectoryW(LongPathForm(path).c_str()) != FALSE;
}

bool FileExists(const std::wstring& path) {
  DWORD a = FileAttributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::wstring& path) {
  DWORD a = FileAttributes(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PathExists(const std::wstring& path) {
  return FileAttributes(path) != INVALID_FILE_ATTRIBUTES;
}

std::wstring ExtractFileName(std::wstring_view path) {
  size_t p = path.find_last_of(L"\\:");
  return std::wstring(p == std::wstring_view::npos ? path : path.substr(p + 1));
}

std::wstring ExtractFilePath(std::wstring_view path) {
  size_t p = path.find_last_of(L"\\:");
  return p == std::wstring_view::npos ? std::wstring() : std::wstring(path.substr(0, p + 1));
}

std::wstring ExtractFileDir(std::wstring_view path) {
  size_t p = path.find_last_of(L"\\:");
  if (p == std::wstring_view::npos) return {};
  // "c:\x" keeps "c:\" as its directory, like the drive root it is.
  if (p > 0 && path[p] == L'\\' && path[p - 1] != L':' && path[p - 1] != L'\\') {
    return std::wstring(path.substr(0, p));
  }
  return std::wstring(path.substr(0, p + 1));
}

std::wstring ExtractFileExt(std::wstring_view path) {
  size_t p = path.find_last_of(L".\\:");
  if (p == std::wstring_view::npos || path[p] != L'.') return {};
  return std::wstring(path.substr(p));
}

std::wstring IncludeTrailingBackslash(std::wstring_view path) {
  std::wstring out(path);
  if (out.empty() || out.back() != L'\\') out += L'\\';
  return out;
}

std::wstring ExcludeTrailingBackslash(std::wstring_view path) {
  std::wstring out(path);
  if (!out.empty() && out.back() == L'\\') out.pop_back();
  return out;
}

namespace {

// The length of the drive ("c:\") or share ("\\server\share\") that
// starts path, kept as given; 0 when it starts with neither.
size_t RootLength(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' && path[2] == L'\\') return 3;
  if (path.rfind(L"\\\\", 0) != 0) return 0;
  const size_t server = path.find(L'\\', 2);
  const size_t share = server == std::wstring::npos ? server : path.find(L'\\', server + 1);
  return share == std::wstring::npos ? 0 : share + 1;
}

// The name step has on disk inside the folder spelt (with its backslash).
std::wstring SpellStep(const std::wstring& spelt, const std::wstring& step) {
  WIN32_FIND_DATAW data{};
  // A step with wildcards would match other names; it is kept as given.
  if (step.empty() || step.find_first_of(L"*?") != std::wstring::npos) return step;
  unique_hfind find(::FindFirstFileW(LongPathForm(spelt + step).c_str(), &data));
  return find ? std::wstring(data.cFileName) : step;
}

}  // namespace

std::wstring PathAsOnDisk(const std::wstring& path) {
  size_t start = RootLength(path);
  if (start == 0) return path;
  std::wstring out = path.substr(0, start);
  while (start < path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    out += SpellStep(out, path.substr(start, end - start));
    if (end < path.size()) out += L'\\';
    start = end + 1;
  }
  return out;
}

std::wstring PathSpelling::OnDisk(const std::wstring& path) {
  const size_t root = RootLength(path);
  const size_t last = path.find_last_of(L'\\');
  // The root itself, or a path ending in a backslash: nothing to share.
  if (root == 0 || last == std::wstring::npos || last < root || last + 1 == path.size()) {
    return PathAsOnDisk(path);
  }
  std::wstring folder;
  if (last + 1 == root) {
    folder = path.substr(0, root);
  } else {
    const std::wstring given = path.substr(0, last);
    const std::wstring key = LowerCase(given);
    const auto known = folders_.find(key);
    folder = (known != folders_.end() ? known->second
                                      : folders_.emplace(key, OnDisk(given)).first->second) +
             L'\\';
  }
  return folder + SpellStep(folder, path.substr(last + 1));
}

std::optional<FileEntry> GetFileEntry(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(LongPathForm(path).c_str(), GetFileExInfoStandard, &data)) {
    return std::nullopt;
  }
  FileEntry e;
  e.name = ExtractFileName(path);
  e.attributes = data.dwFileAttributes;
  e.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  e.lastWrite = data.ftLastWriteTime;
  return e;
}

std::wstring LongPathForm(std::wstring_view path) {
  constexpr size_t kFolderLimit = MAX_PATH - 12;
  if (path.size() < kFolderLimit || path.starts_with(L"\\\\?\\")) return std::wstring(path);
  const bool unc = path.starts_with(L"\\\\");
  const bool drive = path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
  if (!unc && !drive) return std::wstring(path);
  // The prefix turns off the system's clean-up of the path: it is done here.
  const std::wstring given(path);
  std::wstring full(given.size() + MAX_PATH, L'\0');
  DWORD n = ::GetFullPathNameW(given.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (n == 0 || n >= full.size()) return given;
  full.resize(n);
  if (full.starts_with(L"\\\\.\\")) return given;  // a device, no file
  if (full.starts_with(L"\\\\")) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

EnumFiles::iterator::iterator(const std::wstring& pattern, DWORD* error) : error_(error) {
  if (error_ != nullptr) *error_ = 0;
  WIN32_FIND_DATAW data{};
  find_.reset(::FindFirstFileW(LongPathForm(pattern).c_str(), &data));
  if (!find_) {
    const DWORD code = ::GetLastError();
    if (error_ != nullptr && code != ERROR_FILE_NOT_FOUND && code != ERROR_NO_MORE_FILES) {
      *error_ = code;
    }
    return;
  }
  done_ = false;
  if (!Take(data)) Advance();
}

bool EnumFiles::iterator::Take(const WIN32_FIND_DATAW& data) {
  std::wstring_view name = data.cFileName;
  if (name == L"." || name == L"..") return false;
  entry_.name = std::wstring(name);
  entry_.attributes = data.dwFileAttributes;
  entry_.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  entry_.lastWrite = data.ftLastWriteTime;
  return true;
}

void EnumFiles::iterator::Advance() {
  WIN32_FIND_DATAW data{};
  while (::FindNextFileW(find_.get(), &data)) {
    if (Take(data)) return;
  }
  const DWORD code = ::GetLastError();
  if (error_ != nullptr && code != ERROR_NO_MORE_FILES) *error_ = code;
  find_.reset();
  done_ = true;
}

EnumFiles::iterator& EnumFiles::iterator::operator++() {
  Advance();
  return *this;
}

}  // namespace orvelle::platform
