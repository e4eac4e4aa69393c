// Which folder of the New installation a plugin may be carried over with.
#include "operations/plugin_source.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "support/temp_dir.h"
#include "tc/principal_dirs.h"
#include "tc/ttc.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

// An installation whose plugin folders are settled as the readers settle
// them (lower-cased, with a trailing backslash).
TTC Installation(const std::wstring& programDir, std::vector<std::wstring> fsPlugins,
                 const std::wstring& iniFile) {
  TTC model(programDir + L"\\totalcmd.exe");
  model.IniFile = model.MainIniFile = iniFile;
  for (int slot = 1; slot < kSlotCount; ++slot) model.SectionFile[static_cast<size_t>(slot)] = iniFile;
  const std::wstring root = platform::LowerCase(programDir) + L"\\plugins\\";
  model.PluginRoot = root;
  model.WfxDir = root + L"wfx\\";
  model.WlxDir = root + L"wlx\\";
  model.WcxDir = root + L"wcx\\";
  model.WdxDir = root + L"wdx\\";
  model.AppDir = root + L"exe\\";
  model.FsPluginFiles = std::move(fsPlugins);
  ReadPrincipalDirectories(model);
  return model;
}

TEST(PluginSource, TheRegisteredFileOrItsTwinAndWhatIsCarriedOver) {
  test::TempDir dir;
  const std::wstring newDir = dir / L"New";
  test::WriteBytes(newDir + L"\\plugins\\wfx\\Sftp\\sftp.wfx64", "64");
  test::WriteBytes(newDir + L"\\plugins\\wfx\\Sftp\\readme.txt", "r");
  test::WriteBytes(newDir + L"\\Loose.wfx", "32");
  test::WriteBytes(newDir + L"\\Loose.wfx64", "64");
  const TTC newModel = Installation(newDir, {}, newDir + L"\\wincmd.ini");
  const TTC my = Installation(dir / L"My", {}, dir / L"My\\wincmd.ini");

  std::optional<PluginSource> sftp = LocatePluginSource(
      platform::LowerCase(newDir + L"\\plugins\\wfx\\sftp\\sftp.wfx"), newModel, my, L"");
  ASSERT_TRUE(sftp);
  // Spelt as on disk below the drive (whose letter stays as given).
  EXPECT_TRUE(platform::EqualsNoCase(sftp->File, newDir + L"\\plugins\\wfx\\Sftp\\sftp.wfx64"));
  EXPECT_TRUE(sftp->File.ends_with(L"\\New\\plugins\\wfx\\Sftp\\sftp.wfx64")) << sftp->File;
  EXPECT_TRUE(platform::EqualsNoCase(sftp->Dir, newDir + L"\\plugins\\wfx\\Sftp"));
  EXPECT_TRUE(sftp->OwnFolder);
  EXPECT_TRUE(sftp->Files.empty());

  std::optional<PluginSource> loose =
      LocatePluginSource(newDir + L"\\plugins\\..\\loose.wfx", newModel, my, L"");
  ASSERT_TRUE(loose);
  EXPECT_TRUE(loose->File.ends_with(L"\\New\\Loose.wfx")) << loose->File;
  EXPECT_FALSE(loose->OwnFolder) << "the New program folder is no plugin's own";
  EXPECT_EQ(loose->Files, (std::vector<std::wstring>{L"Loose.wfx", L"Loose.wfx64"}));

  EXPECT_FALSE(LocatePluginSource(newDir + L"\\missing.wfx", newModel, my, L""));
  EXPECT_FALSE(LocatePluginSource(newDir + L"\\plugins\\wfx\\Sftp\\sftp.wfx6464", newModel, my, L""));
  EXPECT_FALSE(LocatePluginSource(newDir + L"\\plugins\\wfx\\Sftp", newModel, my, L""))
      << "a folder is no plugin file";
  EXPECT_FALSE(LocatePluginSource(L"plugins\\x.wfx", newModel, my, L""));
}

}  // namespace
}  // namespace orvelle
