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


ProgramSignature Signature(SignatureState state, uint32_t stored = 0, uint32_t computed = 0,
                           std::wstring signer = L"") {
  ProgramSignature s;
  s.state = state;
  s.storedChecksum = stored;
  s.computedChecksum = computed;
  s.signer = std::move(signer);
  return s;
}

// The file's own evidence first: an intact or broken signature decides
// whatever the table says; unsigned, a listed digest decides, then a wrong
// checksum, then the table; what was found stands in brackets.
TEST(JudgeProgram, Table) {
  using S = SignatureState;
  using B = BuildVerdict;
  struct Case {
    ProgramSignature signature;
    BuildVerdict table;
    BuildVerdict verdict;
    const wchar_t* text;
  } cases[] = {
      {Signature(S::Intact, 5, 5, L"Signer"), B::Unknown, B::Known, L"No (signed: Signer)"},
      {Signature(S::Intact, 5, 6, L"Signer"), B::Modified, B::Known, L"No (signed: Signer)"},
      {Signature(S::Intact), B::Unknown, B::Known, L"No (signed)"},
      {Signature(S::Broken, 5, 5, L"Signer"), B::Known, B::Modified,
       L"Yes (signed: Signer, does not verify)"},
      {Signature(S::Unchecked, 5, 5, L"Signer"), B::Unknown, B::Unknown,
       L"? (signed: Signer, not verified)"},
      {Signature(S::Unsigned, 5, 5), B::Unknown, B::Unknown, L"? (unsigned, checksum matches)"},
      {Signature(S::Unsigned, 5, 5), B::Known, B::Known, L"No (unsigned, checksum matches)"},
      {Signature(S::Unsigned, 5, 5), B::Modified, B::Modified, L"Yes (unsigned, checksum matches)"},
      {Signature(S::Unsigned, 5, 6), B::Unknown, B::Modified, L"Yes (unsigned, checksum differs)"},
      {Signature(S::Unsigned, 5, 6), B::Known, B::Known, L"No (unsigned, checksum differs)"},
      {Signature(S::Unsigned, 0, 6), B::Unknown, B::Unknown, L"? (unsigned, no checksum)"},
      {Signature(S::Unsigned, 0, 6), B::Modified, B::Modified, L"Yes (unsigned, no checksum)"},
      {Signature(S::NotProgram), B::Unknown, B::Unknown, L"? (no program file)"},
      {Signature(S::Unreadable), B::Unknown, B::Unknown, L"? (cannot be read)"},
  };
  for (const Case& c : cases) {
    const ProgramVerdict v = JudgeProgram(c.signature, c.table);
    EXPECT_EQ(v.verdict, c.verdict) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(v.text, c.text);
  }
}

TEST(JudgeProgram, PairCommentShowsBothSides) {
  const ProgramVerdict a{BuildVerdict::Known, L"No (signed: A)"};
  const ProgramVerdict b{BuildVerdict::Unknown, L"? (unsigned, checksum matches)"};
  EXPECT_EQ(PairComment(a, a), L"No (signed: A) = No (signed: A)");
  EXPECT_EQ(PairComment(a, b), L"No (signed: A) <> ? (unsigned, checksum matches)");
}

}  // namespace
}  // namespace orvelle
