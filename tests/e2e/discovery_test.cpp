// Finding the other running installation, in real processes: copies of the
// harness named totalcmd.exe in installation folders of their own, one of
// them idle (the New installation), one loading the plugin (My installation).
#include "e2e/host_process.h"
#include "platform/fs.h"
#include "support/mini_installation.h"
#include "support/temp_dir.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvelle::e2e {
namespace {

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

// My installation, the plugin in a folder of its own (its backup store goes
// there), and room for other installations.
class Installations {
 public:
  explicit Installations(std::string_view myExtraIni = {}) {
    ::CreateDirectoryW(my_.c_str(), nullptr);
    ::CreateDirectoryW(pluginDir_.c_str(), nullptr);
    test::WriteMiniInstallation(my_, HarnessFile(), myExtraIni);
    ::CopyFileW(PluginFile().c_str(), plugin_.c_str(), FALSE);
  }

  // Another installation: the harness as programName in root\folder.
  std::wstring AddInstallation(const std::wstring& folder,
                               const std::wstring& programName = L"totalcmd.exe") {
    const std::wstring dir = root_ / folder;
    ::CreateDirectoryW(dir.c_str(), nullptr);
    test::WriteMiniInstallation(dir, HarnessFile());
    const std::wstring program = dir + L"\\" + programName;
    if (programName != L"totalcmd.exe") {
      ::MoveFileW((dir + L"\\totalcmd.exe").c_str(), program.c_str());
    }
    return program;
  }

  // My installation's harness loading the plugin and running the commands.
  HostRun RunMy(const std::wstring& commands) const {
    return RunHost(MyProgram(), Quoted(MyProgram()) + L" --plugin " + Quoted(plugin_) + L" " +
                                    commands);
  }

  const TempDir& Root() const { return root_; }
  std::wstring MyProgram() const { return my_ + L"\\totalcmd.exe"; }
  std::wstring MyIni() const { return my_ + L"\\wincmd.ini"; }
  std::wstring Store() const { return pluginDir_ + L"\\backup"; }

 private:
  TempDir root_;
  std::wstring my_ = root_ / L"My";
  std::wstring pluginDir_ = root_ / L"plugin";
  std::wstring plugin_ = pluginDir_ + L"\\" + ORVELLE_PLUGIN_FILE;
};

std::string Utf16LE(std::string_view ascii) {
  std::string out = "\xFF\xFE";
  for (char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

TEST(Discovery, FindsTheNewInstallationByItsQuotedIniParameterAndBacksUpOnce) {
  Installations inst;
  // My configuration in UTF-16, with a colour filter of the user's own.
  WriteBytes(inst.MyIni(), Utf16LE("[Configuration]\r\nUseIniInProgramDir=7\r\n[Colors]\r\n"
                                   "ColorFilter1=*.txt\r\nColorFilter1Color=255\r\n"));
  // The New installation keeps its configuration in a folder with a blank:
  // only the host's quoted /i= parameter leads there.
  const std::wstring newProgram = inst.AddInstallation(L"New");
  const std::wstring settingsDir = inst.Root() / L"New settings";
  const std::wstring newIni = settingsDir + L"\\wincmd.ini";
  ::CreateDirectoryW(settingsDir.c_str(), nullptr);
  ASSERT_TRUE(::MoveFileW((platform::ExtractFilePath(newProgram) + L"wincmd.ini").c_str(),
                          newIni.c_str()));
  IdleHost other(newProgram, Quoted(newProgram) + L" /i=" + Quoted(newIni) + L" --idle 300");
  ASSERT_TRUE(other.Ready());

  HostRun first = inst.RunMy(L"tree \\");
  ASSERT_EQ(first.exitCode, 0u) << first.output;
  EXPECT_FALSE(first.Entry(L"\\About...").empty()) << first.output;
  std::vector<std::wstring> folder = first.Entry(L"\\totalcmd.exe");
  ASSERT_EQ(folder.size(), 7u) << first.output;
  EXPECT_EQ(folder[1], L"d");
  EXPECT_EQ(folder[5], L"");
  EXPECT_EQ(folder[6], platform::ExtractFileDir(newProgram));
  EXPECT_TRUE(first.Entry(L"\\Error").empty()) << first.output;

  // The first start's settings backup: one "-s" folder listing the copies.
  std::vector<std::wstring> folders = Subfolders(inst.Store());
  ASSERT_EQ(folders.size(), 1u);
  EXPECT_TRUE(folders[0].ends_with(L"-s"));
  const std::wstring backupDir = inst.Store() + L"\\" + folders[0] + L"\\";
  std::optional<TextDocument> index = LoadTextFile(backupDir + L"index.d");
  ASSERT_TRUE(index);
  ASSERT_FALSE(index->lines.empty());
  EXPECT_EQ(index->lines[0], L"0.wincmd.ini:" + inst.MyIni());
  EXPECT_TRUE(platform::FileExists(backupDir + L"0.wincmd.ini"));
  EXPECT_TRUE(platform::FileExists(backupDir + L"3.WCMD_ENG.MNU"));

  // The saved searches and colour filters, in the file's own encoding.
  std::optional<TextDocument> ini = LoadTextFile(inst.MyIni());
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
  EXPECT_TRUE(platform::FileExists(inst.MyIni() + L".bkp"));

  // A second start, cancelled at the first progress report: no further
  // backup, the configuration untouched, the installation folder marked.
  const std::string written = ReadBytes(inst.MyIni());
  ::DeleteFileW((inst.MyIni() + L".bkp").c_str());
  HostRun second = inst.RunMy(L"--cancel-at 1 list \\");
  ASSERT_EQ(second.exitCode, 0u) << second.output;
  std::vector<std::wstring> marked = second.Entry(L"totalcmd.exe.");
  ASSERT_EQ(marked.size(), 7u) << second.output;
  EXPECT_EQ(marked[1], L"f");
  EXPECT_EQ(marked[5], L"*!");
  EXPECT_EQ(marked[6], L"Virtual tree was not build completely!");
  EXPECT_EQ(Subfolders(inst.Store()).size(), 1u);
  EXPECT_EQ(ReadBytes(inst.MyIni()), written);
  EXPECT_FALSE(platform::PathExists(inst.MyIni() + L".bkp"));
}

TEST(Discovery, PassesOverASecondCopyOfMyInstallationAndOtherPrograms) {
  Installations inst;
  // Both could be read; neither is another installation of the host.
  IdleHost secondCopy(inst.MyProgram(), Quoted(inst.MyProgram()) + L" --idle 300");
  const std::wstring otherProgram = inst.AddInstallation(L"Other", L"wincmd.exe");
  IdleHost otherName(otherProgram, Quoted(otherProgram) + L" --idle 300");
  ASSERT_TRUE(secondCopy.Ready());
  ASSERT_TRUE(otherName.Ready());

  HostRun run = inst.RunMy(L"list \\");
  ASSERT_EQ(run.exitCode, 0u) << run.output;
  EXPECT_FALSE(run.Entry(L"About...").empty()) << run.output;
  std::vector<std::wstring> error = run.Entry(L"Error");
  ASSERT_EQ(error.size(), 7u) << run.output;
  EXPECT_EQ(error[6], L"First, run another Total Commander!");
  EXPECT_TRUE(run.Entry(L"totalcmd.exe").empty());
  EXPECT_TRUE(run.Entry(L"wincmd.exe").empty());
  EXPECT_FALSE(platform::PathExists(inst.Store())) << "no backup without a New installation";
}

}  // namespace
}  // namespace orvelle::e2e
