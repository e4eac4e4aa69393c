// Finding the other running installation, in real processes: copies of the
// harness named totalcmd.exe in installation folders of their own, one of
// them idle (the New installation), one loading the plugin (My installation).
#include "platform/fs.h"
#include "support/mini_installation.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"
#include "support/text_bytes.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orvelle::e2e {
namespace {

using test::BackgroundProcess;
using test::QuoteArg;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::vector<std::wstring> Subfolders(const std::wstring& dir) {
  std::vector<std::wstring> names;
  for (const platform::FileEntry& e : platform::EnumFiles(dir + L"\\*")) {
    if (e.IsDirectory()) names.push_back(e.name);
  }
  return names;
}

// The listing line of an entry ("About..." from list, "\About..." from
// tree), split at its tabs; empty when the listing has no such line.
std::vector<std::wstring> Entry(const test::ProcessResult& run, const std::wstring& name) {
  for (const std::wstring& line : run.OutLines()) {
    std::vector<std::wstring> columns;
    size_t start = 0;
    for (;;) {
      size_t tab = line.find(L'\t', start);
      columns.push_back(line.substr(start, tab == std::wstring::npos ? tab : tab - start));
      if (tab == std::wstring::npos) break;
      start = tab + 1;
    }
    if (columns.size() > 1 && columns[0] == name) return columns;
  }
  return {};
}

std::wstring Harness() { return test::BuiltFile(ORVELLE_HOST_FILE); }

// An idle harness standing for another running installation.
BackgroundProcess StartIdle(const std::wstring& commandLine) {
  std::wstring error;
  std::optional<BackgroundProcess> process = BackgroundProcess::Start(commandLine, {}, error);
  if (!process) ADD_FAILURE() << "cannot start " << commandLine << ": " << error;
  return process ? std::move(*process) : BackgroundProcess();
}

// My installation with the plugin in its plugins folder (its backup store
// goes there), and room for other installations.
class Installations {
 public:
  Installations() {
    test::InstallationSpec spec = test::MiniInstallationSpec(Harness());
    spec.pluginFile = test::BuiltFile(ORVELLE_PLUGIN_FILE);
    my_ = test::CreateInstallation(root_ / L"My", spec);
  }

  // Another readable installation: the harness as exeName in root\folder.
  test::Installation Add(const std::wstring& folder, const std::wstring& exeName = L"totalcmd.exe") {
    test::InstallationSpec spec = test::MiniInstallationSpec(Harness());
    spec.exeName = exeName;
    return test::CreateInstallation(root_ / folder, spec);
  }

  // My installation's harness loading the plugin and running the commands.
  test::ProcessResult RunMy(const std::wstring& commands) const {
    return test::RunProcess(my_.CommandLine(L"--plugin " + QuoteArg(my_.pluginPath) + L" " +
                                            commands));
  }

  const TempDir& Root() const { return root_; }
  const test::Installation& My() const { return my_; }
  std::wstring Store() const { return platform::ExtractFilePath(my_.pluginPath) + L"backup"; }

 private:
  TempDir root_;
  test::Installation my_;
};

TEST(Discovery, FindsTheNewInstallationByItsQuotedIniParameterAndBacksUpOnce) {
  Installations inst;
  const std::wstring myIni = inst.My().ini;
  // My configuration in UTF-16, with a colour filter of the user's own.
  WriteBytes(myIni, test::Utf16LEFile(L"[Configuration]\r\nUseIniInProgramDir=7\r\n[Colors]\r\n"
                                      L"ColorFilter1=*.txt\r\nColorFilter1Color=255\r\n"));
  // The New installation keeps its configuration in a folder with a blank:
  // only the host's quoted /i= parameter leads there.
  const test::Installation other = inst.Add(L"New");
  const std::wstring settingsDir = inst.Root() / L"New settings";
  const std::wstring newIni = settingsDir + L"\\wincmd.ini";
  ASSERT_TRUE(test::CreateDirectories(settingsDir));
  ASSERT_TRUE(::MoveFileW(other.ini.c_str(), newIni.c_str()));
  BackgroundProcess idle = StartIdle(other.CommandLine(L"/i=" + QuoteArg(newIni) + L" --idle 300"));
  ASSERT_TRUE(idle.WaitForWindow());

  test::ProcessResult first = inst.RunMy(L"tree \\");
  ASSERT_EQ(first.exitCode, 0u) << first.OutText();
  EXPECT_FALSE(Entry(first, L"\\About...").empty()) << first.OutText();
  std::vector<std::wstring> folder = Entry(first, L"\\totalcmd.exe");
  ASSERT_EQ(folder.size(), 7u) << first.OutText();
  EXPECT_EQ(folder[1], L"d");
  EXPECT_EQ(folder[5], L"");
  EXPECT_EQ(folder[6], other.dir);
  EXPECT_TRUE(Entry(first, L"\\Error").empty()) << first.OutText();

  // The first start's settings backup: one "-s" folder listing the copies.
  std::vector<std::wstring> folders = Subfolders(inst.Store());
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_TRUE(folders[0].ends_with(L"-s"));
  const std::wstring backupDir = inst.Store() + L"\\" + folders[0] + L"\\";
  std::optional<TextDocument> index = LoadTextFile(backupDir + L"index.d");
  ASSERT_TRUE(index);
  ASSERT_FALSE(index->lines.empty());
  EXPECT_EQ(index->lines[0], L"0.wincmd.ini:" + myIni);
  EXPECT_TRUE(platform::FileExists(backupDir + L"0.wincmd.ini"));
  EXPECT_TRUE(platform::FileExists(backupDir + L"3.WCMD_ENG.MNU"));

  // The saved searches and colour filters, in the file's own encoding.
  std::optional<TextDocument> ini = LoadTextFile(myIni);
  ASSERT_TRUE(ini);
  EXPECT_EQ(ini->encoding, TextEncoding::Utf16LE);
  const std::vector<std::wstring>& lines = ini->lines;
  auto count = [&](std::wstring_view text) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::wstring& l) { return l.find(text) != std::wstring::npos; });
  };
  EXPECT_EQ(count(L"_SearchFlags=0|000002000020|"), 7);
  EXPECT_EQ(count(L"=>Orvelle "), 7);
  EXPECT_EQ(count(L"ColorFilter8=*.txt"), 1);
  EXPECT_EQ(count(L"UseIniInProgramDir=7"), 1);
  EXPECT_TRUE(platform::FileExists(myIni + L".bkp"));

  // A second start, cancelled at the first progress report: no further
  // backup, the configuration untouched, the installation folder marked.
  const std::string written = ReadBytes(myIni);
  ::DeleteFileW((myIni + L".bkp").c_str());
  test::ProcessResult second = inst.RunMy(L"--cancel-at 1 list \\");
  ASSERT_EQ(second.exitCode, 0u) << second.OutText();
  std::vector<std::wstring> marked = Entry(second, L"totalcmd.exe.");
  ASSERT_EQ(marked.size(), 7u) << second.OutText();
  EXPECT_EQ(marked[1], L"f");
  EXPECT_EQ(marked[5], L"*!");
  EXPECT_EQ(marked[6], L"Virtual tree was not build completely!");
  EXPECT_EQ(Subfolders(inst.Store()).size(), 1u);
  EXPECT_EQ(ReadBytes(myIni), written);
  EXPECT_FALSE(platform::PathExists(myIni + L".bkp"));
}

TEST(Discovery, PassesOverASecondCopyOfMyInstallationAndOtherPrograms) {
  Installations inst;
  // Both could be read; neither is another installation of the host.
  BackgroundProcess secondCopy = StartIdle(inst.My().CommandLine(L"--idle 300"));
  const test::Installation other = inst.Add(L"Other", L"wincmd.exe");
  BackgroundProcess otherName = StartIdle(other.CommandLine(L"--idle 300"));
  ASSERT_TRUE(secondCopy.WaitForWindow());
  ASSERT_TRUE(otherName.WaitForWindow());

  test::ProcessResult run = inst.RunMy(L"list \\");
  ASSERT_EQ(run.exitCode, 0u) << run.OutText();
  EXPECT_FALSE(Entry(run, L"About...").empty()) << run.OutText();
  std::vector<std::wstring> error = Entry(run, L"Error");
  ASSERT_EQ(error.size(), 7u) << run.OutText();
  EXPECT_EQ(error[6], L"First, run another Total Commander!");
  EXPECT_TRUE(Entry(run, L"totalcmd.exe").empty());
  EXPECT_TRUE(Entry(run, L"wincmd.exe").empty());
  EXPECT_FALSE(platform::PathExists(inst.Store())) << "no backup without a New installation";
}

}  // namespace
}  // namespace orvelle::e2e
