#include "configuration_fixture.h"
#include "tc/expand_variables.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <utility>

namespace orvelle::test {
namespace {

using Lines = std::vector<std::wstring>;

bool EndsWithPluginExtension(const std::wstring& path) {
  std::wstring lower = platform::LowerCase(path);
  for (const wchar_t* ext : {L".wfx", L".wcx", L".wlx", L".wdx"}) {
    for (const std::wstring& e : {std::wstring(ext), std::wstring(ext) + L"64"}) {
      if (lower.size() > e.size() && lower.compare(lower.size() - e.size(), e.size(), e) == 0) {
        return true;
      }
    }
  }
  return false;
}

class RealWorldTest : public ConfigurationTest {
 protected:
  // Copies a real-world file into the program folder under `name`, keeping
  // its encoding. The author's own plugin folders (absolute paths that do
  // not exist here) are moved below %COMMANDER_PATH%, and every plugin file
  // the file names there is created.
  void Install(const wchar_t* realWorld, const std::wstring& name,
               const std::vector<std::pair<std::wstring, std::wstring>>& moves = {}) {
    std::optional<TextDocument> doc = LoadTextFile(RealWorldFile(realWorld));
    ASSERT_TRUE(doc) << realWorld;
    for (std::wstring& line : doc->lines) {
      for (const auto& [from, to] : moves) {
        size_t at = line.find(from);
        if (at != std::wstring::npos) line.replace(at, from.size(), to);
      }
      size_t at = platform::LowerCase(line).find(L"%commander_path%");
      if (at == std::wstring::npos) continue;
      std::wstring path = platform::Trim(std::wstring_view(line).substr(at));
      if (EndsWithPluginExtension(path)) TouchFile(ExpandVariables(model_, path, true));
    }
    std::wstring target = dir_ / name;
    ::CreateDirectoryW(target.substr(0, target.rfind(L'\\')).c_str(), nullptr);
    ASSERT_TRUE(SaveTextFile(target, *doc));
  }
  bool LoadInstalled() {
    MessageRecorder boxes;
    bool loaded = LoadConfiguration(model_);
    EXPECT_TRUE(boxes.texts.empty());
    return loaded;
  }
};

TEST_F(RealWorldTest, Utf16ConfigurationOfVersion11) {
  Install(L"chchoiw-TC\\WinCMD.ini", L"wincmd.ini");
  ASSERT_TRUE(LoadInstalled());
  ASSERT_EQ(model_.FsPluginKeys, (Lines{L"\u5B89\u5168 ftp"}));
  EXPECT_EQ(model_.FsPluginNames, (Lines{L"sftp.wfx64"}));
  ASSERT_EQ(model_.PackerPluginNames, (Lines{L"diskdir.wcx64", L"imagine.wcx64", L"iso.wcx64",
                                             L"total7zip.wcx64", L"totalrsz.wcx64"}));
  EXPECT_EQ(model_.PackerPluginExtensions[1], L"ico;gif;ani;");
  EXPECT_EQ(model_.PackerPluginFlags[1], L"327;327;327;");
  EXPECT_EQ(model_.PackerPluginExtensions[2], L"bin;c2d;ima;img;iso;nrg;svcd;vcd;xcd;");
  ASSERT_EQ(model_.ListerPluginFiles.size(), 11u);
  EXPECT_EQ(model_.ListerPluginNames[10], L"cudalister.wlx");
  EXPECT_EQ(model_.ListerPluginDetect[0],
            L"\"FORCE | EXT=\"TTF\" | EXT=\"PFM\" | EXT=\"OTF\" | EXT=\"TTC\" | EXT=\"FON\" | "
            L"EXT=\"PFB\"\"");
  EXPECT_EQ(model_.ListerPluginDetect[1], L"");
  EXPECT_EQ(model_.ListerPluginDetect[4], L"\"MULTIMEDIA\"");
  ASSERT_EQ(model_.ContentPluginFiles.size(), 4u);
  EXPECT_EQ(model_.ContentPluginDetect[1].rfind(L"EXT=\"JPG\" | EXT=\"JPEG\"", 0), 0u);
  EXPECT_EQ(model_.ColorFilters.size(), 96u);
  EXPECT_EQ(model_.ColorFilters[0], L"*+*.;*up.;*#.;");
  EXPECT_EQ(model_.ColorFilterColors[0], L"16640395");
  EXPECT_EQ(model_.SearchNames.size(), 43u);
  EXPECT_EQ(model_.ConfigPaths.pluginbasedir, dir_ / L"Plugins");
  // The configured Chinese menu is not here: the English one takes its place.
  EXPECT_EQ(model_.ConfigPaths.mainmenu, dir_ / L"LANGUAGE\\WCMD_ENG.MNU");
  // Sections redirected to files that are missing here are read in place.
  EXPECT_TRUE(model_.UserCommands.empty());
  EXPECT_EQ(model_.SectionFile[kSlotUser], model_.IniFile);
}

TEST_F(RealWorldTest, AnsiConfigurationInGbk) {
  Install(L"hulucc-totalcmd\\wincmd.ini", L"wincmd.ini", {{L"D:\\totalcmd", L"%COMMANDER_PATH%"}});
  ASSERT_TRUE(LoadInstalled());
  // WebDAV lives outside the moved folder and is missing here.
  EXPECT_EQ(model_.FsPluginKeys, (Lines{L"registry", L"uninstaller64", L"task manager"}));
  EXPECT_EQ(model_.PackerPluginNames, (Lines{L"total7zip.wcx"}));
  EXPECT_EQ(model_.PackerPluginExtensions, (Lines{L"7z;"}));
  EXPECT_TRUE(model_.ContentPluginFiles.empty());  // only "0_date" and "0_flags"
  EXPECT_EQ(model_.SearchNames, (Lines{L"today"}));
  EXPECT_EQ(model_.SearchFlags, (Lines{L"0|002002000020|||12|0|||||0000|||"}));
  EXPECT_EQ(model_.ColorFilters, (Lines{L">today"}));
}

TEST_F(RealWorldTest, Utf8ConfigurationWithTrailingBlanks) {
  Install(L"taurit-TotalCommander\\wincmd.ini", L"wincmd.ini",
          {{L"d:\\ProgramData\\ApplicationData\\TotalCommander", L"%COMMANDER_PATH%"}});
  ASSERT_TRUE(LoadInstalled());
  EXPECT_EQ(model_.PackerPluginNames, (Lines{L"total7zip.wcx64", L"diskdirextended.wcx64"}));
  ASSERT_EQ(model_.ListerPluginNames, (Lines{L"fileinfo.wlx", L"sqliteviewer.wlx", L"csvview.wlx"}));
  EXPECT_EQ(model_.ListerPluginDetect[2], L"\"EXT=\"CSV\"\"");
  // "ColorFilter5ColorDark" is no filter of its own.
  ASSERT_EQ(model_.ColorFilters.size(), 16u);
  EXPECT_EQ(model_.ColorFilterColors[4], L"4604665");
  EXPECT_EQ(model_.BackColor2, model_.BackColor);
  EXPECT_TRUE(model_.FsPluginFiles.empty());
}

TEST_F(RealWorldTest, RouterConfigurationWithAlternateUserFile) {
  Install(L"turboBasic-totalcommander\\wincmd.ini", L"wincmd.ini");
  Install(L"turboBasic-totalcommander\\Plugins.ini", L"ini\\plugins.ini");
  WriteTextFile(dir_ / L"ini\\configuration.ini",
                L"[Configuration]\nEditor=%COMMANDER_PATH%\\tools\\editor.exe\n");
  ASSERT_TRUE(LoadInstalled());
  EXPECT_EQ(model_.IniFile, dir_ / L"ini\\configuration.ini");
  EXPECT_EQ(model_.MainIniFile, dir_ / L"wincmd.ini");
  EXPECT_EQ(model_.ConfigPaths.editor, dir_ / L"tools\\editor.exe");
  EXPECT_EQ(model_.SectionFile[kSlotConfiguration], model_.IniFile);
  ASSERT_EQ(model_.FsPluginKeys.size(), 11u);
  EXPECT_EQ(model_.FsPluginKeys.back(), L"link drive (tir)");
  EXPECT_EQ(model_.FsPluginNames.front(), L"adbplugin.wfx");
  ASSERT_EQ(model_.ContentPluginFiles.size(), 19u);
  EXPECT_EQ(model_.ContentPluginNames[10], L"shortcut.wdx");
  for (int slot : {kSlotFileSystemPlugins, kSlotPackerPlugins, kSlotListerPlugins,
                   kSlotContentPlugins, kSlotPacker}) {
    EXPECT_EQ(model_.SectionFile[static_cast<size_t>(slot)], dir_ / L"ini\\plugins.ini") << slot;
  }
}

TEST_F(RealWorldTest, OlderConfigurationWithPaddedKeys) {
  Install(L"wulmer-totalcmd\\wincmd.ini", L"wincmd.ini");
  ASSERT_TRUE(LoadInstalled());
  EXPECT_EQ(model_.FsPluginKeys, (Lines{L"webdav", L"secure ftp connections"}));
  EXPECT_EQ(model_.FsPluginNames, (Lines{L"davplug.wfx", L"plugin_sftp.wfx"}));
  EXPECT_EQ(model_.PackerPluginExtensions, (Lines{L"7z;lzma;"}));
  ASSERT_EQ(model_.ListerPluginNames, (Lines{L"imgview.wlx"}));
  EXPECT_EQ(model_.ListerPluginDetect[0].substr(0, 22), L"\"MULTIMEDIA & (EXT=\"AN");
  ASSERT_EQ(model_.SearchNames, (Lines{L"directories", L"source files", L"empty files"}));
  EXPECT_EQ(model_.SearchFor[1], L"*.cpp *.c *.h *.py *.tex *.java *.pco *.xtc");
  ASSERT_EQ(model_.ColorFilters.size(), 8u);
  EXPECT_EQ(model_.ColorFilters[0], L"*.zip *.tar *.tgz *.7z *.gz");
  EXPECT_EQ(model_.BackColor, L"16777215");
  EXPECT_EQ(model_.ForeColor, L"-16777208");
  ASSERT_EQ(model_.DirMenuNames.size(), 41u);
  EXPECT_EQ(model_.DirMenuCommands[37], L"cd \\\\fe01fs54.de.bosch.com\\amesim_app$");
  ASSERT_EQ(model_.UserCommands.size(), 6u);
  EXPECT_EQ(model_.UserCommands[5], L"\"\"C:\\Program Files (x86)\\Git\\bin\\sh.exe\"\"");
  EXPECT_EQ(model_.ExtensionKeys, (Lines{L"pdf", L"pdftex", L"png"}));
  EXPECT_EQ(model_.PackerCommands[0], L"pkzip.exe");
}

TEST_F(RealWorldTest, RelativeRedirectsToMissingFiles) {
  Install(L"pozitronik-TCConfig\\wincmd.ini", L"wincmd.ini");
  ASSERT_TRUE(LoadInstalled());
  EXPECT_EQ(model_.ConfigPaths.mainmenu, dir_ / L"LANGUAGE\\WCMD_ENG.MNU");
  EXPECT_TRUE(model_.FsPluginFiles.empty());
  EXPECT_EQ(model_.SectionFile[kSlotFileSystemPlugins], model_.IniFile);
  // Once the target exists the section is read from it.
  WriteTextFile(dir_ / L"CONFIG\\Plugins.ini",
                L"[FileSystemPlugins]\nX=%COMMANDER_PATH%\\x.wfx\n");
  TouchFile(dir_ / L"x.wfx");
  TTC again = ModelIn(dir_.Path());
  ASSERT_TRUE(LoadConfiguration(again));
  EXPECT_EQ(again.FsPluginKeys, (Lines{L"x"}));
  EXPECT_EQ(again.SectionFile[kSlotFileSystemPlugins], dir_ / L"CONFIG\\Plugins.ini");
}

}  // namespace
}  // namespace orvelle::test
