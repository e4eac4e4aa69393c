#include "configuration_fixture.h"

#include <gtest/gtest.h>

namespace orvelle::test {
namespace {

using Lines = std::vector<std::wstring>;

TEST_F(ConfigurationTest, RedirectedSectionIsReadFromItsFile) {
  Touch(L"plugins\\wfx\\a\\a.wfx");
  std::wstring b = Touch(L"plugins\\wfx\\b\\b.wfx");
  WriteTextFile(dir_ / L"CONFIG\\Plugins.ini",
                L"[Colors]\nForeColor=1\n"
                L"[FileSystemPlugins]\n"
                L"RedirectSection=%COMMANDER_PATH%\\elsewhere.ini\n"
                L"B=%COMMANDER_PATH%\\plugins\\wfx\\b\\b.wfx\n",
                Encoding::Utf16);
  ASSERT_TRUE(Load(L"[FileSystemPlugins]\n"
                   L"A=%COMMANDER_PATH%\\plugins\\wfx\\a\\a.wfx\n"
                   L"RedirectSection=CONFIG/Plugins.ini\n"
                   L"C=%COMMANDER_PATH%\\plugins\\wfx\\a\\a.wfx\n"
                   L"[Colors]\nForeColor=2\n"));
  // The redirected file's content replaces what came before the redirect,
  // and the rest of the section here is skipped.
  EXPECT_EQ(model_.FsPluginFiles, (Lines{b}));
  EXPECT_EQ(model_.FsPluginKeys, (Lines{L"b"}));
  // Read as the one file it names, with Windows' separators.
  EXPECT_EQ(model_.SectionFile[kSlotFileSystemPlugins], dir_ / L"CONFIG\\Plugins.ini");
  // Other sections of the redirect target are not read.
  EXPECT_EQ(model_.ForeColor, L"2");
  EXPECT_EQ(model_.SectionFile[kSlotColors], model_.IniFile);
}

TEST_F(ConfigurationTest, RedirectToAMissingFileReadsTheSectionHere) {
  ASSERT_TRUE(Load(L"[Colors]\n"
                   L"RedirectSection=%COMMANDER_PATH%\\User\\User.ini\n"
                   L"ForeColor=7\n"
                   L"[searches]\nRedirectSection=0\nx_SearchFor=*.x\n"
                   L"[user]\nRedirectSection=1\ncmd1=a.exe\n"));
  EXPECT_EQ(model_.ForeColor, L"7");
  EXPECT_EQ(model_.SectionFile[kSlotColors], model_.IniFile);
  EXPECT_EQ(model_.SearchNames, (Lines{L"x"}));
  // "1" without an alternate user file in force changes nothing.
  EXPECT_EQ(model_.UserCommands, (Lines{L"a.exe"}));
  EXPECT_EQ(model_.SectionFile[kSlotUser], model_.IniFile);
}

TEST_F(ConfigurationTest, AlternateUserFileInForce) {
  std::wstring alternate = dir_ / L"ini\\configuration.ini";
  WriteTextFile(alternate,
                L"[Configuration]\nEditor=alt.exe\nAlternateUserIni=elsewhere.ini\n"
                L"[Colors]\nForeColor=11\n"
                L"[searches]\nalt_SearchFor=*.alt\n"
                L"[DirMenu]\nmenu1=Alternate\n",
                Encoding::Utf16);
  ASSERT_TRUE(Load(L"[Configuration]\n"
                   L"AlternateUserIni=%COMMANDER_PATH%\\ini\\configuration.ini\n"
                   L"UseIniInProgramDir=7\n"
                   L"RedirectSection=1\n"
                   L"Editor=main.exe\n"
                   L"[Colors]\nForeColor=22\nBackColor=5\n"
                   L"[DirMenu]\nRedirectSection=0\nmenu1=Main\n"
                   L"[user]\ncmd1=main.exe\n",
                   Encoding::Utf16));
  EXPECT_EQ(model_.IniFile, alternate);
  EXPECT_EQ(model_.MainIniFile, dir_ / L"wincmd.ini");
  // [Configuration] follows its "RedirectSection=1".
  EXPECT_EQ(model_.ConfigPaths.editor, L"alt.exe");
  EXPECT_EQ(model_.SectionFile[kSlotConfiguration], alternate);
  // [Colors] follows the alternate file without being told; what it does
  // not set takes the defaults.
  EXPECT_EQ(model_.ForeColor, L"11");
  EXPECT_EQ(model_.BackColor, L"-16777211");
  EXPECT_EQ(model_.SectionFile[kSlotColors], alternate);
  // "RedirectSection=0" keeps the section here.
  EXPECT_EQ(model_.DirMenuNames, (Lines{L"Main"}));
  EXPECT_EQ(model_.SectionFile[kSlotDirMenu], dir_ / L"wincmd.ini");
  // [searches] appears only in the alternate file and is read from it.
  EXPECT_EQ(model_.SearchNames, (Lines{L"alt"}));
  EXPECT_EQ(model_.SectionFile[kSlotSearches], alternate);
  // [user] is not in the alternate file: the main file's entries stay.
  EXPECT_EQ(model_.UserCommands, (Lines{L"main.exe"}));
  EXPECT_EQ(model_.SectionFile[kSlotUser], dir_ / L"wincmd.ini");
}

TEST_F(ConfigurationTest, RedirectToTheAlternateFileBeforeItIsNamed) {
  WriteTextFile(dir_ / L"alt.ini", L"[Configuration]\nViewer=alt-viewer.exe\n");
  ASSERT_TRUE(Load(L"[Configuration]\n"
                   L"RedirectSection=1\n"
                   L"Viewer=main-viewer.exe\n"
                   L"AlternateUserIni=.\\alt.ini\n"
                   L"Editor=skipped.exe\n"));
  EXPECT_EQ(model_.ConfigPaths.viewer, L"alt-viewer.exe");
  EXPECT_EQ(model_.ConfigPaths.editor, L"");
}

TEST_F(ConfigurationTest, MissingAlternateUserFileChangesNothing) {
  ASSERT_TRUE(Load(L"[Configuration]\n"
                   L"AlternateUserIni=%COMMANDER_PATH%\\ini\\missing.ini\n"
                   L"RedirectSection=1\n"
                   L"Editor=main.exe\n"));
  EXPECT_EQ(model_.IniFile, dir_ / L"wincmd.ini");
  EXPECT_EQ(model_.MainIniFile, model_.IniFile);
  EXPECT_EQ(model_.ConfigPaths.editor, L"main.exe");
}

}  // namespace
}  // namespace orvelle::test
