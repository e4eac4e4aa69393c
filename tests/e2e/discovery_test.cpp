// Finding the other running installation, in real processes: copies of the
// harness named totalcmd.exe in installation folders of their own, one of
// them idle (the New installation), one loading the plugin (My installation).
#include "platform/fs.h"
#include "platform/strings.h"
#include "support/fixture_pair.h"
#include "support/mini_installation.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"
#include "support/text_bytes.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
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

  const test::Installation& My() const { return my_; }
  std::wstring Store() const { return platform::ExtractFilePath(my_.pluginPath) + L"backup"; }

 private:
  TempDir root_;
  test::Installation my_;
};

// Lines of a text file.
std::vector<std::wstring> LinesOf(const std::wstring& file) {
  std::optional<TextDocument> doc = LoadTextFile(file);
  return doc ? doc->lines : std::vector<std::wstring>{};
}

// True when every line of part occurs in whole, in the same order (without
// regard to case: the section headers written anew are capitalised).
bool KeptInOrder(const std::vector<std::wstring>& part, const std::vector<std::wstring>& whole) {
  auto at = whole.begin();
  for (const std::wstring& line : part) {
    at = std::find_if(at, whole.end(),
                      [&](const std::wstring& l) { return platform::EqualsNoCase(l, line); });
    if (at == whole.end()) return false;
    ++at;
  }
  return true;
}

TEST(Discovery, FindsTheNewInstallationOfThePairByItsQuotedIniParameterAndBacksUpOnce) {
  TempDir root;
  const std::wstring my = root / L"My installation";
  const std::wstring newDir = root / L"New installation";
  test::PreparePairInstallation(L"my", my);
  test::PreparePairInstallation(L"new", newDir);
  const std::wstring plugin = my + L"\\plugins\\wfx\\Orvelle\\" + ORVELLE_PLUGIN_FILE;
  ASSERT_TRUE(test::CreateDirectories(platform::ExtractFileDir(plugin)));
  ASSERT_TRUE(::CopyFileW(test::BuiltFile(ORVELLE_PLUGIN_FILE).c_str(), plugin.c_str(), FALSE));
  const std::wstring myProgram = my + L"\\totalcmd.exe";
  const std::wstring myIni = my + L"\\wincmd.ini";
  const std::wstring store = platform::ExtractFilePath(plugin) + L"backup";
  auto runMy = [&](const std::wstring& commands) {
    return test::RunProcess(QuoteArg(myProgram) + L" --plugin " + QuoteArg(plugin) + L" " +
                            commands);
  };
  const std::vector<std::wstring> original = LinesOf(myIni);
  const std::string originalBytes = ReadBytes(myIni);

  // The New installation's configuration lies in a folder with a blank of
  // its own: only the host's quoted /i= parameter leads there.
  const std::wstring settingsDir = root / L"New settings";
  const std::wstring newIni = settingsDir + L"\\wincmd.ini";
  ASSERT_TRUE(test::CreateDirectories(settingsDir));
  ASSERT_TRUE(::MoveFileW((newDir + L"\\wincmd.ini").c_str(), newIni.c_str()));
  const std::wstring newProgram = newDir + L"\\totalcmd.exe";
  BackgroundProcess idle =
      StartIdle(QuoteArg(newProgram) + L" /i=" + QuoteArg(newIni) + L" --idle 300");
  ASSERT_TRUE(idle.WaitForWindow());

  test::ProcessResult first = runMy(L"tree \\");
  ASSERT_EQ(first.exitCode, 0u) << first.OutText();
  EXPECT_FALSE(Entry(first, L"\\About...").empty()) << first.OutText();
  std::vector<std::wstring> folder = Entry(first, L"\\totalcmd.exe");
  ASSERT_EQ(folder.size(), 7u) << first.OutText();
  EXPECT_EQ(folder[1], L"d");
  EXPECT_EQ(folder[5], L"");
  EXPECT_EQ(folder[6], newDir);
  EXPECT_TRUE(Entry(first, L"\\Error").empty()) << first.OutText();

  // The first start's settings backup: one "-s" folder listing the copies.
  std::vector<std::wstring> folders = Subfolders(store);
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_TRUE(folders[0].ends_with(L"-s"));
  const std::wstring backupDir = store + L"\\" + folders[0] + L"\\";
  std::vector<std::wstring> index = LinesOf(backupDir + L"index.d");
  ASSERT_GE(index.size(), 4u);
  EXPECT_EQ(index[0], L"0.wincmd.ini:" + myIni);
  auto listed = [&](std::wstring_view prefix) {
    return std::any_of(index.begin(), index.end(),
                       [&](const std::wstring& l) { return l.starts_with(prefix); });
  };
  EXPECT_TRUE(listed(L"1.WCMD_ENG.LNG:"));
  EXPECT_TRUE(listed(L"3.WCMD_ENG.MNU:"));
  EXPECT_TRUE(listed(L"4.tools.bar:"));
  EXPECT_TRUE(listed(L"5.default.bar:"));
  for (const std::wstring& line : index) {
    EXPECT_TRUE(platform::FileExists(backupDir + line.substr(0, line.find(L':')))) << line;
  }
  EXPECT_EQ(ReadBytes(backupDir + L"3.WCMD_ENG.MNU"),
            ReadBytes(my + L"\\LANGUAGE\\WCMD_ENG.MNU"));

  // The saved searches and colour filters: added in the file's own encoding,
  // every other line kept; the user's filters move behind the seven.
  std::optional<TextDocument> ini = LoadTextFile(myIni);
  ASSERT_TRUE(ini);
  EXPECT_EQ(ini->encoding, TextEncoding::Ansi);
  const std::vector<std::wstring>& lines = ini->lines;
  auto count = [&](std::wstring_view text) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::wstring& l) { return l.find(text) != std::wstring::npos; });
  };
  EXPECT_EQ(count(L"_SearchFlags=0|000002000020|"), 9);  // two of the user's own
  EXPECT_EQ(count(L"=>Orvelle "), 7);
  EXPECT_EQ(count(L"ColorFilter8=*.zip *.7z"), 1);
  EXPECT_EQ(count(L"ColorFilter9=>Source files"), 1);
  std::vector<std::wstring> others;
  std::copy_if(original.begin(), original.end(), std::back_inserter(others),
               [](const std::wstring& l) { return !l.starts_with(L"ColorFilter"); });
  EXPECT_TRUE(KeptInOrder(others, lines));
  EXPECT_TRUE(platform::FileExists(myIni + L".bkp"));
  EXPECT_FALSE(platform::PathExists(myIni + L"~"));
  EXPECT_NE(ReadBytes(myIni), originalBytes);

  // A second start, cancelled at the first progress report: no further
  // backup, the configuration untouched, the installation folder marked.
  const std::string written = ReadBytes(myIni);
  ::DeleteFileW((myIni + L".bkp").c_str());
  test::ProcessResult second = runMy(L"--cancel-at 1 list \\");
  ASSERT_EQ(second.exitCode, 0u) << second.OutText();
  std::vector<std::wstring> marked = Entry(second, L"totalcmd.exe.");
  ASSERT_EQ(marked.size(), 7u) << second.OutText();
  EXPECT_EQ(marked[1], L"f");
  EXPECT_EQ(marked[5], L"*!");
  EXPECT_EQ(marked[6], L"Virtual tree was not build completely!");
  EXPECT_EQ(Subfolders(store).size(), 1u);
  EXPECT_EQ(ReadBytes(myIni), written);
  EXPECT_FALSE(platform::PathExists(myIni + L".bkp"));
}

TEST(Discovery, PassesOverASecondCopyOfMyInstallationAndOtherPrograms) {
  Installations inst;
  // A UTF-16 configuration: the searches are added at every start, found
  // installation or not, and the file keeps its encoding.
  const std::wstring myIni = inst.My().ini;
  const std::string original =
      test::Utf16LEFile(L"[Configuration]\r\nUseIniInProgramDir=7\r\n[Colors]\r\n"
                        L"ColorFilter1=*.txt\r\nColorFilter1Color=255\r\n");
  WriteBytes(myIni, original);
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
  // The settings are saved before the first change, New installation or not.
  std::vector<std::wstring> folders = Subfolders(inst.Store());
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_EQ(ReadBytes(inst.Store() + L"\\" + folders[0] + L"\\0.wincmd.ini"), original);

  std::optional<TextDocument> ini = LoadTextFile(myIni);
  ASSERT_TRUE(ini);
  EXPECT_EQ(ini->encoding, TextEncoding::Utf16LE);
  EXPECT_EQ(std::count(ini->lines.begin(), ini->lines.end(), L"Orvelle eq_SearchFor=*.*"), 1);
  EXPECT_EQ(std::count(ini->lines.begin(), ini->lines.end(), L"ColorFilter8=*.txt"), 1);
  EXPECT_EQ(std::count(ini->lines.begin(), ini->lines.end(), L"UseIniInProgramDir=7"), 1);
}

}  // namespace
}  // namespace orvelle::e2e
