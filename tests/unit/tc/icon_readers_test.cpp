#include "support/pe_resources.h"
#include "tc/icon_readers.h"
#include "tc/ttc.h"
#include "tc_test_helpers.h"
#include "util/digest.h"

#include <gtest/gtest.h>

namespace orvelle::test {
namespace {

void WriteIcons(const std::wstring& path, int groups) {
  CopyProgramFile(path);
  std::vector<std::vector<IconImage>> icons;
  for (int i = 0; i < groups; ++i) {
    icons.push_back({MakeIconImage(16, 32, RGB(i * 50, 0, 0)), MakeIconImage(32, 32, RGB(i * 50, 0, 0))});
  }
  WriteIconResource(path, icons);
}

TEST(IconLibraries, ConfiguredLibraryElseTheProgramAndWcmIcons) {
  TempDir dir;
  TTC model(dir / L"totalcmd.exe");
  WriteIcons(model.ExeFile, 3);
  WriteIcons(dir / L"library.icl", 2);
  WriteIcons(dir / L"WCMICONS.DLL", 4);
  model.ConfigPaths.iconlib = dir / L"library.icl";
  ASSERT_TRUE(ReadIconLibraries(model));
  ASSERT_EQ(model.IconLibHandles.size(), 2u);
  EXPECT_EQ(model.IconLibFingerprints.size(), 2u);
  EXPECT_NE(model.IconLibFingerprints[0], model.IconLibFingerprints[1]);
  EXPECT_EQ(model.MainIcon, model.IconLibHandles[0].get());
  EXPECT_NE(model.MainIcon, nullptr);
  EXPECT_EQ(model.WcmIconHandles.size(), 4u);
  EXPECT_EQ(model.WcmIconFingerprints.size(), 4u);

  // A configured file that is no icon library gives way to the program.
  TouchFile(dir / L"library.icl");
  ASSERT_TRUE(ReadIconLibraries(model));
  EXPECT_EQ(model.IconLibHandles.size(), 3u);
  EXPECT_EQ(model.WcmIconHandles.size(), 4u);  // read again, not added twice
}

TEST(IconLibraries, NoIconsAnywhere) {
  TempDir dir;
  TTC model(dir / L"totalcmd.exe");
  TouchFile(model.ExeFile);
  ASSERT_TRUE(ReadIconLibraries(model));
  EXPECT_TRUE(model.IconLibHandles.empty());
  EXPECT_EQ(model.MainIcon, nullptr);
  EXPECT_TRUE(model.WcmIconHandles.empty());
}

TEST(ProgramIdentity, VersionStringAndDigest) {
  TempDir dir;
  TTC model(dir / L"totalcmd.exe");
  CopyProgramFile(model.ExeFile);
  WriteVersionResource(model.ExeFile, {11, 1, 0, 0}, {11, 1, 0, 0},
                       {{L"FileVersion", L"11.01"}, {L"ProductVersion", L"11.1"}});
  ASSERT_TRUE(ReadProgramIdentity(model));
  EXPECT_EQ(model.ProgramVersion, L"11.01");
  EXPECT_EQ(model.ProgramDigest, FileMD5(model.ExeFile));
  EXPECT_EQ(model.ProgramDigest.size(), 32u);

  WriteVersionResource(model.ExeFile, {11, 1, 0, 0}, {11, 1, 0, 0}, {{L"ProductVersion", L"11.1"}});
  ASSERT_TRUE(ReadProgramIdentity(model));
  EXPECT_EQ(model.ProgramVersion, L"11.1");

  ::DeleteFileW(model.ExeFile.c_str());
  ASSERT_TRUE(ReadProgramIdentity(model));
  EXPECT_EQ(model.ProgramVersion, L"");
  EXPECT_EQ(model.ProgramDigest, L"");
}

}  // namespace
}  // namespace orvelle::test
