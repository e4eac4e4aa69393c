#include "tree/tree.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvelle {
namespace {

TVirtualTreeItem Entry(const std::wstring& path, const std::wstring& name, int order) {
  TVirtualTreeItem item;
  item.Path = path;
  item.Name = name;
  item.Order = order;
  return item;
}

TEST(VirtualTree, NewEntryHasNoPlaceYet) {
  TVirtualTreeItem item;
  EXPECT_EQ(item.Order, -1);
  EXPECT_EQ(item.ParentIndex, -2);
}

TEST(VirtualTree, FindsAnEntryWithOrWithoutTrailingBackslash) {
  VirtualTree tree;
  tree.Append(Entry(L"\\", L"inst", 0));
  tree.Append(Entry(L"\\inst\\", L"Main unit", 0));
  EXPECT_EQ(tree.FindTreeItem(L"\\inst\\Main unit"), 1);
  EXPECT_EQ(tree.FindTreeItem(L"\\inst\\Main unit\\"), 1);
  EXPECT_EQ(tree.FindTreeItem(L"\\inst"), 0);
  EXPECT_EQ(tree.FindTreeItem(L"\\INST"), -1) << "paths compare exactly";
  EXPECT_EQ(tree.FindTreeItem(L"\\nothing"), -1);
}

// Two plugins registered under one name (or names that differ in case only,
// as the host compares them) are two folders with paths of their own: the
// entry the listing shows is the one a look-up finds, so an action opened in
// either acts on its own plugin.
TEST(VirtualTree, EveryEntryGetsAPathOfItsOwn) {
  VirtualTree tree;
  tree.Append(Entry(L"\\WFX\\", L"Clash", 0));
  const int second = tree.Append(Entry(L"\\WFX\\", L"Clash", 1));
  const int third = tree.Append(Entry(L"\\WFX\\", L"CLASH", 2));
  const int fourth = tree.Append(Entry(L"\\WFX\\", L"Clash (2)", 3));
  EXPECT_EQ(tree[second].Name, L"Clash (2)");
  EXPECT_EQ(tree[third].Name, L"CLASH (3)");
  EXPECT_EQ(tree[fourth].Name, L"Clash (2) (2)");
  for (int order = 0; order < 4; ++order) {
    const int listed = tree.FindListed(L"\\WFX\\", order);
    EXPECT_EQ(tree.FindTreeItem(tree[listed].FullPath()), listed) << order;
  }
  // A slot given up frees its name.
  tree.Release(second);
  EXPECT_EQ(tree[tree.Append(Entry(L"\\WFX\\", L"clash (2)", 4))].Name, L"clash (2)");
  // Other folders may hold the name.
  EXPECT_EQ(tree[tree.Append(Entry(L"\\WLX\\", L"Clash", 0))].Name, L"Clash");
}

TEST(VirtualTree, ListingTakesLastEntryPerOrder) {
  VirtualTree tree;
  tree.Append(Entry(L"\\Backup\\", L"1.old", 0));
  tree.Append(Entry(L"\\Backup\\", L"2.old", 1));
  tree.Append(Entry(L"\\Backup\\", L"1.new", 0));
  EXPECT_EQ(tree.FindListed(L"\\Backup\\", 0), 2);
  EXPECT_EQ(tree.FindListed(L"\\Backup\\", 1), 1);
  EXPECT_EQ(tree.FindListed(L"\\Backup\\", 2), -1);
  EXPECT_EQ(tree.FindListed(L"\\backup\\", 0), -1);
}

TEST(VirtualTree, RenameAndReplaceKeepLookupsTrue) {
  VirtualTree tree;
  tree.Append(Entry(L"\\", L"inst", 0));
  tree.Rename(0, L"inst.");
  EXPECT_EQ(tree.FindTreeItem(L"\\inst"), -1);
  EXPECT_EQ(tree.FindTreeItem(L"\\inst."), 0);
  tree.Replace(0, Entry(L"\\x\\", L"y", 3));
  EXPECT_EQ(tree.FindListed(L"\\", 0), -1);
  EXPECT_EQ(tree.FindListed(L"\\x\\", 3), 0);
}

TEST(VirtualTree, RefusesAppendsPastCapacityAndSaysSo) {
  VirtualTree tree;
  for (int i = 0; i < VirtualTree::kCapacity; ++i) {
    ASSERT_EQ(tree.Append(Entry(L"\\", L"e", i)), i);
  }
  EXPECT_FALSE(tree.Full());
  EXPECT_EQ(tree.Append(Entry(L"\\", L"over", 0)), -1);
  EXPECT_TRUE(tree.Full());
  EXPECT_EQ(tree.Count(), VirtualTree::kCapacity);
  tree.Clear();
  EXPECT_FALSE(tree.Full());
  EXPECT_EQ(tree.Count(), 0);
}

TEST(ShortenEntryName, CutsOnlyNamesThatWouldPassTheHostsLimit) {
  struct Case {
    size_t pathLength, nameLength, expectedLength;
    bool cut;
  };
  // A path past the limit keeps one character: 1 + "~" + 8 digits + "..".
  for (Case c : {Case{200, 100, 43, true}, Case{10, 233, 233, false}, Case{10, 234, 233, true},
                 Case{250, 10, 12, true}}) {
    TVirtualTreeItem item;
    item.Path = L"\\" + std::wstring(c.pathLength - 2, L'p') + L"\\";
    item.Name = std::wstring(c.nameLength, L'n');
    ShortenEntryName(item);
    EXPECT_EQ(item.Name.size(), c.expectedLength) << c.pathLength << "+" << c.nameLength;
    EXPECT_EQ(item.Name.size() >= 2 && item.Name.substr(item.Name.size() - 2) == L"..", c.cut);
  }
}

TEST(ShortenEntryName, CutNamesStayDistinctAndAreNeverTheHostsOwn) {
  const std::wstring longPath = L"\\" + std::wstring(300, L'p') + L"\\";
  const std::wstring shortPath = L"\\x\\";
  const std::wstring common(260, L'c');
  auto cut = [](const std::wstring& path, const std::wstring& name) {
    TVirtualTreeItem item;
    item.Path = path;
    item.Name = name;
    ShortenEntryName(item);
    return item.Name;
  };
  for (const std::wstring& path : {shortPath, longPath}) {
    // Names that share their first 241 characters, and dots only.
    const std::wstring a = cut(path, common + L"a.dll");
    const std::wstring b = cut(path, common + L"b.dll");
    EXPECT_NE(a, b);
    EXPECT_EQ(a, cut(path, common + L"a.dll")) << "the same name is cut the same way";
    for (const std::wstring& name : {a, b, cut(path, std::wstring(300, L'.'))}) {
      EXPECT_NE(name, L".");
      EXPECT_NE(name, L"..");
      EXPECT_LE(name.size(), std::max<size_t>(243 - std::min<size_t>(path.size(), 243), 12));
    }
  }
}

TEST(MessageEntry, SecondMessageReusesTheEntryInPlace) {
  VirtualTree tree;
  AddAboutEntry(tree, nullptr);
  int first = AddMessageEntry(tree, L"\\", L"first", MessageKind::Information, nullptr);
  ASSERT_EQ(first, 1);
  EXPECT_EQ(tree[first].Order, 1);
  EXPECT_EQ(tree[first].Name, L"Information");
  EXPECT_EQ(tree[first].Status, L"");

  int second = AddMessageEntry(tree, L"\\", L"second", MessageKind::Error, nullptr);
  EXPECT_EQ(second, first);
  EXPECT_EQ(tree.Count(), 2);
  EXPECT_EQ(tree[second].Order, 1);
  EXPECT_EQ(tree[second].Name, L"Error");
  EXPECT_EQ(tree[second].Status, L"<>");
  EXPECT_EQ(tree[second].Info, L"second");
  EXPECT_EQ(tree.FindTreeItem(L"\\Error"), 1);
  EXPECT_EQ(tree.FindTreeItem(L"\\Information"), -1);
}

TEST(MessageEntry, NoticesGoBesideOtherMessagesEvenInAFullTree) {
  VirtualTree tree;
  AddAboutEntry(tree, nullptr);
  AddMessageEntry(tree, L"\\", L"no other installation", MessageKind::Error, nullptr);
  int warning = AddNoticeEntry(tree, L"\\", L"first.", MessageKind::Warning, nullptr);
  ASSERT_EQ(warning, 2);
  EXPECT_EQ(tree[warning].Order, 2);
  EXPECT_EQ(tree[warning].Status, L"<>");
  // One entry per kind: a second warning joins the first.
  EXPECT_EQ(AddNoticeEntry(tree, L"\\", L"second.", MessageKind::Warning, nullptr), warning);
  EXPECT_EQ(tree[warning].Info, L"first. second.");
  EXPECT_EQ(tree.FindTreeItem(L"\\Error"), 1);

  while (tree.Append(Entry(L"\\f\\", L"e", tree.Count())) >= 0) {
  }
  ASSERT_TRUE(tree.Full());
  int notice = AddNoticeEntry(tree, L"\\", L"not all of it", MessageKind::Information, nullptr);
  ASSERT_GE(notice, VirtualTree::kCapacity);
  EXPECT_EQ(tree.FindListed(L"\\", 3), notice);
  EXPECT_TRUE(tree.Full());
}

TEST(AboutEntry, IsFirstInRootWithTheVersion) {
  VirtualTree tree;
  int i = AddAboutEntry(tree, nullptr);
  EXPECT_EQ(tree[i].Name, L"About...");
  EXPECT_EQ(tree[i].Path, L"\\");
  EXPECT_EQ(tree[i].Order, 0);
  EXPECT_EQ(tree[i].Info, L"1.0.2.0");
  EXPECT_TRUE(tree[i].IsAbout);
}

}  // namespace
}  // namespace orvelle
