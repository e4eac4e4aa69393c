// The copy of a plugin's folder on a thread of its own, so that the host's
// thread never waits for it: the only thread of the plugin besides the
// host's.
//
// What the two threads share is this object's state, guarded here and
// nowhere else: the copy's thread copies files, sets the state once at its
// end and asks the host to list its panel again; it never touches the tree,
// the models or the configuration. The host's thread reads the state when it
// is called next and does everything that follows a copy (registering the
// plugin, the records, the entries' comments) itself.
//
// The copy is made in a staging folder and renamed to its target only once
// it is whole; a copy that fails deletes its staging folder.
//
// The thread holds its own reference to the plugin's module and ends with
// FreeLibraryAndExitThread, so the library stays loaded until the copy is
// done even when the host unloads it meanwhile; nobody ever waits for the
// thread (the loader lock would make a wait while unloading hang).
#pragma once

#include "platform/handle.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace orvelle {

class BackgroundCopy {
 public:
  enum class State { Running, Copied, Failed };

  struct Request {
    std::wstring SourceDir;
    std::vector<std::wstring> Files;  // empty: the whole folder, else these files of it
    std::wstring Staging;             // made already, empty
    std::wstring Target;              // must not exist
    // Called on the copy's thread once the state is final (asks the host to
    // list its panel again); must not touch anything of the host's thread.
    std::function<void()> Notify;
    // Called on the copy's thread before each file; false stops the copy.
    std::function<bool(const std::wstring& sourceFile)> BeforeFile;
  };

  // Starts the copy; null when its thread cannot be started (nothing was
  // copied then).
  static std::shared_ptr<BackgroundCopy> Start(Request request);

  BackgroundCopy(const BackgroundCopy&) = delete;
  BackgroundCopy& operator=(const BackgroundCopy&) = delete;

  State Current() const;
  // Waits at most milliseconds for the end of the copy; true when it ended.
  bool Wait(DWORD milliseconds) const;
  const Request& Job() const { return request_; }

 private:
  explicit BackgroundCopy(Request request);
  static DWORD WINAPI ThreadMain(void* parameter) noexcept;
  void Execute() noexcept;

  const Request request_;
  platform::unique_handle done_;  // manual-reset event, set at the end
  mutable std::mutex mutex_;
  State state_ = State::Running;
};

}  // namespace orvelle
