#include "tc/searches_colours.h"

#include "platform/fs.h"
#include "support/temp_dir.h"
#include "tc_test_helpers.h"
#include "tc/ttc.h"
#include "tree/vars_conts.h"

#include <gtest/gtest.h>

#include <functional>
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
  EXPECT_EQ(changes.AddedFilters, 7u);
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

// The bytes of a file after an edit of its decoded text.
std::string Edited(const std::string& bytes,
                   const std::function<TextDocument(const TextDocument&)>& edit) {
  return EncodeText(edit(DecodeText(bytes, 1252)), 1252);
}

const std::string kSearchBlock =
    "Orvelle >_SearchFor=*.*\r\n"
    "Orvelle >_SearchIn=\\\\\\Orvelle\\\r\n"
    "Orvelle >_SearchText=\r\n"
    "Orvelle >_SearchFlags=0|000002000020|04.08.1983|04.08.1983|||||||0000|\r\n";

TEST(MarkerSearchLines, GoRightAfterTheFirstSearchesHeaderAsWrittenOrAtTheEnd) {
  struct Case {
    const char* label;
    std::string original;
    std::string expected;
  };
  const Case cases[] = {
      {"lower-case header kept", "[Configuration]\r\nx=1\r\n[searches]\r\nMine_SearchFor=*.c\r\n[Other]\r\n",
       "[Configuration]\r\nx=1\r\n[searches]\r\n" + kSearchBlock + "Mine_SearchFor=*.c\r\n[Other]\r\n"},
      {"indented header is the section", "  [Searches]\r\nMine_SearchFor=*.c\r\n",
       "  [Searches]\r\n" + kSearchBlock + "Mine_SearchFor=*.c\r\n"},
      {"no section: a new one at the end", "[Configuration]\r\n",
       "[Configuration]\r\n[Searches]\r\n" + kSearchBlock},
      {"last line without line end", "[Configuration]\r\nx=1",
       "[Configuration]\r\nx=1\r\n[Searches]\r\n" + kSearchBlock.substr(0, kSearchBlock.size() - 2)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Edited(c.original, [](const TextDocument& d) { return InsertSearchLines(d, {0}); }),
              c.expected)
        << c.label;
  }
}

TEST(MarkerFilterLines, EveryKeyOfAUsersFilterMovesWithItAndOtherLinesStay) {
  TTC model = ModelWithFilters({L"*.txt"}, {L"255"});
  ASSERT_EQ(AddMarkerSearches(model).AddedFilters, 7u);
  auto block = [](const std::string& end) {
    const char* filters[][2] = {{">Orvelle Empty", "0"}, {">Orvelle eq", "0"},
                                {">Orvelle !", "12632256"}, {">Orvelle *", "48896"},
                                {">Orvelle <>", "255"},     {">Orvelle <", "12632256"},
                                {">Orvelle >", "16744527"}};
    std::string out;
    for (int n = 0; n < 7; ++n) {
      const std::string number = std::to_string(n + 1);
      out += "ColorFilter" + number + "=" + filters[n][0] + end;
      out += "ColorFilter" + number + "Color=" + filters[n][1] + end;
    }
    return out;
  };
  struct Case {
    const char* label;
    std::string original;
    std::string expected;
  };
  const Case cases[] = {
      {"dark colours and keys yet unknown stay with their filter",
       "[Colors]\r\nColorFilter1=*.txt\r\nColorFilter1Color=255\r\nColorFilter1ColorDark=128\r\n"
       "ColorFilter2=*.doc\r\nColorFilter2Whatever=x\r\n",
       "[Colors]\r\n" + block("\r\n") +
           "ColorFilter8=*.txt\r\nColorFilter8Color=255\r\nColorFilter8ColorDark=128\r\n"
           "ColorFilter9=*.doc\r\nColorFilter9Whatever=x\r\n"},
      {"keys that are no numbered filter stay where and as they are",
       "[Colors]\r\nColorFilter-1=a\r\nColorFilter=b\r\nColorFilterABC=c\r\n"
       "ColorFilter100000=d\r\nColorFilter0=e\r\n;ColorFilter1=comment\r\nColorFilter3\r\n",
       "[Colors]\r\n" + block("\r\n") +
           "ColorFilter-1=a\r\nColorFilter=b\r\nColorFilterABC=c\r\n"
           "ColorFilter100000=d\r\nColorFilter0=e\r\n;ColorFilter1=comment\r\nColorFilter3\r\n"},
      {"indented header and keys, blanks around the key, case as written",
       "  [colors]\r\n  colorfilter3=x\r\nCOLORFILTER04Color = 5\r\n",
       "  [colors]\r\n" + block("\r\n") + "  colorfilter10=x\r\nCOLORFILTER11Color = 5\r\n"},
      {"mixed line ends stay with their lines",
       "[Colors]\nColorFilter1=a\r\nBackColor=0\nColorFilter1Color=1\r",
       "[Colors]\n" + block("\n") + "ColorFilter8=a\r\nBackColor=0\nColorFilter8Color=1\r"},
      {"filters of other sections are not the host's colour filters",
       "[Configuration]\r\nColorFilter1=x\r\n[Colors]\r\nColorFilter1=y\r\n[Layout]\r\nColorFilter1=z\r\n",
       "[Configuration]\r\nColorFilter1=x\r\n[Colors]\r\n" + block("\r\n") +
           "ColorFilter8=y\r\n[Layout]\r\nColorFilter1=z\r\n"},
      {"a second colours section is renumbered too, the new lines go to the first",
       "[Colors]\r\nColorFilter1=a\r\n[x]\r\n[COLORS]\r\nColorFilter2=b\r\n",
       "[Colors]\r\n" + block("\r\n") + "ColorFilter8=a\r\n[x]\r\n[COLORS]\r\nColorFilter9=b\r\n"},
      {"no colours section: a new one at the end", "[Configuration]\n",
       "[Configuration]\n[Colors]\n" + block("\n")},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Edited(c.original,
                     [&](const TextDocument& d) { return InsertColourFilterLines(d, model, 7); }),
              c.expected)
        << c.label;
  }
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
  EXPECT_NE(newIni.find("[searches]\r\nOrvelle >_SearchFor=*.*\r\n"), std::string::npos);
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

TEST(WriteMarkerSearches, ADamagedUtf16FileIsLeftAsItIsAndTheUserIsTold) {
  // The real UTF-16 configuration with one byte lost half-way: everything
  // behind it would decode as other characters.
  std::string bytes = ReadBytes(test::RealWorldFile(L"chchoiw-TC\\WinCMD.ini"));
  ASSERT_GT(bytes.size(), 60000u);
  bytes.erase(bytes.size() / 2, 1);
  TempDir dir;
  const std::wstring ini = dir / L"wincmd.ini";
  WriteBytes(ini, bytes);
  TTC model = ModelOfFile(ini);

  EXPECT_EQ(WriteMarkerSearches(model),
            (std::vector<std::wstring>{texts::kSettingsFileNotExact + ini}));
  EXPECT_EQ(ReadBytes(ini), bytes);
  EXPECT_FALSE(platform::PathExists(ini + L".bkp"));
  EXPECT_FALSE(platform::PathExists(ini + L"~"));
}

}  // namespace
}  // namespace orvelle
