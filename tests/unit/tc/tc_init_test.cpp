#include "tc/tc_init.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvelle {
namespace {

using test::TempDir;
using test::WriteBytes;

constexpr DWORD kOwn = 100;
const std::wstring kMyExe = L"C:\\TC\\TOTALCMD.EXE";

ProcessCandidate Host(DWORD pid, std::wstring path, std::wstring name = L"totalcmd.exe") {
  return {pid, std::move(name), true, std::move(path)};
}

ProcessCandidate Closed(DWORD pid) { return {pid, L"totalcmd.exe", false, L""}; }

TEST(ProcessScan, HostNameIsComparedLowerCasedAndTrimmed) {
  EXPECT_TRUE(IsHostProgramName(L"totalcmd.exe"));
  EXPECT_TRUE(IsHostProgramName(L"TOTALCMD.EXE"));
  EXPECT_TRUE(IsHostProgramName(L" TotalCmd.exe "));
  EXPECT_FALSE(IsHostProgramName(L"totalcmd64.exe"));
  EXPECT_FALSE(IsHostProgramName(L"tchost64.exe"));
  EXPECT_FALSE(IsHostProgramName(L""));
}

TEST(ProcessScan, SelectionRules) {
  struct Case {
    const char* label;
    std::vector<ProcessCandidate> candidates;
    std::vector<size_t> locatable;  // candidates whose configuration is found
    ScanOutcome outcome;
    size_t index;
    std::vector<size_t> asked;  // candidates whose configuration was looked for
  };
  const Case cases[] = {
      {"no processes", {}, {}, ScanOutcome::NotFound, 0, {}},
      {"the own process is skipped", {Host(kOwn, L"c:\\new\\totalcmd.exe")}, {0},
       ScanOutcome::NotFound, 0, {}},
      {"another name is ignored, even unopened",
       {{7, L"explorer.exe", false, L""}, Host(8, L"c:\\new\\totalcmd.exe")}, {1},
       ScanOutcome::Found, 1, {1}},
      {"a name in capitals qualifies", {Host(8, L"c:\\new\\TOTALCMD.EXE", L"TOTALCMD.EXE")}, {0},
       ScanOutcome::Found, 0, {0}},
      {"a second copy of My installation is passed over",
       {Host(8, L"c:\\tc\\totalcmd.exe")}, {0}, ScanOutcome::NotFound, 0, {}},
      {"the first located one wins",
       {Host(8, L"c:\\a\\totalcmd.exe"), Host(9, L"c:\\b\\totalcmd.exe")}, {0, 1},
       ScanOutcome::Found, 0, {0}},
      {"one without a configuration is passed over silently",
       {Host(8, L"c:\\a\\totalcmd.exe"), Host(9, L"c:\\b\\totalcmd.exe")}, {1},
       ScanOutcome::Found, 1, {0, 1}},
      {"one that cannot be opened ends the scan",
       {Closed(8), Host(9, L"c:\\b\\totalcmd.exe")}, {1}, ScanOutcome::CannotOpen, 0, {}},
      {"one that cannot be opened after the found one is not examined",
       {Host(8, L"c:\\a\\totalcmd.exe"), Closed(9)}, {0}, ScanOutcome::Found, 0, {0}},
      {"an unreadable program path is looked at like any other",
       {Host(8, L"")}, {}, ScanOutcome::NotFound, 0, {0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    std::vector<size_t> asked;
    ScanResult result = SelectNewInstallation(c.candidates, kOwn, kMyExe, [&](size_t i) {
      asked.push_back(i);
      return std::find(c.locatable.begin(), c.locatable.end(), i) != c.locatable.end();
    });
    EXPECT_EQ(result.Outcome, c.outcome);
    if (c.outcome != ScanOutcome::NotFound) {
      EXPECT_EQ(result.Index, c.index);
    }
    EXPECT_EQ(asked, c.asked);
  }
}

TEST(MainExecutables, AreTheProgramDirectorysFilesWithExecutableExtensions) {
  TempDir dir;
  for (const wchar_t* name : {L"totalcmd.exe", L"UNRAR.DLL", L"readme.txt", L"run.bat", L"noext"}) {
    WriteBytes(dir / name, "x");
  }
  ::CreateDirectoryW((dir / L"folder.exe").c_str(), nullptr);
  std::vector<std::wstring> names = ListMainExecutables(dir.Path());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{L"UNRAR.DLL", L"run.bat", L"totalcmd.exe"}));
}

}  // namespace
}  // namespace orvelle
