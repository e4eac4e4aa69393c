// Harness processes for the end-to-end tests: copies of the harness started
// with exact command lines, run to their end with their output captured, or
// kept idle as another running installation.
#pragma once

#include "platform/handle.h"

#include <windows.h>

#include <string>
#include <vector>

namespace orvelle::e2e {

// The built harness and plugin beside the test program.
std::wstring HarnessFile();
std::wstring PluginFile();

// "\"" + text + "\"".
std::wstring Quoted(const std::wstring& text);

struct HostRun {
  DWORD exitCode = 0;
  std::wstring output;               // the harness's standard output, decoded
  std::vector<std::wstring> lines;   // output split at line ends
  // The listing line of a full virtual path ("\About..."), split at its
  // tabs; empty when the listing has no such line.
  std::vector<std::wstring> Entry(const std::wstring& path) const;
};

// Runs program with exactly commandLine (the program's quoted path first)
// and waits for its end, collecting its standard output.
HostRun RunHost(const std::wstring& program, const std::wstring& commandLine);

// A harness kept running with --idle: another running installation. Ready()
// once its host window exists; the destructor closes that window and waits,
// terminating the process only when it does not end.
class IdleHost {
 public:
  IdleHost(const std::wstring& program, const std::wstring& commandLine);
  ~IdleHost();
  IdleHost(const IdleHost&) = delete;
  IdleHost& operator=(const IdleHost&) = delete;

  bool Ready() const { return window_ != nullptr; }
  DWORD ProcessId() const { return processId_; }

 private:
  platform::unique_process process_;
  DWORD processId_ = 0;
  HWND window_ = nullptr;
};

}  // namespace orvelle::e2e
