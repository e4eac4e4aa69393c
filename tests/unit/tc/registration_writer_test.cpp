#include "tc/registration_writer.h"

#include "tc/edit_plan.h"
#include "tc/line_removal.h"
#include "tc/registration_editor.h"
#include "tc/ttc.h"
#include "tc_test_helpers.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using Lines = std::vector<std::wstring>;

RegistrationLines Registration(ItemKind kind, Lines lines, std::wstring path) {
  return RegistrationLines{kind, std::move(lines), std::move(path)};
}

// Where each kind's lines go, and that taking them out again (as the undo
// plans it) gives back the very lines there were, renumbering included.
TEST(RegistrationWriter, InsertsWhereTheHostReadsAndTakesBackExactlyThat) {
  struct Case {
    const char* name;
    Lines before;
    RegistrationLines registration;
    Lines after;
  };
  const Case cases[] = {
      {"file system: behind the last entry, not behind comments or blank lines",
       {L"[Configuration]", L"x=1", L"[FileSystemPlugins]", L"FTP=c:\\p\\ftp.wfx", L";Old=c:\\o.wfx",
        L"", L"[Packer]"},
       Registration(ItemKind::FileSystemPlugin, {L"Cloud=%COMMANDER_PATH%\\cloud\\cloud.wfx"}, L""),
       {L"[Configuration]", L"x=1", L"[FileSystemPlugins]", L"FTP=c:\\p\\ftp.wfx",
        L"Cloud=%COMMANDER_PATH%\\cloud\\cloud.wfx", L";Old=c:\\o.wfx", L"", L"[Packer]"}},
      {"a section without entries: right after its header",
       {L"[packerplugins]", L"; none yet", L"[Other]"},
       Registration(ItemKind::PackerPlugin, {L"rar=69,c:\\r\\rar.wcx", L"r01=64,c:\\r\\rar.wcx"}, L""),
       {L"[packerplugins]", L"rar=69,c:\\r\\rar.wcx", L"r01=64,c:\\r\\rar.wcx", L"; none yet",
        L"[Other]"}},
      {"no section: header and lines at the end",
       {L"[Configuration]", L"x=1"},
       Registration(ItemKind::FileSystemPlugin, {L"Cloud=c:\\c\\cloud.wfx"}, L""),
       {L"[Configuration]", L"x=1", L"[FileSystemPlugins]", L"Cloud=c:\\c\\cloud.wfx"}},
      {"lister: the first free number, the detect line behind it",
       {L"[ListerPlugins]", L"0=c:\\a.wlx", L"0_detect=EXT=\"A\"", L"1=c:\\b.wlx", L"3=c:\\d.wlx",
        L"[ContentPlugins]", L"0=c:\\x.wdx"},
       Registration(ItemKind::ListerPlugin, {L"=c:\\md\\markdown.wlx", L"_detect=EXT=\"MD\""}, L""),
       {L"[ListerPlugins]", L"0=c:\\a.wlx", L"0_detect=EXT=\"A\"", L"1=c:\\b.wlx", L"3=c:\\d.wlx",
        L"2=c:\\md\\markdown.wlx", L"2_detect=EXT=\"MD\"", L"[ContentPlugins]", L"0=c:\\x.wdx"}},
      // The host loads only the first plugin of a name: another plugin's
      // name (in any case, blanks around it aside) gives way to a free one.
      {"file-system plugin whose name another plugin has: the first free name",
       {L"[FileSystemPlugins]", L"clash = c:\\a\\a.wfx", L"Clash (2)=c:\\b\\b.wfx"},
       Registration(ItemKind::FileSystemPlugin, {L"Clash=c:\\c\\c.wfx"}, L""),
       {L"[FileSystemPlugins]", L"clash = c:\\a\\a.wfx", L"Clash (2)=c:\\b\\b.wfx",
        L"Clash (3)=c:\\c\\c.wfx"}},
      {"a name only another section uses stays",
       {L"[FileSystemPlugins]", L"FTP=c:\\f\\ftp.wfx", L"[Other]", L"Clash=1"},
       Registration(ItemKind::FileSystemPlugin, {L"Clash=c:\\c\\c.wfx"}, L""),
       {L"[FileSystemPlugins]", L"FTP=c:\\f\\ftp.wfx", L"Clash=c:\\c\\c.wfx", L"[Other]",
        L"Clash=1"}},
      {"content plugin into a file that has no such section yet",
       {},
       Registration(ItemKind::ContentPlugin, {L"=c:\\f\\fileattrs.wdx"}, L""),
       {L"[ContentPlugins]", L"0=c:\\f\\fileattrs.wdx"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Lines lines = c.before;
    AddedLines added = InsertRegistration(lines, c.registration);
    EXPECT_EQ(lines, c.after);

    test::TempDir dir;
    added.File = dir / L"wincmd.ini";
    TextDocument doc;
    doc.lines = lines;
    ASSERT_TRUE(SaveTextFile(added.File, doc));
    EditPlan plan;
    ASSERT_EQ(RemoveAddedLines(plan, added), kRemovalDone);
    EXPECT_EQ(plan.Document(added.File)->lines, c.before);
    // What the undo took out goes back where it was (the undo of the undo).
    std::vector<FileRemoval> removals = plan.Removals();
    ASSERT_EQ(removals.size(), 1u);
    Lines again = c.before;
    Reinsert(again, removals[0].Groups);
    EXPECT_EQ(again, c.after);
  }
}

// The user changed the file after the add: only what the add wrote goes,
// found by its text, and the host's numbering stays without gaps.
TEST(RegistrationWriter, TakingBackLeavesWhatTheUserAddedMeanwhile) {
  test::TempDir dir;
  AddedLines lister{dir / L"plugins.ini", L"[listerplugins]", false,
                    {L"1=c:\\md\\markdown.wlx", L"1_detect=EXT=\"MD\""}};
  TextDocument doc;
  // Entry 0 was deleted since (the add's entry became 0), another added behind it.
  doc.lines = {L"[ListerPlugins]", L"0=c:\\md\\markdown.wlx", L"0_detect=EXT=\"MD\"",
               L"1=c:\\new\\new.wlx"};
  ASSERT_TRUE(SaveTextFile(lister.File, doc));
  EditPlan plan;
  ASSERT_EQ(RemoveAddedLines(plan, lister), kRemovalDone);
  EXPECT_EQ(plan.Document(lister.File)->lines, (Lines{L"[ListerPlugins]", L"0=c:\\new\\new.wlx"}));

  // A section the add made, that holds a line of the user's too, keeps its header.
  AddedLines fs{dir / L"wincmd.ini", L"[filesystemplugins]", true, {L"Cloud=c:\\c\\cloud.wfx"}};
  doc.lines = {L"[Configuration]", L"[FileSystemPlugins]", L"Cloud=c:\\c\\cloud.wfx",
               L"Mine=c:\\m\\mine.wfx"};
  ASSERT_TRUE(SaveTextFile(fs.File, doc));
  ASSERT_EQ(RemoveAddedLines(plan, fs), kRemovalDone);
  EXPECT_EQ(plan.Document(fs.File)->lines,
            (Lines{L"[Configuration]", L"[FileSystemPlugins]", L"Mine=c:\\m\\mine.wfx"}));

  // Gone already: nothing to take out, and a missing file is an error.
  EditPlan again;
  doc.lines = {L"[FileSystemPlugins]", L"Mine=c:\\m\\mine.wfx"};
  ASSERT_TRUE(SaveTextFile(fs.File, doc));
  EXPECT_EQ(RemoveAddedLines(again, fs), kRemovalNothing);
  fs.File = dir / L"missing.ini";
  EXPECT_EQ(RemoveAddedLines(again, fs), kRemovalFileError);
}

class RegisterPluginTest : public testing::Test {
 protected:
  RegisterPluginTest() : my_(test::ModelIn(dir_.Path())) {
    for (int slot = 1; slot < kSlotCount; ++slot) my_.SectionFile[slot] = my_.IniFile;
  }
  test::TempDir dir_;
  TTC my_;
};

// Registered already (however the path is written): nothing is written and
// nothing recorded. Otherwise the record sees the lines before the file
// changes, and a refused record leaves the file as it was.
TEST_F(RegisterPluginTest, OnlyWhatIsMissingIsWrittenAndOnlyAfterItsRecord) {
  test::WriteTextFile(my_.IniFile,
                      L"[FileSystemPlugins]\nFTP = %COMMANDER_PATH%\\Plugins\\FTP\\ftp.wfx\n"
                      L"[ListerPlugins]\n0=" + dir_.Path() + L"\\plugins\\md\\markdown.wlx\n",
                      test::Encoding::Utf16);
  const std::string before = test::ReadBytes(my_.IniFile);
  int recorded = 0;
  auto record = [&](const AddedLines&) { return ++recorded, true; };
  const std::wstring ftp = platform::LowerCase(dir_ / L"plugins\\ftp\\ftp.wfx");
  EXPECT_EQ(RegisterPlugin(my_, Registration(ItemKind::FileSystemPlugin,
                                             {L"Other name=%COMMANDER_PATH%\\plugins\\ftp\\ftp.wfx"}, ftp),
                           record),
            kRegisterPresent);
  const std::wstring md = platform::LowerCase(dir_ / L"plugins\\md\\markdown.wlx");
  EXPECT_EQ(RegisterPlugin(my_, Registration(ItemKind::ListerPlugin, {L"=x"}, md), record),
            kRegisterPresent);
  EXPECT_EQ(recorded, 0);
  EXPECT_EQ(test::ReadBytes(my_.IniFile), before);

  const RegistrationLines cloud = Registration(
      ItemKind::FileSystemPlugin, {L"Облако=%COMMANDER_PATH%\\plugins\\cloud\\cloud.wfx"},
      platform::LowerCase(dir_ / L"plugins\\cloud\\cloud.wfx"));
  EXPECT_EQ(RegisterPlugin(my_, cloud, [](const AddedLines&) { return false; }),
            kRegisterFileError);
  EXPECT_EQ(test::ReadBytes(my_.IniFile), before);

  AddedLines seen, added;
  ASSERT_EQ(RegisterPlugin(my_, cloud,
                           [&](const AddedLines& lines) {
                             seen = lines;
                             EXPECT_EQ(test::ReadBytes(my_.IniFile), before);
                             return true;
                           },
                           &added),
            kRegisterDone);
  EXPECT_EQ(seen.Lines, added.Lines);
  EXPECT_EQ(added.Lines, cloud.Lines);
  EXPECT_TRUE(platform::EqualsNoCase(added.File, my_.IniFile));
  std::optional<TextDocument> doc = LoadTextFile(my_.IniFile);
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->encoding, TextEncoding::Utf16LE) << "the file keeps its encoding";
  EXPECT_EQ(doc->lines[2], L"Облако=%COMMANDER_PATH%\\plugins\\cloud\\cloud.wfx");
  EXPECT_EQ(RegisterPlugin(my_, cloud, record), kRegisterPresent) << "once is enough";
}

// Registered together, plugins give the file the very bytes, and each the
// very record, that registering them one after another gives: key clashes,
// numbering, a section made by the first of its kind, a path registered by
// an earlier one of the same batch, and an ANSI file that has to become
// UTF-16 for one of them (only that one records it).
TEST_F(RegisterPluginTest, TogetherAsOneAfterAnother) {
  const std::wstring start =
      L"[Configuration]\nx=1\n[FileSystemPlugins]\nFTP=c:\\tc\\ftp.wfx\n"
      L"[ListerPlugins]\n0=c:\\tc\\a.wlx\n";
  auto path = [&](const wchar_t* name) { return platform::LowerCase(dir_ / name); };
  const std::wstring ftp2 = path(L"p\\ftp2.wfx");
  const std::wstring z = path(L"p\\z.wcx");
  const std::vector<RegistrationLines> registrations = {
      Registration(ItemKind::FileSystemPlugin, {L"FTP=" + ftp2}, ftp2),
      Registration(ItemKind::ListerPlugin, {L"=" + path(L"p\\b.wlx"), L"_detect=\"EXT=\"\"B\"\""},
                   path(L"p\\b.wlx")),
      Registration(ItemKind::ContentPlugin, {L"=" + path(L"p\\c.wdx")}, path(L"p\\c.wdx")),
      Registration(ItemKind::FileSystemPlugin, {L"Облако=" + path(L"p\\cloud.wfx")},
                   path(L"p\\cloud.wfx")),
      Registration(ItemKind::ContentPlugin, {L"=" + path(L"p\\d.wdx")}, path(L"p\\d.wdx")),
      Registration(ItemKind::FileSystemPlugin, {L"FTP=" + ftp2}, ftp2),
      Registration(ItemKind::PackerPlugin, {L"zz=31," + z, L"yy=31," + z}, z),
  };
  std::vector<int> oneByOne;
  std::vector<AddedLines> oneByOneAdded;
  test::WriteTextFile(my_.IniFile, start, test::Encoding::Ansi);
  for (const RegistrationLines& registration : registrations) {
    AddedLines added;
    oneByOne.push_back(RegisterPlugin(my_, registration, {}, &added));
    oneByOneAdded.push_back(oneByOne.back() == kRegisterDone ? added : AddedLines{});
  }
  const std::string expected = test::ReadBytes(my_.IniFile);
  EXPECT_EQ(oneByOne, (std::vector<int>{kRegisterDone, kRegisterDone, kRegisterDone, kRegisterDone,
                                        kRegisterDone, kRegisterPresent, kRegisterDone}));

  test::WriteTextFile(my_.IniFile, start, test::Encoding::Ansi);
  std::vector<size_t> recordedAt;
  std::vector<AddedLines> together;
  const std::vector<int> codes = RegisterPlugins(
      my_, registrations,
      [&](size_t i, const AddedLines&) {
        recordedAt.push_back(i);
        return true;
      },
      &together);
  EXPECT_EQ(codes, oneByOne);
  EXPECT_EQ(test::ReadBytes(my_.IniFile), expected);
  EXPECT_EQ(recordedAt, (std::vector<size_t>{0, 1, 2, 3, 4, 6}));
  for (size_t i = 0; i < registrations.size(); ++i) {
    if (codes[i] != kRegisterDone) continue;
    SCOPED_TRACE(i);
    EXPECT_EQ(together[i].Lines, oneByOneAdded[i].Lines);
    EXPECT_EQ(together[i].Header, oneByOneAdded[i].Header);
    EXPECT_EQ(together[i].HeaderAdded, oneByOneAdded[i].HeaderAdded);
    EXPECT_EQ(together[i].MadeWide, oneByOneAdded[i].MadeWide);
  }
  EXPECT_TRUE(together[3].MadeWide);
  EXPECT_FALSE(together[4].MadeWide);

  // A refused record: nothing of the file is written, every one of it fails.
  test::WriteTextFile(my_.IniFile, start, test::Encoding::Ansi);
  const std::string before = test::ReadBytes(my_.IniFile);
  const std::vector<int> refused =
      RegisterPlugins(my_, registrations, [](size_t i, const AddedLines&) { return i < 2; });
  EXPECT_EQ(refused, std::vector<int>(registrations.size(), kRegisterFileError));
  EXPECT_EQ(test::ReadBytes(my_.IniFile), before);
}

}  // namespace
}  // namespace orvelle
