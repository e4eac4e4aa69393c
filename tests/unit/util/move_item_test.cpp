// Moving folders to another volume, where the system refuses a rename: the
// folder arrives whole (names, bytes, attributes, dates) or stays where it
// was, never half in both places.
#include "util/move_item.h"

#include "platform/fs.h"
#include "support/temp_dir.h"
#include "support/tree_snapshot.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::SnapshotTree;

FILETIME TimeOf(const std::wstring& path) {
  std::optional<platform::FileEntry> entry = platform::GetFileEntry(path);
  return entry ? entry->lastWrite : FILETIME{};
}

bool SameTime(const FILETIME& a, const FILETIME& b) {
  return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
}

void SetTime(const std::wstring& file, uint64_t value) {
  HANDLE h = ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  FILETIME t{static_cast<DWORD>(value), static_cast<DWORD>(value >> 32)};
  ::SetFileTime(h, nullptr, nullptr, &t);
  ::CloseHandle(h);
}

// A plugin folder with a subfolder, an empty folder and a read-only file.
void WritePluginFolder(const std::wstring& dir) {
  test::WriteBytes(dir + L"\\cloud.wfx", std::string(100000, 'x'));
  test::WriteBytes(dir + L"\\Язык\\русский.lng", "lang");
  test::CreateDirectories(dir + L"\\empty");
  test::WriteBytes(dir + L"\\readme.txt", "read me");
  SetTime(dir + L"\\cloud.wfx", 0x01D0000000000000ULL);
  ::SetFileAttributesW((dir + L"\\readme.txt").c_str(), FILE_ATTRIBUTE_READONLY);
}

TEST(MoveItem, AFolderGoesToAnotherVolumeWholeAndComesBack) {
  const std::wstring other = test::OtherVolumeFolder();
  if (other.empty()) GTEST_SKIP() << "no second volume known on this machine";
  test::TempDir here, there(other);
  const std::wstring from = here / L"Cloud", to = there / L"Cloud";
  WritePluginFolder(from);
  const test::TreeSnapshot before = SnapshotTree(from);
  const FILETIME time = TimeOf(from + L"\\cloud.wfx");
  ASSERT_FALSE(platform::MovePath(from, to, 0)) << "a rename across the volumes must fail";

  ASSERT_EQ(MoveItem(from, to), 0u);
  EXPECT_FALSE(platform::PathExists(from));
  EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(to)), L"");
  EXPECT_TRUE(SameTime(TimeOf(to + L"\\cloud.wfx"), time));
  EXPECT_NE(platform::FileAttributes(to + L"\\readme.txt") & FILE_ATTRIBUTE_READONLY, 0u);

  ASSERT_EQ(MoveItem(to, from), 0u);
  EXPECT_FALSE(platform::PathExists(to));
  EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(from)), L"");
  EXPECT_TRUE(SameTime(TimeOf(from + L"\\cloud.wfx"), time));
}

// A file in use cannot be removed: the folder stays whole where it was, the
// copy goes, and the caller learns why.
TEST(MoveItem, AFolderWithAFileInUseStaysWholeAndNoCopyIsLeft) {
  const std::wstring other = test::OtherVolumeFolder();
  if (other.empty()) GTEST_SKIP() << "no second volume known on this machine";
  test::TempDir here, there(other);
  const std::wstring from = here / L"Cloud", to = there / L"Cloud";
  WritePluginFolder(from);
  const test::TreeSnapshot before = SnapshotTree(from);
  HANDLE inUse = ::CreateFileW((from + L"\\Язык\\русский.lng").c_str(), GENERIC_READ,
                               FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr);
  ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
  const DWORD error = MoveItem(from, to);
  ::CloseHandle(inUse);
  EXPECT_NE(error, 0u);
  EXPECT_FALSE(SystemMessage(error).empty());
  EXPECT_FALSE(platform::PathExists(to));
  EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(from)), L"");
  EXPECT_EQ(SnapshotTree(here.Path()).entries.size(), before.entries.size() + 1)
      << "nothing left beside the folder";
}

}  // namespace
}  // namespace orvelle
