#include "support/temp_dir.h"

#include "support/test_paths.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "platform/strings.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>
#include <utility>
#include <vector>

namespace orvelle::test {

bool CreateDirectories(const std::wstring& path) {
  std::wstring dir = platform::ExcludeTrailingBackslash(path);
  if (dir.empty()) return false;
  if (platform::DirectoryExists(dir)) return true;
  std::wstring parent = platform::ExtractFileDir(dir);
  if (!parent.empty() && parent != dir) CreateDirectories(parent);
  return ::CreateDirectoryW(dir.c_str(), nullptr) || platform::DirectoryExists(dir);
}

// A stack of its own instead of the thread's (test trees nest thousands of
// levels deep), and links are removed as links: what they point to stays.
bool DeleteTree(const std::wstring& path) {
  if (path.empty()) return false;
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  std::vector<std::pair<std::wstring, bool>> stack{{path, false}};  // path, emptied
  while (!stack.empty()) {
    auto& [current, emptied] = stack.back();
    const std::wstring item = platform::LongPathForm(current);
    const DWORD attributes = ::GetFileAttributesW(item.c_str());
    ::SetFileAttributesW(item.c_str(), FILE_ATTRIBUTE_NORMAL);
    const bool folder = attributes != INVALID_FILE_ATTRIBUTES &&
                        (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    if (!folder || link || emptied) {
      if (folder) {
        ::RemoveDirectoryW(item.c_str());
      } else {
        ::DeleteFileW(item.c_str());
      }
      stack.pop_back();
      continue;
    }
    emptied = true;
    const std::wstring dir = current;
    for (const platform::FileEntry& e : platform::EnumFiles(dir + L"\\*")) {
      stack.emplace_back(dir + L"\\" + e.name, false);
    }
  }
  return !platform::PathExists(path);
}

namespace {
std::wstring TempBase() {
  wchar_t base[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, base);
  return base;
}
}  // namespace

std::wstring OtherVolumeFolder() {
  const std::wstring shm = L"Z:\\dev\\shm";
  return platform::DirectoryExists(shm) ? shm : std::wstring();
}

TempDir::TempDir() : TempDir(TempBase()) {}

TempDir::TempDir(const std::wstring& parent) {
  static std::atomic<unsigned> counter{0};
  const std::wstring base = platform::IncludeTrailingBackslash(parent);
  for (;;) {
    path_ = std::wstring(base) + L"orvelle-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++);
    if (::CreateDirectoryW(path_.c_str(), nullptr)) return;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create temp dir");
  }
}

TempDir::~TempDir() { DeleteTree(path_); }

std::wstring TempDir::operator/(std::wstring_view name) const {
  return path_ + L"\\" + std::wstring(name);
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
  std::wstring dir = platform::ExtractFileDir(path);
  if (!dir.empty() && !platform::DirectoryExists(dir)) CreateDirectories(dir);
  platform::unique_hfile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw std::runtime_error("cannot create test file");
  DWORD written = 0;
  if (!bytes.empty() &&
      !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) {
    throw std::runtime_error("cannot write test file");
  }
}

std::string ReadBytes(const std::wstring& path) {
  platform::unique_hfile file(::CreateFileW(path.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return {};
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) {
    out.append(buffer, got);
  }
  return out;
}

void WriteText(const std::wstring& path, std::wstring_view text, UINT codePage) {
  WriteBytes(path, platform::AnsiFromWide(text, codePage));
}

std::wstring SourceFile(std::wstring_view relative) {
  std::wstring root = SourceDir();
  return (root.empty() ? std::wstring(L".") : root) + L"\\" + std::wstring(relative);
}

}  // namespace orvelle::test
