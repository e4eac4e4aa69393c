// The whole comparison as a report: what it counts and lists, and that both
// renderings carry it intact.
#include "report/comparison_report.h"

#include "platform/strings.h"
#include "support/html_dom.h"
#include "tc/ttc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvelle {
namespace {

class ReportTest : public testing::Test {
 protected:
  ReportTest() : my_(L"c:\\my tc\\TOTALCMD.EXE"), new_(L"c:\\new tc\\TOTALCMD.EXE") {
    my_.ProgramVersion = L"11.0.0.0";
    new_.ProgramVersion = L"11.1.0.0";
    Add(L"\\", L"About...", L"", false);
    Add(L"\\", L"tc.exe", L"", true);
    Add(L"\\tc.exe\\", L"Main unit", L"!*<=>", true);
    Add(L"\\tc.exe\\", L"Plugins", L"*!>", true);
    Add(L"\\tc.exe\\Main unit\\", L"Files", L"<=>", true);
    Add(L"\\tc.exe\\Main unit\\", L"Version", L"", false);
    Add(L"\\tc.exe\\Main unit\\", L"EXE modified", L"!*", false);
    Add(L"\\tc.exe\\Main unit\\Files\\", L"A.EXE", L">", false);
    Add(L"\\tc.exe\\Main unit\\Files\\", L"B.EXE", L"=", false);
    Add(L"\\tc.exe\\Main unit\\Files\\", L"C.EXE", L"<", false);
    Add(L"\\tc.exe\\Plugins\\", L"FTP", L">", true);
    // Only-New and only-My entries inside: a summary, not a verdict.
    Add(L"\\tc.exe\\Plugins\\", L"Disk", L"!*", true);
    const int remove = Add(L"\\tc.exe\\Plugins\\FTP\\", L"Delete", L"*!", false);
    tree_[remove].Action = 1;
    tree_[remove].Done = true;
    tree_[remove].Info = L"DELETED!";
    // Operations leave their state in the comment of an entry without a sign.
    const int added = Add(L"\\tc.exe\\Plugins\\FTP\\", L"Add", L"", false);
    tree_[added].Action = 2;
    tree_[added].Done = true;
    tree_[added].Info = L"ADDED!";
    const int warning = Add(L"\\", L"Warning", L"<>", false);
    tree_[warning].IsMessage = true;
    tree_[warning].Info = L"The settings could not be saved";
  }

  int Add(const std::wstring& path, const std::wstring& name, const std::wstring& status, bool folder) {
    TVirtualTreeItem e;
    e.Path = path;
    e.Name = name;
    e.Status = status;
    e.IsFolder = folder;
    e.Order = static_cast<int>(tree_.CountIn(path));
    return tree_.Append(std::move(e));
  }
  ComparisonReport Collect() { return CollectReport(tree_, L"tc.exe", &my_, &new_); }

  VirtualTree tree_;
  TTC my_, new_;
};

std::vector<std::wstring> Names(const std::vector<ReportEntry>& entries) {
  std::vector<std::wstring> names;
  for (const ReportEntry& e : entries) names.push_back(e.Name);
  return names;
}

TEST_F(ReportTest, CountsEachFolderAndListsWhatDiffers) {
  const ComparisonReport r = Collect();
  ASSERT_EQ(r.Folders.size(), 6u);
  // Listing order, depth first.
  EXPECT_EQ(r.Folders[0].Path, L"tc.exe");
  EXPECT_EQ(r.Folders[1].Path, L"tc.exe\\Main unit");
  EXPECT_EQ(r.Folders[2].Path, L"tc.exe\\Main unit\\Files");
  EXPECT_EQ(r.Folders[3].Path, L"tc.exe\\Plugins");
  EXPECT_EQ(r.Folders[4].Path, L"tc.exe\\Plugins\\FTP");
  EXPECT_EQ(r.Folders[5].Path, L"tc.exe\\Plugins\\Disk");
  using Counts = std::array<int, kReportSigns.size()>;
  // Columns: > < <> * ! = *! !*. Folders holding several signs are
  // sections of their own, not counted in their parent.
  EXPECT_EQ(r.Folders[0].Counts, (Counts{0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(r.Folders[1].Counts, (Counts{0, 0, 0, 0, 0, 0, 0, 1}));
  EXPECT_EQ(r.Folders[2].Counts, (Counts{1, 1, 0, 0, 0, 1, 0, 0}));
  EXPECT_EQ(r.Folders[3].Counts, (Counts{1, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(r.Folders[4].Counts, (Counts{0, 0, 0, 0, 0, 0, 1, 0}));
  EXPECT_EQ(r.Totals, (Counts{2, 1, 0, 0, 0, 1, 1, 1}));
  // Equal entries are counted, not listed; what an operation did is listed.
  EXPECT_EQ(Names(r.Folders[2].Differences), (std::vector<std::wstring>{L"A.EXE", L"C.EXE"}));
  EXPECT_EQ(Names(r.Folders[4].Differences), (std::vector<std::wstring>{L"Delete", L"Add"}));
  EXPECT_EQ(r.Folders[4].Differences[0].Words, L"changed by the plugin");
  EXPECT_EQ(r.Folders[4].Differences[1].Comment, L"ADDED!");
  EXPECT_EQ(r.Notes, (std::vector<std::wstring>{L"Warning: The settings could not be saved"}));
  EXPECT_EQ(r.New.Version, L"11.1.0.0");
  EXPECT_EQ(r.My.ProgramFile, L"c:\\my tc\\TOTALCMD.EXE");
}

TEST_F(ReportTest, WithoutAComparisonOnlyTheRootIsRead) {
  const ComparisonReport r = CollectReport(tree_, L"other.exe", nullptr, nullptr);
  EXPECT_TRUE(r.Folders.empty());
  EXPECT_EQ(r.Notes.size(), 1u);
  // Both renderings still make a whole document.
  std::wstring error;
  EXPECT_TRUE(test::ParseStrictHtml(RenderReportHtml(r), error)) << error;
  EXPECT_NE(RenderReportText(r).find(L"do not differ"), std::wstring::npos);
}

// Names come from the installations: markup in them stays text, and any
// script survives the trip through UTF-8.
TEST_F(ReportTest, NamesOfAnyScriptAndMarkupAppearIntact) {
  const std::wstring odd = L"<b>Пример & \"例\" 'x'</b>";
  const int e = Add(L"\\tc.exe\\Main unit\\Files\\", odd, L"*", false);
  tree_[e].Info = L"Кнопка: 例 <i>";
  tree_[e].CommandEntry = true;
  tree_[e].NewText = L"em_ünïcode \U0001F600";
  const ComparisonReport r = Collect();

  const std::string htmlBytes = Utf8FileBytes(RenderReportHtml(r), false);
  const std::wstring html = platform::WideFromAnsi(htmlBytes, CP_UTF8);
  std::wstring error;
  std::optional<test::HtmlElement> doc = test::ParseStrictHtml(html, error);
  ASSERT_TRUE(doc) << error;
  EXPECT_EQ(doc->All(L"b").size(), 0u);
  EXPECT_EQ(doc->All(L"script").size(), 0u);
  bool found = false;
  for (const test::HtmlElement* row : doc->All(L"tr")) {
    if (row->Attribute(L"data-sign") != L"*") continue;
    found = true;
    EXPECT_NE(row->text.find(odd), std::wstring::npos) << row->text;
    EXPECT_NE(row->text.find(L"Кнопка: 例 <i>"), std::wstring::npos) << row->text;
    EXPECT_NE(row->text.find(L"em_ünïcode \U0001F600"), std::wstring::npos) << row->text;
  }
  EXPECT_TRUE(found);

  const std::string textBytes = Utf8FileBytes(RenderReportText(r));
  ASSERT_EQ(textBytes.rfind("\xEF\xBB\xBF", 0), 0u);
  const std::wstring text = platform::WideFromAnsi(textBytes.substr(3), CP_UTF8);
  EXPECT_NE(text.find(odd + L"  (only in the New installation)  Кнопка: 例 <i>"), std::wstring::npos)
      << text;
  EXPECT_NE(text.find(L"New: em_ünïcode \U0001F600"), std::wstring::npos);
}

}  // namespace
}  // namespace orvelle
