#include "compare/exe_modified.h"

#include <gtest/gtest.h>

#include <array>

namespace orvelle {
namespace {

// A table of its own: one version with two builds, one digest under two
// versions, a row without a version.
constexpr std::array<KnownBuild, 5> kTable = {{
    {L"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", L"8.0"},
    {L"BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB", L"8.0"},
    {L"CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC", L"6.55"},
    {L"CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC", L"6.55a"},
    {L"DDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDD", L""},
}};

TEST(JudgeBuild, Table) {
  struct Case {
    const wchar_t* version;
    const wchar_t* digest;
    BuildVerdict expected;
  } cases[] = {
      {L"8.0", L"BBBBBBBBBBBBBBBBBBBBBBBBBBBBBBBB", BuildVerdict::Known},  // second of two builds
      {L"8.0", L"bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb", BuildVerdict::Known},
      {L"6.55a", L"CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC", BuildVerdict::Known},
      {L"8.0", L"CCCCCCCCCCCCCCCCCCCCCCCCCCCCCCCC", BuildVerdict::Modified},  // another version's
      {L"8.0", L"AAAAAAAAAAAAAAAABBBBBBBBBBBBBBBB", BuildVerdict::Modified},  // no run-together match
      {L"8.0", L"AAAA", BuildVerdict::Modified},
      {L"8.0.0.1", L"AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA", BuildVerdict::Unknown},
      {L"8.0", L"", BuildVerdict::Unknown},  // program file unreadable
      {L"", L"DDDDDDDDDDDDDDDDDDDDDDDDDDDDDDDD", BuildVerdict::Unknown},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(JudgeBuild(kTable, c.version, c.digest), c.expected)
        << testing::PrintToString(std::wstring(c.version)) << " "
        << testing::PrintToString(std::wstring(c.digest));
  }
}

TEST(JudgeBuild, ShippedTableKnowsItsRows) {
  EXPECT_EQ(JudgeBuild(kKnownBuilds, L"6.55a", L"EDC226CB58730DBDCF6F2F462FECEE15"),
            BuildVerdict::Known);
  EXPECT_EQ(JudgeBuild(kKnownBuilds, L"7.57a", L"9D7AEE9B3240AF4642421D458CE7DB2C"),
            BuildVerdict::Modified);
  EXPECT_EQ(JudgeBuild(kKnownBuilds, L"", L"0040038C833C8C1D49A2ED88D305A929"),
            BuildVerdict::Unknown);
}

}  // namespace
}  // namespace orvelle
