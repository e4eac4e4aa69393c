#include "compare/packer_extensions.h"
#include "compare/run_comparison.h"
#include "unit/compare/compare_fixture.h"

#include "platform/strings.h"

#include <gtest/gtest.h>

namespace orvelle::test {
namespace {

void AddWfx(TTC& m, const std::wstring& key, const std::wstring& file, const std::wstring& written) {
  m.FsPluginKeys.push_back(platform::LowerCase(key));
  m.FsPluginFiles.push_back(file);
  m.FsPluginNames.push_back(platform::ExtractFileName(file));
  m.FsPluginLines.push_back(written.empty() ? L"" : key + L"=" + written);
}

void AddWlx(TTC& m, const std::wstring& file, const std::wstring& written,
            const std::wstring& detect) {
  m.ListerPluginFiles.push_back(file);
  m.ListerPluginNames.push_back(platform::ExtractFileName(file));
  m.ListerPluginDetect.push_back(detect);
  m.ListerPluginLines.push_back(L"=" + written);
}

void AddWcx(TTC& m, const std::wstring& file, const std::wstring& written,
            const std::wstring& extensions, const std::wstring& flags) {
  m.PackerPluginFiles.push_back(file);
  m.PackerPluginNames.push_back(platform::ExtractFileName(file));
  m.PackerPluginExtensions.push_back(extensions);
  m.PackerPluginFlags.push_back(flags);
  m.PackerPluginLines.push_back(L"x=0," + written);
}

class ComparePluginsTest : public testing::Test {
 protected:
  void Compare(PluginKind kind) {
    BuildPluginsSkeleton(f.Ctx());
    ComparePlugins(f.Ctx(), kind);
  }
  CompareFixture f;
};

TEST_F(ComparePluginsTest, SkeletonHoldsTheFourKinds) {
  BuildPluginsSkeleton(f.Ctx());
  EXPECT_EQ(f.At(kInstPath + L"Plugins").Order, 1) << "after Main unit";
  EXPECT_EQ(f.Listing(kInstPath + L"Plugins\\"),
            (std::vector<std::wstring>{L"WFX|", L"WCX|", L"WLX|", L"WDX|"}));
  EXPECT_EQ(f.At(kWcxPath.substr(0, kWcxPath.size() - 1)).Info, L"Arhiver plugins");
  const FolderIndexes& idx = f.Ctx().Folders;
  EXPECT_EQ(f.Tree()[idx.Wdx].Name, L"WDX");
  EXPECT_EQ(f.Tree()[idx.Wfx].ParentIndex, idx.Plugins);
  EXPECT_EQ(f.Tree()[idx.Plugins].ParentIndex, f.Ctx().InstIndex);
}

TEST_F(ComparePluginsTest, SamePluginUnderOtherNamesIsMatchedByValueAndShownUnderMyName) {
  std::wstring n = f.File(L"new\\plugins\\ftp\\ftp.wfx", "ftp");
  std::wstring m = f.File(L"my\\plugins\\ftp\\ftp.wfx", "ftp");
  f.File(L"new\\plugins\\ftp\\readme.txt", "new readme");
  f.File(L"my\\plugins\\ftp\\readme.txt", "old");
  AddWfx(f.New(), L"FTP new", n, L"%COMMANDER_PATH%\\Plugins\\ftp\\ftp.wfx");
  AddWfx(f.My(), L"FTP", m, L"%commander_path%\\plugins\\FTP\\ftp.wfx");
  Compare(PluginKind::Wfx);

  EXPECT_EQ(f.Listing(kWfxPath), std::vector<std::wstring>{L"FTP|="});
  const TVirtualTreeItem& plugin = f.At(kWfxPath + L"FTP");
  EXPECT_TRUE(plugin.ContentFolder);
  EXPECT_EQ(plugin.NewFile, n);
  EXPECT_EQ(plugin.MyFile, m);
  const TVirtualTreeItem& dir = f.At(kWfxPath + L"FTP\\Directory");
  EXPECT_EQ(f.Listing(kWfxPath + L"FTP\\"), std::vector<std::wstring>{L"Directory|" + dir.Status});
  EXPECT_NE(dir.Status, L"=") << "readme.txt differs";
  EXPECT_EQ(plugin.Info, L"[" + dir.Status + L"] ") << "the file itself is equal";
  EXPECT_EQ(f.Tree()[f.Ctx().Folders.Wfx].Status, L"=");
}

TEST_F(ComparePluginsTest, DifferentPluginsUnderOneNameBothAppear) {
  std::wstring n = f.File(L"new\\plugins\\neta\\net.wfx");
  std::wstring m = f.File(L"my\\plugins\\netb\\net.wfx");
  AddWfx(f.New(), L"Net", n, L"%COMMANDER_PATH%\\plugins\\neta\\net.wfx");
  AddWfx(f.My(), L"Net", m, L"%COMMANDER_PATH%\\plugins\\netb\\net.wfx");
  Compare(PluginKind::Wfx);

  EXPECT_EQ(f.Listing(kWfxPath), (std::vector<std::wstring>{L"Net*|*", L"Net|!"}));
  EXPECT_EQ(f.Listing(kWfxPath + L"Net*\\Directory\\"), std::vector<std::wstring>{L"net.wfx|*"});
  EXPECT_EQ(f.Listing(kWfxPath + L"Net\\Directory\\"), std::vector<std::wstring>{L"net.wfx|!"});
  EXPECT_EQ(f.At(kWfxPath + L"Net*").Info, L"");
  EXPECT_EQ(f.Tree()[f.Ctx().Folders.Wfx].Status, L"!*");
}

TEST_F(ComparePluginsTest, SharedDirectoryListsOnlyThePluginsOwnFiles) {
  std::wstring a = f.File(L"new\\plugins\\multi\\a.wfx");
  f.File(L"new\\plugins\\multi\\a.ini");
  f.File(L"new\\plugins\\multi\\sub\\x.txt");
  std::wstring b = f.File(L"new\\plugins\\multi\\b.wdx");
  AddWfx(f.New(), L"A", a, a);
  f.New().ContentPluginFiles.push_back(b);
  Compare(PluginKind::Wfx);

  const TVirtualTreeItem& dir = f.At(kWfxPath + L"A\\Directory");
  EXPECT_EQ(dir.Info, L"[Only the plugin's own files compared]");
  EXPECT_EQ(dir.Status, L"*");
  EXPECT_EQ(f.Listing(kWfxPath + L"A\\Directory\\"),
            (std::vector<std::wstring>{L"a.ini|*", L"a.wfx|*"}))
      << "not b.wdx, not sub";
}

TEST_F(ComparePluginsTest, TheVerySameFileIsAWarningNamingItsSide) {
  std::wstring mine = f.File(L"my\\plugins\\s\\s.wfx");
  std::wstring elsewhere = f.File(L"shared\\o\\o.wfx");
  AddWfx(f.New(), L"S", mine, mine);
  AddWfx(f.My(), L"S", mine, platform::UpperCase(mine));
  AddWfx(f.New(), L"O", elsewhere, elsewhere);
  AddWfx(f.My(), L"O", elsewhere, elsewhere);
  Compare(PluginKind::Wfx);

  EXPECT_EQ(f.Listing(kWfxPath), (std::vector<std::wstring>{L"S|*!", L"O|*!"}));
  EXPECT_EQ(f.At(kWfxPath + L"S").Info, L"WARNING! The same file! [My]");
  EXPECT_EQ(f.At(kWfxPath + L"O").Info, L"WARNING! The same file! [New]");
  EXPECT_EQ(f.Tree()[f.Ctx().Folders.Wfx].Status, L"!*");
}

TEST_F(ComparePluginsTest, DetectStringsDifferingInCaseDiffer) {
  std::wstring n = f.File(L"new\\plugins\\img\\imagine.wlx", "img");
  std::wstring m = f.File(L"my\\plugins\\img\\imagine.wlx", "img");
  AddWlx(f.New(), n, L"%COMMANDER_PATH%\\plugins\\img\\Imagine.wlx", L"EXT=\"PNG\"");
  AddWlx(f.My(), m, L"%COMMANDER_PATH%\\plugins\\img\\Imagine.wlx", L"ext=\"png\"");
  std::wstring n2 = f.File(L"new\\plugins\\txt\\text.wlx", "t");
  std::wstring m2 = f.File(L"my\\plugins\\txt\\text.wlx", "t");
  AddWlx(f.New(), n2, L"%COMMANDER_PATH%\\plugins\\txt\\text.wlx", L"EXT=\"TXT\"");
  AddWlx(f.My(), m2, L"%COMMANDER_PATH%\\plugins\\txt\\text.wlx", L"EXT=\"TXT\"");
  Compare(PluginKind::Wlx);

  EXPECT_EQ(f.Listing(kWlxPath + L"Imagine.wlx\\"),
            (std::vector<std::wstring>{L"Directory|=", L"Detect|<>"}));
  const TVirtualTreeItem& detect = f.At(kWlxPath + L"Imagine.wlx\\Detect");
  EXPECT_EQ(detect.Info, L"EXT=\"PNG\"");
  EXPECT_TRUE(detect.CommandEntry);
  EXPECT_EQ(detect.TextStatus, L"<>");
  EXPECT_EQ(detect.TextTitle, L"Imagine.wlx");
  EXPECT_EQ(detect.TextDescription, L"Detect");
  EXPECT_EQ(detect.NewText, L"EXT=\"PNG\"");
  EXPECT_EQ(detect.MyText, L"ext=\"png\"");
  EXPECT_EQ(f.At(kWlxPath + L"Imagine.wlx").Info, L"[=] [<>] ");
  EXPECT_EQ(f.At(kWlxPath + L"text.wlx").Info, L"") << "directory and detect both equal";
  EXPECT_EQ(f.At(kWlxPath + L"text.wlx\\Detect").Status, L"=");
}

TEST_F(ComparePluginsTest, TwinsCompareTheirDirectories) {
  std::wstring n = f.File(L"new\\plugins\\x\\x.wfx");
  f.File(L"new\\plugins\\x\\readme.txt", "r");
  std::wstring m = f.File(L"my\\plugins\\x\\x.wfx64");
  f.File(L"my\\plugins\\x\\readme.txt", "r");
  AddWfx(f.New(), L"X", n, L"%COMMANDER_PATH%\\plugins\\x\\x.wfx");
  AddWfx(f.My(), L"X", m, L"%COMMANDER_PATH%\\plugins\\x\\x.wfx64");
  Compare(PluginKind::Wfx);

  EXPECT_EQ(f.Listing(kWfxPath), (std::vector<std::wstring>{L"X*|*", L"X|!"}));
  // Each side's directory is compared with its twin's.
  EXPECT_EQ(f.Listing(kWfxPath + L"X*\\Directory\\"),
            (std::vector<std::wstring>{L"readme.txt|=", L"x.wfx|*", L"x.wfx64|!"}));
  EXPECT_EQ(f.Listing(kWfxPath + L"X\\Directory\\"),
            (std::vector<std::wstring>{L"readme.txt|=", L"x.wfx|*", L"x.wfx64|!"}));
}

TEST_F(ComparePluginsTest, ReaderTwinRowsMatchTheirCounterparts) {
  // Both installations hold a.wfx and the a.wfx64 the reader added beside it.
  for (const wchar_t* side : {L"new", L"my"}) {
    TTC& m = std::wstring(side) == L"new" ? f.New() : f.My();
    std::wstring base = std::wstring(side) + L"\\plugins\\a\\a.wfx";
    AddWfx(m, L"A", f.File(base), L"%COMMANDER_PATH%\\plugins\\a\\a.wfx");
    AddWfx(m, L"a64", f.File(base + L"64"), L"");
  }
  Compare(PluginKind::Wfx);
  EXPECT_EQ(f.Listing(kWfxPath), (std::vector<std::wstring>{L"A|=", L"A64|="}));
}

TEST_F(ComparePluginsTest, PackerExtensionsCompareTheirFlags) {
  std::wstring n = f.File(L"new\\plugins\\rar\\unrar.wcx", "u");
  std::wstring m = f.File(L"my\\plugins\\rar\\unrar.wcx", "u");
  AddWcx(f.New(), n, L"%COMMANDER_PATH%\\plugins\\rar\\unrar.wcx", L"rar;zip;7z;", L"69;0;1;");
  AddWcx(f.My(), m, L"%COMMANDER_PATH%\\plugins\\rar\\unrar.wcx", L"rar;zip;arj;", L"517;0;0;");
  Compare(PluginKind::Wcx);

  const std::wstring plugin = kWcxPath + L"unrar.wcx\\";
  EXPECT_EQ(f.Listing(plugin), (std::vector<std::wstring>{L"Directory|=", L"Extensions|!*="}));
  EXPECT_EQ(f.Listing(plugin + L"Extensions\\"),
            (std::vector<std::wstring>{L"rar|!*=", L"zip|=", L"7z|*", L"arj|!"}));
  EXPECT_EQ(f.Listing(plugin + L"Extensions\\rar\\"),
            (std::vector<std::wstring>{L"Can create new archives|=",
                                       L"Can handle multiple files in one archive|=",
                                       L"Detects archive type by content|*",
                                       L"Supports encryption|!"}));
  EXPECT_TRUE(f.Listing(plugin + L"Extensions\\zip\\").empty());
  EXPECT_EQ(f.Listing(plugin + L"Extensions\\7z\\"),
            std::vector<std::wstring>{L"Can create new archives|*"});
  EXPECT_TRUE(f.Listing(plugin + L"Extensions\\arj\\").empty())
      << "a one-sided extension without flags still shows its side";
}

TEST(CompareCapabilities, FlagsOfBothSides) {
  using Entries = std::vector<std::pair<std::wstring, std::wstring>>;
  struct Case {
    bool hasNew;
    long long newFlags;
    bool hasMy;
    long long myFlags;
    Entries expected;
  };
  const Case cases[] = {
      {true, 0, true, 0, {}},
      {true, 3, true, 3, {{L"Can create new archives", L"="}, {L"Can modify existing archives", L"="}}},
      {true, 2 | 1024, true, 256,
       {{L"Can modify existing archives", L"*"}, {L"Do not open with Enter, only with Ctrl+PgDn", L"!"}}},
      {false, 0, true, 16, {{L"Supports the options dialog", L"!"}}},
      {true, 32 | 128, false, 32,
       {{L"Supports packing in memory", L"*"}, {L"Allows searching for text in archives", L"*"}}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CompareCapabilities(c.hasNew, c.newFlags, c.hasMy, c.myFlags), c.expected)
        << c.newFlags << " / " << c.myFlags;
  }
}

TEST_F(ComparePluginsTest, CancelStopsBeforeTheNextPlugin) {
  for (const wchar_t* name : {L"one", L"two", L"three"}) {
    std::wstring file = f.File(std::wstring(L"new\\plugins\\") + name + L"\\" + name + L".wfx");
    AddWfx(f.New(), name, file, file);
  }
  std::vector<std::wstring> titles;
  f.Progress().Callback = [&](const std::wstring&, const std::wstring& title, int) {
    titles.push_back(title);
    return titles.size() == 2 ? 1 : 0;
  };
  Compare(PluginKind::Wfx);
  ComparePlugins(f.Ctx(), PluginKind::Wcx);

  EXPECT_EQ(f.Listing(kWfxPath), std::vector<std::wstring>{L"one|*"});
  EXPECT_EQ(f.Listing(kWfxPath + L"one\\Directory\\"), std::vector<std::wstring>{L"one.wfx|*"});
  EXPECT_EQ(f.Tree()[f.Ctx().Folders.Wfx].Status, L"") << "no summary after a cancel";
  EXPECT_EQ(titles, (std::vector<std::wstring>{L"Plugins: WFX: one", L"Plugins: WFX: two"}));
}

TEST_F(ComparePluginsTest, LongNamesAreShortened) {
  std::wstring file = f.File(L"new\\plugins\\long\\long.wfx");
  AddWfx(f.New(), std::wstring(300, L'n'), file, file);
  Compare(PluginKind::Wfx);
  auto listing = f.Listing(kWfxPath);
  ASSERT_EQ(listing.size(), 1u);
  // The cut keeps the host's length; a checksum of the whole name keeps
  // long names that begin alike apart.
  const size_t kept = 241 - kWfxPath.size() - 9;
  EXPECT_TRUE(listing[0].starts_with(std::wstring(kept, L'n') + L"~")) << listing[0];
  EXPECT_TRUE(listing[0].ends_with(L"..|*")) << listing[0];
  EXPECT_EQ(listing[0].size(), 241 - kWfxPath.size() + 4);
}

}  // namespace
}  // namespace orvelle::test
