#include "compare/run_comparison.h"
#include "unit/compare/compare_fixture.h"

#include <gtest/gtest.h>

namespace orvelle::test {
namespace {

void AddTarget(TTC& m, const std::wstring& name, const std::wstring& path, const std::wstring& type,
               const std::wstring& occurrence = L"1", const std::wstring& source = L"menu") {
  m.TargetNames.push_back(name);
  m.TargetPaths.push_back(path);
  m.TargetSources.push_back(source);
  m.TargetTypes.push_back(type);
  m.TargetOccurrences.push_back(occurrence);
}

class CompareApplicationsTest : public testing::Test {
 protected:
  void Compare() {
    BuildApplicationsSkeleton(f.Ctx());
    CompareNonExecutables(f.Ctx());
    ComparePackageExclude(f.Ctx());
    ComparePackageInclude(f.Ctx());
  }
  CompareFixture f;
};

TEST_F(CompareApplicationsTest, SubfoldersExistOnlyForTypesInUse) {
  AddTarget(f.New(), L"a.exe", f.Path(L"elsewhere\\a.exe"), L"E");
  AddTarget(f.My(), L"b.exe", f.Path(L"my\\b.exe"), L"I");
  AddTarget(f.My(), L"em_x", L"", L"C");
  Compare();
  EXPECT_EQ(f.At(kInstPath + L"Applications").Order, 2);
  EXPECT_EQ(f.Listing(kAppsPath),
            (std::vector<std::wstring>{L"Package exclude|*", L"Package include|!"}));
  EXPECT_EQ(f.Ctx().Folders.NonExecutable, -1);
  EXPECT_EQ(f.Tree()[f.Ctx().Folders.PackageInclude].Name, L"Package include");

  CompareFixture g;
  AddTarget(g.New(), L"a.txt", g.Path(L"a.txt"), L"N");
  BuildApplicationsSkeleton(g.Ctx());
  EXPECT_EQ(g.Listing(kAppsPath), std::vector<std::wstring>{L"Non executable|"});
  EXPECT_TRUE(g.At(kAppsPath + L"Non executable").ContentFolder);
}

// A side without its main menu file compares the rest, and the group tells
// which menu file is missing.
TEST_F(CompareApplicationsTest, AMissingMainMenuIsANoticeBesideTheTargets) {
  AddTarget(f.New(), L"a.exe", f.Path(L"elsewhere\\a.exe"), L"E");
  f.My().MissingMainMenu = L"c:\\tc\\LANGUAGE\\WCMD_ENG.MNU";
  Compare();
  EXPECT_EQ(f.Listing(kAppsPath), (std::vector<std::wstring>{L"Package exclude|*", L"Error|<>"}));
  EXPECT_EQ(f.At(kAppsPath + L"Error").Info, L"File missing: c:\\tc\\LANGUAGE\\WCMD_ENG.MNU");
}

TEST_F(CompareApplicationsTest, NonExecutablesByNameWithOccurrences) {
  std::wstring n1 = f.File(L"new\\doc\\readme.txt", "same");
  std::wstring m1 = f.File(L"my\\doc\\readme.txt", "same");
  std::wstring n2 = f.File(L"new\\doc2\\readme.txt", "two");
  std::wstring m2 = f.File(L"my\\doc2\\readme.txt", "other text");
  std::wstring shared = f.File(L"my\\shared.txt");
  AddTarget(f.New(), L"readme.txt", n1, L"N", L"1", L"New menu");
  AddTarget(f.New(), L"readme.txt", n2, L"N", L"2", L"New bar");
  AddTarget(f.New(), L"notes.txt", f.File(L"new\\notes.txt"), L"N", L"1", L"New bar");
  AddTarget(f.New(), L"shared.txt", shared, L"N", L"1", L"New menu");
  AddTarget(f.My(), L"README.TXT", m1, L"N", L"1", L"My menu");
  AddTarget(f.My(), L"readme.txt", m2, L"N", L"2", L"My bar");
  AddTarget(f.My(), L"shared.txt", f.Lower(shared), L"N", L"1", L"My bar");
  AddTarget(f.My(), L"old.txt", f.File(L"my\\old.txt"), L"N", L"1", L"My menu");
  Compare();

  const std::wstring folder = kAppsPath + L"Non executable\\";
  auto listing = f.Listing(folder);
  ASSERT_EQ(listing.size(), 5u);
  EXPECT_EQ(listing[0], L"README.TXT|=");
  EXPECT_EQ(listing[1].substr(0, 15), L"readme.txt (2)|");
  EXPECT_NE(listing[1], L"readme.txt (2)|=");
  EXPECT_EQ(listing[2], L"notes.txt|*");
  EXPECT_EQ(listing[3], L"shared.txt|*!");
  EXPECT_EQ(listing[4], L"old.txt|!");

  const TVirtualTreeItem& readme = f.At(folder + L"README.TXT");
  EXPECT_EQ(readme.Info, L"My menu");
  EXPECT_TRUE(readme.HasFiles);
  EXPECT_EQ(readme.NewFile, n1);
  EXPECT_EQ(readme.MyFile, m1);
  EXPECT_EQ(readme.SizeLow, 4u);
  EXPECT_EQ(f.At(folder + L"notes.txt").Info, L"New bar");
  EXPECT_EQ(f.At(folder + L"shared.txt").Info, L"WARNING! The same file! [My] My bar");
  EXPECT_EQ(f.At(folder + L"old.txt").Info, L"My menu");
  EXPECT_EQ(f.At(folder + L"old.txt").NewFile, L"");

  const std::wstring status = f.Tree()[f.Ctx().Folders.NonExecutable].Status;
  for (const wchar_t* sign : {L"!", L"*", L"="}) {
    EXPECT_NE(status.find(sign), std::wstring::npos) << sign << " in " << status;
  }
}

TEST_F(CompareApplicationsTest, PackageExcludeComparesTheTargetFiles) {
  AddTarget(f.New(), L"tool.exe", f.File(L"x\\tool.exe", "new tool"), L"E");
  AddTarget(f.My(), L"tool.exe", f.File(L"y\\tool.exe", "new tool"), L"E");
  AddTarget(f.New(), L"gone.exe", f.Path(L"x\\gone.exe"), L"E");
  AddTarget(f.My(), L"gone.exe", f.Path(L"y\\gone.exe"), L"E");
  AddTarget(f.New(), L"mine.exe", f.Path(L"x\\mine.exe"), L"E");
  AddTarget(f.My(), L"mine.exe", f.File(L"y\\mine.exe", "12345"), L"E");
  Compare();
  EXPECT_EQ(f.Listing(kAppsPath + L"Package exclude\\"),
            (std::vector<std::wstring>{L"tool.exe|=", L"gone.exe|", L"mine.exe|!"}))
      << "a target missing on both sides has nothing to compare";
  EXPECT_EQ(f.At(kAppsPath + L"Package exclude\\mine.exe").SizeLow, 5u)
      << "the size of the file that exists";
  EXPECT_EQ(f.Tree()[f.Ctx().Folders.PackageExclude].Status, L"!=");
}

TEST_F(CompareApplicationsTest, PackageIncludeComparesTheTargetDirectories) {
  std::wstring n = f.File(L"new\\tools\\ed\\ed.exe", "ed");
  std::wstring m = f.File(L"my\\tools\\ed\\ed.exe", "ed");
  f.File(L"new\\tools\\ed\\ed.ini", "new settings");
  f.File(L"new\\tools\\ed\\sub\\s.txt");
  f.File(L"my\\tools\\ed\\sub\\s.txt");
  AddTarget(f.New(), L"ed.exe", n, L"I", L"1", L"bar");
  AddTarget(f.My(), L"ed.exe", m, L"I", L"1", L"bar");
  // A program of the program directory itself: its siblings are the whole
  // installation, so only its directory's files are compared.
  AddTarget(f.New(), L"noclose.exe", f.File(L"new\\noclose.exe"), L"I", L"1", L"menu");
  Compare();

  const std::wstring folder = kAppsPath + L"Package include\\";
  EXPECT_EQ(f.Listing(folder), (std::vector<std::wstring>{L"ed.exe|=", L"noclose.exe|*"}));
  const TVirtualTreeItem& ed = f.At(folder + L"ed.exe");
  EXPECT_TRUE(ed.IsFolder);
  EXPECT_TRUE(ed.ContentFolder);
  EXPECT_EQ(ed.Info, L"[*=] bar");
  EXPECT_EQ(f.Listing(folder + L"ed.exe\\"),
            (std::vector<std::wstring>{L"ed.exe|=", L"ed.ini|*", L"sub|="}));
  EXPECT_FALSE(f.Has(folder + L"noclose.exe\\tools"));
  EXPECT_TRUE(f.Has(folder + L"noclose.exe\\noclose.exe"));
}

TEST_F(CompareApplicationsTest, CancelLeavesTheTargetsMadeSoFar) {
  for (const wchar_t* name : {L"a.txt", L"b.txt", L"c.txt"}) {
    AddTarget(f.New(), name, f.File(std::wstring(L"new\\") + name), L"N");
  }
  AddTarget(f.New(), L"p.exe", f.Path(L"p.exe"), L"E");
  int calls = 0;
  f.Progress().Callback = [&](const std::wstring&, const std::wstring&, int) {
    return ++calls == 2 ? 1 : 0;
  };
  Compare();
  EXPECT_EQ(f.Listing(kAppsPath + L"Non executable\\"), std::vector<std::wstring>{L"a.txt|*"});
  EXPECT_TRUE(f.Listing(kAppsPath + L"Package exclude\\").empty());
  EXPECT_EQ(f.Tree()[f.Ctx().Folders.NonExecutable].Status, L"");
}

TEST_F(CompareApplicationsTest, LongTargetNamesAreShortened) {
  std::wstring name = std::wstring(250, L'x') + L".txt";
  AddTarget(f.My(), name, f.Path(L"missing.txt"), L"N");
  Compare();
  const std::wstring folder = kAppsPath + L"Non executable\\";
  auto listing = f.Listing(folder);
  ASSERT_EQ(listing.size(), 1u);
  const size_t kept = 241 - folder.size() - 9;
  EXPECT_TRUE(listing[0].starts_with(std::wstring(kept, L'x') + L"~")) << listing[0];
  EXPECT_TRUE(listing[0].ends_with(L"..|!")) << listing[0];
  EXPECT_EQ(listing[0].size(), 241 - folder.size() + 4);
}

}  // namespace
}  // namespace orvelle::test
