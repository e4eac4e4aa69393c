#include "platform/strings.h"
#include "support/fixture_pair.h"
#include "tc/button_bars.h"
#include "tc/command_list.h"
#include "tc/command_targets.h"
#include "tc/configuration_reader.h"
#include "tc/environment.h"
#include "tc/icon_readers.h"
#include "tc/locate_configuration.h"
#include "tc/menu_reader.h"
#include "tc/plugin_directories.h"
#include "tc/principal_dirs.h"
#include "tc/ttc.h"
#include "tc_test_helpers.h"

#include <gtest/gtest.h>

namespace orvelle::test {
namespace {

using Lines = std::vector<std::wstring>;

// Loads an installation with every reader, in the order the start runs them.
void LoadAll(TTC& model) {
  ASSERT_TRUE(LoadConfiguration(model));
  ASSERT_TRUE(ReadButtonBarFiles(model));
  ASSERT_TRUE(ReadMainMenu(model));
  ASSERT_TRUE(ReadCommandList(model));
  ASSERT_TRUE(ReadIconIndexes(model));
  ASSERT_TRUE(ReadIconLibraries(model));
  ASSERT_TRUE(ReadProgramIdentity(model));
  ASSERT_TRUE(ReadCommandTargets(model));
  ASSERT_TRUE(ReadPrincipalDirectories(model));
  ASSERT_TRUE(SettlePluginDirectories(model));
}

class FixturePair : public ::testing::Test {
 protected:
  FixturePair() {
    PreparePairInstallation(L"my", dir_ / L"my");
    PreparePairInstallation(L"new", dir_ / L"new");
  }
  std::wstring Lower(std::wstring_view relative) const {
    return platform::LowerCase(dir_ / relative);
  }
  TempDir dir_;
  MessageRecorder boxes_;
};

TEST_F(FixturePair, MyInstallation) {
  TTC my(dir_ / L"my\\totalcmd.exe");
  my.EnvNames = {L"COMMANDER_PATH", L"COMMANDER_INI"};
  my.EnvValues = {dir_ / L"my", dir_ / L"my\\wincmd.ini"};
  ASSERT_TRUE(LocateMyConfiguration(my));
  LoadAll(my);
  EXPECT_TRUE(boxes_.texts.empty());

  EXPECT_EQ(my.FsPluginKeys, (Lines{L"ftp", L"registry", L"net", L"disk", L"ftp64"}));
  EXPECT_EQ(my.FsPluginFiles, (Lines{Lower(L"my\\plugins\\wfx\\ftp\\ftp.wfx"),
                                     Lower(L"my\\plugins\\wfx\\registry\\registry.wfx"),
                                     Lower(L"my\\plugins\\wfx\\net\\net.wfx"),
                                     Lower(L"my\\plugins\\wfx\\disk\\disk.wfx"),
                                     Lower(L"my\\plugins\\wfx\\ftp\\ftp.wfx64")}));
  EXPECT_EQ(my.PackerPluginNames, (Lines{L"total7zip.wcx", L"iso.wcx", L"total7zip.wcx64"}));
  EXPECT_EQ(my.PackerPluginExtensions, (Lines{L"7z;lzma;", L"iso;", L"7z;lzma;"}));
  EXPECT_EQ(my.ListerPluginNames, (Lines{L"imagine.wlx", L"fileinfo.wlx", L"imagine.wlx64"}));
  // The plugin registered through PAIR_SHARED is not found: this model's
  // environment lacks the variable.
  EXPECT_EQ(my.ContentPluginNames, (Lines{L"exif.wdx", L"size.wdx", L"hash.wdx"}));
  EXPECT_EQ(my.SearchNames, (Lines{L"source files", L"photos"}));
  EXPECT_EQ(my.SearchPlugin[1], L"exif.Model=\"Camera\"");
  EXPECT_EQ(my.ColorFilters, (Lines{L"*.zip *.7z", L">Source files"}));
  EXPECT_EQ(my.FontSection, L"[allresolutions]");
  EXPECT_EQ(my.FontNames[0], L"Tahoma");
  EXPECT_EQ(my.ConfigPaths.version, L"9.51");
  EXPECT_EQ(my.LanguageIniFile, dir_ / L"my\\LANGUAGE\\WCMD_ENG.ini");

  EXPECT_EQ(my.MenuCommands.size(), 8u);
  EXPECT_EQ(my.CommandCategories,
            (Lines{L"Source", L"File Operations", L"Configuration", L"Network",
                   L"Commands with Parameters"}));
  EXPECT_EQ(my.IconNumbers.size(), 6u);
  EXPECT_EQ(my.ProgramVersion, L"9.5.1.0");
  EXPECT_EQ(my.ProgramDigest.size(), 32u);
  EXPECT_EQ(my.IconLibHandles.size(), 40u);
  EXPECT_EQ(my.IconLibFingerprints.size(), 40u);
  EXPECT_EQ(my.MainIcon, my.IconLibHandles.empty() ? nullptr : my.IconLibHandles[0].get());
  EXPECT_NE(my.MainIcon, nullptr);
  EXPECT_EQ(my.WcmIconHandles.size(), 8u);
  EXPECT_EQ(my.BarFiles, (Lines{Lower(L"my\\bars\\tools.bar"), Lower(L"my\\default.bar")}));

  EXPECT_EQ(my.TargetNames,
            (Lines{L"em_EditNotes", L"admintool.exe", L"README.TXT", L"notepad.exe", L"editor.exe",
                   L"README.TXT", L"em_EditNotes", L"editor.exe", L"cmd.exe"}));
  EXPECT_EQ(my.TargetTypes, (Lines{L"C", L"I", L"N", L"E", L"I", L"N", L"C", L"I", L"E"}));
  EXPECT_EQ(my.TargetOccurrences, (Lines{L"1", L"1", L"1", L"1", L"1", L"2", L"2", L"2", L"1"}));
  EXPECT_EQ(my.TargetSources,
            (Lines{L"Main menu: Files -> Tools -> Edit notes", L"Button bar tools.bar: 1 - Admin tool",
                   L"Button bar tools.bar: 2 - Read me again", L"Button bar default.bar: 4 - Notepad",
                   L"Button bar default.bar: 5 - Editor", L"Button bar default.bar: 6 - Read me",
                   L"Button bar default.bar: 8 - Notes", L"Start menu: Edit with the editor",
                   L"Start menu: Command prompt"}));

  EXPECT_EQ(my.PluginRoot, Lower(L"my\\plugins\\"));
  EXPECT_EQ(my.WfxDir, Lower(L"my\\plugins\\wfx\\"));
  EXPECT_EQ(my.WdxDir, Lower(L"my\\plugins\\wdx\\"));
  EXPECT_EQ(my.PrincipalDirs,
            (Lines{Lower(L"my"), Lower(L"my\\plugins"), Lower(L"my\\plugins\\wcx"),
                   Lower(L"my\\plugins\\wdx"), Lower(L"my\\plugins\\wfx"),
                   Lower(L"my\\plugins\\wlx"), Lower(L"my\\tools")}));
  EXPECT_FALSE(IsPrincipalDirectory(my, dir_ / L"my\\plugins\\wfx\\ftp"));
}

TEST_F(FixturePair, NewInstallation) {
  TTC my(dir_ / L"my\\totalcmd.exe");
  my.EnvNames = {L"COMMANDER_PATH", L"COMMANDER_INI", L"PATH"};
  my.EnvValues = {dir_ / L"my", dir_ / L"my\\wincmd.ini", L"C:\\windows"};
  TTC other(dir_ / L"new\\totalcmd.exe");
  DeriveNewEnvironment(my, other);
  ASSERT_TRUE(LocateConfigurationFromCommandLine(other, L""));
  EXPECT_EQ(other.IniFile, dir_ / L"new\\wincmd.ini");
  other.MainIniFile = other.IniFile;
  LoadAll(other);
  EXPECT_TRUE(boxes_.texts.empty());

  // The plugin sections are kept in a file of their own.
  for (int slot : {kSlotFileSystemPlugins, kSlotPackerPlugins, kSlotListerPlugins,
                   kSlotContentPlugins}) {
    EXPECT_EQ(other.SectionFile[static_cast<size_t>(slot)], dir_ / L"new\\INI\\plugins.ini");
  }
  EXPECT_EQ(other.SectionFile[kSlotColors], other.IniFile);
  // sftp exists only as a 64-bit file.
  EXPECT_EQ(other.FsPluginKeys,
            (Lines{L"ftp", L"network", L"disk", L"registry", L"ftp64", L"sftp64"}));
  EXPECT_EQ(other.FsPluginLines[0], L"FTP=%COMMANDER_PATH%\\plugins\\wfx\\ftp\\ftp.wfx");
  EXPECT_EQ(other.PackerPluginNames, (Lines{L"total7zip.wcx", L"rpm.wcx", L"total7zip.wcx64"}));
  EXPECT_EQ(other.PackerPluginFlags, (Lines{L"735;607;607;", L"4;", L"735;607;607;"}));
  EXPECT_EQ(other.ListerPluginNames, (Lines{L"imagine.wlx", L"markdown.wlx", L"imagine.wlx64"}));
  EXPECT_EQ(other.ListerPluginDetect[1], L"EXT=\"MD\"");
  EXPECT_EQ(other.ContentPluginNames,
            (Lines{L"exif.wdx", L"fileattrs.wdx", L"size.wdx", L"hash.wdx"}));
  EXPECT_EQ(other.SearchNames, (Lines{L"photos", L"large files"}));
  EXPECT_EQ(other.ConfigPaths.mainmenu, dir_ / L"new\\LANGUAGE\\WCMD_DEU.MNU");
  EXPECT_EQ(other.ConfigPaths.editor, dir_ / L"new\\TOOLS\\editor\\editor.exe");
  EXPECT_EQ(other.CommandNames.size(), 23u);
  EXPECT_EQ(other.ProgramVersion, L"11.1.0.0");
  EXPECT_EQ(other.IconLibHandles.size(), 42u);
  EXPECT_EQ(other.WcmIconFingerprints.size(), 7u);

  EXPECT_EQ(other.BarFiles, (Lines{Lower(L"new\\default.bar"), Lower(L"new\\vertical.bar")}));
  EXPECT_EQ(other.TargetNames,
            (Lines{L"em_EditNotes", L"em_ConnectFtp", L"notepad.exe", L"editor.exe", L"README.TXT",
                   L"sync.exe", L"editor.exe", L"editor.exe", L"sync.exe", L"HELP.TXT"}));
  EXPECT_EQ(other.TargetTypes,
            (Lines{L"C", L"C", L"E", L"I", L"N", L"I", L"I", L"I", L"I", L"N"}));
  EXPECT_EQ(other.TargetOccurrences,
            (Lines{L"1", L"1", L"1", L"1", L"1", L"1", L"2", L"3", L"2", L"1"}));
  EXPECT_EQ(other.TargetSources[6], L"Button bar vertical.bar: 1 - Edit with the editor");
  EXPECT_EQ(other.PrincipalDirs.front(), Lower(L"new"));
}

}  // namespace
}  // namespace orvelle::test
