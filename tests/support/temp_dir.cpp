#include "support/temp_dir.h"

#include "platform/fs.h"
#include "platform/handle.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <stdexcept>

namespace orvelle::test {

namespace {

void RemoveTree(const std::wstring& dir) {
  for (const platform::FileEntry& e : platform::EnumFiles(dir + L"\\*")) {
    const std::wstring full = dir + L"\\" + e.name;
    ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (e.IsDirectory()) {
      RemoveTree(full);
    } else {
      ::DeleteFileW(full.c_str());
    }
  }
  ::RemoveDirectoryW(dir.c_str());
}

}  // namespace

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  wchar_t base[MAX_PATH + 1] = {};
  ::GetTempPathW(MAX_PATH + 1, base);
  for (;;) {
    path_ = std::wstring(base) + L"orvelle-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++);
    if (::CreateDirectoryW(path_.c_str(), nullptr)) return;
    if (::GetLastError() != ERROR_ALREADY_EXISTS) throw std::runtime_error("cannot create temp dir");
  }
}

TempDir::~TempDir() { RemoveTree(path_); }

std::wstring TempDir::operator/(std::wstring_view name) const {
  return path_ + L"\\" + std::wstring(name);
}

void WriteBytes(const std::wstring& path, std::string_view bytes) {
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

std::wstring SourceFile(std::wstring_view relative) {
  const wchar_t* root = _wgetenv(L"ORVELLE_SOURCE_DIR");
  return std::wstring(root ? root : L".") + L"\\" + std::wstring(relative);
}

}  // namespace orvelle::test
