// The plugin loaded by the harness as the host loads it, in an installation
// folder of its own with no other installation running: the root, the
// columns, the default view and the root name.
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
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

// Through the wide interface (the harness's default, as the host's) and
// through the ANSI one alike.
TEST(PluginRoot, ListsAboutAndTheMessageThatNoOtherInstallationRuns) {
  for (const std::wstring interfaceOption : {L"", L"--ansi "}) {
    SCOPED_TRACE(interfaceOption);
    TempDir temp;
    Installation tc = LoneInstallation(temp);
    ProcessResult r = RunProcess(tc.CommandLine(interfaceOption + L"--plugin " +
                                                QuoteArg(tc.pluginPath) +
                                                L" root list \\ fields icon \\About..."),
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
      if (line.rfind(L"About...\tf\t0\t128\t1983-08-2", 0) == 0 &&
          line.ends_with(L"\t\t1.0.2.0")) {
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
    EXPECT_TRUE(has(L"icon \\About... -> 1 icon"));
    EXPECT_TRUE(r.err.empty()) << r.ErrText();
  }
}

// The library's version record, read through the system's version functions
// as Windows Explorer and the host's plugin installer read it.
TEST(PluginRoot, TheLibraryCarriesItsVersionRecord) {
  const std::wstring file = BuiltFile(ORVELLE_PLUGIN_FILE);
  DWORD handle = 0;
  const DWORD size = ::GetFileVersionInfoSizeW(file.c_str(), &handle);
  ASSERT_GT(size, 0u) << "no version record in " << file;
  std::vector<unsigned char> record(size);
  ASSERT_TRUE(::GetFileVersionInfoW(file.c_str(), 0, size, record.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x00020000u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed->dwProductVersionLS, 0x00020000u);

  // The string table named by the record's translation.
  struct Translation {
    WORD language, codePage;
  }* translation = nullptr;
  ASSERT_TRUE(::VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
  ASSERT_GE(length, sizeof(Translation));
  wchar_t block[64];
  swprintf(block, std::size(block), L"\\StringFileInfo\\%04x%04x\\", translation->language,
           translation->codePage);
  auto text = [&](const std::wstring& name) {
    wchar_t* value = nullptr;
    UINT n = 0;
    if (!::VerQueryValueW(record.data(), (block + name).c_str(), reinterpret_cast<void**>(&value),
                          &n) ||
        value == nullptr) {
      return std::wstring(L"(none)");
    }
    return std::wstring(value);
  };
  EXPECT_EQ(text(L"FileVersion"), L"1.0.2.0");
  EXPECT_EQ(text(L"ProductVersion"), L"1.0.2.0");
  EXPECT_EQ(text(L"ProductName"), L"Orvelle");
  EXPECT_EQ(text(L"OriginalFilename"), ORVELLE_PLUGIN_FILE);
  EXPECT_NE(text(L"FileDescription").find(L"compares two installations"), std::wstring::npos)
      << text(L"FileDescription");
}

}  // namespace
}  // namespace orvelle::test
