// Every plugin of every real user's configuration in the fixtures, laid out
// as an installation with a stand-in library at each registered path (and a
// settings file and a readme beside it): deleted and restored with that
// installation as My, added and undone with it as New. Each round trip must
// give the installation back byte for byte, and after each delete every
// registration left must still point at a file.
#include "../tc/tc_test_helpers.h"
#include "backup/backup.h"
#include "backup/restore.h"
#include "operations/add_operation.h"
#include "operations/batch_operation.h"
#include "operations/delete_operation.h"
#include "operations/delete_plan.h"
#include "operations/operation_context.h"
#include "platform/fs.h"
#include "platform/strings.h"
#include "support/minimal_dll.h"
#include "support/real_installations.h"
#include "support/tree_snapshot.h"
#include "tc/button_bars.h"
#include "tc/command_targets.h"
#include "tc/configuration_reader.h"
#include "tc/expand_variables.h"
#include "tc/menu_reader.h"
#include "tc/plugin_directories.h"
#include "tc/principal_dirs.h"
#include "tc/registration_editor.h"
#include "tc/ttc.h"
#include "tree/tree.h"
#include "tree/vars_conts.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <iostream>
#include <map>
#include <set>

namespace orvelle {
namespace {

using test::TempDir;
using Lines = std::vector<std::wstring>;

using test::LaidOut;
using test::RealInstallation;
constexpr auto& kKinds = test::kPluginKinds;
std::vector<RealInstallation> Installations() { return test::RealInstallations(); }

// The rows of a kind that stand for registrations (not the 64-bit files the
// reader adds beside a registered one).
std::vector<size_t> RegisteredRows(const TTC& model, ItemKind kind) {
  std::vector<size_t> rows;
  const Lines& files = *PluginFilesOf(model, kind);
  std::set<std::wstring> seen;
  for (size_t row = 0; row < files.size(); ++row) {
    if (files[row].empty()) continue;
    if (seen.insert(RegisteredPluginPath(model, kind, row)).second) rows.push_back(row);
  }
  return rows;
}

Lines StoreFolders(const std::wstring& store) {
  Lines folders;
  for (const platform::FileEntry& e : platform::EnumFiles(store + L"\\*")) {
    if (e.IsDirectory()) folders.push_back(store + L"\\" + e.name + L"\\");
  }
  return folders;
}

class Boxes {
 public:
  Boxes() {
    previous_ = platform::SetMessageBoxHandler([this](const std::wstring& text, UINT) {
      texts.push_back(text);
      return IDYES;
    });
  }
  ~Boxes() { platform::SetMessageBoxHandler(previous_); }
  Lines texts;

 private:
  platform::MessageBoxHandler previous_;
};

// A backup store of its own, beside no installation.
struct Store {
  Store() : backup(plugin.Path() + L"\\", tree, BackupIcons{}) {
    backup.Clock = [this] { return clock += 1.0 / 86400000; };
  }
  std::wstring Dir() const { return plugin / L"backup"; }
  TempDir plugin;
  VirtualTree tree;
  TBackup backup;
  double clock = 46000.5;
};

TEST(RealWorldRoundTrip, EveryPluginDeletedAndRestoredByteForByte) {
  Boxes boxes;
  size_t trips = 0, skipped = 0;
  for (const RealInstallation& source : Installations()) {
    SCOPED_TRACE(source.name);
    LaidOut installation(source);
    skipped += installation.Skipped().size();
    const TTC my = installation.Model();
    EXPECT_TRUE(installation.RegistrationsWithoutFile().empty());
    std::cout << "[ " << source.name << ": " << RegisteredRows(my, ItemKind::FileSystemPlugin).size()
              << " file-system, " << RegisteredRows(my, ItemKind::PackerPlugin).size() << " packer, "
              << RegisteredRows(my, ItemKind::ListerPlugin).size() << " lister, "
              << RegisteredRows(my, ItemKind::ContentPlugin).size() << " content plugins ]\n";
    for (ItemKind kind : kKinds) {
      for (size_t row : RegisteredRows(my, kind)) {
        const std::wstring registered = RegisteredPluginPath(my, kind, row);
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << ": "
                                        << platform::AnsiFromWide(registered, CP_UTF8));
        Store store;
        const auto before = installation.Snapshot();
        std::optional<DeletePlan> plan = PlanDelete(my, nullptr, kind, row, L"");
        ASSERT_TRUE(plan);
        ASSERT_EQ(RunDelete(my, store.backup, *plan), DeleteOutcome::Deleted);
        EXPECT_FALSE(installation.Registers(kind, registered));
        EXPECT_EQ(installation.RegistrationsWithoutFile(), Lines{});
        if (!plan->FilesKept) {
          EXPECT_FALSE(platform::FileExists(plan->File));
        }

        const Lines folders = StoreFolders(store.Dir());
        ASSERT_EQ(folders.size(), 1u);
        EXPECT_EQ(RestoreDeletedFolder(folders[0], store.backup), RestoreFailure::None);
        EXPECT_EQ(LaidOut::Differences(before, installation.Snapshot()), L"");
        ++trips;
      }
    }
  }
  EXPECT_TRUE(boxes.texts.empty());
  std::cout << "[ deleted and restored " << trips << " plugins; " << skipped
            << " registrations on an unmapped drive left out ]\n";
  EXPECT_GE(trips, 100u);
}

// My installation: a fresh one, with only its configuration.
bool SetUpFreshMy(TTC& my) {
  test::WriteTextFile(my.IniFile, L"[Configuration]\nUseIniInProgramDir=7\n");
  for (bool (*read)(TTC&) : {static_cast<bool (*)(TTC&)>(LoadConfiguration), ReadButtonBarFiles,
                             ReadMainMenu, ReadCommandTargets, ReadPrincipalDirectories,
                             SettlePluginDirectories}) {
    if (!read(my)) return false;
  }
  return true;
}

// A real installation laid out as New, beside a fresh My installation with
// only its configuration; both as they were before anything was added.
struct AddTrip {
  explicit AddTrip(const RealInstallation& source)
      : installation(source), newModel(installation.Model()), my(test::ModelIn(myDir.Path())) {}

  bool SetUp() {
    if (!SetUpFreshMy(my)) return false;
    myBefore = test::SnapshotTree(myDir.Path());
    newBefore = installation.Snapshot();
    return true;
  }

  // What changed since SetUp, in My installation and in New.
  std::wstring MyChanges() const {
    return test::DescribeDifferences(myBefore, test::SnapshotTree(myDir.Path()));
  }
  std::wstring NewChanges() const {
    return LaidOut::Differences(newBefore, installation.Snapshot());
  }

  LaidOut installation;
  const TTC newModel;
  TempDir myDir;
  TTC my;
  test::TreeSnapshot myBefore;
  std::vector<test::TreeSnapshot> newBefore;
};

TEST(RealWorldRoundTrip, EveryPluginAddedAndUndoneByteForByte) {
  Boxes boxes;
  size_t trips = 0, widened = 0;
  for (const RealInstallation& source : Installations()) {
    SCOPED_TRACE(source.name);
    AddTrip trip(source);
    ASSERT_TRUE(trip.SetUp());
    for (ItemKind kind : kKinds) {
      for (size_t row : RegisteredRows(trip.newModel, kind)) {
        const std::wstring& file = (*PluginFilesOf(trip.newModel, kind))[row];
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << ": "
                                        << platform::AnsiFromWide(file, CP_UTF8));
        Store store;
        TVirtualTreeItem folder;
        folder.IsFolder = true;
        folder.Name = L"Plugin";
        folder.Path = L"\\";
        folder.ParentIndex = -1;
        const int folderIndex = store.tree.Append(folder);
        TVirtualTreeItem directory;
        directory.Name = texts::kDirectory;
        directory.Path = L"\\Plugin\\";
        directory.ParentIndex = folderIndex;
        store.tree.Append(directory);
        TVirtualTreeItem add;
        add.Order = 1;
        add.Name = texts::kAddEntry;
        add.Path = L"\\Plugin\\";
        add.ParentIndex = folderIndex;
        add.Action = 2;
        add.ActionKind = static_cast<uint8_t>(kind);
        add.ActionIndex = static_cast<int>(row);
        const int addIndex = store.tree.Append(add);
        OperationContext ctx{store.tree, trip.my, &trip.newModel, store.backup, nullptr,
                             store.plugin.Path() + L"\\", L"", nullptr};
        PendingAdds pending;
        ASSERT_TRUE(StartAdd(ctx, pending, addIndex, [] {}))
            << platform::AnsiFromWide(store.tree[addIndex].Info, CP_UTF8) << " "
            << platform::AnsiFromWide(boxes.texts.empty() ? L"" : boxes.texts.back(), CP_UTF8);
        for (const auto& copy : pending.Copies()) ASSERT_TRUE(copy->Wait(60000));
        CompleteAdds(store.tree, &trip.my, pending);
        EXPECT_TRUE(store.tree[addIndex].Info.starts_with(texts::kAdded)) << store.tree[addIndex].Info;
        EXPECT_NE(trip.MyChanges(), L"");
        // Text the ANSI code page cannot hold makes the file UTF-16; the undo
        // must give the ANSI bytes back all the same.
        const std::optional<TextDocument> added = LoadTextFile(trip.my.IniFile);
        ASSERT_TRUE(added);
        if (added->encoding != TextEncoding::Ansi) ++widened;

        const Lines folders = StoreFolders(store.Dir());
        ASSERT_EQ(folders.size(), 1u);
        EXPECT_EQ(RestoreInstalledFolder(folders[0], store.backup, &trip.my), RestoreFailure::None);
        EXPECT_EQ(trip.MyChanges(), L"")
            << test::ReadBytes(trip.my.IniFile);
        ++trips;
      }
    }
    EXPECT_EQ(trip.NewChanges(), L"")
        << "the New installation is never touched";
  }
  EXPECT_EQ(boxes.texts, Lines(trips, L"Add?"));
  std::cout << "[ added and undone " << trips << " plugins; " << widened
            << " of them made the ANSI configuration UTF-16 ]\n";
  EXPECT_GE(trips, 100u);
}

// Every plugin of a real configuration carried over by one Add all, and
// that one change undone by one restore: My installation byte for byte as
// it was, New untouched. Plugins of one folder, or one file registered
// under several kinds, meet in the same batch here.
TEST(RealWorldRoundTrip, EveryPluginAddedByOneAddAllAndUndoneAtOnce) {
  Boxes boxes;
  size_t plugins = 0;
  for (const RealInstallation& source : Installations()) {
    SCOPED_TRACE(source.name);
    AddTrip trip(source);
    ASSERT_TRUE(trip.SetUp());
    Store store;
    std::vector<BatchItem> items;
    for (ItemKind kind : kKinds) {
      for (size_t row : RegisteredRows(trip.newModel, kind)) {
        TVirtualTreeItem folder;
        folder.IsFolder = true;
        folder.Name = L"Plugin " + std::to_wstring(items.size());
        folder.Path = L"\\";
        folder.ParentIndex = -1;
        const int folderIndex = store.tree.Append(folder);
        TVirtualTreeItem add;
        add.Name = texts::kAddEntry;
        add.Path = L"\\" + folder.Name + L"\\";
        add.ParentIndex = folderIndex;
        add.Action = 2;
        add.ActionKind = static_cast<uint8_t>(kind);
        add.ActionIndex = static_cast<int>(row);
        BatchItem item;
        item.Index = store.tree.Append(add);
        item.Kind = kind;
        item.Name = folder.Name;
        item.NewRow = row;
        items.push_back(item);
      }
    }
    if (items.empty()) continue;
    OperationContext ctx{store.tree, trip.my, &trip.newModel, store.backup, nullptr,
                         store.plugin.Path() + L"\\", L"", nullptr};
    const BatchResult result = RunAddAll(ctx, -1, items, {});
    ASSERT_EQ(result.Outcome, BatchOutcome::Done)
        << platform::AnsiFromWide(result.FailedItem + L": " + result.Detail, CP_UTF8);
    EXPECT_NE(trip.MyChanges(), L"");

    const Lines folders = StoreFolders(store.Dir());
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(RestoreBatchFolder(folders[0], store.backup, &trip.my, L"undo"),
              RestoreFailure::None);
    EXPECT_EQ(trip.MyChanges(), L"")
        << test::ReadBytes(trip.my.IniFile);
    EXPECT_EQ(trip.NewChanges(), L"")
        << "the New installation is never touched";
    plugins += items.size();
  }
  EXPECT_TRUE(boxes.texts.empty());
  std::cout << "[ " << plugins << " plugins added by one Add all per configuration and undone ]\n";
  EXPECT_GE(plugins, 100u);
}

}  // namespace
}  // namespace orvelle

namespace orvelle {
namespace {

// One file registered as a packer, a lister and a content plugin: each
// delete takes only its own kind's lines while another kind still
// registers the file; the last one takes the files too. Restored newest
// first, the installation is back byte for byte.
TEST(RealWorldRoundTrip, AFileOfSeveralKindsStaysUntilItsLastKindGoes) {
  Boxes boxes;
  LaidOut installation(Installations().back());
  const std::wstring multi =
      platform::LowerCase(installation.ProgramDir() + L"\\plugins\\wcx\\multi\\multi.wcx");
  const auto before = installation.Snapshot();
  Store store;
  const ItemKind order[] = {ItemKind::PackerPlugin, ItemKind::ContentPlugin,
                            ItemKind::ListerPlugin};
  for (ItemKind kind : order) {
    SCOPED_TRACE(static_cast<int>(kind));
    const TTC my = installation.Model();
    const Lines& files = *PluginFilesOf(my, kind);
    const auto it = std::find(files.begin(), files.end(), multi);
    ASSERT_NE(it, files.end());
    std::optional<DeletePlan> plan =
        PlanDelete(my, nullptr, kind, static_cast<size_t>(it - files.begin()), L"");
    ASSERT_TRUE(plan);
    const bool last = kind == ItemKind::ListerPlugin;
    EXPECT_EQ(plan->FilesKept, !last);
    EXPECT_EQ(plan->Moves.empty(), !last);
    ASSERT_EQ(RunDelete(my, store.backup, *plan), DeleteOutcome::Deleted);
    EXPECT_EQ(platform::FileExists(multi), !last);
    EXPECT_EQ(installation.RegistrationsWithoutFile(), Lines{});
  }
  Lines folders = StoreFolders(store.Dir());
  ASSERT_EQ(folders.size(), 3u);
  std::sort(folders.rbegin(), folders.rend());
  for (const std::wstring& folder : folders) {
    EXPECT_EQ(RestoreDeletedFolder(folder, store.backup), RestoreFailure::None) << folder;
  }
  EXPECT_EQ(LaidOut::Differences(before, installation.Snapshot()), L"");
}

}  // namespace
}  // namespace orvelle
