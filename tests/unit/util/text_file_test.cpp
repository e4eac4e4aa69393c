#include "util/text_file.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "support/temp_dir.h"
#include "support/text_bytes.h"
#include "util/file_faults.h"
#include "util/flush_group.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <string>
#include <vector>

namespace orvelle {
namespace {

using test::ReadBytes;
using test::SourceFile;
using test::TempDir;
using test::Utf16LEFile;
using test::WriteBytes;

std::wstring Fixture(std::wstring_view name) {
  return SourceFile(L"fixtures\\real-world\\" + std::wstring(name));
}

// Load + save of a real file gives back its very bytes where its style allows.
TEST(TextFile, RealFilesSurviveLoadAndSave) {
  struct Case {
    const wchar_t* name;
    UINT codePage;
    TextEncoding encoding;
  };
  const Case cases[] = {
      {L"chchoiw-TC\\VERTICAL.BAR", CP_ACP, TextEncoding::Utf16LE},
      {L"chchoiw-TC\\WinCMD.ini", CP_ACP, TextEncoding::Utf16LE},
      {L"hulucc-totalcmd\\wincmd.ini", 936, TextEncoding::Ansi},
      {L"hulucc-totalcmd\\wincmd.ini", CP_ACP, TextEncoding::Ansi},
      {L"taurit-TotalCommander\\wincmd.ini", CP_ACP, TextEncoding::Utf8},
      {L"pozitronik-TCConfig\\WCMD_RUS_EXT.MNU", CP_ACP, TextEncoding::Ansi},
      {L"turboBasic-totalcommander\\UserCmd.ini", CP_ACP, TextEncoding::Ansi},
  };
  TempDir dir;
  for (const Case& c : cases) {
    const std::string original = ReadBytes(Fixture(c.name));
    ASSERT_FALSE(original.empty()) << c.name;
    std::optional<TextDocument> doc = LoadTextFile(Fixture(c.name), c.codePage);
    ASSERT_TRUE(doc) << c.name;
    EXPECT_EQ(doc->encoding, c.encoding) << c.name;
    ASSERT_TRUE(SaveTextFile(dir / L"copy", *doc, c.codePage)) << c.name;
    EXPECT_EQ(ReadBytes(dir / L"copy"), original) << c.name;
  }
}

TEST(TextFile, Utf16WithMixedLineEndsKeepsEachLinesEnd) {
  const std::wstring real = Fixture(L"turboBasic-totalcommander\\wincmd.ini");
  std::optional<TextDocument> doc = LoadTextFile(real);
  ASSERT_TRUE(doc);
  ASSERT_GE(doc->lines.size(), 4u);
  EXPECT_EQ(doc->lines[0], L"");
  EXPECT_EQ(doc->lines[1], L"[Configuration]");
  EXPECT_EQ(doc->lines[3], L"UseIniInProgramDir=7");
  // The file mixes CR LF and LF; saved unchanged, it is the same file.
  ASSERT_NE(std::find(doc->lineEnds.begin(), doc->lineEnds.end(), L"\n"), doc->lineEnds.end());
  ASSERT_NE(std::find(doc->lineEnds.begin(), doc->lineEnds.end(), L"\r\n"), doc->lineEnds.end());
  TempDir dir;
  ASSERT_TRUE(SaveTextFile(dir / L"w.ini", *doc));
  EXPECT_EQ(ReadBytes(dir / L"w.ini"), ReadBytes(real));
}

TEST(TextFile, LoadFailsForMissingOrWriteLockedFiles) {
  TempDir dir;
  EXPECT_FALSE(LoadTextFile(dir / L"missing.ini"));
  WriteBytes(dir / L"busy.ini", "[a]\r\n");
  platform::unique_hfile writer(::CreateFileW((dir / L"busy.ini").c_str(), GENERIC_WRITE,
                                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(writer);
  EXPECT_FALSE(LoadTextFile(dir / L"busy.ini"));
  writer.reset();
  EXPECT_TRUE(LoadTextFile(dir / L"busy.ini"));
}

TEST(TextFile, SaveReplacesAnExistingFileAndLeavesNoTemporaries) {
  TempDir dir;
  const std::wstring file = dir / L"a.ini";
  TextDocument doc;
  doc.lines = {L"one"};
  ASSERT_TRUE(SaveTextFile(file, doc));
  EXPECT_EQ(ReadBytes(file), "one\r\n");
  doc.lines = {L"two"};
  ASSERT_TRUE(SaveTextFile(file, doc));
  EXPECT_EQ(ReadBytes(file), "two\r\n");
  EXPECT_FALSE(platform::PathExists(file + L"~"));
  EXPECT_FALSE(platform::PathExists(file + L"~~"));

  // A hidden file stays hidden.
  ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
  doc.lines = {L"hidden"};
  ASSERT_TRUE(SaveTextFile(file, doc));
  EXPECT_EQ(ReadBytes(file), "hidden\r\n");
  EXPECT_NE(::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
  doc.lines = {L"two"};
  ASSERT_TRUE(SaveTextFile(file, doc));

  // A read-only file is not replaced.
  ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
  doc.lines = {L"three"};
  EXPECT_FALSE(SaveTextFile(file, doc));
  EXPECT_EQ(ReadBytes(file), "two\r\n");
  EXPECT_FALSE(platform::PathExists(file + L"~"));
}

TEST(TextFile, SaveKeepsTheNameAsSpeltOnDisk) {
  TempDir dir;
  const std::wstring file = dir / L"Wincmd.ini";
  WriteBytes(file, "one\r\n");
  TextDocument doc;
  doc.lines = {L"two"};
  // Callers hold the name from the environment or lower-cased.
  ASSERT_TRUE(SaveTextFile(dir / L"wincmd.INI", doc));
  std::vector<std::wstring> names;
  for (const platform::FileEntry& e : platform::EnumFiles(dir / L"*")) names.push_back(e.name);
  EXPECT_EQ(names, std::vector<std::wstring>{L"Wincmd.ini"});
  EXPECT_EQ(ReadBytes(file), "two\r\n");
}

TEST(TextFile, OwnRecordsKeepEveryCharacter) {
  TempDir dir;
  // Text that fits the code page is written as ANSI with CR LF.
  ASSERT_TRUE(AppendTextLines(dir / L"a.d", {L"[filesystemplugins]", L"caf\u00E9=x"}, 1252));
  ASSERT_TRUE(AppendTextLines(dir / L"a.d", {L"more"}, 1252));
  EXPECT_EQ(ReadBytes(dir / L"a.d"), "[filesystemplugins]\r\ncaf\xE9=x\r\nmore\r\n");

  // Text that does not fit makes a UTF-16 file.
  ASSERT_TRUE(AppendTextLines(dir / L"b.d", {L"\u5B89\u5168 FTP=c:\\x.wfx"}, 1252));
  EXPECT_EQ(ReadBytes(dir / L"b.d"), Utf16LEFile(L"\u5B89\u5168 FTP=c:\\x.wfx\r\n"));

  // An ANSI record file that would lose characters becomes UTF-16 first.
  ASSERT_TRUE(AppendTextLines(dir / L"a.d", {L"\u0416"}, 1252));
  EXPECT_EQ(ReadBytes(dir / L"a.d"),
            Utf16LEFile(L"[filesystemplugins]\r\ncaf\u00E9=x\r\nmore\r\n\u0416\r\n"));

  // The reader takes both.
  for (const wchar_t* name : {L"a.d", L"b.d"}) {
    TTextFileAW reader(dir / name);
    ASSERT_TRUE(reader.Reset(1252));
    std::wstring line;
    std::vector<std::wstring> lines;
    while (reader.ReadLine(line)) lines.push_back(line);
    EXPECT_TRUE(reader.AtEnd());
    EXPECT_EQ(lines, reader.Document().lines);
  }
  TTextFileAW reader(dir / L"a.d");
  ASSERT_TRUE(reader.Reset(1252));
  EXPECT_EQ(reader.Document().lines.back(), L"\u0416");
  EXPECT_EQ(reader.Encoding(), TextEncoding::Utf16LE);
}

// Appended in place, a record gets the bytes a rewrite would give it, in
// every encoding and line end it may have; where lines cannot simply follow
// (no file, no final line end, characters an ANSI file lacks) it is
// rewritten instead.
TEST(TextFile, AppendInPlaceGivesTheBytesOfARewrite) {
  struct Case {
    const char* name;
    std::string start;  // "" : no file
    std::vector<std::wstring> lines;
  };
  const std::vector<Case> cases = {
      {"ansi", "verb=installed\r\n", {L"part=0001-i", L"caf\u00E9"}},
      {"lf", "verb=installed\npart=0001-i\n", {L"part=0002-i"}},
      {"utf16", Utf16LEFile(L"verb=\u5B89\r\n"), {L"part=0001-i", L"\u0416"}},
      {"utf8", "\xEF\xBB\xBFverb=x\r\n", {L"\u0416"}},
      {"missing", "", {L"verb=installed"}},
      {"no final end", "verb=installed", {L"part=0001-i"}},
      {"widens", "verb=installed\r\n", {L"\u0416"}},
  };
  TempDir dir;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::wstring inPlace = dir / L"in.b";
    const std::wstring rewritten = dir / L"re.b";
    platform::RemoveFile(inPlace);
    platform::RemoveFile(rewritten);
    if (!c.start.empty()) {
      WriteBytes(inPlace, c.start);
      WriteBytes(rewritten, c.start);
    }
    ASSERT_TRUE(AppendLinesInPlace(inPlace, c.lines, 1252));
    ASSERT_TRUE(AppendTextLines(rewritten, c.lines, 1252));
    EXPECT_EQ(ReadBytes(inPlace), ReadBytes(rewritten));
  }
}

TEST(TextFile, ReadingLeavesTheFileAloneAndNoCopyBeside) {
  TempDir dir;
  const std::string bytes = Utf16LEFile(L"[a]\r\nx=\u4E2D\r\n");
  WriteBytes(dir / L"u.ini", bytes);
  TTextFileAW reader(dir / L"u.ini");
  ASSERT_TRUE(reader.Reset());
  std::wstring line;
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, L"[a]");
  ASSERT_TRUE(reader.ReadLine(line));
  EXPECT_EQ(line, L"x=\u4E2D");
  EXPECT_FALSE(reader.ReadLine(line));
  EXPECT_EQ(ReadBytes(dir / L"u.ini"), bytes);
  int entries = 0;
  for (const auto& e : platform::EnumFiles(dir.Path() + L"\\*")) entries += e.name.empty() ? 0 : 1;
  EXPECT_EQ(entries, 1);
  EXPECT_FALSE(TTextFileAW(dir / L"none").Reset());
}

// Within a flush group, records of its folder are flushed together, and
// before anything outside the folder is written or any file replaced; a
// record that cannot be flushed stops that write, the old file unchanged.
TEST(TextFile, AFlushGroupFlushesItsRecordsBeforeAnythingElseChanges) {
  TempDir dir;
  ::CreateDirectoryW((dir / L"store").c_str(), nullptr);
  const std::wstring record = dir / L"store\\a.i";
  const std::wstring gone = dir / L"store\\gone.i";
  const std::wstring settings = dir / L"wincmd.ini";
  WriteBytes(settings, "[Old]\r\n");
  std::vector<std::wstring> flushed;
  bool failFlush = false;
  const FileFaultHook previous = SetFileFaultHook([&](FileStep step, const std::wstring& path) {
    if (step != FileStep::Flush) return false;
    flushed.push_back(platform::ExtractFileName(path));
    return failFlush;
  });
  TextDocument doc;
  doc.lines = {L"[New]"};
  {
    FlushGroup group(dir / L"store");
    ASSERT_TRUE(AppendTextLines(record, {L"one"}));
    ASSERT_TRUE(AppendLinesInPlace(record, {L"two"}));
    ASSERT_TRUE(AppendTextLines(gone, {L"three"}));
    ASSERT_TRUE(platform::RemoveFile(gone));
    EXPECT_EQ(ReadBytes(record), "one\r\ntwo\r\n") << "written at once";
    EXPECT_TRUE(flushed.empty());

    // Each failed flush forgets its files: the next write has a record of its own.
    failFlush = true;
    EXPECT_FALSE(SaveTextFile(settings, doc));
    EXPECT_EQ(ReadBytes(settings), "[Old]\r\n");
    ASSERT_TRUE(AppendLinesInPlace(record, {L"three"}));
    EXPECT_FALSE(SaveTextFile(dir / L"new.ini", doc));
    EXPECT_FALSE(platform::PathExists(dir / L"new.ini"));

    failFlush = false;
    flushed.clear();
    ASSERT_TRUE(AppendLinesInPlace(record, {L"four"}));
    ASSERT_TRUE(AppendTextLines(gone, {L"five"}));
    ASSERT_TRUE(platform::RemoveFile(gone));
    EXPECT_TRUE(SaveTextFile(settings, doc)) << "a file gone meanwhile needs no flush";
    EXPECT_EQ(flushed, (std::vector<std::wstring>{L"a.i", L"gone.i"}));
    EXPECT_EQ(ReadBytes(settings), "[New]\r\n");

    flushed.clear();
    ASSERT_TRUE(AppendLinesInPlace(record, {L"six"}));
  }
  EXPECT_EQ(flushed, std::vector<std::wstring>{L"a.i"}) << "the group's end flushes the rest";
  EXPECT_EQ(FlushGroup::Current(), nullptr);
  SetFileFaultHook(previous);
}

}  // namespace
}  // namespace orvelle
