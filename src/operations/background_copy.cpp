#include "operations/background_copy.h"

#include "platform/fs.h"
#include "util/directory_copy.h"
#include "util/file_ops.h"

#include <utility>

namespace orvelle {

namespace {

// What the thread is handed: its object, and the reference to the module
// its code lives in, taken before the thread exists.
struct ThreadStart {
  std::shared_ptr<BackgroundCopy> copy;
  HMODULE module = nullptr;
};

HMODULE ReferenceOwnModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(&ReferenceOwnModule), &module);
  return module;
}

}  // namespace

BackgroundCopy::BackgroundCopy(Request request)
    : request_(std::move(request)),
      done_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

std::shared_ptr<BackgroundCopy> BackgroundCopy::Start(Request request) {
  std::shared_ptr<BackgroundCopy> copy(new BackgroundCopy(std::move(request)));
  if (!copy->done_) return nullptr;
  auto start = std::make_unique<ThreadStart>();
  start->copy = copy;
  start->module = ReferenceOwnModule();
  if (!start->module) return nullptr;
  platform::unique_handle thread(
      ::CreateThread(nullptr, 0, &BackgroundCopy::ThreadMain, start.get(), 0, nullptr));
  if (!thread) {
    // Roll back: the reference the thread would have given up.
    ::FreeLibrary(start->module);
    return nullptr;
  }
  start.release();  // the thread owns it now
  return copy;
}

DWORD WINAPI BackgroundCopy::ThreadMain(void* parameter) noexcept {
  HMODULE module = nullptr;
  {
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(parameter));
    module = start->module;
    start->copy->Execute();
    // The object goes here, while the module's code is certainly loaded.
  }
  ::FreeLibraryAndExitThread(module, 0);
}

void BackgroundCopy::Execute() noexcept {
  bool copied = false;
  try {
    CopyControl control;
    control.BeforeFile = request_.BeforeFile;
    copied = CopyDirectoryContent(request_.SourceDir, request_.Staging, request_.Files, control) &&
             PlaceStagedDirectory(request_.Staging, request_.Target);
    // Roll back: a copy that is not whole goes, it is New's files only.
    if (!copied) DeleteDirectoryTree(request_.Staging, true);
  } catch (...) {
    copied = false;
  }
  {
    std::lock_guard<std::mutex> guard(mutex_);
    state_ = copied ? State::Copied : State::Failed;
  }
  try {
    if (request_.Notify) request_.Notify();
  } catch (...) {
  }
  ::SetEvent(done_.get());
}

BackgroundCopy::State BackgroundCopy::Current() const {
  std::lock_guard<std::mutex> guard(mutex_);
  return state_;
}

bool BackgroundCopy::Wait(DWORD milliseconds) const {
  return ::WaitForSingleObject(done_.get(), milliseconds) == WAIT_OBJECT_0;
}

}  // namespace orvelle
