#include "util/file_faults.h"

#include <windows.h>

#include <mutex>

namespace orvelle {

namespace {
// The background copy writes files on its own thread while a test may set
// the hook on the main one.
std::mutex& HookLock() {
  static std::mutex lock;
  return lock;
}
FileFaultHook& Hook() {
  static FileFaultHook hook;
  return hook;
}
}  // namespace

FileFaultHook SetFileFaultHook(FileFaultHook hook) {
  std::lock_guard<std::mutex> guard(HookLock());
  std::swap(Hook(), hook);
  return hook;
}

bool InjectedFileFault(FileStep step, const std::wstring& path) {
  FileFaultHook hook;
  {
    std::lock_guard<std::mutex> guard(HookLock());
    if (!Hook()) return false;
    hook = Hook();
  }
  if (!hook(step, path)) return false;
  ::SetLastError(ERROR_WRITE_FAULT);
  return true;
}

}  // namespace orvelle
