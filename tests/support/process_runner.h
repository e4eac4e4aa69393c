// Starting programs from tests, with the command line given character for
// character: forms like /i="C:\some dir\wincmd.ini" reach the child exactly as
// written, which no Unix-side quoting of Wine's can produce.
#pragma once

#include "platform/handle.h"

#include <windows.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvelle::test {

// Variables set (or, with an empty value, removed) in the child's
// environment on top of the test's own.
using EnvironmentChanges = std::vector<std::pair<std::wstring, std::wstring>>;

struct ProcessResult {
  bool started = false;   // false: CreateProcessW failed (see error)
  bool timedOut = false;  // killed after the timeout
  // Not 0 until a started child ended: a child that never ran must not pass
  // for one that succeeded.
  DWORD exitCode = 0xFFFFFFFF;
  std::string out;        // standard output, bytes as written
  std::string err;        // standard error, bytes as written
  std::wstring error;     // why it did not start or finish

  // Standard output decoded as UTF-8 and split at "\n" (a trailing "\r" is
  // dropped); no empty last line for output that ends with "\n".
  std::vector<std::wstring> OutLines() const;
  std::wstring OutText() const;
  std::wstring ErrText() const;
};

// Runs the command line in the working folder (empty: the test's own) and
// waits for it to end, reading both output streams meanwhile. A program still
// running after `timeoutMs` is terminated and reported with timedOut.
ProcessResult RunProcess(const std::wstring& commandLine, const std::wstring& workingDir = {},
                         DWORD timeoutMs = 120000, const EnvironmentChanges& environment = {});

// A program left running while a test works, such as an idle harness standing
// for a second installation. Its output goes nowhere. Destroying the owner
// stops the program: first by closing its host window, then by terminating it.
class BackgroundProcess {
 public:
  BackgroundProcess() = default;
  BackgroundProcess(BackgroundProcess&&) noexcept = default;
  BackgroundProcess& operator=(BackgroundProcess&& other) noexcept;
  ~BackgroundProcess();

  // Starts the command line; nullopt (with the reason in `error`) when it
  // cannot start.
  static std::optional<BackgroundProcess> Start(const std::wstring& commandLine,
                                                const std::wstring& workingDir,
                                                std::wstring& error,
                                                const EnvironmentChanges& environment = {});

  DWORD id() const { return id_; }
  HANDLE handle() const { return process_.get(); }
  bool Running() const;

  // Waits until the program shows a top-level window of that class (the
  // harness: "TTOTAL_CMD"), so that it is ready to be found. False when the
  // program ended or the time ran out.
  bool WaitForWindow(const wchar_t* className = L"TTOTAL_CMD", DWORD timeoutMs = 60000) const;

  // Posts WM_CLOSE to the program's "TTOTAL_CMD" windows and waits for it to
  // end; terminates it after `timeoutMs`. Returns its exit code, or nullopt
  // when it had to be terminated or no program is owned.
  std::optional<DWORD> Stop(DWORD timeoutMs = 20000);

 private:
  platform::unique_process process_;
  DWORD id_ = 0;
};

// A path in double quotes, as command lines carry paths with blanks.
std::wstring QuoteArg(const std::wstring& path);

}  // namespace orvelle::test
