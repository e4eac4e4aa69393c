#include "backup/records.h"

#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using Lines = std::vector<std::wstring>;

TEST(RemovalRecord, ReadsBackWhatWasWrittenAndRejectsOtherFiles) {
  FileRemoval removal;
  removal.File = L"c:\\tc\\Ünï wincmd.ini";
  RemovedGroup section;
  section.Anchor = L"[ListerPlugins] ; a: comment";
  section.Occurrence = 2;
  section.AnchorLine = 40;
  section.Numbering = EntryNumbering::Leading;
  section.RemovedNumbers = {1, 3};
  // A line whose end was not the file's usual one keeps it in the record.
  section.Lines = {{41, L"1=c:\\x:y\\v.wlx", L"\n"}, {42, L"", {}}, {45, L"3_detect=EXT=\"Ж\"", L"\r"}};
  RemovedGroup bar;
  bar.Anchor = L"[Buttonbar]";
  bar.Occurrence = 1;
  bar.AnchorLine = 1;
  bar.Numbering = EntryNumbering::Trailing;
  bar.RemovedNumbers = {2};
  bar.CountKey = L"buttoncount";
  bar.CountDelta = 1;
  bar.Lines = {{5, L"cmd2=notes.txt", {}}};
  RemovedGroup top;  // items before any submenu
  top.Lines = {{1, L"MENUITEM \"x\", notes.txt", L"\r\n"}};
  removal.Groups = {section, bar, top};

  Lines lines = FormatRemovalRecord(removal);
  std::optional<FileRemoval> back = ParseRemovalRecord(lines);
  ASSERT_TRUE(back);
  EXPECT_EQ(FormatRemovalRecord(*back), lines);
  EXPECT_EQ(back->File, removal.File);
  ASSERT_EQ(back->Groups.size(), 3u);
  EXPECT_EQ(back->Groups[0].Anchor, section.Anchor);
  EXPECT_EQ(back->Groups[0].Lines[0].Text, L"1=c:\\x:y\\v.wlx");
  EXPECT_EQ(back->Groups[0].Lines[0].End, L"\n");
  EXPECT_EQ(back->Groups[0].Lines[1].End, L"");
  EXPECT_EQ(back->Groups[0].Lines[2].End, L"\r");
  EXPECT_EQ(back->Groups[2].Lines[0].End, L"\r\n");
  EXPECT_EQ(back->Groups[1].CountDelta, 1);
  EXPECT_TRUE(back->Groups[2].Anchor.empty());

  for (const Lines& bad : {Lines{}, Lines{L"c:\\tc\\wincmd.ini"}, Lines{L"file=x", L"1:line"},
                           Lines{L"file=x", L"group=1:2"}, Lines{L"file=x", L"group=1:2:[a]", L"x"},
                           Lines{L"file=x", L"group=1:2:[a]", L"numbers=sideways:1"},
                           Lines{L"file=x", L"group=1:2:[a]", L"end=lf"},
                           Lines{L"file=x", L"group=1:2:[a]", L"3:x", L"end=nl"}}) {
    EXPECT_FALSE(ParseRemovalRecord(bad));
  }
}

TEST(RemovalRecord, FileNamesStayApartFromTheFoldersOwnFilesAndEachOther) {
  test::TempDir dir;
  EXPECT_EQ(RecordFileName(dir.Path(), L"c:\\tc\\wincmd.ini"), L"wincmd.ini.d");
  test::WriteBytes(dir / L"wincmd.ini.d", "x");
  EXPECT_EQ(RecordFileName(dir.Path(), L"c:\\other\\wincmd.ini"), L"wincmd.ini.2.d");
  EXPECT_EQ(RecordFileName(dir.Path(), L"c:\\tc\\index"), L"_index.d");
  EXPECT_EQ(RecordFileName(dir.Path(), L"c:\\tc\\info"), L"_info.d") << "an info.* would be pruned";
  EXPECT_TRUE(IsRemovalRecordName(L"plugins.ini.d", {}));
  EXPECT_FALSE(IsRemovalRecordName(L"index.d", {}));
  EXPECT_FALSE(IsRemovalRecordName(L"INFO.D", {}));
  EXPECT_FALSE(IsRemovalRecordName(L"notes.d", {L"notes.d"})) << "a moved item";
}

TEST(AddedRecord, ReadsBackWhatAnAddWroteAndRejectsOtherFiles) {
  const AddedLines added{L"c:\\tc\\Настройки\\plugins.ini", L"[listerplugins]", true,
                         {L"2=c:\\x:y\\md.wlx", L"2_detect=EXT=\"文本\""}};
  std::optional<AddedLines> back = ParseAddedRecord(FormatAddedRecord(added));
  ASSERT_TRUE(back);
  EXPECT_EQ(back->File, added.File);
  EXPECT_EQ(back->Header, added.Header);
  EXPECT_TRUE(back->HeaderAdded);
  EXPECT_EQ(back->Lines, added.Lines);

  const CopyInProgress copy{L"c:\\tc\\plugins\\wlx\\md~copy2", L"c:\\tc\\plugins\\wlx\\md",
                            {L"c:\\tc\\plugins", L"c:\\tc\\plugins\\wlx"}};
  std::optional<CopyInProgress> copying = ParseCopyingRecord(FormatCopyingRecord(copy));
  ASSERT_TRUE(copying);
  EXPECT_EQ(copying->Staging, copy.Staging);
  EXPECT_EQ(copying->Made, copy.Made);
  const Lines copied = FormatCopiedRecord(copy);
  EXPECT_EQ(copied.front(), copy.Target) << "the first line names the copied folder";
  std::optional<CopyInProgress> index = ParseCopiedRecord(copied);
  ASSERT_TRUE(index);
  EXPECT_EQ(index->Target, copy.Target);
  EXPECT_EQ(index->Made, copy.Made);
  EXPECT_TRUE(ParseCopiedRecord({L"c:\\tc\\plugins\\wlx\\md"})) << "one line is enough";

  for (const Lines& bad : {Lines{}, Lines{L"file=x", L"section=[a]"},
                           Lines{L"file=x", L"section=[a]", L"2=x"},
                           Lines{L"file=x", L"section=[a]", L"line=a", L"header=added"}}) {
    EXPECT_FALSE(ParseAddedRecord(bad));
  }
  EXPECT_FALSE(ParseCopyingRecord({L"target=x", L"staging=y"}));
  EXPECT_FALSE(ParseCopyingRecord({L"staging=y", L"target=x", L"other=z"}));
  EXPECT_FALSE(ParseCopiedRecord({L"c:\\x", L"c:\\y"}));

  test::TempDir dir;
  EXPECT_EQ(RecordFileName(dir.Path(), L"c:\\tc\\wincmd.ini", L".i"), L"wincmd.ini.i");
  EXPECT_EQ(RecordFileName(dir.Path(), L"c:\\tc\\copying", L".i"), L"_copying.i");
  EXPECT_TRUE(IsAddedRecordName(L"wincmd.ini.i"));
  for (const wchar_t* own : {L"info.i", L"INDEX.I", L"copying.i", L"wincmd.ini.d"}) {
    EXPECT_FALSE(IsAddedRecordName(own)) << own;
  }
}

}  // namespace
}  // namespace orvelle
