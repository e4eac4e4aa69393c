#include "util/icons.h"

#include "platform/fs.h"
#include "support/pe_resources.h"
#include "support/temp_dir.h"
#include "util/digest.h"

#include <gtest/gtest.h>

#include <cstring>

namespace orvelle {
namespace {

using test::MakeIconImage;

std::wstring SystemFile(const wchar_t* name) {
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  return std::wstring(system) + L"\\" + name;
}

// The width of an icon's colour bitmap, 0 when the handle is no icon.
int IconWidth(HICON icon) {
  ICONINFO info{};
  if (!::GetIconInfo(icon, &info)) return 0;
  BITMAP bitmap{};
  ::GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
  if (info.hbmColor) ::DeleteObject(info.hbmColor);
  if (info.hbmMask) ::DeleteObject(info.hbmMask);
  return bitmap.bmWidth;
}

std::vector<unsigned char> GroupBytes(std::initializer_list<std::array<int, 4>> entries,
                                      int type = 1) {
  // Each entry: width, height, bit count, id.
  std::vector<unsigned char> out = {0, 0, static_cast<unsigned char>(type), 0,
                                    static_cast<unsigned char>(entries.size()), 0};
  for (const auto& e : entries) {
    unsigned char entry[14] = {static_cast<unsigned char>(e[0]), static_cast<unsigned char>(e[1]),
                               0, 0, 1, 0, static_cast<unsigned char>(e[2]), 0, 0, 0, 0, 0,
                               static_cast<unsigned char>(e[3]), 0};
    out.insert(out.end(), entry, entry + 14);
  }
  return out;
}

TEST(IconGroups, ParseTheGroupDirectory) {
  auto bytes = GroupBytes({{16, 16, 32, 7}, {0, 0, 8, 9}});
  auto entries = ParseIconGroup(bytes.data(), bytes.size());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].width, 16);
  EXPECT_EQ(entries[0].bitCount, 32);
  EXPECT_EQ(entries[0].id, 7);
  EXPECT_EQ(entries[1].width, 256);  // 0 stands for 256
  EXPECT_EQ(entries[1].height, 256);
  EXPECT_EQ(entries[1].id, 9);

  auto cursor = GroupBytes({{16, 16, 32, 7}}, 2);
  EXPECT_TRUE(ParseIconGroup(cursor.data(), cursor.size()).empty());
  EXPECT_TRUE(ParseIconGroup(bytes.data(), bytes.size() - 1).empty());  // cut short
  EXPECT_TRUE(ParseIconGroup(nullptr, 0).empty());
}

TEST(IconGroups, ChooseTheLargestThenTheDeepestThenTheFirst) {
  auto e = [](int size, int bits, uint16_t id) { return IconDirEntry{size, size, bits, id}; };
  struct Case { std::vector<IconDirEntry> entries; int chosen; };
  const Case cases[] = {
      {{e(16, 32, 1), e(32, 8, 2), e(32, 32, 3), e(32, 32, 4)}, 2},
      {{e(48, 4, 1), e(32, 32, 2)}, 0},
      {{e(32, 32, 1), e(256, 32, 2), e(48, 32, 3)}, 1},
      {{e(32, 24, 1), e(32, 24, 2)}, 0},
      {{}, -1},
  };
  for (const Case& c : cases) {
    std::vector<int> depths;
    for (const IconDirEntry& entry : c.entries) depths.push_back(entry.bitCount);
    EXPECT_EQ(ChooseIconImage(c.entries, depths), c.chosen);
  }
  // The depth from the image decides when the entry leaves it open.
  std::vector<IconDirEntry> open = {e(32, 0, 1), e(32, 0, 2)};
  EXPECT_EQ(ChooseIconImage(open, {8, 32}), 1);
}

TEST(IconGroups, DepthFromTheEntryElseTheImageHeader) {
  IconDirEntry stated{32, 32, 8, 1}, open{32, 32, 0, 1};
  auto bitmap = MakeIconImage(16, 24, RGB(1, 2, 3)).data;
  EXPECT_EQ(IconImageDepth(stated, bitmap), 8);
  EXPECT_EQ(IconImageDepth(open, bitmap), 24);
  // A PNG image: signature, IHDR of 256x256, 8 bits, colour type 6 (RGBA).
  std::vector<unsigned char> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                                    'I',  'H', 'D', 'R', 0,    0,    1,    0,    0, 0, 1, 0,
                                    8,    6,   0,   0,   0};
  EXPECT_EQ(IconImageDepth(open, png), 32);
  EXPECT_EQ(IconImageDepth(open, {1, 2, 3}), 0);
}

TEST(IconLibrary, ReadsGroupsInOrderWithTheChosenImage) {
  test::TempDir dir;
  const std::wstring path = dir / L"icons.dll";
  test::CopyProgramFile(path);
  auto red48 = MakeIconImage(48, 32, RGB(255, 0, 0));
  auto green32 = MakeIconImage(32, 32, RGB(0, 255, 0));
  auto blue16 = MakeIconImage(16, 24, RGB(0, 0, 255));
  test::WriteIconResource(path, {{MakeIconImage(16, 32, RGB(255, 0, 0)), red48, green32},
                                 {blue16},
                                 {MakeIconImage(32, 24, RGB(0, 255, 0)), green32}});
  auto library = TIconLibrary::Open(path);
  ASSERT_TRUE(library);
  ASSERT_EQ(library->Groups().size(), 3u);
  EXPECT_EQ(library->Groups()[0].imageData, red48.data);
  EXPECT_EQ(library->Groups()[1].imageData, blue16.data);
  EXPECT_EQ(library->Groups()[2].imageData, green32.data);  // same size, deeper
  for (const auto& group : library->Groups()) {
    EXPECT_EQ(group.fingerprint, Crc32(group.imageData.data(), group.imageData.size()));
  }
  EXPECT_NE(library->Groups()[0].fingerprint, library->Groups()[2].fingerprint);

  platform::unique_hicon icon(library->CreateIcon(0));
  ASSERT_TRUE(icon);
  EXPECT_EQ(IconWidth(icon.get()), 48);
  EXPECT_EQ(library->CreateIcon(3), nullptr);
}

TEST(IconLibrary, SameImagesGiveSameFingerprintsAcrossFiles) {
  test::TempDir dir;
  auto image = MakeIconImage(32, 32, RGB(10, 20, 30));
  for (const wchar_t* name : {L"a.exe", L"b.exe"}) {
    test::CopyProgramFile(dir / name);
    test::WriteIconResource(dir / name, {{image}});
  }
  auto a = TIconLibrary::Open(dir / L"a.exe");
  auto b = TIconLibrary::Open(dir / L"b.exe");
  ASSERT_TRUE(a && b);
  ASSERT_EQ(a->Groups().size(), 1u);
  EXPECT_EQ(a->Groups()[0].fingerprint, b->Groups()[0].fingerprint);
}

TEST(IconLibrary, OpensProgramsAndRefusesOtherFiles) {
  test::TempDir dir;
  const std::wstring bare = dir / L"bare.exe";
  test::CopyProgramFile(bare);
  test::RemoveResources(bare, RT_GROUP_ICON);
  auto empty = TIconLibrary::Open(bare);
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->Groups().empty());

  test::WriteBytes(dir / L"text.dll", "MZ but nothing else");
  EXPECT_FALSE(TIconLibrary::Open(dir / L"text.dll"));
  EXPECT_FALSE(TIconLibrary::Open(dir / L"missing.dll"));

  auto shell = TIconLibrary::Open(SystemFile(L"shell32.dll"));
  ASSERT_TRUE(shell);
  EXPECT_GT(shell->Groups().size(), 10u);
  platform::unique_hicon first(shell->CreateIcon(0));
  EXPECT_TRUE(first);
}

TEST(IconLibrary, ReadsAProgramOfTheOtherBitness) {
  // Wine's own 32-bit programs, where this machine has them.
  const std::wstring source = L"Z:\\usr\\lib\\i386-linux-gnu\\wine\\i386-windows\\hostname.exe";
  if (!platform::FileExists(source)) GTEST_SKIP() << "no 32-bit program at hand";
  test::TempDir dir;
  const std::wstring path = dir / L"tool32.exe";
  ASSERT_TRUE(::CopyFileW(source.c_str(), path.c_str(), FALSE));
  auto image = MakeIconImage(32, 32, RGB(1, 2, 3));
  test::WriteIconResource(path, {{image}, {image}});
  auto library = TIconLibrary::Open(path);
  ASSERT_TRUE(library);
  ASSERT_EQ(library->Groups().size(), 2u);
  EXPECT_EQ(library->Groups()[1].imageData, image.data);
}

// An .ico file: a directory whose entry points at the image by offset.
std::string IcoFile(const test::IconImage& image) {
  std::string out = {0, 0, 1, 0, 1, 0};
  unsigned char entry[16] = {static_cast<unsigned char>(image.size),
                             static_cast<unsigned char>(image.size), 0, 0, 1, 0,
                             static_cast<unsigned char>(image.bitCount), 0};
  DWORD size = static_cast<DWORD>(image.data.size()), offset = 22;
  std::memcpy(entry + 8, &size, 4);
  std::memcpy(entry + 12, &offset, 4);
  out.append(reinterpret_cast<const char*>(entry), 16);
  out.append(image.data.begin(), image.data.end());
  return out;
}

class FileIcons : public ::testing::Test {
 protected:
  void TearDown() override {
    FreeIconCache();
    SetDefaultPluginIcon(nullptr);
  }
  test::TempDir dir;
};

TEST_F(FileIcons, CachesOneIconPerFileUntilFreed) {
  const std::wstring program = dir / L"Tool.exe";
  test::CopyProgramFile(program);
  test::WriteIconResource(program, {{MakeIconImage(32, 32, RGB(9, 9, 9))}});
  HICON icon = GetFileIcon(program);
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(IconWidth(icon), 32);
  EXPECT_EQ(GetFileIcon(dir / L"TOOL.EXE"), icon);  // same file, same handle
  EXPECT_EQ(GetExeIcon(program), icon);
  FreeIconCache();
  EXPECT_EQ(IconWidth(icon), 0);  // destroyed
  EXPECT_NE(GetFileIcon(program), nullptr);
}

TEST_F(FileIcons, FallsBackToExtractIconThenToThePluginIcon) {
  test::WriteBytes(dir / L"picture.ico", IcoFile(MakeIconImage(32, 32, RGB(0, 0, 200))));
  EXPECT_NE(GetFileIcon(dir / L"picture.ico"), nullptr);

  platform::unique_hicon pluginIcon(::CreateIcon(nullptr, 16, 16, 1, 1,
                                                 std::vector<BYTE>(32, 0xFF).data(),
                                                 std::vector<BYTE>(32, 0).data()));
  ASSERT_TRUE(pluginIcon);
  SetDefaultPluginIcon(pluginIcon.get());
  test::WriteBytes(dir / L"text.wfx64", "no program");
  test::WriteBytes(dir / L"text.txt", "no program");
  EXPECT_EQ(GetFileIcon(dir / L"text.wfx64"), pluginIcon.get());
  EXPECT_EQ(GetFileIcon(dir / L"MISSING.WCX"), pluginIcon.get());
  EXPECT_EQ(GetFileIcon(dir / L"text.txt"), nullptr);
  EXPECT_EQ(GetFileIcon(dir / L"missing.exe"), nullptr);
  FreeIconCache();
  EXPECT_EQ(IconWidth(pluginIcon.get()), 16);  // not the cache's to destroy
}

TEST_F(FileIcons, ExeIconOnlyForExeFiles) {
  const std::wstring library = dir / L"lib.dll";
  test::CopyProgramFile(library);
  test::WriteIconResource(library, {{MakeIconImage(16, 32, RGB(1, 1, 1))}});
  EXPECT_NE(GetFileIcon(library), nullptr);
  EXPECT_EQ(GetExeIcon(library), nullptr);
  EXPECT_EQ(GetExeIcon(L"x"), nullptr);
}

}  // namespace
}  // namespace orvelle
