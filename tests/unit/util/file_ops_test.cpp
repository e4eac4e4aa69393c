#include "util/file_ops.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "platform/strings.h"
#include "support/temp_dir.h"
#include "util/text_file.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace orvelle {
namespace {

using platform::DirectoryExists;
using platform::FileExists;
using platform::PathExists;
using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::string Pattern(size_t size) {
  std::string s(size, '\0');
  for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return s;
}

FILETIME LastWrite(const std::wstring& path) {
  return platform::GetFileEntry(path).value_or(platform::FileEntry{}).lastWrite;
}

void SetLastWrite(const std::wstring& path, FILETIME time) {
  platform::unique_hfile f(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(f);
  ASSERT_TRUE(::SetFileTime(f.get(), nullptr, nullptr, &time));
}

const FILETIME kOldTime = {0x12345600u, 0x01C0A000u};  // some day in 2000

bool SameTime(FILETIME a, FILETIME b) { return ::CompareFileTime(&a, &b) == 0; }

// A path of the temp folder made longer than the 129 characters a fixed
// buffer once held.
std::wstring LongPath(const TempDir& dir) {
  std::wstring path = dir.Path();
  while (path.size() < 180) path += L"\\long folder name";
  return path;
}

TEST(FileOps, CopyFileBlocksCopiesEveryByteButNoDate) {
  TempDir dir;
  for (size_t size : {size_t{0}, size_t{1}, size_t{2048}, size_t{2049}, size_t{70000}}) {
    const std::string bytes = Pattern(size);
    WriteBytes(dir / L"src", bytes);
    SetLastWrite(dir / L"src", kOldTime);
    WriteBytes(dir / L"dst", "previous longer content that must go away entirely");
    ASSERT_TRUE(CopyFileBlocks(dir / L"src", dir / L"dst")) << size;
    EXPECT_EQ(ReadBytes(dir / L"dst"), bytes) << size;
    EXPECT_FALSE(SameTime(LastWrite(dir / L"dst"), kOldTime)) << size;
  }
  EXPECT_FALSE(CopyFileBlocks(dir / L"missing", dir / L"dst2"));
  EXPECT_FALSE(PathExists(dir / L"dst2"));
  EXPECT_FALSE(CopyFileBlocks(dir / L"src", dir / L"no such folder\\dst"));
  EXPECT_FALSE(CopyFileBlocks(dir / L"src", dir / L"src"));  // never truncates its source
  EXPECT_EQ(ReadBytes(dir / L"src"), Pattern(70000));
}

std::vector<int> g_reports;
int g_abortAt = 0;

int Record(int pluginNr, const std::wstring&, const std::wstring&, int percent) {
  EXPECT_EQ(pluginNr, 7);
  g_reports.push_back(percent);
  return static_cast<int>(g_reports.size()) == g_abortAt ? 1 : 0;
}

TEST(FileOps, CopyFileWithProgressReportsEveryBlockAndCarriesTheDate) {
  struct Case {
    size_t size;
    std::vector<int> reports;
  };
  const Case cases[] = {
      {0, {100}},
      {1000, {100}},
      {49152, {100, 100}},  // a full block, then the read of 0 bytes that ends the copy
      {100000, {49, 98, 100}},
      {2 * 49152, {50, 100, 100}},
  };
  TempDir dir;
  g_abortAt = 0;
  for (const Case& c : cases) {
    const std::string bytes = Pattern(c.size);
    WriteBytes(dir / L"src", bytes);
    SetLastWrite(dir / L"src", kOldTime);
    g_reports.clear();
    EXPECT_EQ(CopyFileWithProgress(dir / L"src", dir / L"dst", Record, 7), 0) << c.size;
    EXPECT_EQ(g_reports, c.reports) << c.size;
    EXPECT_EQ(ReadBytes(dir / L"dst"), bytes) << c.size;
    EXPECT_TRUE(SameTime(LastWrite(dir / L"dst"), kOldTime)) << c.size;
  }
}

TEST(FileOps, CopyFileWithProgressAbortsAndFails) {
  TempDir dir;
  WriteBytes(dir / L"src", Pattern(150000));
  // Aborted at the second report: the first block is written, the second not.
  g_reports.clear();
  g_abortAt = 2;
  EXPECT_EQ(CopyFileWithProgress(dir / L"src", dir / L"dst", Record, 7), 1);
  EXPECT_EQ(ReadBytes(dir / L"dst"), Pattern(49152));
  g_abortAt = 0;

  g_reports.clear();
  EXPECT_EQ(CopyFileWithProgress(dir / L"src", dir.Path() + L"\\SRC", Record, 7), 0);
  EXPECT_TRUE(g_reports.empty());
  EXPECT_EQ(ReadBytes(dir / L"src"), Pattern(150000));

  EXPECT_EQ(CopyFileWithProgress(dir / L"missing", dir / L"dst2", Record, 7), kCopyFailed);
  EXPECT_FALSE(PathExists(dir / L"dst2"));
  ::CreateDirectoryW((dir / L"folder").c_str(), nullptr);
  EXPECT_EQ(CopyFileWithProgress(dir / L"src", dir / L"folder", Record, 7), kCopyFailed);
  EXPECT_TRUE(DirectoryExists(dir / L"folder"));
}

void MakeTree(const std::wstring& root, bool sameOrder) {
  ::CreateDirectoryW(root.c_str(), nullptr);
  const std::vector<std::wstring> names = sameOrder
      ? std::vector<std::wstring>{L"a.txt", L"Plugin.wfx", L"z.ini"}
      : std::vector<std::wstring>{L"z.ini", L"plugin.WFX", L"a.txt"};
  for (const std::wstring& n : names) {
    WriteBytes(root + L"\\" + n, platform::EqualsNoCase(n, L"plugin.wfx") ? "code" : "x");
  }
  ::CreateDirectoryW((root + L"\\lang").c_str(), nullptr);
}

TEST(FileOps, SameDirectoryContentComparesNamesSizeAndDigest) {
  TempDir dir;
  MakeTree(dir / L"a", true);
  MakeTree(dir / L"b", false);  // other case, other creation order
  EXPECT_TRUE(SameDirectoryContent(dir / L"a", dir / L"b", L"plugin.wfx"));

  WriteBytes(dir / L"b\\plugin.wfx", "CODE");  // same size, other digest
  EXPECT_FALSE(SameDirectoryContent(dir / L"a", dir / L"b", L"plugin.wfx"));
  WriteBytes(dir / L"b\\plugin.wfx", "code");
  WriteBytes(dir / L"b\\extra", "");
  EXPECT_FALSE(SameDirectoryContent(dir / L"a", dir / L"b", L"plugin.wfx"));
  ::DeleteFileW((dir / L"b\\extra").c_str());
  ::RemoveDirectoryW((dir / L"b\\lang").c_str());
  WriteBytes(dir / L"b\\lang", "");  // a file where the other has a folder
  EXPECT_FALSE(SameDirectoryContent(dir / L"a", dir / L"b", L"plugin.wfx"));

  // Empty main files, or none, are never "the same".
  MakeTree(dir / L"c", true);
  MakeTree(dir / L"d", true);
  WriteBytes(dir / L"c\\plugin.wfx", "");
  WriteBytes(dir / L"d\\plugin.wfx", "");
  EXPECT_FALSE(SameDirectoryContent(dir / L"c", dir / L"d", L"plugin.wfx"));
  EXPECT_FALSE(SameDirectoryContent(dir / L"a", dir / L"a", L"missing.wfx"));
}

TEST(FileOps, DeleteDirectoryTreeClearsAttributesAndReportsWhatStays) {
  TempDir dir;
  const std::wstring root = dir / L"plugin";
  ::CreateDirectoryW(root.c_str(), nullptr);
  ::CreateDirectoryW((root + L"\\sub").c_str(), nullptr);
  ::CreateDirectoryW((root + L"\\sub\\deeper").c_str(), nullptr);
  WriteBytes(root + L"\\plain", "1");
  WriteBytes(root + L"\\sub\\ro", "2");
  WriteBytes(root + L"\\sub\\deeper\\hidden", "3");
  ::SetFileAttributesW((root + L"\\sub\\ro").c_str(), FILE_ATTRIBUTE_READONLY);
  ::SetFileAttributesW((root + L"\\sub\\deeper\\hidden").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  ::SetFileAttributesW((root + L"\\sub").c_str(), FILE_ATTRIBUTE_READONLY);

  EXPECT_TRUE(DeleteDirectoryTree(root, false));
  EXPECT_TRUE(DirectoryExists(root));
  int left = 0;
  for (const auto& e : platform::EnumFiles(root + L"\\*")) left += e.name.empty() ? 0 : 1;
  EXPECT_EQ(left, 0);

  // A file held open stays, and the result says so.
  WriteBytes(root + L"\\busy", "x");
  WriteBytes(root + L"\\free", "y");
  {
    platform::unique_hfile busy(::CreateFileW((root + L"\\busy").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(busy);
    EXPECT_FALSE(DeleteDirectoryTree(root, true));
    EXPECT_TRUE(FileExists(root + L"\\busy"));
    EXPECT_FALSE(FileExists(root + L"\\free"));
  }
  EXPECT_TRUE(DeleteDirectoryTree(root, true));
  EXPECT_FALSE(PathExists(root));
}

// Makes link a junction (mount point) to target; false where the file
// system cannot hold one.
bool MakeJunction(const std::wstring& link, const std::wstring& target) {
  if (!::CreateDirectoryW(link.c_str(), nullptr)) return false;
  platform::unique_hfile handle(::CreateFileW(link.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                              FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
                                              nullptr));
  if (!handle) return false;
  const std::wstring substitute = L"\\??\\" + target;
  // The mount-point reparse buffer: tag, sizes, then both names, each NUL-ended.
  std::vector<char> buffer(8 + 8 + (substitute.size() + target.size() + 2) * sizeof(wchar_t));
  auto put16 = [&](size_t at, size_t v) {
    buffer[at] = static_cast<char>(v & 0xFF);
    buffer[at + 1] = static_cast<char>((v >> 8) & 0xFF);
  };
  const DWORD tag = IO_REPARSE_TAG_MOUNT_POINT;
  std::memcpy(buffer.data(), &tag, 4);
  put16(4, buffer.size() - 8);
  put16(8, 0);
  put16(10, substitute.size() * sizeof(wchar_t));
  put16(12, (substitute.size() + 1) * sizeof(wchar_t));
  put16(14, target.size() * sizeof(wchar_t));
  std::memcpy(buffer.data() + 16, substitute.c_str(), (substitute.size() + 1) * sizeof(wchar_t));
  std::memcpy(buffer.data() + 16 + (substitute.size() + 1) * sizeof(wchar_t), target.c_str(),
              (target.size() + 1) * sizeof(wchar_t));
  DWORD returned = 0;
  return ::DeviceIoControl(handle.get(), FSCTL_SET_REPARSE_POINT, buffer.data(),
                           static_cast<DWORD>(buffer.size()), nullptr, 0, &returned, nullptr) &&
         (::GetFileAttributesW(link.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

TEST(FileOps, DeleteDirectoryTreeRemovesLinksButNotTheirTargets) {
  TempDir dir;
  ::CreateDirectoryW((dir / L"outside").c_str(), nullptr);
  WriteBytes(dir / L"outside\\keep", "k");
  ::CreateDirectoryW((dir / L"tree").c_str(), nullptr);
  if (!MakeJunction(dir / L"tree\\link", dir / L"outside")) {
    GTEST_SKIP() << "no junctions on this file system";
  }
  ASSERT_EQ(ReadBytes(dir / L"tree\\link\\keep"), "k");
  EXPECT_TRUE(DeleteDirectoryTree(dir / L"tree", true));
  EXPECT_FALSE(PathExists(dir / L"tree"));
  EXPECT_EQ(ReadBytes(dir / L"outside\\keep"), "k");
}

TEST(FileOps, ShellCopyDirectoryCopiesContentAtLongPaths) {
  TempDir dir;
  const std::wstring source = LongPath(dir) + L"\\source";
  ASSERT_TRUE(CreateDirectoryPath(source + L"\\sub"));
  WriteBytes(source + L"\\plugin.wfx", "code");
  WriteBytes(source + L"\\sub\\lang.lng", "text");
  const std::wstring target = LongPath(dir) + L"\\target plugin folder";
  ASSERT_GT(source.size(), 129u);

  ASSERT_TRUE(ShellCopyDirectory(source, target, nullptr));
  EXPECT_EQ(ReadBytes(target + L"\\plugin.wfx"), "code");
  EXPECT_EQ(ReadBytes(target + L"\\sub\\lang.lng"), "text");
  EXPECT_EQ(ReadBytes(source + L"\\plugin.wfx"), "code");  // copied, not moved
}

// Backups, restores and updates move, copy and delete through these; the
// system refuses paths of MAX_PATH characters or more without the long form.
TEST(FileOps, ChangingFunctionsWorkBeyondMaxPath) {
  TempDir dir;
  std::wstring deep = LongPath(dir);
  while (deep.size() < 300) deep += L"\\deeper folder";
  ASSERT_TRUE(CreateDirectoryPath(deep));
  const std::wstring folder = deep + L"\\plugin";
  ASSERT_TRUE(platform::MakeDirectory(folder));
  const std::wstring file = folder + L"\\plugin.ini";
  WriteBytes(file, "a=1\r\n");
  ASSERT_TRUE(platform::CopyFileTo(file, file + L".copy", true));
  EXPECT_FALSE(platform::CopyFileTo(file, file + L".copy", true));
  ASSERT_TRUE(platform::SetAttributes(file + L".copy", FILE_ATTRIBUTE_READONLY));
  EXPECT_NE(platform::FileAttributes(file + L".copy") & FILE_ATTRIBUTE_READONLY, 0u);
  ASSERT_TRUE(platform::SetAttributes(file + L".copy", FILE_ATTRIBUTE_NORMAL));

  // The configuration edit's swap (write beside, rename over) at that depth.
  std::optional<TextDocument> doc = LoadTextFile(file);
  ASSERT_TRUE(doc);
  doc->lines.push_back(L"b=2");
  ASSERT_TRUE(SaveTextFile(file, *doc));
  EXPECT_EQ(ReadBytes(file), "a=1\r\nb=2\r\n");

  ASSERT_TRUE(platform::MovePath(folder, deep + L"\\moved"));
  EXPECT_FALSE(PathExists(folder));
  EXPECT_TRUE(platform::RemoveFile(deep + L"\\moved\\plugin.ini.copy"));
  EXPECT_TRUE(platform::RemoveFile(deep + L"\\moved\\plugin.ini"));
  EXPECT_TRUE(platform::RemoveEmptyDirectory(deep + L"\\moved"));
  EXPECT_FALSE(PathExists(deep + L"\\moved"));
}

TEST(FileOps, CreateDirectoryPathCreatesEveryMissingLevel) {
  TempDir dir;
  EXPECT_TRUE(CreateDirectoryPath(dir / L"a\\b\\c"));
  EXPECT_TRUE(DirectoryExists(dir / L"a\\b\\c"));
  EXPECT_TRUE(CreateDirectoryPath(dir / L"a\\d\\"));
  EXPECT_TRUE(DirectoryExists(dir / L"a\\d"));
  EXPECT_FALSE(CreateDirectoryPath(dir / L"a\\b"));  // existed already
  EXPECT_FALSE(CreateDirectoryPath(dir.Path()));
  WriteBytes(dir / L"file", "");
  EXPECT_FALSE(CreateDirectoryPath(dir / L"file\\x"));
  EXPECT_FALSE(CreateDirectoryPath(L"relative\\path"));
  for (wchar_t drive = L'Q'; drive <= L'Y'; ++drive) {
    const std::wstring root = std::wstring(1, drive) + L":\\";
    if (DirectoryExists(root)) continue;
    EXPECT_FALSE(CreateDirectoryPath(root + L"x\\y"));
    EXPECT_FALSE(DirectoryExists(root + L"x"));
    break;
  }
}

}  // namespace
}  // namespace orvelle
