#include "configuration_fixture.h"
#include "tc/button_bars.h"
#include "tc/command_targets.h"
#include "tc/command_text.h"
#include "tc/menu_reader.h"

#include <gtest/gtest.h>

namespace orvelle::test {
namespace {

using Lines = std::vector<std::wstring>;

class CommandTargetsTest : public ConfigurationTest {
 protected:
  CommandTargetsTest() {
    TouchFile(dir_ / L"TOOLS\\editor\\editor.exe");
    TouchFile(dir_ / L"TOOLS\\admin tool\\admintool.exe");
    TouchFile(dir_ / L"README.TXT");
    TouchFile(dir_ / L"BARS\\TOOLS.BAR");
    ::CreateDirectoryW((dir_ / L"Sub").c_str(), nullptr);
  }
};

TEST_F(CommandTargetsTest, CommandTextRules) {
  struct Case {
    const wchar_t* text;
    CommandKind kind;
    std::wstring target;
  };
  const Case cases[] = {
      {L"cm_Copy", CommandKind::Internal, L""},
      {L"CM_COPY", CommandKind::Internal, L""},
      {L"$3E9", CommandKind::Internal, L""},
      {L"2027", CommandKind::Internal, L""},
      {L"CD %COMMANDER_PATH%\\TOOLS", CommandKind::Internal, L""},
      {L"loadsearch Photos", CommandKind::Internal, L""},
      {L"OPENBAR", CommandKind::Internal, L""},
      {L"em_EditNotes", CommandKind::UserCommand, L"em_EditNotes"},
      {L"OPENBAR %COMMANDER_PATH%\\BARS\\TOOLS.BAR", CommandKind::SubBar, dir_ / L"BARS\\TOOLS.BAR"},
      {L"openbarmenu \"%COMMANDER_PATH%\\BARS\\TOOLS.BAR\"", CommandKind::SubBar,
       dir_ / L"BARS\\TOOLS.BAR"},
      {L"%COMMANDER_PATH%\\BARS\\TOOLS.BAR", CommandKind::SubBar, dir_ / L"BARS\\TOOLS.BAR"},
      {L"\"%COMMANDER_PATH%\\README.TXT\"", CommandKind::File, dir_ / L"README.TXT"},
      {L".\\README.TXT", CommandKind::File, dir_ / L"README.TXT"},
      {L"\"\"%COMMANDER_PATH%\\TOOLS\\editor\\editor.exe\"\" -x", CommandKind::File,
       dir_ / L"TOOLS\\editor\\editor.exe"},
      // "run as administrator", a path with a blank, parameters after it
      {L"*%COMMANDER_PATH%\\TOOLS\\admin tool\\admintool.exe /quiet", CommandKind::File,
       dir_ / L"TOOLS\\admin tool\\admintool.exe"},
      {L"  %COMMANDER_PATH%\\TOOLS\\editor\\editor.exe  ", CommandKind::File,
       dir_ / L"TOOLS\\editor\\editor.exe"},
      // Missing files: up to the first executable name, else the whole text.
      {L"notepad.exe %P%N", CommandKind::File, dir_ / L"notepad.exe"},
      {L"C:\\Program Files (x86)\\Vim\\vim74\\gvim.exe", CommandKind::File,
       L"C:\\Program Files (x86)\\Vim\\vim74\\gvim.exe"},
      {L"\"Powershell.exe \"", CommandKind::File, dir_ / L"Powershell.exe"},
      {L"readme", CommandKind::File, dir_ / L"readme"},
      {L"https://example.com/page", CommandKind::None, L""},
      {L"%COMMANDER_PATH%\\Sub", CommandKind::None, L""},
      {L"", CommandKind::None, L""},
      {L"\"\"", CommandKind::None, L""},
  };
  for (const Case& c : cases) {
    ParsedCommand parsed = ParseCommandText(model_, c.text);
    EXPECT_EQ(parsed.kind, c.kind) << c.text;
    EXPECT_EQ(parsed.target, c.target) << c.text;
  }
}

TEST_F(CommandTargetsTest, TargetsOfMenuBarsAndStartMenu) {
  WriteTextFile(dir_ / L"DEFAULT.BAR",
                L"[Buttonbar]\nButtoncount=5\n"
                L"cmd1=cm_List\nmenu1=View\n"
                L"cmd2=%COMMANDER_PATH%\\README.TXT\nmenu2=Read me\n"
                L"cmd3=OPENBAR %COMMANDER_PATH%\\BARS\\TOOLS.BAR\n"
                L"cmd4=notepad.exe\n"
                L"cmd5=%COMMANDER_PATH%\\TOOLS\\editor\\editor.exe\nmenu5=Editor\n"
                L"cmd6=beyond.exe\n",
                Encoding::Utf16);
  WriteTextFile(dir_ / L"BARS\\TOOLS.BAR",
                L"[Buttonbar]\ncmd1=*%COMMANDER_PATH%\\TOOLS\\admin tool\\admintool.exe /q\n");
  // A sibling folder whose name starts like the program folder's.
  std::wstring sibling = dir_.Path() + L"2\\sibling.exe";
  TouchFile(sibling);
  model_.MenuPaths = {L"&Files -> ", L"&Files -> &Tools -> "};
  model_.MenuCaptions = {L"&Pack...\\tAlt+F5", L"&Edit notes"};
  model_.MenuCommands = {L"cm_PackFiles", L"em_EditNotes"};
  model_.UserMenus = {L"&Read", L"", L"-&Outside", L"Sibling", L"--", L"--"};
  model_.UserCommands = {L"\"%COMMANDER_PATH%\\readme.txt\"", L"cd c:\\", L"", sibling};
  ASSERT_TRUE(ReadButtonBarFiles(model_));
  EXPECT_EQ(model_.BarFiles, (Lines{Lower(L"BARS\\TOOLS.BAR"), Lower(L"DEFAULT.BAR")}));
  ASSERT_TRUE(ReadCommandTargets(model_));
  EXPECT_EQ(model_.TargetNames, (Lines{L"em_EditNotes", L"admintool.exe", L"README.TXT",
                                       L"notepad.exe", L"editor.exe", L"readme.txt",
                                       L"sibling.exe"}));
  EXPECT_EQ(model_.TargetTypes, (Lines{L"C", L"I", L"N", L"E", L"I", L"N", L"E"}));
  EXPECT_EQ(model_.TargetOccurrences, (Lines{L"1", L"1", L"1", L"1", L"1", L"2", L"1"}));
  EXPECT_EQ(model_.TargetSources,
            (Lines{L"Main menu: Files -> Tools -> Edit notes", L"Button bar tools.bar: 1",
                   L"Button bar default.bar: 2 - Read me", L"Button bar default.bar: 4",
                   L"Button bar default.bar: 5 - Editor", L"Start menu: Read",
                   L"Start menu: Outside -> Sibling"}));
  ASSERT_EQ(model_.TargetPaths.size(), 7u);
  EXPECT_EQ(model_.TargetPaths[1], dir_ / L"TOOLS\\admin tool\\admintool.exe");
  EXPECT_EQ(model_.TargetPaths[3], dir_ / L"notepad.exe");
  ::DeleteFileW(sibling.c_str());
  ::RemoveDirectoryW((dir_.Path() + L"2").c_str());
}

TEST_F(CommandTargetsTest, SubBarsAreFoundOnceAtAnyDepth) {
  WriteTextFile(dir_ / L"A.BAR", L"[Buttonbar]\ncmd1=%COMMANDER_PATH%\\deep\\b.bar\n");
  WriteTextFile(dir_ / L"deep\\b.bar",
                L"[Buttonbar]\ncmd1=OPENBAR \"%COMMANDER_PATH%\\deep\\deeper\\c.bar\"\n"
                L"cmd2=%COMMANDER_PATH%\\A.BAR\ncmd3=%COMMANDER_PATH%\\missing.bar\n");
  WriteTextFile(dir_ / L"deep\\deeper\\c.bar", L"[Buttonbar]\ncmd1=%COMMANDER_PATH%\\deep\\b.bar\n");
  ::DeleteFileW((dir_ / L"BARS\\TOOLS.BAR").c_str());
  ASSERT_TRUE(ReadButtonBarFiles(model_));
  EXPECT_EQ(model_.BarFiles,
            (Lines{Lower(L"A.BAR"), Lower(L"deep\\b.bar"), Lower(L"deep\\deeper\\c.bar")}));
}

TEST(ButtonBar, ButtonsUpToTheirCount) {
  std::vector<BarButton> buttons = ParseButtonBar(
      {L"", L"[Buttonbar]", L"Buttoncount=3", L"button1=x.ico", L"cmd1=a.exe", L"param1=-x",
       L"path1=c:\\", L"menu1=A", L"cmd2=", L"menu2=separator", L"cmd3=c.exe", L"cmd4=d.exe",
       L"cmd100000=e.exe", L"[Other]", L"cmd3=other.exe"});
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(buttons[0].number, 1);
  EXPECT_EQ(buttons[0].command, L"a.exe");
  EXPECT_EQ(buttons[0].param, L"-x");
  EXPECT_EQ(buttons[0].path, L"c:\\");
  EXPECT_EQ(buttons[0].menu, L"A");
  EXPECT_EQ(buttons[1].command, L"c.exe");
}

TEST_F(CommandTargetsTest, RealWorldBarsMenusAndStartMenu) {
  ASSERT_TRUE(::CopyFileW(RealWorldFile(L"chchoiw-TC\\VERTICAL.BAR").c_str(),
                          (dir_ / L"VERTICAL.BAR").c_str(), FALSE));
  ::DeleteFileW((dir_ / L"BARS\\TOOLS.BAR").c_str());
  ASSERT_TRUE(::CopyFileW(RealWorldFile(L"wulmer-totalcmd\\wincmd.ini").c_str(),
                          model_.IniFile.c_str(), FALSE));
  ASSERT_TRUE(LoadConfiguration(model_));
  model_.ConfigPaths.mainmenu = RealWorldFile(L"pozitronik-TCConfig\\WCMD_RUS_EXT.MNU");
  ReadMainMenu(model_);
  ASSERT_TRUE(ReadButtonBarFiles(model_));
  ASSERT_TRUE(ReadCommandTargets(model_));
  // The vertical bar holds internal commands only; the Russian menu one
  // user-defined command; the start menu six programs, one quoted doubly.
  EXPECT_EQ(model_.TargetNames, (Lines{L"em_SymLink", L"gvim.exe", L"mintty.exe", L"mupdf.exe",
                                       L"7zFM.exe", L"Powershell.exe", L"sh.exe"}));
  EXPECT_EQ(model_.TargetTypes, (Lines{L"C", L"E", L"E", L"E", L"E", L"E", L"E"}));
  ASSERT_EQ(model_.TargetPaths.size(), 7u);
  EXPECT_EQ(model_.TargetPaths[6], L"C:\\Program Files (x86)\\Git\\bin\\sh.exe");
  EXPECT_EQ(model_.TargetSources[1], L"Start menu: Edit with Vim 7.4");
}

}  // namespace
}  // namespace orvelle::test
