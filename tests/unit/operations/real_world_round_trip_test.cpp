// Every plugin of every real user's configuration in the fixtures, laid out
// as an installation with a stand-in library at each registered path (and a
// settings file and a readme beside it): deleted and restored with that
// installation as My, added and undone with it as New. Each round trip must
// give the installation back byte for byte, and after each delete every
// registration left must still point at a file.
//
// Absolute paths on "D:" are laid out there only when the test runner has
// mapped that drive to a folder of its own (scripts/wine-run.sh does, in the
// build's Wine prefix, and marks it with kTestDriveMark); otherwise those
// plugins are left out and the test says so.
#include "../tc/tc_test_helpers.h"
#include "backup/backup.h"
#include "backup/restore.h"
#include "operations/add_operation.h"
#include "operations/delete_operation.h"
#include "operations/delete_plan.h"
#include "operations/operation_context.h"
#include "platform/fs.h"
#include "platform/strings.h"
#include "support/minimal_dll.h"
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

constexpr wchar_t kTestDriveMark[] = L"D:\\orvelle-test-drive";

struct FixtureFile {
  const wchar_t* source;  // below fixtures\ of the source tree
  const wchar_t* target;  // below the program folder
};

struct RealInstallation {
  const char* name;
  const wchar_t* ini;  // the configuration, with the name its owner gave it
  std::vector<FixtureFile> files;
};

std::vector<RealInstallation> Installations() {
  return {
      {"chchoiw-TC (UTF-16, non-ASCII names, .wfx64 and .wcx64 registrations)",
       L"real-world\\chchoiw-TC\\WinCMD.ini",
       {{L"real-world\\chchoiw-TC\\VERTICAL.BAR", L"VERTICAL.BAR"}}},
      {"hulucc-totalcmd (GBK, absolute D: paths)", L"real-world\\hulucc-totalcmd\\wincmd.ini",
       {{L"real-world\\hulucc-totalcmd\\WCMD_ENG.MNU", L"LANGUAGE\\WCMD_ENG.MNU"}}},
      {"turboBasic (every plugin section redirected, markers, one file of three kinds)",
       L"real-world\\turboBasic-totalcommander\\wincmd.ini",
       {{L"real-world\\turboBasic-totalcommander\\Plugins.ini", L"ini\\Plugins.ini"},
        {L"real-world\\turboBasic-totalcommander\\UserCmd.ini", L"UserCmd.ini"}}},
      {"pozitronik-TCConfig (redirected to missing files)",
       L"real-world\\pozitronik-TCConfig\\wincmd.ini",
       {{L"real-world\\pozitronik-TCConfig\\WCMD_RUS_EXT.MNU", L"LANGUAGE\\WCMD_RUS_EXT.MNU"}}},
      {"wulmer-totalcmd (blanks around =, LF)", L"real-world\\wulmer-totalcmd\\wincmd.ini", {}},
      {"taurit (UTF-8 with BOM, absolute d: paths, markers only)",
       L"real-world\\taurit-TotalCommander\\wincmd.ini", {}},
      {"path forms (%COMMANDER_INI%\\.., slashes, relative, .., 64-bit only, several kinds)",
       L"path-forms\\Wincmd.ini", {}},
  };
}

constexpr ItemKind kKinds[] = {ItemKind::FileSystemPlugin, ItemKind::PackerPlugin,
                               ItemKind::ListerPlugin, ItemKind::ContentPlugin};

const wchar_t* RegistrationSection(ItemKind kind) {
  switch (kind) {
    case ItemKind::FileSystemPlugin: return L"[filesystemplugins]";
    case ItemKind::PackerPlugin: return L"[packerplugins]";
    case ItemKind::ListerPlugin: return L"[listerplugins]";
    default: return L"[contentplugins]";
  }
}

bool TestDriveMapped() { return platform::FileExists(kTestDriveMark); }

bool OnProgramDrive(const std::wstring& path, const std::wstring& programDir) {
  return platform::LowerCase(path.substr(0, 2)) == platform::LowerCase(programDir.substr(0, 2));
}

// What the files of an installation register, kind by kind: the path each
// registration line names, as the plugin reads it.
std::map<ItemKind, std::set<std::wstring>> Registrations(const TTC& model,
                                                         const Lines& files) {
  std::map<ItemKind, std::set<std::wstring>> found;
  for (const std::wstring& file : files) {
    std::optional<TextDocument> doc = LoadTextFile(file);
    if (!doc) continue;
    std::wstring section;
    for (const std::wstring& line : doc->lines) {
      const std::wstring trimmed = platform::Trim(line);
      if (trimmed.empty() || trimmed[0] == L';') continue;
      if (trimmed[0] == L'[') {
        section = platform::LowerCase(trimmed.substr(0, trimmed.find(L']') + 1));
        continue;
      }
      for (ItemKind kind : kKinds) {
        if (section != RegistrationSection(kind)) continue;
        const size_t eq = trimmed.find(L'=');
        if (eq == std::wstring::npos) continue;
        const std::wstring key = platform::Trim(trimmed.substr(0, eq));
        std::wstring value = trimmed.substr(eq + 1);
        if (kind == ItemKind::PackerPlugin) {
          const size_t comma = value.find(L',');
          if (comma == std::wstring::npos) continue;
          value = value.substr(comma + 1);
        }
        const bool numbered = kind == ItemKind::ListerPlugin || kind == ItemKind::ContentPlugin;
        if (numbered && (key.empty() || key.find_first_not_of(L"0123456789") != std::wstring::npos)) {
          continue;
        }
        if (platform::LowerCase(key) == L"redirectsection" || platform::Trim(value).empty()) {
          continue;
        }
        found[kind].insert(ConfiguredPath(model, value));
      }
    }
  }
  return found;
}

// One real installation laid out in a folder of its own.
class LaidOut {
 public:
  explicit LaidOut(const RealInstallation& source) : name_(source.name) {
    const std::wstring iniSource = test::SourceFile(L"fixtures\\" + std::wstring(source.ini));
    iniName_ = platform::ExtractFileName(iniSource);
    program_ = dir_ / L"TC";
    test::CreateDirectories(program_);
    test::WriteBytes(program_ + L"\\" + iniName_, test::ReadBytes(iniSource));
    settingsFiles_.push_back(program_ + L"\\" + iniName_);
    for (const FixtureFile& file : source.files) {
      const std::wstring target = program_ + L"\\" + file.target;
      test::CreateDirectories(platform::ExtractFileDir(target));
      test::WriteBytes(target, test::ReadBytes(test::SourceFile(L"fixtures\\" +
                                                               std::wstring(file.source))));
      settingsFiles_.push_back(target);
    }
    const TTC model = EmptyModel();
    for (const auto& [kind, paths] : Registrations(model, settingsFiles_)) {
      for (const std::wstring& path : paths) PlaceStandIn(path);
    }
  }
  ~LaidOut() {
    for (const std::wstring& folder : driveFolders_) test::DeleteTree(folder);
  }

  // The model as the plugin reads it, with the environment the host gives
  // itself. The host names its configuration in lower case here, while the
  // file keeps its owner's spelling.
  TTC EmptyModel() const {
    TTC model(program_ + L"\\totalcmd.exe");
    model.IniFile = model.MainIniFile = program_ + L"\\wincmd.ini";
    model.EnvNames = {L"COMMANDER_PATH", L"COMMANDER_INI"};
    model.EnvValues = {program_, model.IniFile};
    return model;
  }
  TTC Model() const {
    TTC model = EmptyModel();
    for (bool (*read)(TTC&) : {static_cast<bool (*)(TTC&)>(LoadConfiguration), ReadButtonBarFiles,
                               ReadMainMenu, ReadCommandTargets, ReadPrincipalDirectories,
                               SettlePluginDirectories}) {
      EXPECT_TRUE(read(model)) << name_;
    }
    return model;
  }

  // Everything of the installation: its folder and what it has on D:.
  std::vector<test::TreeSnapshot> Snapshot() const {
    std::vector<test::TreeSnapshot> trees{test::SnapshotTree(dir_.Path())};
    for (const std::wstring& folder : driveFolders_) trees.push_back(test::SnapshotTree(folder));
    return trees;
  }
  static std::wstring Differences(const std::vector<test::TreeSnapshot>& before,
                                  const std::vector<test::TreeSnapshot>& after) {
    std::wstring out;
    for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
      out += test::DescribeDifferences(before[i], after[i]);
    }
    return out;
  }

  // Every registration of the settings files names a file (or its 64-bit
  // file, which a 64-bit host loads in its place); the paths that do not.
  Lines RegistrationsWithoutFile() const {
    Lines missing;
    for (const auto& [kind, paths] : Registrations(EmptyModel(), settingsFiles_)) {
      for (const std::wstring& path : paths) {
        if (skipped_.count(path)) continue;
        if (!platform::FileExists(path) && !platform::FileExists(path + L"64")) {
          missing.push_back(path);
        }
      }
    }
    return missing;
  }
  bool Registers(ItemKind kind, const std::wstring& path) const {
    auto all = Registrations(EmptyModel(), settingsFiles_);
    return all[kind].count(path) > 0;
  }

  const std::wstring& ProgramDir() const { return program_; }
  const std::wstring& IniName() const { return iniName_; }
  const std::set<std::wstring>& Skipped() const { return skipped_; }

 private:
  void PlaceStandIn(const std::wstring& path) {
    if (!OnProgramDrive(path, program_)) {
      if (!TestDriveMapped() || !platform::LowerCase(path).starts_with(L"d:\\")) {
        skipped_.insert(path);
        return;
      }
      const std::wstring top = path.substr(0, path.find(L'\\', 3));
      if (std::find(driveFolders_.begin(), driveFolders_.end(), top) == driveFolders_.end()) {
        // A folder left by an earlier run that was cut off goes first.
        test::DeleteTree(top);
        driveFolders_.push_back(top);
      }
    }
    const std::wstring dir = platform::ExtractFileDir(path);
    test::CreateDirectories(dir);
    test::WriteBytes(path, test::MinimalDll());
    std::wstring base = platform::ExtractFileName(path);
    base = base.substr(0, base.rfind(L'.'));
    test::WriteBytes(dir + L"\\" + base + L".ini", "[" + platform::AnsiFromWide(base, CP_UTF8) +
                                                       "]\r\nSetting=1\r\n");
    test::WriteBytes(dir + L"\\readme.txt", "A stand-in for a plugin.\r\n");
  }

  std::string name_;
  TempDir dir_;
  std::wstring program_, iniName_;
  Lines settingsFiles_;
  Lines driveFolders_;
  std::set<std::wstring> skipped_;
};

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

TEST(RealWorldRoundTrip, EveryPluginAddedAndUndoneByteForByte) {
  Boxes boxes;
  size_t trips = 0, widened = 0;
  for (const RealInstallation& source : Installations()) {
    SCOPED_TRACE(source.name);
    LaidOut installation(source);
    const TTC newModel = installation.Model();
    // My installation: a fresh one, with only its configuration.
    TempDir myDir;
    TTC my = test::ModelIn(myDir.Path());
    test::WriteTextFile(my.IniFile, L"[Configuration]\nUseIniInProgramDir=7\n");
    for (bool (*read)(TTC&) : {static_cast<bool (*)(TTC&)>(LoadConfiguration), ReadButtonBarFiles,
                               ReadMainMenu, ReadCommandTargets, ReadPrincipalDirectories,
                               SettlePluginDirectories}) {
      ASSERT_TRUE(read(my));
    }
    const test::TreeSnapshot myBefore = test::SnapshotTree(myDir.Path());
    const auto newBefore = installation.Snapshot();
    for (ItemKind kind : kKinds) {
      for (size_t row : RegisteredRows(newModel, kind)) {
        SCOPED_TRACE(testing::Message() << "kind " << static_cast<int>(kind) << ": "
                                        << platform::AnsiFromWide((*PluginFilesOf(newModel, kind))[row],
                                                                  CP_UTF8));
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
        OperationContext ctx{store.tree, my, &newModel, store.backup, nullptr,
                             store.plugin.Path() + L"\\", L"", nullptr};
        PendingAdds pending;
        ASSERT_TRUE(StartAdd(ctx, pending, addIndex, [] {}))
            << platform::AnsiFromWide(store.tree[addIndex].Info, CP_UTF8) << " "
            << platform::AnsiFromWide(boxes.texts.empty() ? L"" : boxes.texts.back(), CP_UTF8);
        for (const auto& copy : pending.Copies()) ASSERT_TRUE(copy->Wait(60000));
        CompleteAdds(store.tree, &my, pending);
        EXPECT_TRUE(store.tree[addIndex].Info.starts_with(texts::kAdded)) << store.tree[addIndex].Info;
        EXPECT_NE(test::DescribeDifferences(myBefore, test::SnapshotTree(myDir.Path())), L"");
        // Text the ANSI code page cannot hold makes the file UTF-16; the undo
        // must give the ANSI bytes back all the same.
        const std::optional<TextDocument> added = LoadTextFile(my.IniFile);
        ASSERT_TRUE(added);
        if (added->encoding != TextEncoding::Ansi) ++widened;

        const Lines folders = StoreFolders(store.Dir());
        ASSERT_EQ(folders.size(), 1u);
        EXPECT_EQ(RestoreInstalledFolder(folders[0], store.backup, &my), RestoreFailure::None);
        EXPECT_EQ(test::DescribeDifferences(myBefore, test::SnapshotTree(myDir.Path())), L"")
            << test::ReadBytes(my.IniFile);
        ++trips;
      }
    }
    EXPECT_EQ(LaidOut::Differences(newBefore, installation.Snapshot()), L"")
        << "the New installation is never touched";
  }
  EXPECT_EQ(boxes.texts, Lines(trips, L"Add?"));
  std::cout << "[ added and undone " << trips << " plugins; " << widened
            << " of them made the ANSI configuration UTF-16 ]\n";
  EXPECT_GE(trips, 100u);
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
