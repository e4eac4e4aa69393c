#include "util/flush_group.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "platform/strings.h"
#include "util/file_faults.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace orvelle {

namespace {

thread_local FlushGroup* current = nullptr;

// Flushes wait for the disk, not for the processor: a few at a time let the
// file system commit them together.
constexpr size_t kFlushThreads = 8;
constexpr size_t kFilesPerThread = 8;

bool FlushFile(const std::wstring& path) {
  // Any handle of the file flushes what any other wrote; this one shares
  // everything, so that it never stands in another open's way.
  platform::unique_hfile file(::CreateFileW(
      platform::LongPathForm(path).c_str(), GENERIC_WRITE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  return ::FlushFileBuffers(file.get()) != FALSE;
}

}  // namespace

FlushGroup::FlushGroup(std::wstring folder)
    : prefix_(platform::LowerCase(platform::ExcludeTrailingBackslash(folder)) + L"\\"),
      outer_(current) {
  current = this;
}

FlushGroup::~FlushGroup() {
  try {
    Flush();
  } catch (...) {
    // Memory for the list of files: what is left is flushed by the system.
  }
  current = outer_;
}

FlushGroup* FlushGroup::Current() { return current; }

bool FlushGroup::Holds(const std::wstring& path) const {
  return platform::LowerCase(path).starts_with(prefix_);
}

void FlushGroup::Remember(const std::wstring& path) { paths_.push_back(path); }

bool FlushGroup::Flush() {
  std::vector<std::wstring> paths = std::move(paths_);
  paths_.clear();
  std::sort(paths.begin(), paths.end());
  paths.erase(std::unique(paths.begin(), paths.end()), paths.end());
  std::atomic<bool> ok{true};
  // A test's fault hook is asked here, on the group's own thread.
  std::erase_if(paths, [&](const std::wstring& path) {
    if (!InjectedFileFault(FileStep::Flush, path)) return false;
    ok = false;
    return true;
  });
  std::atomic<size_t> next{0};
  auto work = [&]() noexcept {
    try {
      for (size_t i = next++; i < paths.size(); i = next++) {
        if (!FlushFile(paths[i])) ok = false;
      }
    } catch (...) {
      ok = false;
    }
  };
  std::vector<std::thread> helpers;
  const size_t wanted = std::min(kFlushThreads, paths.size() / kFilesPerThread);
  for (size_t i = 1; i < wanted; ++i) {
    try {
      helpers.emplace_back(work);
    } catch (...) {
      break;  // no thread to be had: fewer flush side by side
    }
  }
  work();
  for (std::thread& helper : helpers) helper.join();
  return ok;
}

}  // namespace orvelle
