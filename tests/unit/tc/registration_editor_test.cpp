#include "tc/registration_editor.h"

#include "backup/records.h"
#include "tc/command_references.h"
#include "tc/edit_plan.h"
#include "tc/ttc.h"
#include "tc_test_helpers.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using Lines = std::vector<std::wstring>;
using test::WriteTextFile;

class RegistrationEditorTest : public testing::Test {
 protected:
  RegistrationEditorTest() : my_(test::ModelIn(dir_.Path())) {
    for (int slot = 1; slot < kSlotCount; ++slot) my_.SectionFile[slot] = my_.IniFile;
  }

  void WriteIni(std::wstring_view text) { WriteTextFile(my_.IniFile, text); }
  std::wstring Path(std::wstring_view relative) const {
    return platform::LowerCase(dir_ / relative);
  }
  Lines Planned(EditPlan& plan) { return plan.Document(my_.IniFile)->lines; }

  test::TempDir dir_;
  TTC my_;
};

// The whole file name decides, not a part of it, and the host's numbering is
// kept: "view.wlx" must not take "preview.wlx" with it.
TEST_F(RegistrationEditorTest, ListerEntryMatchesTheWholePathAndRenumbersTheRest) {
  WriteIni(
      L"[ListerPlugins]\n0=%COMMANDER_PATH%\\preview\\preview.wlx\n0_detect=\"EXT=\"\"PNG\"\"\"\n"
      L"1=%COMMANDER_PATH%\\view\\view.wlx\n1_detect=EXT=\"TXT\"\n2=%COMMANDER_PATH%\\hex\\hex.wlx\n"
      L"2_detect=MULTIMEDIA\n");
  EditPlan plan;
  EXPECT_EQ(RemoveListerPluginEntry(plan, my_, Path(L"view\\view.wlx")), kRemovalDone);
  EXPECT_EQ(Planned(plan),
            (Lines{L"[ListerPlugins]", L"0=%COMMANDER_PATH%\\preview\\preview.wlx",
                   L"0_detect=\"EXT=\"\"PNG\"\"\"", L"1=%COMMANDER_PATH%\\hex\\hex.wlx",
                   L"1_detect=MULTIMEDIA"}));
  std::vector<FileRemoval> removals = plan.Removals();
  ASSERT_EQ(removals.size(), 1u);
  ASSERT_EQ(removals[0].Groups.size(), 1u);
  EXPECT_EQ(removals[0].Groups[0].RemovedNumbers, std::vector<int>{1});
  EXPECT_EQ(removals[0].Groups[0].Lines.size(), 2u);

  EditPlan none;
  EXPECT_EQ(RemoveListerPluginEntry(none, my_, Path(L"other\\view.wlx")), kRemovalNothing);
  EXPECT_TRUE(none.Empty());
}

TEST_F(RegistrationEditorTest, AnEntryWithoutADecimalNumberFailsWithoutChangingAnything) {
  const std::wstring ini = L"[ListerPlugins]\n0=c:\\a\\a.wlx\nx=c:\\v\\view.wlx\n";
  WriteIni(ini);
  EditPlan plan;
  EXPECT_EQ(RemoveListerPluginEntry(plan, my_, L"c:\\v\\view.wlx"), kRemovalFileError);
  EXPECT_TRUE(plan.Empty());
  EXPECT_EQ(Planned(plan), (Lines{L"[ListerPlugins]", L"0=c:\\a\\a.wlx", L"x=c:\\v\\view.wlx"}));
}

TEST_F(RegistrationEditorTest, FileSystemAndPackerLinesGoWhateverTheirNamesAndExtensions) {
  const std::wstring ftp = Path(L"plugins\\ftp\\ftp.wfx");
  WriteIni(L"[FileSystemPlugins]\nFTP=%COMMANDER_PATH%\\plugins\\ftp\\ftp.wfx\n;Old=" + ftp +
           L"\nNet=%COMMANDER_PATH%\\plugins\\net\\net.wfx\nFTP again=" + ftp +
           L"\n[PackerPlugins]\n7z=735,%COMMANDER_PATH%\\7z\\7z.wcx\nzip=0,c:\\other\\7z.wcx\n"
           L"lzma=607, %COMMANDER_PATH%\\7z\\7z.wcx\n");
  EditPlan plan;
  EXPECT_EQ(RemoveFsPluginLine(plan, my_, ftp), kRemovalDone);
  EXPECT_EQ(RemovePackerPluginLines(plan, my_, Path(L"7z\\7z.wcx")), kRemovalDone);
  EXPECT_EQ(Planned(plan),
            (Lines{L"[FileSystemPlugins]", L";Old=" + ftp,
                   L"Net=%COMMANDER_PATH%\\plugins\\net\\net.wfx", L"[PackerPlugins]",
                   L"zip=0,c:\\other\\7z.wcx"}));
  EXPECT_EQ(RemoveFsPluginLine(plan, my_, ftp), kRemovalNothing) << "already gone in the plan";
}

// The first saved search that uses the content plugin goes with exactly its
// own lines; a search whose name or values merely contain that name stays.
// The 64-bit host's marker sections name entries by number (lister and
// content plugins) or by name (file-system plugins). After a delete they must
// still mark the same plugins, and a restore gives the file back exactly,
// also when the entries are back already (the settings file restored first).
TEST_F(RegistrationEditorTest, MarkerSectionsStayInStepThroughDeleteAndRestore) {
  const Lines original = {
      L"[ListerPlugins]", L"0=c:\\w\\a.wlx", L"1=c:\\w\\b.wlx", L"1_detect=EXT=\"B\"",
      L"2=c:\\w\\c.wlx", L"3=c:\\w\\d.wlx",
      L"[ListerPlugins64]", L"$checksum$=3318363587", L"0=1", L"2=1", L"3=1",
      L"[ContentPlugins]", L"0=c:\\d\\a.wdx", L"1=c:\\d\\b.wdx", L"2=c:\\d\\c.wdx",
      L"[ContentPlugins64]", L"$checksum$=1", L"0=1", L"1=1",
      L"[FileSystemPlugins]", L"ADB=c:\\f\\adb.wfx", L"Two=c:\\f\\two.wfx",
      L"Again=c:\\f\\two.wfx", L"Web=c:\\f\\web.wfx",
      L"[FileSystemPlugins64]", L"$checksum$=2", L"ADB=1", L"Two=1", L"Again=1", L"Web=1"};
  std::wstring text;
  for (const std::wstring& line : original) text += line + L"\n";
  WriteIni(text);
  struct Case {
    const char* name;
    int (*remove)(EditPlan&, const TTC&, const std::wstring&);
    const wchar_t* path;
    Lines markersAfter;  // the marker section after the delete, without its checksum
  };
  const Case cases[] = {
      // Entry 1 has no marker: the markers behind it move down.
      {"lister without a marker", RemoveListerPluginEntry, L"c:\\w\\b.wlx", {L"0=1", L"1=1", L"2=1"}},
      {"lister with a marker", RemoveListerPluginEntry, L"c:\\w\\c.wlx", {L"0=1", L"2=1"}},
      {"lister behind every marker", RemoveListerPluginEntry, L"c:\\w\\d.wlx", {L"0=1", L"2=1"}},
      {"content with the last marker", RemoveContentPluginEntry, L"c:\\d\\b.wdx", {L"0=1"}},
      {"content behind the markers", RemoveContentPluginEntry, L"c:\\d\\c.wdx", {L"0=1", L"1=1"}},
      {"file system, under two names", RemoveFsPluginLine, L"c:\\f\\two.wfx", {L"ADB=1", L"Web=1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EditPlan plan;
    ASSERT_EQ(c.remove(plan, my_, c.path), kRemovalDone);
    Lines lines = Planned(plan);
    const std::wstring markerHeader = c.remove == RemoveListerPluginEntry    ? L"[ListerPlugins64]"
                                      : c.remove == RemoveContentPluginEntry ? L"[ContentPlugins64]"
                                                                             : L"[FileSystemPlugins64]";
    auto at = std::find(lines.begin(), lines.end(), markerHeader);
    ASSERT_NE(at, lines.end());
    Lines markers;
    for (auto it = at + 2; it != lines.end() && !it->starts_with(L"["); ++it) markers.push_back(*it);
    EXPECT_EQ(markers, c.markersAfter);

    // The records as written and read back put every line back.
    std::vector<RemovedGroup> groups;
    for (const FileRemoval& removal : plan.Removals()) {
      std::optional<FileRemoval> parsed = ParseRemovalRecord(FormatRemovalRecord(removal));
      ASSERT_TRUE(parsed);
      groups.insert(groups.end(), parsed->Groups.begin(), parsed->Groups.end());
    }
    Reinsert(lines, groups);
    EXPECT_EQ(lines, original);
    Lines again = original;
    Reinsert(again, groups);
    EXPECT_EQ(again, original) << "entries and markers back already";
  }
}

TEST_F(RegistrationEditorTest, ContentEntryTakesTheSavedSearchThatUsesIt) {
  WriteIni(
      L"[ContentPlugins]\n0=c:\\p\\exif.wdx\n0_detect=EXT=\"JPG\"\n1=c:\\p\\size.wdx\n"
      L"[searches]\nPhotos_SearchFor=*.jpg\nPhotos_plugin=exif.Model=\"Camera\"\n"
      L"Photos old_SearchIn=c:\\Photos\nPhotos old_plugin=\"myexif.Model\"\n"
      L"Cameras_plugin=\"exif.Make\" = \"X\"\nPhotos_SearchFlags=0|\n");
  EditPlan plan;
  EXPECT_EQ(RemoveContentPluginEntry(plan, my_, L"c:\\p\\exif.wdx"), kRemovalDone);
  EXPECT_EQ(Planned(plan),
            (Lines{L"[ContentPlugins]", L"0=c:\\p\\size.wdx", L"[searches]",
                   L"Photos old_SearchIn=c:\\Photos", L"Photos old_plugin=\"myexif.Model\"",
                   L"Cameras_plugin=\"exif.Make\" = \"X\""}));
  EXPECT_TRUE(SearchValueNamesPlugin(L"\"exif.Make\" = \"X\"", L"exif"));
  EXPECT_TRUE(SearchValueNamesPlugin(L"size.x > 1 & EXIF.Model=1", L"exif"));
  EXPECT_FALSE(SearchValueNamesPlugin(L"myexif.Model", L"exif"));
}

// A reader's "64" row shares its original's registration.
TEST_F(RegistrationEditorTest, TheRegisteredPathOfATwinRowIsItsOriginals) {
  my_.FsPluginFiles = {L"c:\\p\\ftp.wfx", L"c:\\p\\ftp.wfx64", L"c:\\p\\sftp.wfx64"};
  my_.FsPluginLines = {L"FTP=c:\\P\\ftp.wfx", L"", L""};
  my_.ListerPluginFiles = {L"c:\\p\\v.wlx", L"c:\\p\\v.wlx64"};
  my_.ListerPluginLines = {L"=c:\\p\\v.wlx", L"=c:\\p\\v.wlx"};
  EXPECT_EQ(RegisteredPluginPath(my_, ItemKind::FileSystemPlugin, 0), L"c:\\p\\ftp.wfx");
  EXPECT_EQ(RegisteredPluginPath(my_, ItemKind::FileSystemPlugin, 1), L"c:\\p\\ftp.wfx");
  EXPECT_EQ(RegisteredPluginPath(my_, ItemKind::FileSystemPlugin, 2), L"c:\\p\\sftp.wfx");
  EXPECT_EQ(RegisteredPluginPath(my_, ItemKind::ListerPlugin, 1), L"c:\\p\\v.wlx");
}

// Every place that starts the file goes, each renumbered so that the host
// still reads its menus to the end; a missing file to search is no error,
// an unreadable one is.
TEST_F(RegistrationEditorTest, CommandReferencesLeaveNoGapBehind) {
  const std::wstring notes = dir_ / L"notes.txt";
  test::TouchFile(notes);
  WriteIni(L"[user]\nmenu1=Notes\ncmd1=%COMMANDER_PATH%\\notes.txt\nmenu2=Other\ncmd2=cm_List\n"
           L"[DirMenu]\nmenu1=Go\ncmd1=cd c:\\\nmenu2=Notes\ncmd2=\"%COMMANDER_PATH%\\NOTES.TXT\"\n");
  my_.ConfigPaths.mainmenu = dir_ / L"missing.mnu";
  EditPlan plan;
  EXPECT_EQ(RemoveCommandReferences(plan, my_, notes), kRemovalDone);
  EXPECT_EQ(Planned(plan), (Lines{L"[user]", L"menu1=Other", L"cmd1=cm_List", L"[DirMenu]",
                                  L"menu1=Go", L"cmd1=cd c:\\"}));

  my_.BarFiles = {dir_ / L"locked.bar"};
  WriteTextFile(my_.BarFiles[0], L"[Buttonbar]\nButtoncount=1\ncmd1=notes.txt\n");
  HANDLE locked = ::CreateFileW(my_.BarFiles[0].c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  EditPlan failing;
  EXPECT_EQ(RemoveCommandReferences(failing, my_, notes), kRemovalFileError);
  ::CloseHandle(locked);
}

}  // namespace
}  // namespace orvelle
