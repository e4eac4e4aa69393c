// The root's report entries, Enter on them, and Alt+Enter on entries that
// carry an operation.
#include "plugin/report_entries.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "platform/message_box.h"
#include "plugin/commands.h"
#include "plugin/state.h"
#include "support/mini_installation.h"
#include "support/temp_dir.h"
#include "tree/vars_conts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvelle {
namespace {

class ReportEntriesTest : public testing::Test {
 protected:
  void SetUp() override {
    CreateState(nullptr);
    previous_ = platform::SetMessageBoxHandler([this](const std::wstring& text, UINT) {
      asked.push_back(text);
      return IDNO;
    });
    VirtualTree& tree = State().Tree.Tree;
    TVirtualTreeItem inst;
    inst.Order = 0;
    inst.Path = L"\\";
    inst.Name = L"tc.exe";
    inst.IsFolder = true;
    tree.Append(inst);
    State().Tree.InstallationFolder = L"tc.exe";
    TVirtualTreeItem remove;
    remove.Order = 0;
    remove.Path = L"\\tc.exe\\";
    remove.Name = L"Delete";
    remove.Action = 1;
    remove.Status = L"!";
    tree.Append(remove);
    AddReportEntries(tree, nullptr);
  }
  void TearDown() override {
    platform::SetMessageBoxHandler(previous_);
    DestroyState();
  }

  std::vector<std::wstring> asked;
  test::TempDir temp_;
  test::ScopedEnvironment tmp_{L"TMP", temp_.Path()};
  test::ScopedEnvironment temp2_{L"TEMP", temp_.Path()};

 private:
  platform::MessageBoxHandler previous_;
};

TEST_F(ReportEntriesTest, TheRootListsBothReportsAfterItsEntries) {
  VirtualTree& tree = State().Tree.Tree;
  EXPECT_EQ(tree[tree.FindListed(L"\\", 1)].Name, texts::kReportHtml);
  EXPECT_EQ(tree[tree.FindListed(L"\\", 2)].Name, texts::kReportText);
  EXPECT_EQ(ReportKindOf(tree[tree.FindListed(L"\\", 1)]), ReportKind::Html);
  EXPECT_EQ(ReportKindOf(tree[tree.FindListed(L"\\", 0)]), ReportKind::None);
  // The same name below the root is no report.
  TVirtualTreeItem deeper = tree[tree.FindListed(L"\\", 1)];
  deeper.Path = L"\\tc.exe\\";
  EXPECT_EQ(ReportKindOf(deeper), ReportKind::None);
}

TEST(ReportEntries, AFullTreeStillGetsItsReports) {
  VirtualTree tree;
  TVirtualTreeItem e;
  e.Path = L"\\x\\";
  while (!tree.Full()) {
    e.Order = tree.Count();
    e.Name = std::to_wstring(e.Order);
    tree.Append(e);
  }
  AddReportEntries(tree, nullptr);
  EXPECT_GE(tree.FindTreeItem(L"\\Report.html"), 0);
  EXPECT_GE(tree.FindTreeItem(L"\\Report.txt"), 0);
}

// Enter writes the report into the temporary folder and hands it to the
// shell; a report a viewer still holds open is not overwritten.
TEST_F(ReportEntriesTest, EnterOpensACopyInTheTemporaryFolder) {
  std::vector<std::wstring> opened;
  const ShellOpener open = [&](const std::wstring& file) {
    opened.push_back(file);
    return true;
  };
  const std::wstring first = temp_ / L"Orvelle\\Report.html";
  ASSERT_TRUE(OpenReport(State(), ReportKind::Html, open));
  ASSERT_EQ(opened, std::vector<std::wstring>{first});
  EXPECT_NE(test::ReadBytes(first).find("<!DOCTYPE html>"), std::string::npos);
  {
    platform::unique_hfile held(::CreateFileW(first.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(held);
    ASSERT_TRUE(OpenReport(State(), ReportKind::Html, open));
  }
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(opened[1], temp_ / L"Orvelle\\Report (2).html");
  ASSERT_TRUE(OpenReport(State(), ReportKind::Text, open));
  EXPECT_EQ(opened[2], temp_ / L"Orvelle\\Report.txt");
  EXPECT_EQ(test::ReadBytes(opened[2]).rfind("\xEF\xBB\xBF", 0), 0u);
  EXPECT_TRUE(asked.empty());
  // No program for the file: the user is told, and the host gets no error.
  EXPECT_FALSE(OpenReport(State(), ReportKind::Text, [](const std::wstring&) { return false; }));
  EXPECT_EQ(asked.size(), 1u);
}

TEST_F(ReportEntriesTest, PropertiesNeverStartsAnOperation) {
  EXPECT_EQ(ExecuteEntry(State(), L"\\tc.exe\\Delete", L"properties"), 0);
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(ExecuteEntry(State(), L"\\Report.html", L"properties"), 0);
  EXPECT_FALSE(platform::PathExists(temp_ / L"Orvelle"));
  EXPECT_FALSE(State().Tree.Tree[State().Tree.Tree.FindTreeItem(L"\\tc.exe\\Delete")].Done);
}

// Copying a report out writes it whole, by the host's copy flags.
TEST_F(ReportEntriesTest, CopyingAReportOutFollowsTheCopyFlags) {
  State().ListOperation = 6;
  const std::wstring local = temp_ / L"out.txt";
  EXPECT_EQ(GetEntryFile(State(), L"\\Report.txt", local, 0), 0);
  const std::string report = test::ReadBytes(local);
  EXPECT_NE(report.find("Comparison of two installations"), std::string::npos);
  EXPECT_NE(report.find("\r\n  !   Delete  (only in My installation)"), std::string::npos) << report;
  test::WriteBytes(local, "mine");
  EXPECT_EQ(GetEntryFile(State(), L"\\Report.txt", local, 0), 1);
  EXPECT_EQ(GetEntryFile(State(), L"\\Report.txt", local, 2), 6);
  EXPECT_EQ(test::ReadBytes(local), "mine");
  EXPECT_EQ(GetEntryFile(State(), L"\\Report.txt", local, 1), 0);
  EXPECT_NE(test::ReadBytes(local).find("Comparison of two installations"), std::string::npos);
  EXPECT_EQ(GetEntryFile(State(), L"\\Report.txt", temp_ / L"no such folder\\x.txt", 0), 4);
}

}  // namespace
}  // namespace orvelle
