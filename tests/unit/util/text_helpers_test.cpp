#include "util/text_helpers.h"

#include <gtest/gtest.h>

#include <limits>

namespace orvelle {
namespace {

TEST(TextHelpers, SplitNumberedKey) {
  struct Case {
    const wchar_t* line;
    const wchar_t* key;
    const wchar_t* number;
    const wchar_t* value;
  };
  for (const Case& c : {
           Case{L"button12=cm_Exit", L"button", L"12", L"=cm_Exit"},
           Case{L"menu=x", L"menu", L"", L"=x"},
           Case{L"12=a=b", L"", L"12", L"=a=b"},
           Case{L"1_detect=\"x\"", L"1_detect", L"", L"=\"x\""},
           Case{L"no equals 3", L"", L"", L"no equals 3"},
           Case{L"=", L"", L"", L"="},
       }) {
    NumberedKey k = SplitNumberedKey(c.line);
    EXPECT_EQ(k.key, c.key) << c.line;
    EXPECT_EQ(k.number, c.number) << c.line;
    EXPECT_EQ(k.value, c.value) << c.line;
  }
}

TEST(TextHelpers, FirstPosOfRemoveBlanksGroupDigits) {
  EXPECT_EQ(FirstPosOf(L"_", L"=", L"12_detect=x"), 3u);
  EXPECT_EQ(FirstPosOf(L"_", L"=", L"12=x_y"), 3u);
  EXPECT_EQ(FirstPosOf(L"_", L"=", L"abc=x"), 4u);
  EXPECT_EQ(FirstPosOf(L"_", L"=", L"abc"), 0u);
  EXPECT_EQ(FirstPosOf(L"", L"c", L"abc"), 3u);

  EXPECT_EQ(RemoveBlanks(L" 1, 2\t.3 "), L"1,2.3");

  struct Case {
    const wchar_t* in;
    const wchar_t* out;
  };
  for (const Case& c : {Case{L"", L""}, Case{L"12", L"12"}, Case{L"123", L"123"},
                        Case{L"1234", L"1 234"}, Case{L"123456", L"123 456"},
                        Case{L"1234567", L"1 234 567"}}) {
    EXPECT_EQ(GroupDigits(c.in), c.out) << c.in;
  }
}

TEST(TextHelpers, DecomposeFlags) {
  const std::vector<long long> packer = {1, 2, 4, 8, 16, 32, 64, 128, 256, 512};
  using List = std::vector<std::wstring>;
  EXPECT_EQ(DecomposeFlags(0, packer), List{});
  EXPECT_EQ(DecomposeFlags(-5, packer), List{});
  EXPECT_EQ(DecomposeFlags(95, packer), (List{L"1", L"2", L"4", L"8", L"16", L"64"}));
  EXPECT_EQ(DecomposeFlags(512, packer), List{L"512"});
  // A bit beyond the known flags does not turn on the others.
  EXPECT_EQ(DecomposeFlags(1024 + 4, packer), List{L"4"});
  // Values that are not bits are taken greedily.
  EXPECT_EQ(DecomposeFlags(13, {1, 3, 5, 10}), (List{L"3", L"10"}));
}

TEST(TextHelpers, ParseDecimal) {
  constexpr long long kMax = std::numeric_limits<long long>::max();
  constexpr long long kMin = std::numeric_limits<long long>::min();
  struct Case {
    const wchar_t* text;
    bool ok;
    long long value;
  };
  for (const Case& c : {
           Case{L"42", true, 42},
           Case{L"  -7\t", true, -7},
           Case{L"+3", true, 3},
           Case{L"9223372036854775807", true, kMax},
           Case{L"-9223372036854775808", true, kMin},
           Case{L"9223372036854775808", false, 0},
           Case{L"-9223372036854775809", false, 0},
           Case{L"", false, 0},
           Case{L"-", false, 0},
           Case{L"1 2", false, 0},
           Case{L"0x10", false, 0},
           Case{L"12a", false, 0},
       }) {
    long long out = -1;
    EXPECT_EQ(ParseDecimal(c.text, out, kMin, kMax), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(out, c.value) << c.text;
    }
  }
  long long out = 0;
  EXPECT_TRUE(ParseDecimal(L"10", out, 0, 10));
  EXPECT_FALSE(ParseDecimal(L"11", out, 0, 10));
  EXPECT_FALSE(ParseDecimal(L"-1", out, 0, 10));
}

}  // namespace
}  // namespace orvelle
