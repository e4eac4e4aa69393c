#include "platform/strings.h"

#include <gtest/gtest.h>

namespace orvelle::platform {
namespace {

TEST(Strings, TrimRemovesBlanksAndTabsAtBothEnds) {
  struct Case { const wchar_t* in; const wchar_t* out; };
  for (auto c : {Case{L"  a b\t", L"a b"}, Case{L"\t\t", L""}, Case{L"", L""}, Case{L"x", L"x"}}) {
    EXPECT_EQ(Trim(c.in), c.out) << c.in;
  }
}

TEST(Strings, AnsiRoundTripKeepsCodePageCharacters) {
  std::string bytes = "caf\xE9";
  EXPECT_EQ(WideFromAnsi(bytes, 1252), L"caf\u00E9");
  EXPECT_EQ(AnsiFromWide(L"caf\u00E9", 1252), bytes);
}

TEST(Strings, LowerCaseFollowsWindowsRules) {
  EXPECT_EQ(LowerCase(L"TOTALCMD.EXE"), L"totalcmd.exe");
  EXPECT_TRUE(EqualsNoCase(L"WinCmd.INI", L"wincmd.ini"));
  EXPECT_FALSE(EqualsNoCase(L"a", L"ab"));
}

}  // namespace
}  // namespace orvelle::platform
