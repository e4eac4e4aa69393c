#include "plugin/listing.h"

#include "platform/message_box.h"
#include "plugin/columns.h"
#include "plugin/commands.h"
#include "plugin/state.h"
#include "support/mini_installation.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <deque>
#include <vector>

namespace orvelle {
namespace {

class ListingTest : public testing::Test {
 protected:
  void SetUp() override {
    CreateState(nullptr);
    // The build reads the hosting installation: a small one of its own, with
    // no other installation running.
    test::Installation inst =
        test::CreateInstallation(installation_.Path(), test::MiniInstallationSpec());
    State().Identity.HostProgramFile = inst.exe;
    // The backup store lies beside the plugin: here a folder of the test's own.
    State().Identity.PluginDir = installation_.Path() + L"\\";
    previous_ = platform::SetMessageBoxHandler([this](const std::wstring& text, UINT) {
      asked.push_back(text);
      int answer = answers.empty() ? IDNO : answers.front();
      if (!answers.empty()) answers.pop_front();
      return answer;
    });
  }
  void TearDown() override {
    platform::SetMessageBoxHandler(previous_);
    DestroyState();
  }

  std::vector<std::wstring> ListNames(const std::wstring& path) {
    std::vector<std::wstring> names;
    ListedEntry e;
    if (FindFirstEntry(State(), path, e) != FindResult::Found) return names;
    do names.push_back(e.name);
    while (FindNextEntry(State(), e));
    FindCloseListing(State());
    return names;
  }

  std::vector<std::wstring> asked;
  std::deque<int> answers;

 private:
  test::TempDir installation_;
  test::ScopedEnvironment ini_{L"COMMANDER_INI", installation_ / L"wincmd.ini"};
  platform::MessageBoxHandler previous_;
};

TEST_F(ListingTest, RootShowsAboutAndTheNoInstallationMessage) {
  // The settings were saved before anything was written, New installation or
  // not, so the store's folder is there to go back to.
  EXPECT_EQ(ListNames(L"\\"), (std::vector<std::wstring>{L"About...", L"Error", L"Backup"}));
  std::wstring value;
  ASSERT_EQ(GetFieldValue(State(), L"\\Error", 1, value), 8);
  EXPECT_EQ(value, L"First, run another Total Commander!");
  EXPECT_TRUE(asked.empty());
}

TEST_F(ListingTest, RefreshAsksToRepeatAndTheListingAfterTheAnswerDoesNot) {
  ListNames(L"\\");
  EXPECT_TRUE(asked.empty()) << "the first listing builds without asking";
  State().Tree.TreeBuilt = true;  // as after a complete comparison
  ListNames(L"\\");
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], L"Repeat comparison?");
  EXPECT_TRUE(State().Tree.TreeBuilt) << "No keeps the tree";
  ListNames(L"\\");
  EXPECT_EQ(asked.size(), 1u) << "the listing right after the answer is served as it is";
  ListNames(L"\\");
  EXPECT_EQ(asked.size(), 2u);
}

TEST_F(ListingTest, EnteringTheRootFromElsewhereAsks) {
  State().Tree.TreeBuilt = true;
  ListNames(L"\\Backup");
  ListNames(L"\\");
  EXPECT_EQ(asked.size(), 1u);
}

TEST_F(ListingTest, BusyWhileBuilding) {
  State().Tree.TreeBuilding = true;
  ListedEntry e;
  EXPECT_EQ(FindFirstEntry(State(), L"\\", e), FindResult::Busy);
  EXPECT_EQ(ExecuteEntry(State(), L"\\About...", L"open"), 1);
}

TEST_F(ListingTest, FolderStopsAtTheFirstGapAndUnknownFoldersAreEmpty) {
  VirtualTree& tree = State().Tree.Tree;
  for (int order : {0, 1, 3}) {
    TVirtualTreeItem item;
    item.Path = L"\\x\\";
    item.Name = L"e" + std::to_wstring(order);
    item.Order = order;
    tree.Append(item);
  }
  EXPECT_EQ(ListNames(L"\\x"), (std::vector<std::wstring>{L"e0", L"e1"}));
  ListedEntry e;
  EXPECT_EQ(FindFirstEntry(State(), L"\\nowhere", e), FindResult::Empty);
}

TEST_F(ListingTest, EntriesReportAttributesSizesAndDates) {
  TVirtualTreeItem folder;
  folder.IsFolder = true;
  folder.HasFiles = true;
  folder.Attributes = 32;
  EXPECT_EQ(DescribeEntry(folder).attributes, 16u);
  TVirtualTreeItem file;
  file.HasFiles = true;
  file.Attributes = 33;
  EXPECT_EQ(DescribeEntry(file).attributes, 33u);
  TVirtualTreeItem plain;
  plain.SizeHigh = 1;
  plain.SizeLow = 7;
  plain.Status = L"?";
  ListedEntry e = DescribeEntry(plain);
  EXPECT_EQ(e.attributes, 128u);
  EXPECT_EQ(e.sizeHigh, 1u);
  EXPECT_EQ(e.sizeLow, 7u);
  EXPECT_EQ(e.lastWrite.dwHighDateTime | e.lastWrite.dwLowDateTime, 0u);
}

TEST_F(ListingTest, ListOperationFollowsTheStartOfListingsOnly) {
  VirtualTree& tree = State().Tree.Tree;
  TVirtualTreeItem files;
  files.Path = L"\\i\\";
  files.Name = L"Files";
  files.ContentFolder = true;
  tree.Append(files);
  EXPECT_EQ(State().ListOperation, 5);
  OnStatusInfo(State(), L"\\i\\Files", 0, 1);
  EXPECT_EQ(State().ListOperation, 0);
  OnStatusInfo(State(), L"\\i", 0, 1);
  EXPECT_EQ(State().ListOperation, 6);
  OnStatusInfo(State(), L"\\i\\Files", 1, 1);  // end of a listing
  OnStatusInfo(State(), L"\\i\\Files", 0, 8);  // start of a delete
  EXPECT_EQ(State().ListOperation, 6);
}

TEST(Columns, ValuesAndDefaultView) {
  CreateState(nullptr);
  VirtualTree& tree = State().Tree.Tree;
  TVirtualTreeItem item;
  item.Path = L"\\";
  item.Name = L"a";
  item.Info = L"a comment that is long";
  tree.Append(item);
  std::wstring value;
  EXPECT_EQ(GetFieldValue(State(), L"\\a", 0, value), -1) << "no sign: no value";
  EXPECT_EQ(GetFieldValue(State(), L"\\a", 1, value), 8);
  EXPECT_EQ(value, L"a comment that is long");
  EXPECT_EQ(GetFieldValue(State(), L"\\a", 2, value), -1);
  EXPECT_EQ(GetFieldValue(State(), L"\\b", 1, value), -1);
  EXPECT_EQ(GetEntryIcon(State(), L"\\b"), nullptr);
  std::wstring name;
  EXPECT_EQ(GetSupportedField(0, name), 8);
  EXPECT_EQ(name, L"Eq");
  EXPECT_EQ(GetSupportedField(1, name), 8);
  EXPECT_EQ(name, L"Comment");
  EXPECT_EQ(GetSupportedField(2, name), 0);

  DefaultView view = GetDefaultView();
  EXPECT_EQ(view.contents, L"[=<fs>.Eq]\\n[=<fs>.Comment]");
  EXPECT_EQ(view.headers, L"<>\\nComment");
  EXPECT_EQ(view.widths, L"80,25,25,230");
  EXPECT_EQ(view.options, L"-1|1");
  DestroyState();
}

TEST(Commands, OnlyTheOpenVerbOpensAndEverythingElseIsAccepted) {
  CreateState(nullptr);
  EXPECT_EQ(ExecuteEntry(State(), L"\\nothing", L" open "), 0);
  EXPECT_EQ(ExecuteEntry(State(), L"\\nothing", L"OPEN"), 0);
  EXPECT_EQ(ExecuteEntry(State(), L"\\nothing", L"properties"), 0);
  // The delete key on what carries no delete action deletes nothing and says so.
  EXPECT_FALSE(DeleteEntry(State(), L"\\nothing"));
  DestroyState();
}

}  // namespace
}  // namespace orvelle
