#include "compare/action_entries.h"

#include "compare/run_comparison.h"
#include "tc/item_kind.h"
#include "unit/compare/compare_fixture.h"

#include "platform/strings.h"

#include <gtest/gtest.h>

namespace orvelle::test {
namespace {

void AddWlx(TTC& m, const std::wstring& file) {
  m.ListerPluginFiles.push_back(file);
  m.ListerPluginNames.push_back(platform::ExtractFileName(file));
  m.ListerPluginDetect.push_back(L"");
  m.ListerPluginLines.push_back(L"=" + file);
}

void AddTarget(TTC& m, const std::wstring& name, const std::wstring& path, const std::wstring& type,
               const std::wstring& occurrence = L"1") {
  m.TargetNames.push_back(name);
  m.TargetPaths.push_back(path);
  m.TargetSources.push_back(L"menu");
  m.TargetTypes.push_back(type);
  m.TargetOccurrences.push_back(occurrence);
}

// The entries that start a delete: in each plugin folder My installation
// registers, and on My's own entries of the application lists; none for the
// very same file both use, none for the plugin itself. An add entry only
// where the New installation alone registers the plugin.
TEST(ActionEntries, DeleteEntriesGoWhereMyInstallationHasTheItemAddEntriesWhereOnlyNewHasIt) {
  CompareFixture f;
  const std::wstring both = f.File(L"my\\plugins\\view\\view.wlx");
  const std::wstring mine = f.File(L"my\\plugins\\hex\\hex.wlx");
  const std::wstring same = f.File(L"shared\\same.wlx");
  const std::wstring own = f.File(L"my\\plugins\\orvelle\\orvelle.wlx");
  const std::wstring theirs = f.File(L"new\\plugins\\md\\md.wlx");
  AddWlx(f.New(), f.File(L"new\\plugins\\view\\view.wlx"));
  AddWlx(f.New(), same);
  AddWlx(f.New(), theirs);
  AddWlx(f.My(), mine);
  AddWlx(f.My(), same);
  AddWlx(f.My(), own);
  AddWlx(f.My(), both);
  f.My().ListerPluginLines[3] = f.New().ListerPluginLines[0];  // matched by its written value

  const std::wstring notes = f.File(L"my\\notes.txt");
  const std::wstring readme = f.File(L"my\\readme.txt");
  AddTarget(f.My(), L"notes.txt", notes, L"N");
  AddTarget(f.My(), L"readme.txt", readme, L"N");
  AddTarget(f.My(), L"readme.txt", readme, L"N", L"2");
  AddTarget(f.New(), L"notes.txt", notes, L"N");  // the very same file
  AddTarget(f.My(), L"cmd.exe", L"c:\\windows\\cmd.exe", L"E");

  BuildPluginsSkeleton(f.Ctx());
  ComparePlugins(f.Ctx(), PluginKind::Wlx);
  BuildApplicationsSkeleton(f.Ctx());
  CompareNonExecutables(f.Ctx());
  ComparePackageExclude(f.Ctx());
  AddActionEntries(f.Ctx(), f.Path(L"my\\plugins\\orvelle\\Orvelle.wlx64"));

  auto deleteOf = [&](const std::wstring& plugin) {
    return f.Tree().FindTreeItem(kWlxPath + plugin + L"\\Delete");
  };
  ASSERT_GE(deleteOf(L"hex.wlx"), 0);
  const TVirtualTreeItem& hex = f.Tree()[deleteOf(L"hex.wlx")];
  EXPECT_EQ(hex.Action, 1);
  EXPECT_EQ(hex.ActionKind, static_cast<uint8_t>(ItemKind::ListerPlugin));
  EXPECT_EQ(hex.ActionIndex, 0);
  EXPECT_FALSE(hex.IsFolder);
  EXPECT_FALSE(hex.Info.empty());
  EXPECT_EQ(f.Listing(kWlxPath + L"hex.wlx\\"),
            (std::vector<std::wstring>{L"Directory|!", L"Delete|"}));
  ASSERT_GE(deleteOf(L"view.wlx"), 0);
  EXPECT_EQ(f.Tree()[deleteOf(L"view.wlx")].ActionIndex, 3);
  EXPECT_EQ(f.Listing(kWlxPath + L"view.wlx\\").back(), L"Delete|") << "after its Detect entry";
  EXPECT_LT(deleteOf(L"same.wlx"), 0);
  EXPECT_LT(deleteOf(L"orvelle.wlx"), 0);
  EXPECT_LT(deleteOf(L"md.wlx"), 0);

  auto addOf = [&](const std::wstring& plugin) {
    return f.Tree().FindTreeItem(kWlxPath + plugin + L"\\Add");
  };
  ASSERT_GE(addOf(L"md.wlx"), 0);
  const TVirtualTreeItem& md = f.Tree()[addOf(L"md.wlx")];
  EXPECT_EQ(md.Action, 2);
  EXPECT_EQ(md.ActionKind, static_cast<uint8_t>(ItemKind::ListerPlugin));
  EXPECT_EQ(md.ActionIndex, 2) << "its row in New's list";
  EXPECT_FALSE(md.Info.empty());
  EXPECT_EQ(f.Listing(kWlxPath + L"md.wlx\\"), (std::vector<std::wstring>{L"Directory|*", L"Add|"}));
  for (const wchar_t* plugin : {L"view.wlx", L"hex.wlx", L"same.wlx"}) {
    EXPECT_LT(addOf(plugin), 0) << plugin;
  }

  const std::wstring nonExec = kAppsPath + L"Non executable\\";
  EXPECT_EQ(f.At(nonExec + L"notes.txt").Action, 0) << "the very same file";
  const TVirtualTreeItem& second = f.At(nonExec + L"readme.txt (2)");
  EXPECT_EQ(second.Action, 1);
  EXPECT_EQ(second.ActionKind, static_cast<uint8_t>(ItemKind::NonExecutable));
  EXPECT_EQ(second.ActionIndex, 2);
  const TVirtualTreeItem& cmd = f.At(kAppsPath + L"Package exclude\\cmd.exe");
  EXPECT_EQ(cmd.ActionKind, static_cast<uint8_t>(ItemKind::PackageExclude));
  EXPECT_EQ(cmd.ActionIndex, 3);
}

}  // namespace
}  // namespace orvelle::test
