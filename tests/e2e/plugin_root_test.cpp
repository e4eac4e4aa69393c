// The plugin loaded by the harness as the host loads it, in an installation
// folder of its own with no other installation running: the root, the
// columns, the default view and the root name.
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvelle::test {
namespace {

using Lines = std::vector<std::wstring>;

// A small but complete installation: configuration, command list and menu.
Installation LoneInstallation(const TempDir& temp) {
  InstallationSpec spec;
  spec.hostFile = BuiltFile(ORVELLE_HOST_FILE);
  spec.pluginFile = BuiltFile(ORVELLE_PLUGIN_FILE);
  spec.wincmdIni = "[Configuration]\r\nMainmenu=WCMD_ENG.MNU\r\n";
  spec.files = {
      {L"TOTALCMD.INC", "[_File_]=0\r\ncm_Exit=24340;Exit\r\n"},
      {L"LANGUAGE\\WCMD_ENG.MNU", "POPUP \"&Files\"\r\n  MENUITEM \"E&xit\", cm_Exit\r\nEND_POPUP\r\n"},
  };
  return CreateInstallation(temp / L"tc", spec);
}

TEST(PluginRoot, ListsAboutAndTheMessageThatNoOtherInstallationRuns) {
  TempDir temp;
  Installation tc = LoneInstallation(temp);
  ProcessResult r = RunProcess(
      tc.CommandLine(L"--plugin " + QuoteArg(tc.pluginPath) + L" root list \\ fields icon \\About..."),
      tc.dir);
  ASSERT_TRUE(r.started) << r.error;
  ASSERT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitCode, 0u) << r.ErrText();
  Lines lines = r.OutLines();
  auto has = [&](const std::wstring& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
  };
  EXPECT_TRUE(has(L"root -> Orvelle")) << r.OutText();
  // Dates: local noon of the sign's day; this run's zone is the machine's.
  bool about = false, error = false;
  for (const std::wstring& line : lines) {
    if (line.rfind(L"About...\tf\t0\t128\t1983-08-2", 0) == 0 && line.ends_with(L"\t\t1.0.2.0")) {
      about = true;
    }
    if (line.rfind(L"Error\tf\t0\t128\t1983-08-", 0) == 0 &&
        line.ends_with(L"\t<>\tFirst, run another Total Commander!")) {
      error = true;
    }
  }
  EXPECT_TRUE(about) << r.OutText();
  EXPECT_TRUE(error) << r.OutText();
  EXPECT_TRUE(has(L"view contents\t[=<fs>.Eq]\\n[=<fs>.Comment]")) << r.OutText();
  EXPECT_TRUE(has(L"view headers\t<>\\nComment"));
  EXPECT_TRUE(has(L"view widths\t80,25,25,230"));
  EXPECT_TRUE(has(L"view options\t-1|1"));
  EXPECT_TRUE(r.err.empty()) << r.ErrText();
}

}  // namespace
}  // namespace orvelle::test
