#include "util/process_info.h"

#include "support/child_process.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(ReadProcessCommandLine, ReadsARunningChildExactly) {
  const std::wstring arguments = L"first \"a quoted argument\"  two-blanks-before \u00e9t\u00e9";
  test::TestChild child(arguments);
  ASSERT_TRUE(child.Started());
  EXPECT_EQ(ReadProcessCommandLine(child.Process()), child.CommandLine());
}

TEST(ReadProcessCommandLine, ReadsItsOwnProcess) {
  EXPECT_EQ(ReadProcessCommandLine(::GetCurrentProcess()), ::GetCommandLineW());
}

TEST(ReadProcessCommandLine, GivesEmptyOnFailure) {
  EXPECT_EQ(ReadProcessCommandLine(nullptr), L"");
  // A handle without the right to read memory.
  test::TestChild child(L"limited");
  ASSERT_TRUE(child.Started());
  platform::unique_process limited(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                                                 ::GetProcessId(child.Process())));
  ASSERT_TRUE(limited);
  EXPECT_EQ(ReadProcessCommandLine(limited.get()), L"");
}

TEST(ReadProcessCommandLine, Reads32BitProcessesFromThe64BitBuild) {
#ifndef _WIN64
  GTEST_SKIP() << "the 64-bit build's case";
#else
  wchar_t windows[MAX_PATH] = {};
  ::GetWindowsDirectoryW(windows, MAX_PATH);
  const std::wstring program = std::wstring(windows) + L"\\syswow64\\cmd.exe";
  const std::wstring line = L"cmd.exe /c ping -n 30 127.0.0.1 >nul";
  test::TestChild child(program, line, false);
  if (!child.Started()) GTEST_SKIP() << "this machine runs no 32-bit programs";
  BOOL wow64 = FALSE;
  ASSERT_TRUE(::IsWow64Process(child.Process(), &wow64));
  ASSERT_TRUE(wow64);
  // The child sets up its parameters as it starts; wait for it to be up.
  ::WaitForInputIdle(child.Process(), 5000);
  std::wstring read;
  for (int i = 0; i < 100 && read != line; ++i) {
    read = ReadProcessCommandLine(child.Process());
    if (read != line) ::Sleep(50);
  }
  EXPECT_EQ(read, line);
#endif
}

}  // namespace
}  // namespace orvelle
