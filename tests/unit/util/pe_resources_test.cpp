#include "util/pe_resources.h"

#include "platform/handle.h"
#include "support/pe_resources.h"
#include "support/temp_dir.h"
#include "util/icons.h"
#include "util/version_info.h"
#include "util/version_record.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace orvelle {
namespace {

using test::MakeIconImage;
using test::ReadBytes;
using test::WriteBytes;

constexpr WORD kGroupIcon = 14;
constexpr WORD kVersion = 16;

std::wstring SystemFile(const wchar_t* name) {
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  return std::wstring(system) + L"\\" + name;
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) noexcept {
  auto* names = reinterpret_cast<std::vector<ResourceName>*>(param);
  ResourceName n;
  n.isId = IS_INTRESOURCE(name);
  if (n.isId) {
    n.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
  } else {
    n.text = name;
  }
  names->push_back(n);
  return TRUE;
}

// A program with two icon groups and a version record, as bytes.
std::string ProgramWithResources(const test::TempDir& dir) {
  const std::wstring path = dir / L"whole.dll";
  test::CopyProgramFile(path);
  test::WriteIconResource(path, {{MakeIconImage(16, 32, RGB(1, 2, 3)), MakeIconImage(48, 32, RGB(4, 5, 6))},
                                 {MakeIconImage(32, 24, RGB(7, 8, 9))}});
  test::WriteVersionResource(path, {7, 0, 1, 2}, {7, 0, 0, 0}, {{L"FileVersion", L"7.0"}});
  return ReadBytes(path);
}

TEST(PeResources, FindsWhatTheSystemFinds) {
  const std::wstring shell = SystemFile(L"shell32.dll");
  std::unique_ptr<FileBytes> file = FileBytes::Open(shell);
  ASSERT_TRUE(file);
  std::optional<PeResources> pe = PeResources::Parse(*file);
  ASSERT_TRUE(pe);
  std::vector<ResourceName> system;
  platform::unique_hmodule module(::LoadLibraryExW(shell.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
  ASSERT_TRUE(module);
  ::EnumResourceNamesW(module.get(), RT_GROUP_ICON, CollectName, reinterpret_cast<LONG_PTR>(&system));
  std::vector<ResourceName> own = pe->Names(kGroupIcon);
  ASSERT_EQ(own.size(), system.size());
  ASSERT_GT(own.size(), 10u);
  for (size_t i = 0; i < own.size(); ++i) {
    EXPECT_EQ(own[i].isId, system[i].isId) << i;
    EXPECT_EQ(own[i].id, system[i].id) << i;
    EXPECT_EQ(own[i].text, system[i].text) << i;
  }
  // The data of one resource is the system's, byte for byte.
  const ResourceName& first = own[0];
  HRSRC info = ::FindResourceW(module.get(),
                               first.isId ? MAKEINTRESOURCEW(first.id) : first.text.c_str(),
                               RT_GROUP_ICON);
  ASSERT_NE(info, nullptr);
  const char* data = static_cast<const char*>(::LockResource(::LoadResource(module.get(), info)));
  std::optional<std::string_view> mine = pe->Data(kGroupIcon, first);
  ASSERT_TRUE(mine);
  EXPECT_EQ(*mine, std::string_view(data, ::SizeofResource(module.get(), info)));
}

// A program or icon library cut short (a broken download, a full disk): the
// readers take what lies wholly in the file and nothing from past its end.
TEST(PeResources, CutFilesGiveOnlyWhatIsThere) {
  test::TempDir dir;
  const std::string whole = ProgramWithResources(dir);
  const std::optional<TPJVersionInfo> wholeVersion = ReadVersionInfo(dir / L"whole.dll");
  ASSERT_TRUE(wholeVersion);
  std::optional<TIconLibrary> wholeIcons = TIconLibrary::Open(dir / L"whole.dll");
  ASSERT_TRUE(wholeIcons);
  ASSERT_EQ(wholeIcons->Groups().size(), 2u);

  std::vector<size_t> cuts = {0, 1, 2, 64, 200, 1024, whole.size() - 1, whole.size() - 16};
  for (size_t eighth = 1; eighth < 8; ++eighth) cuts.push_back(whole.size() * eighth / 8);
  // Around the end, where the resources are, byte by byte in steps.
  for (size_t back = 3; back < 4096 && back < whole.size(); back += 97) cuts.push_back(whole.size() - back);
  for (size_t cut : cuts) {
    SCOPED_TRACE(testing::Message() << "cut at " << cut << " of " << whole.size());
    const std::wstring path = dir / L"cut.dll";
    WriteBytes(path, whole.substr(0, cut));
    std::optional<TIconLibrary> icons = TIconLibrary::Open(path);
    if (icons) {
      for (size_t g = 0; g < icons->Groups().size() && g < 2; ++g) {
        const auto& data = icons->Groups()[g].imageData;
        EXPECT_TRUE(data.empty() || data == wholeIcons->Groups()[g].imageData) << g;
      }
    }
    std::optional<TPJVersionInfo> version = ReadVersionInfo(path);
    if (version) {
      EXPECT_EQ(version->fileVersion, wholeVersion->fileVersion);
    }
    // The icon of the file through the cache, which also decides whether
    // the system may look at it.
    GetFileIcon(path);
    FreeIconCache();
  }
}

// Damage inside the file: random bytes written over the headers and the
// resource tree. Whatever the readers make of it, they stay within it.
TEST(PeResources, DamagedBytesAreReadWithinTheFile) {
  test::TempDir dir;
  const std::string whole = ProgramWithResources(dir);
  std::mt19937 random(20240611);
  for (int round = 0; round < 400; ++round) {
    std::string damaged = whole;
    const int flips = 1 + static_cast<int>(random() % 16);
    for (int i = 0; i < flips; ++i) {
      // Half of the damage in the headers, half anywhere.
      const size_t at = (i % 2 == 0) ? random() % std::min<size_t>(1024, damaged.size())
                                     : random() % damaged.size();
      damaged[at] = static_cast<char>(random());
    }
    if (round % 3 == 0) damaged.resize(random() % damaged.size());
    std::optional<PeResources> pe = PeResources::Parse(damaged);
    if (!pe) continue;
    for (WORD type : {kGroupIcon, static_cast<WORD>(3), kVersion}) {
      for (const ResourceName& name : pe->Names(type)) {
        std::optional<std::string_view> data = pe->Data(type, name);
        if (!data) continue;
        ASSERT_GE(data->data(), damaged.data());
        ASSERT_LE(data->data() + data->size(), damaged.data() + damaged.size());
        if (type == kVersion) ParseVersionRecord(*data);
        if (type == kGroupIcon) ParseIconGroup(data->data(), data->size());
      }
    }
  }
}

TEST(VersionRecord, LengthsThatLieAreCutToTheRecord) {
  test::VersionResource v;
  v.fileVersion = {1, 2, 3, 4};
  v.strings = {{L"FileVersion", L"1.2"}, {L"CompanyName", L"Someone"}};
  const std::vector<unsigned char> blob = test::BuildVersionBlob(v);
  const std::string record(blob.begin(), blob.end());
  std::optional<TPJVersionInfo> info = ParseVersionRecord(record);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->fileVersion, (std::array<WORD, 4>{1, 2, 3, 4}));
  EXPECT_EQ(info->companyName, L"Someone");
  // Every cut of the record, and every length field set to the largest value.
  for (size_t cut = 0; cut < record.size(); ++cut) ParseVersionRecord(record.substr(0, cut));
  for (size_t at = 0; at + 1 < record.size(); at += 2) {
    std::string lying = record;
    lying[at] = '\xFF';
    lying[at + 1] = '\xFF';
    ParseVersionRecord(lying);
  }
  EXPECT_FALSE(ParseVersionRecord("VS_VERSION"));
}

}  // namespace
}  // namespace orvelle
