#include "compare/plugin_registrations.h"

#include "tc/ttc.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(PluginRegistrations, ValuesAreThePathsAsWrittenAndTwinsAppend64) {
  TTC m(L"c:\\tc\\totalcmd.exe");
  m.FsPluginKeys = {L"ftp client", L"ftp client64"};
  m.FsPluginFiles = {L"c:\\tc\\plugins\\ftp\\ftp.wfx", L"c:\\tc\\plugins\\ftp\\ftp.wfx64"};
  m.FsPluginNames = {L"ftp.wfx", L"ftp.wfx64"};
  m.FsPluginLines = {L"FTP Client=%COMMANDER_PATH%\\Plugins\\ftp\\Ftp.wfx", L""};

  m.PackerPluginFiles = {L"c:\\tc\\plugins\\rar\\unrar.wcx", L"c:\\tc\\plugins\\rar\\unrar.wcx64"};
  m.PackerPluginNames = {L"unrar.wcx", L"unrar.wcx64"};
  m.PackerPluginExtensions = {L"rar;ZIP;", L"rar;ZIP;"};
  m.PackerPluginFlags = {L"69;;", L"69;;"};
  m.PackerPluginLines = {L"rar=69, %COMMANDER_PATH%\\Plugins\\rar\\UnRar.wcx",
                         L"rar=69, %COMMANDER_PATH%\\Plugins\\rar\\UnRar.wcx"};

  m.ListerPluginFiles = {L"c:\\tc\\plugins\\img\\imagine.wlx", L"c:\\tc\\plugins\\img\\imagine.wlx64",
                         L"c:\\tc\\plugins\\img\\imagine.wlx"};
  m.ListerPluginNames = {L"imagine.wlx", L"imagine.wlx64", L"imagine.wlx"};
  m.ListerPluginDetect = {L"EXT=\"PNG\"", L"EXT=\"PNG\"", L""};
  m.ListerPluginLines = {L"=c:\\TC\\plugins\\img\\Imagine.wlx", L"=c:\\TC\\plugins\\img\\Imagine.wlx",
                         L"=C:\\tc\\PLUGINS\\img\\imagine.wlx"};

  auto wfx = PluginRegistrations(m, PluginKind::Wfx);
  ASSERT_EQ(wfx.size(), 2u);
  EXPECT_EQ(wfx[0].Name, L"FTP Client");
  EXPECT_EQ(wfx[0].Value, L"%COMMANDER_PATH%\\Plugins\\ftp\\Ftp.wfx");
  EXPECT_EQ(wfx[1].Name, L"FTP Client64") << "a twin row has no line of its own";
  EXPECT_EQ(wfx[1].Value, L"%COMMANDER_PATH%\\Plugins\\ftp\\Ftp.wfx64");

  auto wcx = PluginRegistrations(m, PluginKind::Wcx);
  ASSERT_EQ(wcx.size(), 2u);
  EXPECT_EQ(wcx[0].Name, L"UnRar.wcx");
  EXPECT_EQ(wcx[0].Value, L"%COMMANDER_PATH%\\Plugins\\rar\\UnRar.wcx") << "flags are no part of it";
  EXPECT_EQ(wcx[0].Extensions, (std::vector<std::wstring>{L"rar", L"zip"}));
  EXPECT_EQ(wcx[0].Flags, (std::vector<long long>{69, 0}));
  EXPECT_EQ(wcx[1].Name, L"UnRar.wcx64") << "a twin row repeats its original's line";
  EXPECT_EQ(wcx[1].Value, L"%COMMANDER_PATH%\\Plugins\\rar\\UnRar.wcx64");

  auto wlx = PluginRegistrations(m, PluginKind::Wlx);
  ASSERT_EQ(wlx.size(), 2u) << "the same value registered twice is kept once";
  EXPECT_EQ(wlx[0].Value, L"c:\\TC\\plugins\\img\\Imagine.wlx");
  EXPECT_EQ(wlx[0].Detect, L"EXT=\"PNG\"");
  EXPECT_EQ(wlx[1].Value, L"c:\\TC\\plugins\\img\\Imagine.wlx64");
  EXPECT_EQ(FindRegistration(wlx, L"C:\\TC\\PLUGINS\\IMG\\IMAGINE.WLX64"), 1);
  EXPECT_EQ(FindRegistration(wlx, L"c:\\tc\\plugins\\img\\other.wlx"), -1);
}

TEST(PluginRegistrations, RowWithoutAnyLineFallsBackToItsFile) {
  TTC m(L"C:\\TC\\totalcmd.exe");
  m.ContentPluginFiles = {L"d:\\plugins\\x\\x.wdx"};
  m.ContentPluginNames = {L"x.wdx"};
  m.ContentPluginDetect = {L""};
  // Only the 64-bit file of a registered 32-bit name exists: the reader's
  // twin row is all that is left of the registration.
  m.FsPluginKeys = {L"sftp64"};
  m.FsPluginFiles = {L"c:\\tc\\plugins\\wfx\\sftp\\sftp.wfx64"};
  m.FsPluginNames = {L"sftp.wfx64"};
  m.FsPluginLines = {L""};

  auto wdx = PluginRegistrations(m, PluginKind::Wdx);
  ASSERT_EQ(wdx.size(), 1u);
  EXPECT_EQ(wdx[0].Value, L"d:\\plugins\\x\\x.wdx");
  EXPECT_EQ(wdx[0].Name, L"x.wdx");
  auto wfx = PluginRegistrations(m, PluginKind::Wfx);
  ASSERT_EQ(wfx.size(), 1u);
  EXPECT_EQ(wfx[0].Value, L"%COMMANDER_PATH%\\plugins\\wfx\\sftp\\sftp.wfx64");
  EXPECT_EQ(wfx[0].Name, L"sftp64");
}

TEST(PluginRegistrations, TwinValue) {
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"c:\\p\\a.wfx", L"c:\\p\\a.wfx64"},
      {L"c:\\p\\a.wfx64", L"c:\\p\\a.wfx"},
      {L"", L"64"},
      {L"6", L"664"},
  };
  for (const auto& [value, twin] : cases) EXPECT_EQ(TwinValue(value), twin) << value;
}

PluginRegistration Registration(const std::wstring& name, const std::wstring& value) {
  PluginRegistration r;
  r.Name = name;
  r.Value = value;
  return r;
}

TEST(PluginRegistrations, NameClashMarksOnlyOtherValues) {
  std::vector<PluginRegistration> news = {Registration(L"Net", L"c:\\a\\net.wfx"),
                                          Registration(L"Ftp", L"C:\\X\\FTP.WFX"),
                                          Registration(L"Solo", L"c:\\s.wfx")};
  std::vector<PluginRegistration> mys = {Registration(L"NET", L"c:\\b\\net.wfx"),
                                         Registration(L"ftp", L"c:\\x\\ftp.wfx")};
  MarkNameClashes(news, mys);
  EXPECT_EQ(news[0].Name, L"Net*");
  EXPECT_EQ(news[1].Name, L"Ftp") << "same value in other letter case is the same plugin";
  EXPECT_EQ(news[2].Name, L"Solo");
}

TEST(PluginRegistrations, SharedDirectoriesHoldSeveralPluginsNotTwins) {
  TTC m(L"c:\\tc\\totalcmd.exe");
  m.FsPluginFiles = {L"c:\\p\\ftp\\ftp.wfx", L"c:\\p\\ftp\\ftp.wfx64", L"c:\\p\\multi\\a.wfx"};
  m.PackerPluginFiles = {L"c:\\p\\multi\\a.wcx"};
  m.ListerPluginFiles = {L"", L"c:\\p\\solo\\s.wlx"};
  m.ContentPluginFiles = {L"c:\\p\\pair\\one.wdx", L"c:\\p\\pair\\two.wdx"};
  EXPECT_EQ(SharedPluginDirectories(m),
            (std::set<std::wstring>{L"c:\\p\\multi\\", L"c:\\p\\pair\\"}));
  EXPECT_EQ(SharedPluginDirectories(m, {L"c:\\p\\solo\\tool.exe"}),
            (std::set<std::wstring>{L"c:\\p\\multi\\", L"c:\\p\\pair\\", L"c:\\p\\solo\\"}));
}

}  // namespace
}  // namespace orvelle
