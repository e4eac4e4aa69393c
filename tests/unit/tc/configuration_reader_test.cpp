#include "configuration_fixture.h"

#include "tc/configuration_reader.h"

#include <gtest/gtest.h>

namespace orvelle::test {
namespace {

using Lines = std::vector<std::wstring>;

TEST_F(ConfigurationTest, ListerRowsPaddedForMissingNumbersDisappear) {
  std::wstring a = Touch(L"plugins\\wlx\\a\\a.wlx");
  std::wstring b = Touch(L"plugins\\wlx\\b\\b.wlx");
  ASSERT_TRUE(Load(L"[ListerPlugins]\n"
                   L"0=%COMMANDER_PATH%\\plugins\\wlx\\a\\a.wlx\n"
                   L"5 = %COMMANDER_PATH%\\plugins\\wlx\\b\\b.wlx\n"
                   L"5_detect=EXT=\"B\"\n"
                   L"0_flags=2\n"));
  EXPECT_EQ(model_.ListerPluginFiles, (Lines{a, b}));
  EXPECT_EQ(model_.ListerPluginNames, (Lines{L"a.wlx", L"b.wlx"}));
  EXPECT_EQ(model_.ListerPluginDetect, (Lines{L"", L"EXT=\"B\""}));
  // The raw lines stay aligned and as written, from the "=" on.
  EXPECT_EQ(model_.ListerPluginLines,
            (Lines{L"=%COMMANDER_PATH%\\plugins\\wlx\\a\\a.wlx",
                   L"= %COMMANDER_PATH%\\plugins\\wlx\\b\\b.wlx"}));
}

TEST_F(ConfigurationTest, PackerPluginRegisteredForSeveralExtensionsIsOneRow) {
  std::wstring rar = Touch(L"plugins\\wcx\\rar\\rar.wcx");
  ASSERT_TRUE(Load(L"[PackerPlugins]\n"
                   L"rar=69,%COMMANDER_PATH%\\plugins\\wcx\\rar\\rar.wcx\n"
                   L"zip=,%COMMANDER_PATH%\\plugins\\wcx\\rar\\rar.wcx\n"
                   L"arj=5,%COMMANDER_PATH%\\plugins\\wcx\\gone\\gone.wcx\n"
                   L"noflags\n"));
  EXPECT_EQ(model_.PackerPluginFiles, (Lines{rar}));
  EXPECT_EQ(model_.PackerPluginExtensions, (Lines{L"rar;zip;"}));
  EXPECT_EQ(model_.PackerPluginFlags, (Lines{L"69;0;"}));
  EXPECT_EQ(model_.PackerPluginNames, (Lines{L"rar.wcx"}));
  EXPECT_EQ(model_.PackerPluginLines, (Lines{L"rar=69,%COMMANDER_PATH%\\plugins\\wcx\\rar\\rar.wcx"}));
  // A plugin whose file is missing leaves no trace.
  for (const std::wstring& path : model_.ProgramPaths) {
    EXPECT_EQ(path.find(L"gone"), std::wstring::npos) << path;
  }
}

TEST_F(ConfigurationTest, SixtyFourBitTwinsGetRowsOfTheirOwn) {
  std::wstring fs = Touch(L"plugins\\wfx\\a\\a.wfx");
  Touch(L"plugins\\wfx\\a\\a.wfx64");
  // Only the 64-bit file of this one exists.
  Touch(L"plugins\\wfx\\b\\b.wfx64");
  std::wstring wcx = Touch(L"plugins\\wcx\\z\\z.wcx");
  Touch(L"plugins\\wcx\\z\\z.wcx64");
  std::wstring wlx = Touch(L"plugins\\wlx\\v\\v.wlx");
  Touch(L"plugins\\wlx\\v\\v.wlx64");
  ASSERT_TRUE(Load(L"[FileSystemPlugins]\n"
                   L"A=%COMMANDER_PATH%\\plugins\\wfx\\a\\a.wfx\n"
                   L"B=%COMMANDER_PATH%\\plugins\\wfx\\b\\b.wfx\n"
                   L"[PackerPlugins]\n"
                   L"z=4,%COMMANDER_PATH%\\plugins\\wcx\\z\\z.wcx\n"
                   L"[ListerPlugins]\n"
                   L"0=%COMMANDER_PATH%\\plugins\\wlx\\v\\v.wlx\n"
                   L"0_detect=MULTIMEDIA\n"));
  EXPECT_EQ(model_.FsPluginFiles, (Lines{fs, fs + L"64", Lower(L"plugins\\wfx\\b\\b.wfx64")}));
  EXPECT_EQ(model_.FsPluginKeys, (Lines{L"a", L"a64", L"b64"}));
  EXPECT_EQ(model_.FsPluginNames, (Lines{L"a.wfx", L"a.wfx64", L"b.wfx64"}));
  EXPECT_EQ(model_.FsPluginLines,
            (Lines{L"A=%COMMANDER_PATH%\\plugins\\wfx\\a\\a.wfx", L"", L""}));
  EXPECT_EQ(model_.PackerPluginFiles, (Lines{wcx, wcx + L"64"}));
  EXPECT_EQ(model_.PackerPluginExtensions, (Lines{L"z;", L"z;"}));
  EXPECT_EQ(model_.PackerPluginLines.size(), 2u);
  EXPECT_EQ(model_.PackerPluginLines[1], model_.PackerPluginLines[0]);
  EXPECT_EQ(model_.ListerPluginFiles, (Lines{wlx, wlx + L"64"}));
  EXPECT_EQ(model_.ListerPluginDetect, (Lines{L"MULTIMEDIA", L"MULTIMEDIA"}));
  EXPECT_EQ(model_.ListerPluginLines[1], model_.ListerPluginLines[0]);
}

TEST_F(ConfigurationTest, DisabledAndSixtyFourBitCompanionSectionsRegisterNothing) {
  Touch(L"plugins\\wfx\\a\\a.wfx");
  ASSERT_TRUE(Load(L"[-FileSystemPlugins]\n"
                   L"A=%COMMANDER_PATH%\\plugins\\wfx\\a\\a.wfx\n"
                   L"[FileSystemPlugins64]\n"
                   L"$checksum$=3274518300\n"
                   L"A=%COMMANDER_PATH%\\plugins\\wfx\\a\\a.wfx\n"
                   L"[ListerPlugins64]\n0=1\n"));
  EXPECT_TRUE(model_.FsPluginFiles.empty());
  EXPECT_TRUE(model_.ListerPluginFiles.empty());
}

TEST_F(ConfigurationTest, SavedSearchesAreRowsByName) {
  ASSERT_TRUE(Load(L"[searches]\n"
                   L"A_SearchFor=*.txt\n"
                   L"a_SearchIn=c:\\\n"
                   L"Source_files_SearchFor = *.cpp\n"
                   L"Photos_plugin=exif.Model=\"X\"\n"
                   L"Photos_SearchFlags=0|000002000020|\n"
                   L"Odd_Unknown=1\n"));
  EXPECT_EQ(model_.SearchNames, (Lines{L"a", L"source_files", L"photos"}));
  EXPECT_EQ(model_.SearchFor, (Lines{L"*.txt", L"*.cpp", L""}));
  EXPECT_EQ(model_.SearchIn, (Lines{L"c:\\", L"", L""}));
  EXPECT_EQ(model_.SearchText, (Lines{L"", L"", L""}));
  EXPECT_EQ(model_.SearchFlags, (Lines{L"", L"", L"0|000002000020|"}));
  EXPECT_EQ(model_.SearchPlugin, (Lines{L"", L"", L"exif.Model=\"X\""}));
}

TEST_F(ConfigurationTest, ColoursAndTheirDefaults) {
  ASSERT_TRUE(Load(L"[Colors]\n"
                   L"BackColor = 16777215\n"
                   L"ColorFilter3Color =255\n"));
  EXPECT_EQ(model_.ColorFilters, (Lines{L"", L"", L""}));
  EXPECT_EQ(model_.ColorFilterColors, (Lines{L"", L"", L"255"}));
  EXPECT_EQ(model_.BackColor, L"16777215");
  EXPECT_EQ(model_.BackColor2, L"16777215");  // follows BackColor when unset
  EXPECT_EQ(model_.ForeColor, L"-16777208");
}

TEST_F(ConfigurationTest, BackColourDefaultsToTheWindowColour) {
  ASSERT_TRUE(Load(L"[Colors]\nForeColor=0\nColorFilter1=*.zip\n"));
  EXPECT_EQ(model_.ForeColor, L"0");
  EXPECT_EQ(model_.BackColor, L"-16777211");
  EXPECT_EQ(model_.BackColor2, L"-16777211");
  EXPECT_EQ(model_.ColorFilters, (Lines{L"*.zip"}));
  EXPECT_EQ(model_.ColorFilterColors, (Lines{L""}));
}

TEST_F(ConfigurationTest, NumberedKeysOutOfRangeOrNotDecimalAreSkipped) {
  std::wstring a = Touch(L"a.wlx");
  ASSERT_TRUE(Load(L"[Colors]\n"
                   L"ColorFilter100000=*.x\n"
                   L"ColorFilter99999999999999999999=*.x\n"
                   L"ColorFilterAB=*.x\n"
                   L"ColorFilter0=*.x\n"
                   L"ColorFilter-1=*.x\n"
                   L"ColorFilter2=*.y\n"
                   L"[DirMenu]\n"
                   L"menu4294967297=x\n"
                   L"menu 1=x\n"
                   L"menu1=Home\n"
                   L"[ListerPlugins]\n"
                   L"123456=c:\\x.wlx\n"
                   L"1e3=c:\\x.wlx\n"
                   L"+1=c:\\x.wlx\n"
                   L"99999_detect=x\n"
                   L"0=%COMMANDER_PATH%\\a.wlx\n"
                   L"[user]\n"
                   L"cmd0=x\n"
                   L"cmd100000=x\n"
                   L"cmd1=notepad.exe\n"));
  EXPECT_EQ(model_.ColorFilters, (Lines{L"", L"*.y"}));
  EXPECT_EQ(model_.DirMenuNames, (Lines{L"Home"}));
  EXPECT_EQ(model_.ListerPluginFiles, (Lines{a}));
  EXPECT_EQ(model_.UserCommands, (Lines{L"notepad.exe"}));
}

TEST_F(ConfigurationTest, MenusAndStartMenuArePaddedByNumber) {
  ASSERT_TRUE(Load(L"[DirMenu]\n"
                   L"menu1=&Home\n"
                   L"cmd1=cd c:\\home\n"
                   L"menu3=--\n"
                   L"[user]\n"
                   L"menu2=Edit\n"
                   L"cmd2 = \"C:\\Program Files\\Editor\\editor.exe\"\n"
                   L"param2=%P%N\n"
                   L"path2=%P\n"
                   L"button2=x.ico\n"));
  EXPECT_EQ(model_.DirMenuNames, (Lines{L"&Home", L"", L"--"}));
  EXPECT_EQ(model_.DirMenuCommands, (Lines{L"cd c:\\home", L"", L""}));
  EXPECT_EQ(model_.UserMenus, (Lines{L"", L"Edit"}));
  EXPECT_EQ(model_.UserCommands, (Lines{L"", L"\"C:\\Program Files\\Editor\\editor.exe\""}));
  EXPECT_EQ(model_.UserParams, (Lines{L"", L"%P%N"}));
  EXPECT_EQ(model_.UserPaths, (Lines{L"", L"%P"}));
  EXPECT_EQ(model_.UserLines,
            (Lines{L"", L"menu2=Edit\ncmd2 = \"C:\\Program Files\\Editor\\editor.exe\"\n"
                        L"param2=%P%N\npath2=%P\n"}));
}

TEST_F(ConfigurationTest, ConfigurationPackerAndExtensions) {
  TouchFile(dir_ / L"LANGUAGE\\WCMD_DEU.MNU");
  TouchFile(dir_ / L"LANGUAGE\\WCMD_DEU.LNG");
  ASSERT_TRUE(Load(L"[Configuration]\n"
                   L"Editor=%COMMANDER_PATH%\\tools\\editor.exe\n"
                   L"Viewer=viewer.exe\n"
                   L"Version=11.01\n"
                   L"Mainmenu=WCMD_DEU.MNU\n"
                   L"LanguageIni=wcmd_deu.lng\n"
                   L"IconLib=%COMMANDER_PATH%\\missing.icl\n"
                   L"[Packer]\n"
                   L"RAR=%COMMANDER_PATH%\\rar.exe -s -m5\n"
                   L"ZIP=\n"
                   L"UnZIP=pkunzip.exe\n"
                   L"[Extensions]\n"
                   L"pdf = C:\\muPDF\\mupdf.exe ^.pdf\n"
                   L"txt=notepad.exe\n"
                   L"=C:\\view.exe ^.\n",
                   Encoding::Utf16));
  const TConfigPaths& c = model_.ConfigPaths;
  EXPECT_EQ(c.editor, dir_ / L"tools\\editor.exe");
  EXPECT_EQ(c.viewer, L"viewer.exe");
  EXPECT_EQ(c.version, L"11.01");
  EXPECT_EQ(c.mainmenu, dir_ / L"LANGUAGE\\WCMD_DEU.MNU");
  EXPECT_EQ(c.languageini, dir_ / L"LANGUAGE\\wcmd_deu.lng");
  EXPECT_EQ(model_.LanguageIniFile, dir_ / L"LANGUAGE\\wcmd_deu.ini");
  EXPECT_EQ(c.iconlib, model_.ExeFile);  // a missing icon library: the program's own icons
  EXPECT_EQ(model_.PackerCommands[5], L"%COMMANDER_PATH%\\rar.exe -s -m5");
  EXPECT_EQ(model_.PackerCommands[1], L"pkunzip.exe");
  EXPECT_EQ(model_.ProgramPaths,
            (Lines{Lower(L"rar.exe"), Lower(L"pkunzip.exe"), Lower(L"LANGUAGE\\WCMD_DEU.MNU"),
                   Lower(L"LANGUAGE\\wcmd_deu.lng")}));
  EXPECT_EQ(model_.ExtensionKeys, (Lines{L"pdf", L"txt"}));
  EXPECT_EQ(model_.ExtensionCommands, (Lines{L"C:\\muPDF\\mupdf.exe", L""}));
  // The English menu of the main menu step is replaced by the configured one.
  EXPECT_TRUE(model_.MenuCommands.empty());
}

TEST_F(ConfigurationTest, FontsOfTheAllResolutionsSection) {
  ASSERT_TRUE(Load(L"[AllResolutions]\n"
                   L"FontName=Tahoma\n"
                   L"FontSize=9\n"
                   L"FontWeight=400\n"
                   L"FontNameWindow=Segoe UI\n"
                   L"FontSizeWindow=big\n"
                   L"FontWeightWindow=700\n"
                   L"[Configuration]\n"
                   L"ResolutionSpecific=0\n"));
  // The section comes before [Configuration], as the host writes it.
  EXPECT_EQ(model_.FontSection, L"[allresolutions]");
  EXPECT_EQ(model_.FontNames[0], L"Tahoma");
  EXPECT_EQ(model_.FontNames[1], L"Segoe UI");
  EXPECT_EQ(model_.FontSizes[0], 9);
  EXPECT_EQ(model_.FontSizes[1], 8);  // not a number: the default stays
  EXPECT_FALSE(model_.FontWeightFlags[0]);
  EXPECT_TRUE(model_.FontWeightFlags[1]);
  EXPECT_EQ(model_.SectionFile[kSlotFont], model_.IniFile);
}

TEST_F(ConfigurationTest, EverySlotNamesAFileAfterReading) {
  ASSERT_TRUE(Load(L"[Colors]\nForeColor=0\n"));
  for (int slot = 1; slot < kSlotCount; ++slot) {
    EXPECT_EQ(model_.SectionFile[static_cast<size_t>(slot)], model_.IniFile) << slot;
  }
}

TEST_F(ConfigurationTest, MainMenuFallbacksAndAMissingMenu) {
  ASSERT_TRUE(Load(L"[Configuration]\nMainmenu=nowhere.mnu\n"));
  EXPECT_EQ(model_.ConfigPaths.mainmenu, dir_ / L"LANGUAGE\\WCMD_ENG.MNU");
  EXPECT_EQ(model_.MenuCommands, (Lines{L"cm_Exit"}));

  TouchFile(dir_ / L"menus\\mine.mnu");
  ASSERT_TRUE(Load(L"[Configuration]\nMainmenu=%COMMANDER_PATH%\\menus\\mine.mnu\n"));
  EXPECT_EQ(model_.ConfigPaths.mainmenu, dir_ / L"menus\\mine.mnu");

  // Without any menu file the rest is read all the same; the model names the
  // file the host would have used, and a menu read earlier leaves nothing.
  ::DeleteFileW((dir_ / L"LANGUAGE\\WCMD_ENG.MNU").c_str());
  std::wstring wfx = Touch(L"plugins\\wfx\\a\\a.wfx");
  MessageRecorder boxes;
  EXPECT_TRUE(Load(L"[Configuration]\nMainmenu=nowhere.mnu\n"
                   L"[FileSystemPlugins]\nA=%COMMANDER_PATH%\\plugins\\wfx\\a\\a.wfx\n"));
  EXPECT_TRUE(boxes.texts.empty());
  EXPECT_EQ(model_.MissingMainMenu, dir_ / L"LANGUAGE\\nowhere.mnu");
  EXPECT_TRUE(model_.MenuCommands.empty());
  EXPECT_EQ(model_.FsPluginFiles, (Lines{wfx}));

  TTC other = ModelIn(dir_.Path());
  WriteTextFile(other.IniFile, L"[Configuration]\n");
  EXPECT_TRUE(LoadConfiguration(other));
  EXPECT_EQ(other.MissingMainMenu, dir_ / L"LANGUAGE\\WCMD_ENG.MNU");

  // A menu file that is there again is read, and nothing is missing.
  WriteTextFile(dir_ / L"LANGUAGE\\WCMD_ENG.MNU", L"MENUITEM \"&Quit\", cm_Exit\n");
  EXPECT_TRUE(Load(L"[Configuration]\n"));
  EXPECT_TRUE(model_.MissingMainMenu.empty());
  EXPECT_EQ(model_.MenuCommands, (Lines{L"cm_Exit"}));
}

TEST_F(ConfigurationTest, ConfigurationFileThatCannotBeOpenedStopsWithItsName) {
  model_.IniFile = model_.MainIniFile = dir_ / L"missing.ini";
  MessageRecorder boxes;
  EXPECT_FALSE(LoadConfiguration(model_));
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_NE(boxes.texts[0].find(dir_ / L"missing.ini"), std::wstring::npos);
}

}  // namespace
}  // namespace orvelle::test
