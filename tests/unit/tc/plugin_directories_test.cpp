#include "tc/plugin_directories.h"
#include "tc/principal_dirs.h"
#include "tc/ttc.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvelle {
namespace {

using Lines = std::vector<std::wstring>;

TEST(PluginDirectories, MostCommonParentOfEachKind) {
  TTC model(L"C:\\TC\\TOTALCMD.EXE");
  model.FsPluginFiles = {L"c:\\other\\wfx\\x\\x.wfx", L"c:\\root\\wfx\\a\\a.wfx",
                         L"c:\\root\\wfx\\b\\b.wfx", L"c:\\root\\wfx\\c\\c.wfx"};
  // A tie goes to the one met first.
  model.PackerPluginFiles = {L"d:\\packers\\z\\z.wcx", L"c:\\root\\wcx\\y\\y.wcx"};
  model.TargetPaths = {L"C:\\TC\\Exe\\Ed\\ed.exe", L"c:\\tc\\exe\\np\\np.exe", L"em_x",
                       L"c:\\tc\\readme.txt"};
  ASSERT_TRUE(SettlePluginDirectories(model));
  EXPECT_EQ(model.WfxDir, L"c:\\root\\wfx\\");
  EXPECT_EQ(model.WcxDir, L"d:\\packers\\");
  EXPECT_EQ(model.PluginRoot, L"c:\\root\\");
  // Kinds without plugins lie below the root.
  EXPECT_EQ(model.WlxDir, L"c:\\root\\wlx\\");
  EXPECT_EQ(model.WdxDir, L"c:\\root\\wdx\\");
  EXPECT_EQ(model.AppDir, L"c:\\tc\\exe\\");
}

TEST(PluginDirectories, DefaultsBelowTheProgramDirectory) {
  TTC model(L"C:\\TC\\TOTALCMD.EXE");
  ASSERT_TRUE(SettlePluginDirectories(model));
  EXPECT_EQ(model.PluginRoot, L"c:\\tc\\plugins\\");
  EXPECT_EQ(model.WfxDir, L"c:\\tc\\plugins\\wfx\\");
  EXPECT_EQ(model.WlxDir, L"c:\\tc\\plugins\\wlx\\");
  EXPECT_EQ(model.WcxDir, L"c:\\tc\\plugins\\wcx\\");
  EXPECT_EQ(model.WdxDir, L"c:\\tc\\plugins\\wdx\\");
  EXPECT_EQ(model.AppDir, L"c:\\tc\\plugins\\exe\\");
}

TEST(PluginDirectories, ConfiguredBaseDirectoryWins) {
  TTC model(L"C:\\TC\\TOTALCMD.EXE");
  model.EnvNames = {L"COMMANDER_PATH"};
  model.EnvValues = {L"C:\\TC"};
  model.ConfigPaths.pluginbasedir = L"%COMMANDER_PATH%\\Plugins";
  model.FsPluginFiles = {L"c:\\elsewhere\\wfx\\a\\a.wfx"};
  ASSERT_TRUE(SettlePluginDirectories(model));
  EXPECT_EQ(model.PluginRoot, L"c:\\tc\\plugins\\");
  EXPECT_EQ(model.WfxDir, L"c:\\tc\\plugins\\wfx\\");
  model.ConfigPaths.pluginbasedir = L"Addons\\";  // relative, trailing backslash
  ASSERT_TRUE(SettlePluginDirectories(model));
  EXPECT_EQ(model.PluginRoot, L"c:\\tc\\addons\\");
}

TEST(PrincipalDirectories, ProgramDirectoryAndTheFoldersAbovePlugins) {
  TTC model(L"C:\\TC\\TOTALCMD.EXE");
  model.FsPluginFiles = {L"c:\\tc\\plugins\\wfx\\ftp\\ftp.wfx", L"c:\\tc\\plugins\\wfx\\x\\x.wfx"};
  model.ListerPluginFiles = {L"d:\\shared\\wlx\\view\\view.wlx", L"c:\\tc\\flat.wlx"};
  model.TargetPaths = {L"C:\\TC\\Tools\\Editor\\Ed.exe", L"c:\\tc\\apps\\n\\readme.txt"};
  model.TargetTypes = {L"I", L"N"};
  ASSERT_TRUE(ReadPrincipalDirectories(model));
  // A plugin outside the program directory adds its outer folders while
  // their paths are longer than the program directory's.
  EXPECT_EQ(model.PrincipalDirs, (Lines{L"c:\\tc", L"c:\\tc\\plugins", L"c:\\tc\\plugins\\wfx",
                                        L"c:\\tc\\tools", L"d:\\shared", L"d:\\shared\\wlx"}));
  struct Case {
    const wchar_t* dir;
    bool principal;
  };
  for (const Case& c : {Case{L"C:\\TC\\Plugins", true}, Case{L"c:\\tc\\plugins\\wfx\\", true},
                        Case{L"c:\\", true}, Case{L"c:\\tc\\plugins\\wfx\\ftp", false},
                        Case{L"c:\\tc\\plug", false}, Case{L"c:\\tc\\tools\\editor", false},
                        Case{L"", false}}) {
    EXPECT_EQ(IsPrincipalDirectory(model, c.dir), c.principal) << c.dir;
  }
}

TEST(PrincipalDirectories, RootsAndOddPathsEndTheWalk) {
  TTC model(L"C:\\TOTALCMD.EXE");
  model.FsPluginFiles = {L"c:\\\\\\\\x\\y.wfx", L"\\\\server\\share\\wfx\\a\\a.wfx", L"a.wfx"};
  ASSERT_TRUE(ReadPrincipalDirectories(model));
  for (const wchar_t* dir : {L"c:", L"\\\\server\\share", L"\\\\server\\share\\wfx"}) {
    EXPECT_NE(std::find(model.PrincipalDirs.begin(), model.PrincipalDirs.end(), dir),
              model.PrincipalDirs.end())
        << dir;
  }
}

}  // namespace
}  // namespace orvelle
