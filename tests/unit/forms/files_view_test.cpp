#include "forms/files_view.h"

#include "forms/compare_grids.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

// A readable file as the dialog reads it: fixed dates one day apart by
// default, a size and a digest.
FileSideFacts Side(double modified = 44000.5, uint64_t size = 100, std::wstring digest = L"AA") {
  FileSideFacts f;
  f.exists = true;
  f.created = 44000.25;
  f.modified = modified;
  f.accessed = 44001.0;
  f.size = size;
  f.digest = std::move(digest);
  f.signature.state = SignatureState::Unsigned;
  return f;
}

TPJVersionInfo Version(WORD major, std::wstring text) {
  TPJVersionInfo v;
  v.fileVersion = {major, 0, 0, 0};
  v.productVersion = {major, 0, 0, 0};
  v.fileVersionText = text;
  v.productVersionText = text;
  return v;
}

std::wstring Signs(const FilesView& view) {
  std::wstring s;
  for (const CompareRow& r : view.fileRows) s += (s.empty() ? L"" : L"|") + r.sign;
  return s;
}

int Framed(const std::array<CompareRow, kFileRowCount>& rows) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].framed) return static_cast<int>(i);
  }
  return -1;
}
int Framed(const std::array<CompareRow, kVersionRowCount>& rows) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].framed) return static_cast<int>(i);
  }
  return -1;
}

constexpr wchar_t kNew[] = L"c:\\new\\tool.exe";
constexpr wchar_t kMy[] = L"c:\\my\\tool.exe";

// Both files: which row decided the verdict gets the frame, and the header
// carries the verdict.
TEST(FilesView, BothFilesFrameTheRowThatDecided) {
  struct Case {
    const char* name;
    FileSideFacts a, b;
    const wchar_t* verdict;
    const wchar_t* signs;
    int fileFrame, versionFrame;
  };
  FileSideFacts newer = Side(44002.5, 100, L"BB");
  FileSideFacts bigger = Side(44000.5, 200, L"BB");
  FileSideFacts otherBytes = Side(44000.5, 100, L"BB");
  FileSideFacts newVersion = Side(44000.5, 200, L"BB");
  newVersion.version = Version(2, L"2.0");
  FileSideFacts oldVersion = Side(44003.5, 100, L"AA");
  oldVersion.version = Version(1, L"1.0");
  const Case cases[] = {
      {"newer date", newer, Side(), L">", L"=|>|=|=|<>|=", 1, -1},
      {"other size, same date", bigger, Side(), L"<>", L"=|=|=|>|<>|=", 3, -1},
      {"same size, other bytes", otherBytes, Side(), L"<>", L"=|=|=|=|<>|=", 4, -1},
      {"equal files", Side(), Side(), L"=", L"=|=|=|=|=|=", 4, -1},
      // The version decides before the (older) date.
      {"newer version", newVersion, oldVersion, L">", L"=|<|=|>|<>|=", -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FilesView view = BuildFilesView(kNew, kMy, c.a, c.b, L"c:\\my\\");
    EXPECT_EQ(view.mode, FilesMode::Both);
    EXPECT_EQ(view.header[0], L" tool.exe");
    EXPECT_EQ(view.header[1], L"New");
    EXPECT_EQ(view.header[2], c.verdict);
    EXPECT_EQ(view.header[3], L"My");
    EXPECT_EQ(Signs(view), c.signs);
    EXPECT_EQ(Framed(view.fileRows), c.fileFrame);
    EXPECT_EQ(Framed(view.versionRows), c.versionFrame);
    EXPECT_TRUE(view.runNewEnabled && view.runMyEnabled);
    EXPECT_TRUE(view.sameFileWarning.empty());
  }
}

// Two files that cannot be read have no digests: nothing says their bytes
// are equal, so neither the digest row nor the verdict claims it.
TEST(FilesView, UnreadableFilesAreNotEqual) {
  FilesView view = BuildFilesView(kNew, kMy, Side(44000.5, 100, L""), Side(44000.5, 100, L""), L"");
  EXPECT_EQ(view.fileRows[4].sign, L"<>");
  EXPECT_EQ(view.header[2], L"<>");
}

TEST(FilesView, FileRowsShowDatesGroupedSizesAndDigests) {
  FilesView view = BuildFilesView(kNew, kMy, Side(44000.5, 1234567, L"0123456789ABCDEF0123456789ABCDEF"),
                                  Side(44000.5, 123, L"AA"), L"");
  EXPECT_EQ(view.fileRows[1].label, L" Last Modif. Date");
  EXPECT_EQ(view.fileRows[1].newValue, L"18.06.2020 12:00:00");
  EXPECT_EQ(view.fileRows[3].newValue, L"1 234 567");
  EXPECT_EQ(view.fileRows[3].myValue, L"123");
  EXPECT_EQ(view.fileRows[4].newValue, L"0123456789ABCDEF0123456789ABCDEF");
}

// The signature row: the signer, "none" for an unsigned program, nothing
// for a file that is no program. Its sign cell is framed when only one side
// is signed and intact: that tells the genuine file from the other.
TEST(FilesView, SignatureRowFramesTheOnlyIntactSide) {
  auto with = [](SignatureState state, const wchar_t* signer = L"") {
    FileSideFacts f = Side();
    f.signature.state = state;
    f.signature.signer = signer;
    return f;
  };
  using S = SignatureState;
  struct Case {
    FileSideFacts a, b;
    const wchar_t *newValue, *sign, *myValue;
    bool framed;
  } cases[] = {
      {with(S::Intact, L"Maker"), with(S::Intact, L"Maker"), L"Maker", L"=", L"Maker", false},
      {with(S::Intact, L"Maker"), with(S::Intact, L"Other"), L"Maker", L"<>", L"Other", false},
      {with(S::Intact, L"Maker"), with(S::Unsigned), L"Maker", L"<>", L"none", true},
      {with(S::Broken, L"Maker"), with(S::Intact, L"Maker"), L"Maker, does not verify", L"<>",
       L"Maker", true},
      {with(S::Broken, L"Maker"), with(S::Unsigned), L"Maker, does not verify", L"<>", L"none",
       false},
      {with(S::Intact), with(S::Unchecked, L"Maker"), L"signed", L"<>", L"Maker, not verified", true},
      {with(S::Unsigned), with(S::Unsigned), L"none", L"=", L"none", false},
      {with(S::NotProgram), with(S::Unreadable), L"", L"", L"", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.newValue) + L"|" + c.myValue));
    const CompareRow row = BuildFilesView(kNew, kMy, c.a, c.b, L"").fileRows[5];
    EXPECT_EQ(row.label, L" Signature");
    EXPECT_EQ(row.newValue, c.newValue);
    EXPECT_EQ(row.sign, c.sign);
    EXPECT_EQ(row.myValue, c.myValue);
    EXPECT_EQ(row.framed, c.framed);
  }
  // One side only: a file that is no program gets no sign in that row.
  EXPECT_EQ(BuildFilesView(kNew, L"", with(S::NotProgram), {}, L"").fileRows[5].sign, L"");
  EXPECT_EQ(BuildFilesView(kNew, L"", with(S::Intact, L"Maker"), {}, L"").fileRows[5].sign, L"*");
}

// Version rows: numbers and version strings by their order, other strings
// by presence; rows with nothing to compare stay empty.
TEST(FilesView, VersionRowsCompareEachField) {
  FileSideFacts a = Side(44000.5, 200, L"BB"), b = Side();
  TPJVersionInfo va = Version(3, L"3.0"), vb = Version(3, L"3.0b");
  va.companyName = vb.companyName = L"Maker";
  va.comments = L"only here";
  va.productName = L"Tool";
  vb.productName = L"Other tool";
  vb.specialBuild = L"special";
  a.version = va;
  b.version = vb;
  FilesView view = BuildFilesView(kNew, kMy, a, b, L"");
  const wchar_t* expected[kVersionRowCount] = {L"=", L"=", L"<", L"<", L"",  L"*",  L"=",
                                                L"",  L"",  L"<>", L"",  L"",  L"",  L"!"};
  for (size_t i = 0; i < kVersionRowCount; ++i) {
    EXPECT_EQ(view.versionRows[i].sign, expected[i]) << view.versionRows[i].label;
    const bool filled = !view.versionRows[i].newValue.empty() || !view.versionRows[i].myValue.empty();
    EXPECT_EQ(filled, *expected[i] != L'\0') << view.versionRows[i].label;
  }
  EXPECT_EQ(view.versionRows[0].newValue, L"3.0.0.0");
  EXPECT_EQ(view.versionRows[13].myValue, L"special");
  EXPECT_EQ(view.header[2], L"<");
  EXPECT_EQ(Framed(view.versionRows), 2);  // the file version string decided
}

// One file missing: the other side alone, every sign "*" (New) or "!" (My),
// the missing side's Run button disabled and, when its path was set, the
// header saying so.
TEST(FilesView, OneSideOnlyMirrorsTheSigns) {
  FileSideFacts withVersion = Side();
  withVersion.version = Version(1, L"1.0");
  struct Case {
    const wchar_t *newFile, *myFile;
    FileSideFacts a, b;
    FilesMode mode;
    std::array<const wchar_t*, 4> header;
    const wchar_t* sign;
    bool runNew, runMy;
  };
  const Case cases[] = {
      {kNew, kMy, withVersion, {}, FilesMode::OnlyNew, {L" tool.exe", L"New", L"*", L"File is missing!"}, L"*", true, false},
      {kNew, L"", withVersion, {}, FilesMode::OnlyNew, {L" tool.exe", L"New", L"*", L""}, L"*", true, false},
      {kNew, kMy, {}, withVersion, FilesMode::OnlyMy, {L" tool.exe", L"File is missing!", L"!", L"My"}, L"!", false, true},
      {L"", kMy, {}, withVersion, FilesMode::OnlyMy, {L" tool.exe", L"", L"!", L"My"}, L"!", false, true},
  };
  for (const Case& c : cases) {
    FilesView view = BuildFilesView(c.newFile, c.myFile, c.a, c.b, L"");
    EXPECT_EQ(view.mode, c.mode);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(view.header[i], c.header[i]) << i;
    const bool isNew = c.mode == FilesMode::OnlyNew;
    for (const CompareRow& row : view.fileRows) {
      EXPECT_EQ(row.sign, c.sign) << row.label;
      EXPECT_FALSE((isNew ? row.newValue : row.myValue).empty()) << row.label;
      EXPECT_TRUE((isNew ? row.myValue : row.newValue).empty()) << row.label;
    }
    EXPECT_EQ(view.versionRows[0].sign, c.sign);
    EXPECT_EQ(view.versionRows[0].newValue, isNew ? L"1.0.0.0" : L"");
    EXPECT_EQ(view.versionRows[4].sign, L"");  // no description on either side
    EXPECT_EQ(view.runNewEnabled, c.runNew);
    EXPECT_EQ(view.runMyEnabled, c.runMy);
    EXPECT_EQ(Framed(view.fileRows), -1);
  }
}

TEST(FilesView, NeitherFileShowsBothMissingAndNoSigns) {
  FilesView view = BuildFilesView(kNew, kMy, {}, {}, L"");
  EXPECT_EQ(view.mode, FilesMode::Neither);
  EXPECT_EQ(view.header[1], L"File is missing!");
  EXPECT_EQ(view.header[2], L"");
  EXPECT_EQ(view.header[3], L"File is missing!");
  for (const CompareRow& row : view.fileRows) EXPECT_EQ(row.sign + row.newValue + row.myValue, L"");
  for (const CompareRow& row : view.versionRows) EXPECT_EQ(row.sign + row.newValue + row.myValue, L"");
}

// One path for both installations: the warning names the installation whose
// program directory holds the file.
TEST(FilesView, TheSameFileIsNamedBySide) {
  const std::wstring shared = L"C:\\TC\\plugins\\same.wdx";
  EXPECT_EQ(BuildFilesView(shared, L" c:\\tc\\plugins\\same.wdx ", Side(), Side(), L"c:\\tc\\").sameFileWarning,
            L"WARNING! The same file! [My]");
  EXPECT_EQ(BuildFilesView(shared, shared, Side(), Side(), L"c:\\other\\").sameFileWarning,
            L"WARNING! The same file! [New]");
  EXPECT_EQ(BuildFilesView(L"", L"", {}, {}, L"c:\\tc\\").sameFileWarning, L"");
}

// The grids as drawn: each row in its sign's colour, backgrounds alternating
// (the version grid the other way round), the frame only on the sign cell.
TEST(FilesView, GridsColourRowsBySignOnAlternatingBackgrounds) {
  Appearance look;
  look.foreColor = RGB(1, 2, 3);
  look.backColor = RGB(255, 255, 255);
  look.backColor2 = RGB(240, 240, 240);
  FilesView view = BuildFilesView(kNew, kMy, Side(44002.5, 100, L"BB"), Side(), L"");
  GridData files = CompareGrid({view.fileRows.begin(), view.fileRows.end()}, look, false);
  GridData versions = CompareGrid({view.versionRows.begin(), view.versionRows.end()}, look, true);
  ASSERT_EQ(files.rows, 6);
  ASSERT_EQ(versions.rows, 14);
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(files.At(0, c).backColor, look.backColor);
    EXPECT_EQ(files.At(1, c).backColor, look.backColor2);
    EXPECT_EQ(versions.At(0, c).backColor, look.backColor2);
    EXPECT_EQ(versions.At(1, c).backColor, look.backColor);
    EXPECT_EQ(files.At(1, c).textColor, 16744527u);  // ">"
    EXPECT_EQ(files.At(0, c).textColor, 0u);         // "="
    EXPECT_EQ(files.At(4, c).textColor, 255u);       // "<>"
    EXPECT_EQ(files.At(1, c).framed, c == 2);
  }
  EXPECT_EQ(files.frameColor, look.foreColor);
  GridData header = HeaderGrid(view.header, look);
  EXPECT_EQ(header.At(0, 2).text, L">");
  EXPECT_EQ(header.At(0, 2).textColor, look.foreColor);
  EXPECT_EQ(header.At(0, 0).backColor, ::GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(header.align, (std::vector<CellAlign>{CellAlign::Left, CellAlign::Right,
                                                  CellAlign::Center, CellAlign::Left}));
}

}  // namespace
}  // namespace orvelle
