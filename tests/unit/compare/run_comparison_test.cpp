#include "compare/run_comparison.h"
#include "support/file_times.h"
#include "unit/compare/compare_fixture.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::CompareFixture;

const std::wstring kUnit = test::kInstPath + L"Main unit\\";

TEST(GroupSummary, CharactersOfDirectChildren) {
  VirtualTree tree;
  auto add = [&](const wchar_t* path, const wchar_t* status) {
    TVirtualTreeItem e;
    e.Path = path;
    e.Name = L"e" + std::to_wstring(tree.Count());
    e.Status = status;
    tree.Append(e);
  };
  add(L"\\i\\g\\", L"!*");
  add(L"\\i\\g\\", L"=<>");
  add(L"\\i\\g\\", L"");
  add(L"\\i\\g\\sub\\", L"?");  // not a direct child
  EXPECT_EQ(GroupSummary(tree, L"\\i\\g\\"), L"!*<=>");
  EXPECT_EQ(GroupSummary(tree, L"\\i\\empty\\"), L"");
}

// A program folder pair with one equal and one different file, and a New
// program whose version is listed with another digest.
void MakeMainUnitDifferences(CompareFixture& f) {
  f.File(L"new\\a.exe", "same", false);
  f.File(L"my\\a.exe", "same", false);
  // Same size and time, other bytes: "<>".
  test::SetLastWriteTime(f.File(L"new\\b.dll", "bbbb", false), test::FixedTime());
  test::SetLastWriteTime(f.File(L"my\\b.dll", "cccc", false), test::FixedTime());
  f.File(L"new\\c.dll", "c", false);
  f.My().MainExecutables = {L"a.exe", L"b.dll"};
  f.New().ProgramVersion = L"6.57";
  f.New().ProgramDigest = L"00000000000000000000000000000000";
  f.New().CommandCategories = {L"File"};
  f.New().CommandNames = {L"cm_A"};
  f.New().CommandNumbers = {L"1"};
  f.New().CommandDescriptions = {L""};
  f.New().CommandCategoryOf = {0};
}

TEST(RunComparison, MainUnitSummedUpFromItsChildren) {
  CompareFixture f;
  MakeMainUnitDifferences(f);
  RunComparison(f.Ctx());
  EXPECT_EQ(f.At(kUnit + L"Files").Status, L"*<>=");
  EXPECT_EQ(f.At(kUnit + L"EXE modified").Status, L"!*");
  // "!*" gives both of its characters.
  EXPECT_EQ(f.At(test::kInstPath + L"Main unit").Status, L"!*<=>");
  EXPECT_FALSE(f.Ctx().Stopped());
}

TEST(RunComparison, CancelledBeforeTheStartMakesNothing) {
  CompareFixture f;
  MakeMainUnitDifferences(f);
  f.Progress().Cancelled = true;
  RunComparison(f.Ctx());
  EXPECT_EQ(f.Tree().Count(), 1) << "only the installation folder";
  EXPECT_EQ(f.Ctx().Folders.MainUnit, -1);
}

// A tree that fills up in the middle of the files stops there as a cancel
// would: the files made so far stay, the folder gets no summary, the later
// steps make nothing, the group summary still runs.
TEST(RunComparison, FullTreeStopsInOrder) {
  CompareFixture f;
  MakeMainUnitDifferences(f);
  const int skeleton = 8;  // Main unit and its fixed entries, no WCMICONS.DLL
  const int filesThatFit = 2;
  TVirtualTreeItem filler;
  filler.Path = L"\\filler\\";
  while (f.Tree().Count() < VirtualTree::kCapacity - skeleton - filesThatFit) {
    filler.Name = std::to_wstring(f.Tree().Count());
    f.Tree().Append(filler);
  }
  RunComparison(f.Ctx());

  EXPECT_TRUE(f.Tree().Full());
  EXPECT_EQ(f.Tree().Count(), VirtualTree::kCapacity);
  EXPECT_EQ(f.Listing(kUnit + L"Files\\").size(), 2u);
  EXPECT_EQ(f.At(kUnit + L"Files").Status, L"") << "a stopped step leaves no summary";
  EXPECT_TRUE(f.Listing(kUnit + L"Commands\\").empty());
  EXPECT_EQ(f.At(test::kInstPath + L"Main unit").Status, L"!*") << "group summary still runs";
}

}  // namespace
}  // namespace orvelle
