// A child process for tests that read other processes: the test program
// itself, started with a marker argument, signals that it is up and waits.
#pragma once

#include "platform/handle.h"

#include <optional>
#include <string>

namespace orvelle::test {

// Called first in the test programs' wmain: when the command line asks for
// the child mode, signals the ready event named in it, waits at most a
// minute (or until killed) and gives the exit code; otherwise nullopt.
std::optional<int> RunChildModeIfAsked(int argc, wchar_t** argv);

// Starts program (default: the running test program) with the exact command
// line commandLine + " --orvelle-child <event>" when child mode is wanted, or
// with exactly commandLine otherwise. The process is terminated and closed
// when the object goes.
class TestChild {
 public:
  // The command line the child of this test program gets, given the rest of
  // its arguments (the quoted program path comes first).
  static std::wstring SelfCommandLine(const std::wstring& arguments);

  // Starts this test program in child mode and waits until it is up.
  // Started() is false when the start failed.
  explicit TestChild(const std::wstring& arguments);
  // Starts any program with this exact command line, suspended when asked.
  TestChild(const std::wstring& program, const std::wstring& commandLine, bool suspended);
  ~TestChild();
  TestChild(const TestChild&) = delete;
  TestChild& operator=(const TestChild&) = delete;

  bool Started() const { return static_cast<bool>(process_); }
  HANDLE Process() const { return process_.get(); }
  const std::wstring& CommandLine() const { return commandLine_; }

 private:
  bool Start(const std::wstring& program, DWORD flags);
  std::wstring commandLine_;
  platform::unique_process process_;
  platform::unique_handle thread_;
};

}  // namespace orvelle::test
