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
  // A file whose name is that of the second "readme.txt": the tree tells
  // the two apart with one more " (2)", and each Delete is its own.
  const std::wstring literal = f.File(L"my\\docs\\readme.txt (2)");
  AddTarget(f.My(), L"readme.txt (2)", literal, L"N");

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
  EXPECT_EQ(second.MyFile, readme);
  const TVirtualTreeItem& clash = f.At(nonExec + L"readme.txt (2) (2)");
  EXPECT_EQ(clash.MyFile, literal);
  EXPECT_EQ(clash.Action, 1);
  EXPECT_EQ(clash.ActionIndex, 4);
  const TVirtualTreeItem& cmd = f.At(kAppsPath + L"Package exclude\\cmd.exe");
  EXPECT_EQ(cmd.ActionKind, static_cast<uint8_t>(ItemKind::PackageExclude));
  EXPECT_EQ(cmd.ActionIndex, 3);
}

void AddWfx(TTC& m, const std::wstring& key, const std::wstring& file) {
  m.FsPluginKeys.push_back(platform::LowerCase(key));
  m.FsPluginFiles.push_back(file);
  m.FsPluginNames.push_back(platform::ExtractFileName(file));
  m.FsPluginLines.push_back(key + L"=" + file.substr(file.find(L"\\plugins\\")));
}

// The entries that start an update: where both installations register a
// plugin from different files and anything of its files differs.
TEST(ActionEntries, UpdateEntriesGoWhereBothHaveThePluginAndItsFilesDiffer) {
  CompareFixture f;
  // One row per plugin, New's and My's folder under "plugins\wlx\<name>".
  struct Case {
    const wchar_t* name;
    const char* newPlugin;
    const char* myPlugin;
    const char* newReadme;  // a second file of the folder; null: none
    const char* myReadme;
    bool update;
  };
  const Case cases[] = {
      {L"newer", "2", "1", nullptr, nullptr, true},
      {L"readme", "1", "1", "new text", "old text", true},  // only the folder differs
      {L"extra", "1", "1", "only New has it", nullptr, true},
      {L"equal", "1", "1", "same", "same", false},
  };
  for (const Case& c : cases) {
    const std::wstring dir = std::wstring(L"\\plugins\\wlx\\") + c.name + L"\\";
    AddWlx(f.New(), f.File(L"new" + dir + c.name + L".wlx", c.newPlugin));
    AddWlx(f.My(), f.File(L"my" + dir + c.name + L".wlx", c.myPlugin));
    if (c.newReadme) f.File(L"new" + dir + L"readme.txt", c.newReadme);
    if (c.myReadme) f.File(L"my" + dir + L"readme.txt", c.myReadme);
  }
  // Two plugins sharing one folder: a difference of one is no reason to
  // update the other.
  for (const wchar_t* name : {L"a", L"b"}) {
    const std::wstring file = std::wstring(L"\\plugins\\wlx\\pair\\") + name + L".wlx";
    AddWlx(f.New(), f.File(L"new" + file, name == std::wstring(L"b") ? "2" : "1"));
    AddWlx(f.My(), f.File(L"my" + file, "1"));
  }
  const std::wstring same = f.File(L"shared\\same.wlx", "1");
  AddWlx(f.New(), same);
  AddWlx(f.My(), same);
  AddWlx(f.New(), f.File(L"new\\plugins\\wlx\\orvelle\\orvelle.wlx", "2"));
  AddWlx(f.My(), f.File(L"my\\plugins\\wlx\\orvelle\\orvelle.wlx", "1"));
  AddWlx(f.My(), f.File(L"my\\plugins\\wlx\\mine\\mine.wlx", "1"));
  for (TTC* m : {&f.New(), &f.My()}) {
    const std::wstring side = m == &f.New() ? L"new" : L"my";
    AddWfx(*m, L"FTP", f.File(side + L"\\plugins\\wfx\\ftp\\ftp.wfx", m == &f.New() ? "2" : "1"));
  }
  // Matched by the written value, which both write from "\plugins\" on.
  for (TTC* m : {&f.New(), &f.My()}) {
    for (std::wstring& line : m->ListerPluginLines) {
      const size_t at = line.find(L"\\plugins\\");
      if (at != std::wstring::npos) line = L"=" + line.substr(at);
    }
  }

  BuildPluginsSkeleton(f.Ctx());
  ComparePlugins(f.Ctx(), PluginKind::Wfx);
  ComparePlugins(f.Ctx(), PluginKind::Wlx);
  AddActionEntries(f.Ctx(), f.Path(L"my\\plugins\\wlx\\orvelle\\Orvelle.wlx64"));

  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
    const std::wstring folder = kWlxPath + c.name + L".wlx\\";
    const int update = f.Tree().FindTreeItem(folder + L"Update");
    EXPECT_EQ(update >= 0, c.update);
    if (update < 0) continue;
    const TVirtualTreeItem& entry = f.Tree()[update];
    EXPECT_EQ(entry.Action, 3);
    EXPECT_EQ(entry.ActionKind, static_cast<uint8_t>(ItemKind::ListerPlugin));
    const std::wstring mine = f.Path(L"my\\plugins\\wlx\\") + c.name + L"\\" + c.name + L".wlx";
    EXPECT_EQ(f.My().ListerPluginFiles[static_cast<size_t>(entry.ActionIndex)],
              CompareFixture::Lower(mine));
    EXPECT_FALSE(entry.Info.empty());
    EXPECT_EQ(f.Listing(folder).back(), L"Update|") << "after the Delete entry";
    EXPECT_EQ(f.Listing(folder)[f.Listing(folder).size() - 2], L"Delete|");
  }
  EXPECT_LT(f.Tree().FindTreeItem(kWlxPath + L"a.wlx\\Update"), 0) << "only b differs";
  EXPECT_GE(f.Tree().FindTreeItem(kWlxPath + L"b.wlx\\Update"), 0);
  EXPECT_LT(f.Tree().FindTreeItem(kWlxPath + L"same.wlx\\Update"), 0) << "the very same file";
  EXPECT_LT(f.Tree().FindTreeItem(kWlxPath + L"orvelle.wlx\\Update"), 0) << "the plugin itself";
  EXPECT_LT(f.Tree().FindTreeItem(kWlxPath + L"mine.wlx\\Update"), 0) << "only My has it";
  const int ftp = f.Tree().FindTreeItem(kWfxPath + L"FTP\\Update");
  ASSERT_GE(ftp, 0);
  EXPECT_EQ(f.Tree()[ftp].ActionKind, static_cast<uint8_t>(ItemKind::FileSystemPlugin));
  EXPECT_EQ(f.Tree()[ftp].ActionIndex, 0);
}

}  // namespace
}  // namespace orvelle::test
