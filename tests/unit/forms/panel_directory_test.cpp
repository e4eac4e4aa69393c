#include "forms/form_files.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

int Add(VirtualTree& tree, const std::wstring& path, const std::wstring& name, bool folder,
        const std::wstring& myFile) {
  TVirtualTreeItem e;
  e.Path = path;
  e.Name = name;
  e.IsFolder = folder;
  e.HasFiles = !folder;
  e.MyFile = myFile;
  e.Order = tree.Count();
  return tree.Append(std::move(e));
}

// The directory the check box opens: the entry's own, else the first file of
// its folder that exists in My installation, else a folder entry naming an
// existing directory; none at all disables the box.
TEST(PanelDirectory, FallsBackToTheEntriesOfTheSameFolder) {
  test::TempDir dir;
  ASSERT_TRUE(test::CreateDirectories(dir / L"a"));
  ASSERT_TRUE(test::CreateDirectories(dir / L"b"));
  ASSERT_TRUE(test::CreateDirectories(dir / L"plugin"));
  test::WriteBytes(dir / L"a\\x.exe", "x");
  test::WriteBytes(dir / L"b\\y.exe", "y");

  VirtualTree tree;
  const int own = Add(tree, L"\\f\\", L"x.exe", false, dir / L"a\\x.exe");
  const int gone = Add(tree, L"\\f\\", L"gone.exe", false, dir / L"missing\\gone.exe");
  Add(tree, L"\\g\\", L"y.exe", false, dir / L"b\\y.exe");
  const int lonely = Add(tree, L"\\h\\", L"gone.exe", false, dir / L"missing\\gone.exe");
  Add(tree, L"\\h\\", L"plugin", true, dir / L"plugin");
  const int nothing = Add(tree, L"\\i\\", L"gone.exe", false, dir / L"missing\\gone.exe");

  EXPECT_EQ(PanelDirectoryFor(tree, own), dir / L"a");
  EXPECT_EQ(PanelDirectoryFor(tree, gone), dir / L"a");
  EXPECT_EQ(PanelDirectoryFor(tree, lonely), dir / L"plugin");
  EXPECT_EQ(PanelDirectoryFor(tree, nothing), L"");
  EXPECT_EQ(PanelDirectoryFor(tree, 99), L"");
}

}  // namespace
}  // namespace orvelle
