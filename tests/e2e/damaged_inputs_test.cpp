// Installations with damaged or missing files, in real processes: the host
// must survive them, and the comparison shows what it can.
#include "platform/strings.h"
#include "support/mini_installation.h"
#include "support/pe_resources.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvelle::e2e {
namespace {

using Lines = std::vector<std::wstring>;
using test::BackgroundProcess;
using test::QuoteArg;

Lines SplitTabs(const std::wstring& line) {
  Lines columns;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find(L'\t', start);
    columns.push_back(line.substr(start, tab == std::wstring::npos ? tab : tab - start));
    if (tab == std::wstring::npos) return columns;
    start = tab + 1;
  }
}

// The columns of the listing line whose first column is name; empty when none.
Lines Entry(const test::ProcessResult& run, const std::wstring& name) {
  for (const std::wstring& line : run.OutLines()) {
    Lines columns = SplitTabs(line);
    if (columns.size() == 7 && columns[0] == name) return columns;
  }
  return {};
}

// An icon library cut in half, through its resources: the loader maps such a
// file and hands out resource pointers past its end.
std::string CutIconLibrary(const test::TempDir& temp) {
  const std::wstring whole = temp / L"whole.dll";
  test::CopyProgramFile(whole);
  std::vector<test::IconImage> group;
  for (int size : {16, 32, 48}) group.push_back(test::MakeIconImage(size, 32, RGB(size, 0, 0)));
  test::WriteIconResource(whole, {group, group, group});
  const std::string bytes = test::ReadBytes(whole);
  return bytes.substr(0, bytes.size() / 2);
}

// My installation with the plugin, and a New one running idle.
class TwoInstallations {
 public:
  TwoInstallations(test::InstallationSpec my, test::InstallationSpec other) {
    my.hostFile = other.hostFile = test::BuiltFile(ORVELLE_HOST_FILE);
    my.pluginFile = test::BuiltFile(ORVELLE_PLUGIN_FILE);
    my_ = test::CreateInstallation(root_ / L"My", my);
    new_ = test::CreateInstallation(root_ / L"New", other);
    std::wstring error;
    std::optional<BackgroundProcess> idle =
        BackgroundProcess::Start(new_.CommandLine(L"--idle 300"), {}, error);
    if (!idle) ADD_FAILURE() << "cannot start the New installation: " << error;
    if (idle) idle_ = std::move(*idle);
  }

  bool Ready() const { return idle_.WaitForWindow(); }
  const test::Installation& New() const { return new_; }

  test::ProcessResult RunMy(const std::wstring& commands) const {
    return test::RunProcess(
        my_.CommandLine(L"--plugin " + QuoteArg(my_.pluginPath) + L" " + commands));
  }

 private:
  test::TempDir root_;
  test::Installation my_, new_;
  BackgroundProcess idle_;
};

TEST(DamagedInputs, CutIconLibrariesAndAMissingCommandListStopNothing) {
  test::TempDir temp;
  const std::string cut = CutIconLibrary(temp);
  test::InstallationSpec my = test::MiniInstallationSpec();
  my.files.push_back({L"WCMICONS.DLL", cut});
  test::InstallationSpec other = test::MiniInstallationSpec();
  other.files.push_back({L"WCMICONS.DLL", cut});
  std::erase_if(other.files, [](const auto& f) { return f.first == L"TOTALCMD.INC"; });
  TwoInstallations inst(my, other);
  ASSERT_TRUE(inst.Ready());

  test::ProcessResult run = inst.RunMy(L"tree \\");
  ASSERT_EQ(run.exitCode, 0u) << run.ErrText() << run.OutText();
  Lines folder = Entry(run, L"\\totalcmd.exe");
  ASSERT_FALSE(folder.empty()) << run.OutText();
  EXPECT_EQ(folder[1], L"d");
  // The commands say what is missing; the rest is compared.
  const std::wstring missing = L"File missing: " + inst.New().dir + L"\\TOTALCMD.INC";
  Lines commands = Entry(run, L"\\totalcmd.exe\\Main unit\\Commands");
  ASSERT_FALSE(commands.empty()) << run.OutText();
  EXPECT_EQ(commands[6], missing);
  Lines error = Entry(run, L"\\totalcmd.exe\\Main unit\\Commands\\Error");
  ASSERT_FALSE(error.empty()) << run.OutText();
  EXPECT_EQ(error[6], missing);
  EXPECT_FALSE(Entry(run, L"\\totalcmd.exe\\Main unit\\Files").empty());
  EXPECT_FALSE(Entry(run, L"\\totalcmd.exe\\Plugins").empty());
  EXPECT_FALSE(Entry(run, L"\\totalcmd.exe\\Applications").empty());
}

TEST(DamagedInputs, AFullTreeStaysBrowsableWithTheMessageBesideIt) {
  // More commands than the tree holds entries.
  std::string list = "[_______File_______]=0\r\n";
  for (int i = 0; i < 100000; ++i) {
    list += "cm_Command" + std::to_string(i) + "=" + std::to_string(10000 + i) + ";Command\r\n";
  }
  test::InstallationSpec other = test::MiniInstallationSpec();
  for (auto& [name, bytes] : other.files) {
    if (name == L"TOTALCMD.INC") bytes = list;
  }
  TwoInstallations inst(test::MiniInstallationSpec(), other);
  ASSERT_TRUE(inst.Ready());

  test::ProcessResult run = inst.RunMy(L"list \\ list \\totalcmd.exe");
  ASSERT_EQ(run.exitCode, 0u) << run.ErrText();
  Lines folder = Entry(run, L"totalcmd.exe");
  ASSERT_FALSE(folder.empty()) << run.OutText();
  EXPECT_EQ(folder[1], L"d");
  Lines warning = Entry(run, L"Warning");
  ASSERT_FALSE(warning.empty()) << run.OutText();
  EXPECT_EQ(warning[6], L"Virtual tree was not build completely!");
  EXPECT_FALSE(Entry(run, L"Main unit").empty()) << run.OutText();
}

}  // namespace
}  // namespace orvelle::e2e
