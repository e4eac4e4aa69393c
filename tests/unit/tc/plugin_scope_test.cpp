// What belongs to a plugin, on the layouts seen in real installations.
#include "tc/plugin_scope.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/plugin_directories.h"
#include "tc/principal_dirs.h"
#include "tc/ttc.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using Names = std::vector<std::wstring>;

struct Plugins {
  Names fs = {}, packer = {}, lister = {}, content = {};
};

// An installation as the readers leave it: plugin folders settled from
// where its plugins lie, principal directories read.
TTC Installation(const std::wstring& programDir, const std::wstring& iniFile, Plugins plugins,
                 const std::wstring& pluginBase = L"") {
  TTC model(programDir + L"\\totalcmd.exe");
  model.IniFile = model.MainIniFile = iniFile;
  for (int slot = 1; slot < kSlotCount; ++slot) {
    model.SectionFile[static_cast<size_t>(slot)] = iniFile;
  }
  model.ConfigPaths.pluginbasedir = pluginBase;
  model.FsPluginFiles = std::move(plugins.fs);
  model.PackerPluginFiles = std::move(plugins.packer);
  model.ListerPluginFiles = std::move(plugins.lister);
  model.ContentPluginFiles = std::move(plugins.content);
  SettlePluginDirectories(model);
  ReadPrincipalDirectories(model);
  return model;
}

platform::SystemFolders System() {
  platform::SystemFolders system;
  system.Trees = {L"c:\\windows"};
  system.Shared = {L"c:\\program files", L"c:\\programdata",          L"c:\\users",
                   L"c:\\users\\me",     L"c:\\users\\me\\downloads", L"c:\\users\\me\\documents",
                   L"c:\\users\\me\\appdata\\roaming"};
  return system;
}

FolderListing Listed(Names files) { return {true, false, std::move(files)}; }

const wchar_t kMyIni[] = L"c:\\tc\\wincmd.ini";
const wchar_t kNewIni[] = L"e:\\newtc\\wincmd.ini";

struct Case {
  const char* layout;
  Plugins my, other;  // My installation's plugins, New's
  std::wstring file;
  FolderListing listing;
  bool whole;
  Names files;  // when not whole
};

TEST(PluginScope, TheFolderOnlyWhenNothingInItBelongsToAnythingElse) {
  const std::wstring roaming = L"c:\\users\\me\\appdata\\roaming\\ghisler";
  const Case cases[] = {
      {"the usual layout", {.content = {L"c:\\tc\\plugins\\wdx\\x\\x.wdx"}}, {},
       L"c:\\tc\\plugins\\wdx\\x\\x.wdx", Listed({L"x.wdx", L"x.ini", L"readme.txt", L"x.wdx64"}),
       true, {}},
      {"alone in Downloads among photos", {.lister = {L"c:\\users\\me\\downloads\\x.wlx"}}, {},
       L"c:\\users\\me\\downloads\\x.wlx",
       Listed({L"photo.jpg", L"x.wlx", L"x.ini", L"x.zip", L"xy.ini", L"notes.txt"}), false,
       {L"x.wlx", L"x.ini"}},
      {"in the program folder", {.fs = {L"c:\\tc\\x.wfx"}}, {}, L"c:\\tc\\x.wfx",
       Listed({L"totalcmd.exe", L"wincmd.ini", L"x.wfx64", L"x.wfx"}), false,
       {L"x.wfx", L"x.wfx64"}},
      {"two plugin folders side by side outside the program",
       {.fs = {L"d:\\tcplugins\\wfx\\a\\a.wfx", L"d:\\tcplugins\\wfx\\b\\b.wfx"}}, {},
       L"d:\\tcplugins\\wfx\\a\\a.wfx", Listed({L"a.wfx", L"a.wfx64", L"help.txt"}), true, {}},
      {"beside other programs", {.fs = {L"d:\\tools\\x.wfx"}}, {}, L"d:\\tools\\x.wfx",
       Listed({L"putty.exe", L"x.wfx", L"x64.wfx", L"x.lng", L"x.exe"}), false,
       {L"x.wfx", L"x.lng", L"x64.wfx"}},
      {"below the configuration's plugins folder",
       {.fs = {roaming + L"\\plugins\\wfx\\x\\x.wfx"}}, {}, roaming + L"\\plugins\\wfx\\x\\x.wfx",
       Listed({L"x.wfx"}), true, {}},
      {"two plugins registered from one folder",
       {.fs = {L"c:\\tc\\plugins\\wfx\\pair\\a.wfx", L"c:\\tc\\plugins\\wfx\\pair\\b.wfx"}}, {},
       L"c:\\tc\\plugins\\wfx\\pair\\a.wfx",
       Listed({L"a.wfx", L"a.ini", L"b.wfx", L"b.ini", L"a.wfx64"}), false,
       {L"a.wfx", L"a.wfx64", L"a.ini"}},
      {"New's folder also holds another registered plugin", {},
       {.packer = {L"e:\\newtc\\plugins\\wcx\\rpm\\rpm.wcx", L"e:\\newtc\\plugins\\wcx\\rpm\\cpio.wcx"}},
       L"e:\\newtc\\plugins\\wcx\\rpm\\rpm.wcx",
       Listed({L"cpio.wcx", L"rpm.wcx", L"rpm.ini", L"cpio.ini"}), false, {L"rpm.wcx", L"rpm.ini"}},
      {"an unregistered plugin beside it", {.fs = {L"c:\\tc\\plugins\\wfx\\x\\x.wfx"}}, {},
       L"c:\\tc\\plugins\\wfx\\x\\x.wfx", Listed({L"x.wfx", L"old.wfx"}), false, {L"x.wfx"}},
      {"photos in the plugin's folder", {.lister = {L"c:\\tc\\plugins\\wlx\\x\\x.wlx"}}, {},
       L"c:\\tc\\plugins\\wlx\\x\\x.wlx", Listed({L"x.wlx", L"holiday.JPG"}), false, {L"x.wlx"}},
      {"its own manual and archive are its own", {.lister = {L"c:\\tc\\plugins\\wlx\\x\\x.wlx"}},
       {}, L"c:\\tc\\plugins\\wlx\\x\\x.wlx", Listed({L"x.wlx", L"x.pdf", L"x.zip", L"logo.png"}),
       true, {}},
      {"lying loose in a kind folder", {.fs = {L"c:\\tc\\plugins\\wfx\\x.wfx"}}, {},
       L"c:\\tc\\plugins\\wfx\\x.wfx", Listed({L"x.wfx"}), false, {L"x.wfx"}},
      {"a drive's root", {.fs = {L"d:\\x.wfx"}}, {}, L"d:\\x.wfx", Listed({L"x.wfx"}), false,
       {L"x.wfx"}},
      {"a folder that is a link", {.fs = {L"c:\\tc\\plugins\\wfx\\x\\x.wfx"}}, {},
       L"c:\\tc\\plugins\\wfx\\x\\x.wfx", {true, true, {L"x.wfx"}}, false, {L"x.wfx"}},
      {"a folder that could not be listed", {.fs = {L"c:\\tc\\plugins\\wfx\\x\\x.wfx"}}, {},
       L"c:\\tc\\plugins\\wfx\\x\\x.wfx", {}, false, {L"x.wfx", L"x.wfx64"}},
      {"holds a folder with another plugin",
       {.fs = {L"c:\\tc\\plugins\\wfx\\x\\x.wfx", L"c:\\tc\\plugins\\wfx\\x\\sub\\y.wfx"}}, {},
       L"c:\\tc\\plugins\\wfx\\x\\x.wfx", Listed({L"x.wfx"}), false, {L"x.wfx"}},
      {"the other installation's plugin folder", {},
       {.fs = {L"e:\\newtc\\plugins\\wfx\\ftp\\ftp.wfx"}}, L"e:\\newtc\\plugins\\wfx\\ftp\\ftp.wfx",
       Listed({L"ftp.wfx", L"ftp.ini"}), true, {}},
      {"one folder in a user's folder is no place of plugins",
       {.fs = {L"c:\\users\\me\\downloads\\x\\x.wfx"}}, {}, L"c:\\users\\me\\downloads\\x\\x.wfx",
       Listed({L"x.wfx"}), false, {L"x.wfx"}},
      {"two plugin folders side by side in Downloads",
       {.fs = {L"c:\\users\\me\\downloads\\a\\a.wfx", L"c:\\users\\me\\downloads\\b\\b.wfx"}}, {},
       L"c:\\users\\me\\downloads\\a\\a.wfx", Listed({L"a.wfx"}), false, {L"a.wfx"}},
      {"inside the system", {.fs = {L"c:\\windows\\plugins\\x\\x.wfx"}}, {},
       L"c:\\windows\\plugins\\x\\x.wfx", Listed({L"x.wfx"}), false, {L"x.wfx"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.layout);
    const bool inRoaming = c.file.starts_with(roaming);
    const TTC my = Installation(L"c:\\tc", inRoaming ? roaming + L"\\wincmd.ini" : kMyIni, c.my);
    const TTC other = Installation(L"e:\\newtc", kNewIni, c.other);
    const PluginSurroundings around = GatherSurroundings(&my, &other, L"", System());
    const PluginScope scope = DecidePluginScope(c.file, c.listing, around);
    EXPECT_EQ(scope.Dir, platform::ExcludeTrailingBackslash(platform::ExtractFileDir(c.file)));
    EXPECT_EQ(scope.WholeFolder, c.whole);
    EXPECT_EQ(scope.Files, c.files);
  }
}

TEST(PluginScope, FilesOthersUseStayWhereTheyAre) {
  TTC my = Installation(L"c:\\tc", kMyIni, {.fs = {L"d:\\tools\\x.wfx"}});
  my.TargetPaths = {L"d:\\tools\\x.txt"};  // a document a menu opens
  my.TargetTypes = {L"N"};
  const PluginSurroundings around = GatherSurroundings(&my, nullptr, L"", System());
  EXPECT_EQ(DecidePluginScope(L"d:\\tools\\x.wfx", Listed({L"x.wfx", L"x.txt", L"x.ini"}), around)
                .Files,
            (Names{L"x.wfx", L"x.ini"}));

  // This plugin's own folder never goes with another plugin.
  const TTC mine = Installation(L"c:\\tc", kMyIni, {.fs = {L"c:\\tc\\plugins\\wfx\\orvelle\\x.wfx"}});
  const PluginSurroundings withOwn = GatherSurroundings(
      &mine, nullptr, L"c:\\tc\\plugins\\wfx\\orvelle\\Orvelle.wfx64", System());
  EXPECT_FALSE(DecidePluginScope(L"c:\\tc\\plugins\\wfx\\orvelle\\x.wfx",
                                 Listed({L"x.wfx", L"Orvelle.wfx64"}), withOwn)
                   .WholeFolder);
}

TEST(PluginScope, AnAddLandsInsideMyInstallation) {
  struct AddCase {
    const char* layout;
    Plugins my;
    std::wstring pluginBase;
    ItemKind kind;
    std::wstring folder;
  };
  const AddCase cases[] = {
      {"no plugins yet", {}, L"", ItemKind::FileSystemPlugin, L"c:\\tc\\plugins\\wfx"},
      {"the usual layout", {.packer = {L"c:\\tc\\plugins\\wcx\\zip\\zip.wcx"}}, L"",
       ItemKind::PackerPlugin, L"c:\\tc\\plugins\\wcx"},
      {"the only lister plugin in Downloads", {.lister = {L"c:\\users\\me\\downloads\\x.wlx"}}, L"",
       ItemKind::ListerPlugin, L"c:\\tc\\plugins\\wlx"},
      {"plugins in the program folder", {.fs = {L"c:\\tc\\a.wfx", L"c:\\tc\\b.wfx"}}, L"",
       ItemKind::FileSystemPlugin, L"c:\\tc\\plugins\\wfx"},
      {"a plugin in its folder beside the program", {.fs = {L"c:\\tc\\a\\a.wfx"}}, L"",
       ItemKind::FileSystemPlugin, L"c:\\tc\\plugins\\wfx"},
      {"plugin folders side by side on another drive",
       {.content = {L"d:\\tcplugins\\wdx\\a\\a.wdx", L"d:\\tcplugins\\wdx\\b\\b.wdx"}}, L"",
       ItemKind::ContentPlugin, L"d:\\tcplugins\\wdx"},
      {"a plugin base folder", {.fs = {L"c:\\tc\\x.wfx"}}, L"d:\\Plugins",
       ItemKind::FileSystemPlugin, L"d:\\plugins\\wfx"},
  };
  for (const AddCase& c : cases) {
    SCOPED_TRACE(c.layout);
    const TTC my = Installation(L"c:\\tc", kMyIni, c.my, c.pluginBase);
    const PluginSurroundings around = GatherSurroundings(&my, nullptr, L"", System());
    EXPECT_EQ(AddFolderForKind(my, c.kind, around), c.folder);
  }
}

}  // namespace
}  // namespace orvelle
