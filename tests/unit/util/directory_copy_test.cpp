#include "util/directory_copy.h"

#include "platform/fs.h"
#include "support/deep_tree.h"
#include "support/temp_dir.h"
#include "support/tree_snapshot.h"
#include "util/file_ops.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>

namespace orvelle {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

void MakePlugin(const std::wstring& dir) {
  WriteBytes(dir + L"\\plugin.wfx", "code");
  WriteBytes(dir + L"\\plugin.wfx64", "code 64");
  WriteBytes(dir + L"\\lang\\deutsch.lng", "Text");
  test::CreateDirectories(dir + L"\\empty");
  ::SetFileAttributesW((dir + L"\\plugin.wfx64").c_str(), FILE_ATTRIBUTE_READONLY);
}

TEST(DirectoryCopy, AStagedCopyAppearsWholeUnderItsNameWithDatesAndAttributes) {
  TempDir dir;
  const std::wstring source = dir / L"New\\plugins\\wfx\\Ftp";
  MakePlugin(source);
  const std::wstring target = dir / L"My\\plugins\\wfx\\Ftp";
  test::CreateDirectories(dir / L"My\\plugins\\wfx");

  const std::optional<std::wstring> staging = MakeStagingDirectory(target);
  ASSERT_TRUE(staging);
  EXPECT_EQ(*staging, target + L"~copy");
  EXPECT_EQ(MakeStagingDirectory(target), target + L"~copy2") << "a name in use is not shared";
  ::RemoveDirectoryW((target + L"~copy2").c_str());

  ASSERT_TRUE(CopyDirectoryContent(source, *staging, {}));
  EXPECT_FALSE(platform::PathExists(target)) << "nothing under the plugin's name before the end";
  ASSERT_TRUE(PlaceStagedDirectory(*staging, target));
  EXPECT_FALSE(platform::PathExists(*staging));
  EXPECT_EQ(test::DescribeDifferences(test::SnapshotTree(source), test::SnapshotTree(target)), L"");
  const auto from = platform::GetFileEntry(source + L"\\plugin.wfx64");
  const auto to = platform::GetFileEntry(target + L"\\plugin.wfx64");
  ASSERT_TRUE(from && to);
  EXPECT_EQ(CompareFileTime(&from->lastWrite, &to->lastWrite), 0);
  EXPECT_NE(to->attributes & FILE_ATTRIBUTE_READONLY, 0u);
  ::SetFileAttributesW((source + L"\\plugin.wfx64").c_str(), FILE_ATTRIBUTE_NORMAL);
  ::SetFileAttributesW((target + L"\\plugin.wfx64").c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A batch walks a plugin's folder once, to count its files, and copies what
// that walk found: every folder before what it holds, nothing walked again.
TEST(DirectoryCopy, ACopyFromAListingCopiesWhatTheListingNames) {
  TempDir dir;
  const std::wstring source = dir / L"Ftp";
  MakePlugin(source);
  WriteBytes(source + L"\\lang\\old\\english.lng", "Text");
  const TreeListing listing = ListTree(source);
  EXPECT_EQ(listing.Files.size(), 4u);
  for (const std::wstring& file : listing.Files) {
    const size_t slash = file.rfind(L'\\');
    if (slash == std::wstring::npos) continue;
    const std::wstring folder = file.substr(0, slash);
    EXPECT_NE(std::find(listing.Folders.begin(), listing.Folders.end(), folder),
              listing.Folders.end())
        << file;
  }
  const test::TreeSnapshot listed = test::SnapshotTree(source);
  WriteBytes(source + L"\\later.txt", "made after the walk");

  test::CreateDirectories(dir / L"target");
  ASSERT_TRUE(CopyDirectoryContent(source, dir / L"target", {}, {}, &listing));
  EXPECT_EQ(test::DescribeDifferences(listed, test::SnapshotTree(dir / L"target")), L"");
  ::SetFileAttributesW((source + L"\\plugin.wfx64").c_str(), FILE_ATTRIBUTE_NORMAL);
  ::SetFileAttributesW((dir / L"target\\plugin.wfx64").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(DirectoryCopy, OnlyTheNamedFilesOfAFolderThatIsNotThePluginsOwn) {
  TempDir dir;
  WriteBytes(dir / L"drive\\x.wfx", "x");
  WriteBytes(dir / L"drive\\x.wfx64", "x64");
  WriteBytes(dir / L"drive\\other\\big.dat", "not the plugin's");
  test::CreateDirectories(dir / L"target");
  ASSERT_TRUE(CopyDirectoryContent(dir / L"drive", dir / L"target", {L"x.wfx", L"x.wfx64"}));
  test::TreeSnapshot copied = test::SnapshotTree(dir / L"target");
  EXPECT_EQ(copied.entries.size(), 2u);
  EXPECT_EQ(ReadBytes(dir / L"target\\x.wfx64"), "x64");

  test::CreateDirectories(dir / L"target2");
  EXPECT_FALSE(CopyDirectoryContent(dir / L"drive", dir / L"target2", {L"missing.wfx"}));
  EXPECT_FALSE(CopyDirectoryContent(dir / L"drive", dir / L"target2", {L"other"}))
      << "a named folder is no plugin file";
}

// A copy that cannot finish says so; what it copied stays for the caller,
// who deletes the staging folder.
TEST(DirectoryCopy, ALockedFileOrAStopFailsTheCopy) {
  TempDir dir;
  const std::wstring source = dir / L"source";
  MakePlugin(source);
  ::SetFileAttributesW((source + L"\\plugin.wfx64").c_str(), FILE_ATTRIBUTE_NORMAL);
  for (int n = 0; n < 5; ++n) WriteBytes(source + L"\\file" + std::to_wstring(n), "data");

  {
    SCOPED_TRACE("a source file open without sharing");
    test::CreateDirectories(dir / L"locked");
    HANDLE locked = ::CreateFileW((source + L"\\file3").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CopyDirectoryContent(source, dir / L"locked", {}));
    ::CloseHandle(locked);
  }
  {
    SCOPED_TRACE("stopped from another thread before the third file");
    test::CreateDirectories(dir / L"stopped");
    std::atomic<bool> stop{false};
    int files = 0;
    CopyControl control;
    control.Stop = &stop;
    control.BeforeFile = [&](const std::wstring&) {
      if (++files == 3) stop = true;
      return true;
    };
    EXPECT_FALSE(CopyDirectoryContent(source, dir / L"stopped", {}, control));
    EXPECT_EQ(files, 3) << "nothing after the stop is copied";
  }
  {
    SCOPED_TRACE("the hook refuses");
    test::CreateDirectories(dir / L"refused");
    CopyControl control;
    control.BeforeFile = [](const std::wstring&) { return false; };
    EXPECT_FALSE(CopyDirectoryContent(source, dir / L"refused", {}, control));
    for (const auto& [path, bytes] : test::SnapshotTree(dir / L"refused").entries) {
      EXPECT_TRUE(path.ends_with(L"\\")) << "no file copied: " << path;
    }
  }
}

TEST(DirectoryCopy, PlacingOverAnExistingFolderKeepsItAside) {
  TempDir dir;
  WriteBytes(dir / L"Ftp\\ftp.wfx", "old");
  WriteBytes(dir / L"Ftp~copy\\ftp.wfx", "new");

  EXPECT_FALSE(PlaceStagedDirectory(dir / L"Ftp~copy", dir / L"Ftp"))
      << "nowhere to keep the old folder";
  EXPECT_EQ(ReadBytes(dir / L"Ftp\\ftp.wfx"), "old");

  ASSERT_TRUE(PlaceStagedDirectory(dir / L"Ftp~copy", dir / L"Ftp", dir / L"kept"));
  EXPECT_EQ(ReadBytes(dir / L"Ftp\\ftp.wfx"), "new");
  EXPECT_EQ(ReadBytes(dir / L"kept\\ftp.wfx"), "old");

  // Roll back: a staged folder that cannot move leaves the old one in place.
  EXPECT_FALSE(PlaceStagedDirectory(dir / L"missing~copy", dir / L"Ftp", dir / L"kept2"));
  EXPECT_EQ(ReadBytes(dir / L"Ftp\\ftp.wfx"), "new");
  EXPECT_FALSE(platform::PathExists(dir / L"kept2"));
}

TEST(DirectoryCopy, StagingNamesOfATarget) {
  const std::wstring target = L"c:\\tc\\plugins\\wfx\\Ftp";
  for (const wchar_t* name : {L"c:\\tc\\plugins\\wfx\\Ftp~copy", L"C:\\TC\\PLUGINS\\WFX\\FTP~COPY12",
                              L"c:\\tc\\plugins\\wfx\\Ftp~copy2\\"}) {
    EXPECT_TRUE(IsStagingDirectoryOf(name, target)) << name;
  }
  for (const wchar_t* name : {L"c:\\tc\\plugins\\wfx\\Ftp", L"c:\\tc\\plugins\\wfx\\Ftp~copyx",
                              L"c:\\tc\\plugins\\wfx\\Ftp~cop", L"c:\\tc\\plugins\\Ftp~copy",
                              L"c:\\tc\\plugins\\wfx\\Ftp~copy\\sub"}) {
    EXPECT_FALSE(IsStagingDirectoryOf(name, target)) << name;
  }
}

}  // namespace
}  // namespace orvelle

namespace orvelle {
namespace {

// Trees nested hundreds of levels deep are copied, snapshot and deleted on a
// thread with a small stack: none of the walks uses the stack per level.
TEST(DirectoryWalks, DeepTreesNeedNoStackPerLevel) {
  TempDir dir;
  constexpr int kLevels = 300;
  const std::wstring deepest = test::MakeDeepTree(dir / L"source", kLevels);
  ASSERT_FALSE(deepest.empty());
  WriteBytes(platform::LongPathForm(deepest + L"\\bottom.txt"), "bottom");
  ASSERT_TRUE(platform::MakeDirectory(dir / L"target"));
  bool copied = false, deleted = false;
  size_t entries = 0;
  test::RunOnSmallStack([&] {
    copied = CopyDirectoryContent(dir / L"source", dir / L"target", {}, {});
    entries = test::SnapshotTree(dir / L"target").entries.size();
    deleted = DeleteDirectoryTree(dir / L"source", true);
  });
  EXPECT_TRUE(copied);
  EXPECT_EQ(entries, static_cast<size_t>(kLevels) + 1);
  EXPECT_EQ(ReadBytes(platform::LongPathForm(dir / L"target" + deepest.substr((dir / L"source").size()) +
                                             L"\\bottom.txt")),
            "bottom");
  EXPECT_TRUE(deleted);
  EXPECT_FALSE(platform::PathExists(dir / L"source"));
}

}  // namespace
}  // namespace orvelle
