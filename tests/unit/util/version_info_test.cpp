#include "util/version_info.h"

#include "support/pe_resources.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

std::wstring SystemFile(const wchar_t* name) {
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  return std::wstring(system) + L"\\" + name;
}

const std::vector<std::pair<std::wstring, std::wstring>> kAllStrings = {
    {L"CompanyName", L"Company"},         {L"FileDescription", L"Description"},
    {L"FileVersion", L"1.2.3.4 beta"},    {L"InternalName", L"internal"},
    {L"LegalCopyright", L"(c) 2024"},     {L"LegalTrademarks", L"TM"},
    {L"OriginalFilename", L"tool.exe"},   {L"ProductName", L"Tool"},
    {L"ProductVersion", L"5.6"},          {L"Comments", L"comment"},
    {L"PrivateBuild", L"private"},        {L"SpecialBuild", L"special"},
};

TEST(ReadVersionInfo, ReadsNumbersAndTheTwelveStrings) {
  test::TempDir dir;
  const std::wstring path = dir / L"tool.exe";
  test::CopyProgramFile(path);
  test::WriteVersionResource(path, {1, 2, 3, 4}, {5, 6, 0, 65535}, kAllStrings);
  auto info = ReadVersionInfo(path);
  ASSERT_TRUE(info);
  EXPECT_EQ(info->fileVersion, (std::array<WORD, 4>{1, 2, 3, 4}));
  EXPECT_EQ(info->productVersion, (std::array<WORD, 4>{5, 6, 0, 65535}));
  EXPECT_EQ(DottedVersion(info->productVersion), L"5.6.0.65535");
  const std::wstring* got[] = {&info->companyName,     &info->fileDescription,
                               &info->fileVersionText, &info->internalName,
                               &info->legalCopyright,  &info->legalTrademarks,
                               &info->originalFilename, &info->productName,
                               &info->productVersionText, &info->comments,
                               &info->privateBuild,    &info->specialBuild};
  for (size_t i = 0; i < kAllStrings.size(); ++i) {
    EXPECT_EQ(*got[i], kAllStrings[i].second) << kAllStrings[i].first;
  }
}

TEST(ReadVersionInfo, FindsTheStringTableByTranslationOrCommonCodePages) {
  struct Case { const wchar_t* block; bool translation; bool found; };
  const Case cases[] = {
      {L"041104B0", true, true},    // Japanese, named by the translation
      {L"040904E4", false, true},   // no translation: the English fallbacks
      {L"04090000", false, true},
      {L"041104B0", false, false},  // neither names it
  };
  test::TempDir dir;
  const std::wstring path = dir / L"tool.exe";
  test::CopyProgramFile(path);
  for (const Case& c : cases) {
    test::VersionResource v;
    v.fileVersion = {3, 0, 0, 0};
    v.strings = {{L"FileVersion", L"3.0"}, {L"CompanyName", L"Someone"}};
    v.block = c.block;
    v.withTranslation = c.translation;
    test::WriteVersionResource(path, v);
    auto info = ReadVersionInfo(path);
    ASSERT_TRUE(info) << c.block;
    EXPECT_EQ(info->fileVersion[0], 3) << c.block;
    EXPECT_EQ(info->fileVersionText, c.found ? L"3.0" : L"") << c.block;
    EXPECT_EQ(info->companyName, c.found ? L"Someone" : L"") << c.block;
  }
}

TEST(ReadVersionInfo, AbsentForFilesWithoutARecord) {
  test::TempDir dir;
  const std::wstring program = dir / L"bare.exe";
  test::CopyProgramFile(program);
  test::RemoveResources(program, RT_VERSION);
  test::WriteBytes(dir / L"text.txt", "not a program");
  EXPECT_FALSE(ReadVersionInfo(program));
  EXPECT_FALSE(ReadVersionInfo(dir / L"text.txt"));
  EXPECT_FALSE(ReadVersionInfo(dir / L"missing.exe"));
}

TEST(MayHoldVersionRecord, ProgramsAndCompressedCopies) {
  struct Case {
    std::string_view bytes;
    bool may;
  };
  const Case cases[] = {{"MZ\x90\0", true}, {"MZ", true},     {"SZDD", true},  {"SZDD\x88", true},
                        {"SZD", false},      {"M", false},     {"ZM\0\0", false}, {"", false},
                        {"mz\0\0", false},   {"PK\3\4", false}};
  for (const Case& c : cases) {
    EXPECT_EQ(MayHoldVersionRecord(c.bytes), c.may) << testing::PrintToString(std::string(c.bytes));
  }
}

TEST(ReadVersionInfo, ReadsTheSystemsOwnPrograms) {
  for (const wchar_t* name : {L"explorer.exe", L"shell32.dll"}) {
    auto info = ReadVersionInfo(SystemFile(name));
    ASSERT_TRUE(info) << name;
    EXPECT_NE(info->fileVersion, (std::array<WORD, 4>{})) << name;
    EXPECT_FALSE(info->fileVersionText.empty()) << name;
    EXPECT_FALSE(info->originalFilename.empty()) << name;
  }
}

}  // namespace
}  // namespace orvelle
