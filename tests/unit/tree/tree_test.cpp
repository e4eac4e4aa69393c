#include "tree/tree.h"

#include <gtest/gtest.h>

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

TEST(VirtualTree, FindsFirstMatchWithOrWithoutTrailingBackslash) {
  VirtualTree tree;
  tree.Append(Entry(L"\\", L"inst", 0));
  tree.Append(Entry(L"\\inst\\", L"Main unit", 0));
  tree.Append(Entry(L"\\inst\\", L"Main unit", 0));  // a later copy
  EXPECT_EQ(tree.FindTreeItem(L"\\inst\\Main unit"), 1);
  EXPECT_EQ(tree.FindTreeItem(L"\\inst\\Main unit\\"), 1);
  EXPECT_EQ(tree.FindTreeItem(L"\\inst"), 0);
  EXPECT_EQ(tree.FindTreeItem(L"\\INST"), -1) << "paths compare exactly";
  EXPECT_EQ(tree.FindTreeItem(L"\\nothing"), -1);
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
  for (Case c : {Case{200, 100, 43, true}, Case{10, 233, 233, false}, Case{10, 234, 233, true},
                 Case{250, 10, 2, true}}) {
    TVirtualTreeItem item;
    item.Path = L"\\" + std::wstring(c.pathLength - 2, L'p') + L"\\";
    item.Name = std::wstring(c.nameLength, L'n');
    ShortenEntryName(item);
    EXPECT_EQ(item.Name.size(), c.expectedLength) << c.pathLength << "+" << c.nameLength;
    EXPECT_EQ(item.Name.size() >= 2 && item.Name.substr(item.Name.size() - 2) == L"..", c.cut);
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
