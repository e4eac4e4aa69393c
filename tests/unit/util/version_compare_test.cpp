#include "util/version_info.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

std::wstring Digits(size_t n, wchar_t last) { return std::wstring(n - 1, L'7') + last; }

TEST(VersionTexts, OrderPartByPartWithTheDigitWeights) {
  struct Case { std::wstring a, b; const wchar_t* sign; };
  const Case cases[] = {
      {L"1.2.0.0", L"1.10.0.0", L"<"},
      {L"2.0.0.0", L"1.9.9.9", L">"},
      {L"1,2,3,4", L"1.2.3.4", L"="},
      {L"7.5a", L"7.5b", L"<"},
      {L"1;2:3", L"1.2.3", L"="},
      {L"1. 2 b", L"1.2b", L"="},        // blanks go, a letter starts a part
      {L"1.2", L"1.2.0", L"<"},
      {L"10.0", L"9.99", L">"},
      {L"11.03", L"11.3", L">"},         // "03" outweighs the padded " 3"
      {L"", L"1", L"<"},
      {L"1.0", L"", L">"},
      {L"", L"", L""},
      // Not the alphabet: a digit is worth its code + 255, so "b0" > "c-".
      {L"1.b0", L"1.c-", L">"},
      // Different parts can weigh the same ('"'*10 + '+' = '#'*10 + '!').
      {L"1.\"+", L"1.#!", L"="},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareVersionTexts(c.a, c.b), c.sign) << c.a << L" vs " << c.b;
  }
}

TEST(VersionTexts, StringsWithoutDotsStillCompare) {
  // A version without any separator is one part, not an empty one: "8" is
  // newer than "7.5", "5" older than "6".
  EXPECT_EQ(CompareVersionTexts(L"8", L"7.5"), L">");
  EXPECT_EQ(CompareVersionTexts(L"5", L"6"), L"<");
  EXPECT_EQ(CompareVersionTexts(L"2021", L"2021"), L"=");
  EXPECT_EQ(CompareVersionTexts(L"7", L"7.0"), L"<");
}

TEST(VersionTexts, LongPartsCompareExactly) {
  // Forty-character parts: their weights are far beyond 64 bits.
  EXPECT_EQ(CompareVersionTexts(L"1." + Digits(40, L'1'), L"1." + Digits(40, L'2')), L"<");
  EXPECT_EQ(CompareVersionTexts(L"1." + Digits(40, L'9'), L"1." + Digits(40, L'8')), L">");
  EXPECT_EQ(CompareVersionTexts(Digits(40, L'1') + L".5", Digits(40, L'1') + L".4"), L">");
  EXPECT_EQ(CompareVersionTexts(Digits(40, L'0'), Digits(39, L'9')), L">");  // longer wins
  EXPECT_EQ(CompareVersionTexts(Digits(200, L'3'), Digits(200, L'3')), L"=");
  // Differing first character, long tails of other digits.
  EXPECT_EQ(CompareVersionTexts(L"2" + std::wstring(60, L'0'), L"1" + std::wstring(60, L'9')),
            L">");
}

TPJVersionInfo Record(std::array<WORD, 4> file, std::array<WORD, 4> product,
                      std::wstring fileText = L"", std::wstring productText = L"") {
  TPJVersionInfo info;
  info.fileVersion = file;
  info.productVersion = product;
  info.fileVersionText = std::move(fileText);
  info.productVersionText = std::move(productText);
  return info;
}

TEST(VersionNumbers, MostSignificantDifferingPartDecides) {
  using R = std::optional<TPJVersionInfo>;
  struct Case { R a, b; bool product; const wchar_t* sign; };
  const Case cases[] = {
      {Record({1, 2, 0, 0}, {}), Record({1, 10, 0, 0}, {}), false, L"<"},
      {Record({2, 0, 0, 0}, {}), Record({1, 9, 9, 9}, {}), false, L">"},
      {Record({1, 2, 3, 4}, {}), Record({1, 2, 3, 4}, {}), false, L"="},
      {Record({1, 0, 0, 0}, {}), Record({1, 0, 0, 0}, {}), true, L""},  // all zero
      {Record({}, {3, 0, 0, 1}), Record({}, {3, 0, 0, 0}), true, L">"},
      {Record({1, 0, 0, 0}, {}), std::nullopt, false, L">"},  // against zeros
      {std::nullopt, std::nullopt, false, L""},
      {std::nullopt, Record({}, {}), false, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareVersionNumbers(c.a, c.b, c.product), c.sign);
  }
}

TEST(VersionStrings, PresenceGivesTheStartingSign) {
  TPJVersionInfo withText = Record({}, {}, L"1.0", L"2.0");
  TPJVersionInfo onlyDot = Record({}, {}, L".");
  EXPECT_EQ(CompareVersionStrings(withText, std::nullopt, false), L">");
  EXPECT_EQ(CompareVersionStrings(std::nullopt, withText, true), L"<");
  EXPECT_EQ(CompareVersionStrings(Record({}, {}), std::nullopt, false), L"");  // both empty
  // Equal weights keep the starting sign: only A has a record.
  EXPECT_EQ(CompareVersionStrings(onlyDot, std::nullopt, false), L"*");
  EXPECT_EQ(CompareVersionStrings(withText, withText, true), L"=");
  EXPECT_EQ(CompareVersionStrings(withText, Record({}, {}, L"1.0", L"1.5"), false), L"=");
  EXPECT_EQ(CompareVersionStrings(withText, Record({}, {}, L"1.0", L"1.5"), true), L">");
}

TEST(VersionRecords, MergeFollowsProductStringsFileStringsThenNumbers) {
  struct Case {
    TPJVersionInfo a, b;
    const wchar_t* sign;
    int kind;
    const wchar_t* kindText;
    const wchar_t* detailA;
    const wchar_t* detailB;
  };
  const Case cases[] = {
      {Record({1, 0, 0, 0}, {1, 0, 0, 0}, L"1.0", L"1.0"),
       Record({1, 0, 0, 0}, {1, 0, 0, 0}, L"1.0", L"1.0"), L"=", 0, L"", L"", L""},
      // Only the fixed file number differs.
      {Record({1, 0, 0, 1}, {1, 0, 0, 0}, L"1.0", L"1.0"),
       Record({1, 0, 0, 0}, {1, 0, 0, 0}, L"1.0", L"1.0"), L">", 3, L"File Version Number",
       L"1.0.0.1", L"1.0.0.0"},
      // Agreeing directions: the last step that counts names the verdict.
      {Record({2, 0, 0, 0}, {2, 0, 0, 0}, L"2.0", L"2.0"),
       Record({1, 0, 0, 0}, {1, 0, 0, 0}, L"1.0", L"1.0"), L">", 3, L"File Version Number",
       L"2.0.0.0", L"1.0.0.0"},
      // Only the product string differs.
      {Record({1, 0, 0, 0}, {1, 0, 0, 0}, L"1.0", L"1.0 beta"),
       Record({1, 0, 0, 0}, {1, 0, 0, 0}, L"1.0", L"1.0"), L">", 6, L"Product Version",
       L"1.0 beta", L"1.0"},
      // Conflict: product string newer, file string older.
      {Record({1, 0, 0, 0}, {1, 0, 0, 0}, L"1.0", L"2.0"),
       Record({1, 0, 0, 0}, {1, 0, 0, 0}, L"2.0", L"1.0"), L"<>", 5,
       L"Product Version | File Version", L"2.0 1.0", L"1.0 2.0"},
      // Conflict through all four steps, with the steps' separators.
      {Record({1, 0, 0, 0}, {2, 0, 0, 0}, L"1.0", L"2.0"),
       Record({2, 0, 0, 0}, {1, 0, 0, 0}, L"2.0", L"1.0"), L"<>", 3,
       L"Product Version | File Version | Product Version Number | File Version Number",
       L"2.0 1.02.0.0.0 1.0.0.0", L"1.0 2.01.0.0.02.0.0.0"},
      // Once in conflict, an agreeing later step does not undo it.
      {Record({1, 0, 0, 0}, {2, 0, 0, 0}, L"1.0", L"2.0"),
       Record({1, 0, 0, 0}, {1, 0, 0, 0}, L"2.0", L"1.0"), L"<>", 4,
       L"Product Version | File Version | Product Version Number", L"2.0 1.02.0.0.0",
       L"1.0 2.01.0.0.0"},
  };
  for (const Case& c : cases) {
    FileVerdict v = CompareVersionRecords(c.a, c.b);
    EXPECT_EQ(v.sign, c.sign) << c.kindText;
    EXPECT_EQ(v.kind, c.kind) << c.kindText;
    EXPECT_EQ(v.kindText, c.kindText);
    EXPECT_EQ(v.detailA, c.detailA) << c.kindText;
    EXPECT_EQ(v.detailB, c.detailB) << c.kindText;
    EXPECT_EQ(v.result, std::wstring(c.sign) != L"=") << c.kindText;
  }
}

TEST(VersionRecords, ARecordOnlyOneSideHasComparesAgainstZeros) {
  FileVerdict v = CompareVersionRecords(Record({1, 2, 3, 4}, {}, L"1.2.3.4"), std::nullopt);
  EXPECT_EQ(v.sign, L">");
  EXPECT_EQ(v.kind, 3);
  EXPECT_EQ(v.detailA, L"1.2.3.4");
  EXPECT_EQ(v.detailB, L"0.0.0.0");
  FileVerdict none = CompareVersionRecords(std::nullopt, std::nullopt);
  EXPECT_EQ(none.sign, L"=");
  EXPECT_FALSE(none.result);
}

}  // namespace
}  // namespace orvelle
