#include "tc/searches_colours.h"

#include "platform/fs.h"
#include "support/temp_dir.h"
#include "tc/ttc.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvelle {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;
using Lines = std::vector<std::wstring>;

const Lines kAllFilterNames = {L">Orvelle Empty", L">Orvelle eq", L">Orvelle !", L">Orvelle *",
                               L">Orvelle <>",    L">Orvelle <",  L">Orvelle >"};

TTC ModelWithFilters(const Lines& filters, const Lines& colours) {
  TTC model(L"c:\\tc\\totalcmd.exe");
  model.ColorFilters = filters;
  model.ColorFilterColors = colours;
  return model;
}

TEST(MarkerSearches, FreshModelGetsSevenSearchesAndFiltersBeforeTheUsersOwn) {
  TTC model = ModelWithFilters({L"*.txt", L"*.doc", L"*.bak"}, {L"255", L"0", L"128"});
  SearchColourChanges changes = AddMarkerSearches(model);

  EXPECT_EQ(changes.AddedSearches, (std::vector<size_t>{0, 1, 2, 3, 4, 5, 6}));
  EXPECT_TRUE(changes.ColoursChanged);
  ASSERT_EQ(model.SearchNames.size(), 7u);
  EXPECT_EQ(model.SearchNames[0], L"orvelle >");
  EXPECT_EQ(model.SearchIn[0], L"\\\\\\Orvelle\\");
  EXPECT_EQ(model.SearchFor[0], L"*.*");
  // One row per search in all six lists, and the days of the listing.
  const Lines flags = {
      L"0|000002000020|04.08.1983|04.08.1983|||||||0000|",
      L"0|000002000020|23.04.1985|23.04.1985|||||||0000|",
      L"0|000002000020|19.08.1983|19.08.1983|||||||0000|",
      L"0|000002000020|20.08.1983|20.08.1983|||||||0000|",
      L"0|000002000020|21.08.1983|21.08.1983|||||||0000|",
      L"0|000002000020|22.08.1983|22.08.1983|||||||0000|",
      L"0|000002000020|23.08.1983|23.08.1983|||||||0000|",
  };
  EXPECT_EQ(model.SearchFlags, flags);
  EXPECT_EQ(model.SearchPlugin.size(), 7u);
  EXPECT_EQ(model.SearchText.size(), 7u);

  Lines filters = kAllFilterNames;
  filters.insert(filters.end(), {L"*.txt", L"*.doc", L"*.bak"});
  EXPECT_EQ(model.ColorFilters, filters);
  EXPECT_EQ(model.ColorFilterColors,
            (Lines{L"0", L"0", L"12632256", L"48896", L"255", L"12632256", L"16744527", L"255",
                   L"0", L"128"}));
}

TEST(MarkerSearches, WhatIsThereAlreadyIsKeptAndNamesIgnoreCase) {
  TTC model = ModelWithFilters({L">ORVELLE <>", L"*.txt"}, {L"1", L"2"});
  model.SearchNames = {L"orvelle >"};  // the reader keeps names lower-cased
  model.SearchFor = {L"x"};
  model.SearchIn = {L"y"};
  model.SearchText = {L""};
  model.SearchFlags = {L"mine"};
  model.SearchPlugin = {L""};

  SearchColourChanges changes = AddMarkerSearches(model);
  EXPECT_EQ(changes.AddedSearches, (std::vector<size_t>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(model.SearchFlags[0], L"mine") << "an existing search keeps its values";
  EXPECT_EQ(model.ColorFilters.size(), 8u);
  EXPECT_EQ(model.ColorFilters[6], L">ORVELLE <>");
  EXPECT_EQ(model.ColorFilterColors[6], L"1");

  TTC complete = ModelWithFilters(kAllFilterNames, Lines(7, L"0"));
  for (const MarkerSearch& s : kMarkerSearches) complete.SearchNames.push_back(std::wstring(s.SearchName));
  EXPECT_FALSE(AddMarkerSearches(complete).Any());
}

TEST(MarkerSearches, ColourListShorterThanFilterListStaysPaired) {
  // "ColorFilter2=" without its colour line: the reader pads only the filters.
  TTC model = ModelWithFilters({L"*.a", L"*.b"}, {L"5"});
  AddMarkerSearches(model);
  ASSERT_EQ(model.ColorFilters.size(), model.ColorFilterColors.size());
  EXPECT_EQ(model.ColorFilters[8], L"*.b");
  EXPECT_EQ(model.ColorFilterColors[7], L"5");
}

TEST(MarkerSearchLines, GoRightAfterTheFirstSearchesHeaderOrAtTheEnd) {
  const Lines withSection = {L"[Configuration]", L"x=1", L"[searches]", L"Mine_SearchFor=*.c",
                             L"[Other]"};
  Lines out = InsertSearchLines(withSection, {0});
  EXPECT_EQ(out, (Lines{L"[Configuration]", L"x=1", L"[Searches]", L"Orvelle >_SearchFor=*.*",
                        L"Orvelle >_SearchIn=\\\\\\Orvelle\\", L"Orvelle >_SearchText=",
                        L"Orvelle >_SearchFlags=0|000002000020|04.08.1983|04.08.1983|||||||0000|",
                        L"Mine_SearchFor=*.c", L"[Other]"}));

  out = InsertSearchLines({L"[Configuration]"}, {6});
  ASSERT_EQ(out.size(), 6u);
  EXPECT_EQ(out[1], L"[Searches]");
  EXPECT_EQ(out[2], L"Orvelle Empty_SearchFor=*.*");
}

TEST(MarkerFilterLines, ReplaceTheFilterLinesOfColoursSectionsOnly) {
  TTC model = ModelWithFilters({L">Orvelle >", L"*.txt"}, {L"16744527", L"255"});
  const Lines lines = {L"[Configuration]", L"ColorFilter1=kept, not a colour section",
                       L"[colors]",        L"; a comment",
                       L"ColorFilter1=*.txt", L"ColorFilter1Color=255",
                       L"BackColor=0",     L"[Layout]",
                       L"[Colors]",        L"colorfilter9=stray"};
  EXPECT_EQ(ReplaceColourFilterLines(lines, model),
            (Lines{L"[Configuration]", L"ColorFilter1=kept, not a colour section", L"[Colors]",
                   L"ColorFilter1=>Orvelle >", L"ColorFilter1Color=16744527",
                   L"ColorFilter2=*.txt", L"ColorFilter2Color=255", L"; a comment",
                   L"BackColor=0", L"[Layout]", L"[Colors]"}));

  EXPECT_EQ(ReplaceColourFilterLines({L"[Configuration]"}, model).size(), 6u);
}

std::string Utf16LE(std::wstring_view text) {
  std::string out = "\xFF\xFE";
  for (wchar_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  return out;
}

// A model as the reader leaves it for a configuration with no marker
// searches: every slot names the one file.
TTC ModelOfFile(const std::wstring& ini) {
  TTC model(L"c:\\tc\\totalcmd.exe");
  model.IniFile = ini;
  model.MainIniFile = ini;
  for (int slot = 1; slot < kSlotCount; ++slot) model.SectionFile[slot] = ini;
  model.ColorFilters = {L"*.txt"};
  model.ColorFilterColors = {L"255"};
  return model;
}

TEST(EnsureSearchesAndColours, KeepsEncodingAndEveryOtherLineOfOneFile) {
  struct Case {
    const char* label;
    std::string original;
    std::string afterFirstPass;
    std::string expected;
  };
  // The ANSI file holds bytes of the code page that must come back as they were.
  const std::string ansiHead = "[Configuration]\r\nLanguage=\xC4rger\xFC.lng\r\n";
  const std::string ansiColours = "[Colors]\r\nColorFilter1=*.txt\r\nColorFilter1Color=255\r\n";
  const std::wstring wideHead = L"[Configuration]\r\nLanguage=\u0416\u0438\u0432.lng\r\n";
  const std::wstring wideColours = L"[Colors]\r\nColorFilter1=*.txt\r\nColorFilter1Color=255\r\n";
  const wchar_t* newFilters =
      L"ColorFilter1=>Orvelle Empty\r\nColorFilter1Color=0\r\n"
      L"ColorFilter2=>Orvelle eq\r\nColorFilter2Color=0\r\n"
      L"ColorFilter3=>Orvelle !\r\nColorFilter3Color=12632256\r\n"
      L"ColorFilter4=>Orvelle *\r\nColorFilter4Color=48896\r\n"
      L"ColorFilter5=>Orvelle <>\r\nColorFilter5Color=255\r\n"
      L"ColorFilter6=>Orvelle <\r\nColorFilter6Color=12632256\r\n"
      L"ColorFilter7=>Orvelle >\r\nColorFilter7Color=16744527\r\n"
      L"ColorFilter8=*.txt\r\nColorFilter8Color=255\r\n";
  std::wstring searches = L"[Searches]\r\n";
  for (const MarkerSearch& s : kMarkerSearches) {
    const std::wstring name(s.SearchName);
    searches += name + L"_SearchFor=*.*\r\n" + name + L"_SearchIn=\\\\\\Orvelle\\\r\n" + name +
                L"_SearchText=\r\n" + name + L"_SearchFlags=" + MarkerSearchFlags(s.Sign) + L"\r\n";
  }
  auto ansi = [](const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) s += static_cast<char>(c);
    return s;
  };
  const Case cases[] = {
      {"ANSI", ansiHead + ansiColours, ansiHead + ansiColours + ansi(searches),
       ansiHead + "[Colors]\r\n" + ansi(newFilters) + ansi(searches)},
      {"UTF-16", Utf16LE(wideHead + wideColours), Utf16LE(wideHead + wideColours + searches),
       Utf16LE(wideHead + L"[Colors]\r\n" + newFilters + searches)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    TempDir dir;
    const std::wstring ini = dir / L"wincmd.ini";
    WriteBytes(ini, c.original);
    TTC model = ModelOfFile(ini);
    EXPECT_TRUE(EnsureSearchesAndColours(model));
    EXPECT_EQ(ReadBytes(ini), c.expected);
    // Both sections live in this file: the second pass started from the first
    // one's result, which is what ".bkp" keeps.
    EXPECT_EQ(ReadBytes(ini + L".bkp"), c.afterFirstPass);
    EXPECT_FALSE(platform::PathExists(ini + L"~"));

    // The next start finds everything in place and writes nothing.
    const std::string written = ReadBytes(ini);
    ::DeleteFileW((ini + L".bkp").c_str());
    EXPECT_TRUE(EnsureSearchesAndColours(model));
    EXPECT_EQ(ReadBytes(ini), written);
    EXPECT_FALSE(platform::PathExists(ini + L".bkp"));
  }
}

TEST(EnsureSearchesAndColours, TwoFilesEachKeepTheirOldContentAsBkp) {
  TempDir dir;
  const std::wstring ini = dir / L"wincmd.ini";
  const std::wstring colours = dir / L"colors.ini";
  const std::string iniBytes = "[Configuration]\r\n[searches]\r\nMine_SearchFor=*.c\r\n";
  const std::string colourBytes = "[Colors]\r\nColorFilter1=*.txt\r\nColorFilter1Color=255\r\n";
  WriteBytes(ini, iniBytes);
  WriteBytes(colours, colourBytes);
  TTC model = ModelOfFile(ini);
  model.SectionFile[kSlotColors] = colours;

  EnsureSearchesAndColours(model);
  EXPECT_EQ(ReadBytes(ini + L".bkp"), iniBytes);
  EXPECT_EQ(ReadBytes(colours + L".bkp"), colourBytes);
  const std::string newIni = ReadBytes(ini);
  EXPECT_EQ(newIni.find("[Colors]"), std::string::npos);
  EXPECT_NE(newIni.find("[Searches]\r\nOrvelle >_SearchFor=*.*\r\n"), std::string::npos);
  EXPECT_NE(newIni.find("Orvelle Empty_SearchFlags="), std::string::npos);
  EXPECT_NE(newIni.find("Mine_SearchFor=*.c\r\n"), std::string::npos);
  EXPECT_NE(ReadBytes(colours).find("ColorFilter8=*.txt\r\nColorFilter8Color=255\r\n"),
            std::string::npos);
}

TEST(EnsureSearchesAndColours, AFileThatCannotBeRewrittenIsLeftAsItWas) {
  TempDir dir;
  const std::wstring ini = dir / L"wincmd.ini";
  const std::string bytes = "[Configuration]\r\n";
  WriteBytes(ini, bytes);
  ::SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_READONLY);
  TTC model = ModelOfFile(ini);
  EXPECT_TRUE(EnsureSearchesAndColours(model));
  EXPECT_EQ(ReadBytes(ini), bytes);
  EXPECT_FALSE(platform::PathExists(ini + L".bkp"));
  EXPECT_FALSE(platform::PathExists(ini + L"~"));
  ::SetFileAttributesW(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace orvelle
