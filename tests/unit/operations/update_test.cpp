// Updating a plugin of My installation from the New one: the options the
// dialog offers, what each option leaves in My's folder, the undo from the
// backup store, and updates that fail part-way changing nothing.
#include "backup/backup.h"
#include "backup/restore.h"
#include "operations/operation_context.h"
#include "operations/batch_operation.h"
#include "operations/update_operation.h"
#include "operations/update_options.h"
#include "operations/update_plan.h"
#include "platform/fs.h"
#include "platform/strings.h"
#include "support/file_times.h"
#include "support/minimal_dll.h"
#include "support/temp_dir.h"
#include "support/tree_snapshot.h"
#include "tc/button_bars.h"
#include "tc/command_targets.h"
#include "tc/configuration_reader.h"
#include "tc/menu_reader.h"
#include "tc/plugin_directories.h"
#include "tc/principal_dirs.h"
#include "tree/tree.h"
#include "unit/tc/tc_test_helpers.h"
#include "util/file_faults.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <set>
#include <stdexcept>

namespace orvelle {
namespace {

using test::SnapshotTree;
using test::TempDir;

constexpr UpdateOption kOptions[] = {UpdateOption::ReplaceDirectory, UpdateOption::UpdateTree,
                                     UpdateOption::UpdateTopLevel, UpdateOption::CopyTree,
                                     UpdateOption::CopyTopLevel};

void Load(TTC& model) {
  for (bool (*read)(TTC&) : {static_cast<bool (*)(TTC&)>(LoadConfiguration), ReadButtonBarFiles,
                             ReadMainMenu, ReadCommandTargets, ReadPrincipalDirectories,
                             SettlePluginDirectories}) {
    if (!read(model)) throw std::runtime_error("the test installation cannot be read");
  }
}

// A file of a plugin folder pair: its bytes on each side (null: that side
// lacks it), its last-write time in days from the pair's day, and what each
// option A-E leaves in My's folder: 'N' New's bytes, 'M' My's, '-' nothing.
struct PairFile {
  const wchar_t* path;
  const char* newBytes;
  int newDays;
  const char* myBytes;
  int myDays;
  const char* expected;
};

// "FTP" has its own folder in both installations: newer, older and equal
// files, files on one side only, at the top and in subfolders, and a name
// that is a file in New and a folder in My.
const PairFile kOwnFolder[] = {
    {L"ftp.wfx", "new ftp", 2, "my ftp", 0, "NNNNN"},
    {L"ftp.ini", "new ini", 0, "my ini", 2, "NMMNN"},
    {L"readme.txt", "new readme", 0, "my readme", 0, "NMMNN"},  // same time, other bytes
    {L"newonly.txt", "new only", 0, nullptr, 0, "NNNNN"},
    {L"mine.txt", nullptr, 0, "my only", 0, "-MMMM"},
    {L"lang\\en.lng", "new en", 2, "my en", 0, "NNMNM"},
    {L"lang\\de.lng", "new de", 0, "my de", 2, "NMMNM"},
    {L"lang\\fr.lng", "new fr", 0, nullptr, 0, "NN-N-"},
    {L"lang\\mine.lng", nullptr, 0, "my lng", 0, "-MMMM"},
    {L"docs\\guide.txt", "guide", 0, nullptr, 0, "NN-N-"},
    {L"old\\gone.txt", nullptr, 0, "my old", 0, "-MMMM"},
    {L"cache", "new cache", 0, nullptr, 0, "NNNNN"},
    {L"cache\\x.tmp", nullptr, 0, "my cache", 0, "-----"},
};

// "X" lies in a folder of My's that holds other things too
// ("c:\tools\x.wfx"), in its own folder in New: only its file and twin are
// ever replaced there, nothing is added or removed.
const PairFile kSharedFolder[] = {
    {L"x.wfx", "new x", 2, "my x", 0, "NNNNN"},
    {L"x.wfx64", "new x64", 0, "my x64", 2, "NMMNN"},
    {L"notes.txt", nullptr, 0, "my notes", 0, "MMMMM"},
    {L"extra.dll", "new extra", 0, nullptr, 0, "-----"},
    {L"sub\\y.txt", "new y", 0, "my y", 0, "MMMMM"},
};

void WriteSide(const std::wstring& dir, const PairFile* files, size_t count, bool isNew) {
  for (size_t i = 0; i < count; ++i) {
    const PairFile& f = files[i];
    const char* bytes = isNew ? f.newBytes : f.myBytes;
    if (!bytes) continue;
    const std::wstring path = dir + L"\\" + f.path;
    test::WriteBytes(path, bytes);
    test::SetLastWriteTime(path, test::FixedTime((isNew ? f.newDays : f.myDays) * 1440LL));
  }
}

// My installation with FTP in its own folder (beside two more plugins, so
// that My's plugin folders are its own "plugins\wfx") and X in a folder of
// the user's beside other things, the New installation with both in their
// own folders, and the backup store in a folder of its own.
class UpdatePair {
 public:
  // storeParent: where the plugin (and so its backup store) lies; empty for
  // the temp folder, the volume of both installations.
  explicit UpdatePair(const std::wstring& storeParent = L"")
      : pluginHolder_(storeParent.empty() ? std::make_unique<TempDir>()
                                          : std::make_unique<TempDir>(storeParent)),
        plugin_(*pluginHolder_) {
    // One plugin of each other kind, in both installations.
    const std::wstring otherKinds =
        L"[PackerPlugins]\n7z=735,%COMMANDER_PATH%\\plugins\\wcx\\7z\\7z.wcx\n"
        L"[ListerPlugins]\n0=%COMMANDER_PATH%\\plugins\\wlx\\view\\view.wlx\n"
        L"[ContentPlugins]\n0=%COMMANDER_PATH%\\plugins\\wdx\\exif\\exif.wdx\n";
    test::WriteTextFile(my_ / L"wincmd.ini",
                        L"[Configuration]\nUseIniInProgramDir=7\nMainmenu=WCMD_ENG.MNU\n"
                        L"[FileSystemPlugins]\n"
                        L"FTP=%COMMANDER_PATH%\\plugins\\wfx\\ftp\\ftp.wfx\n"
                        L"Disk=%COMMANDER_PATH%\\plugins\\wfx\\disk\\disk.wfx\n"
                        L"Net=%COMMANDER_PATH%\\plugins\\wfx\\net\\net.wfx\n"
                        L"X=" + tools_.Path() + L"\\x.wfx\n" + otherKinds);
    test::WriteTextFile(new_ / L"wincmd.ini",
                        L"[Configuration]\nUseIniInProgramDir=7\nMainmenu=WCMD_ENG.MNU\n"
                        L"[FileSystemPlugins]\n"
                        L"FTP=%COMMANDER_PATH%\\plugins\\wfx\\ftp\\ftp.wfx\n"
                        L"X=%COMMANDER_PATH%\\plugins\\wfx\\x\\x.wfx\n" + otherKinds);
    for (const TempDir* dir : {&my_, &new_}) {
      test::WriteBytes(*dir / L"totalcmd.exe", "program");
      for (const wchar_t* plugin :
           {L"plugins\\wfx\\disk\\disk.wfx", L"plugins\\wfx\\net\\net.wfx"}) {
        test::WriteBytes(*dir / plugin, "another plugin");
      }
      for (const wchar_t* plugin : {L"plugins\\wcx\\7z\\7z.wcx", L"plugins\\wlx\\view\\view.wlx",
                                    L"plugins\\wdx\\exif\\exif.wdx"}) {
        test::WriteBytes(*dir / plugin, dir == &my_ ? "old" : "new");
      }
      test::WriteTextFile(*dir / L"LANGUAGE\\WCMD_ENG.MNU", L"POPUP \"&Files\"\nEND_POPUP\n");
    }
    WriteSide(MyFtp(), kOwnFolder, std::size(kOwnFolder), false);
    WriteSide(NewFtp(), kOwnFolder, std::size(kOwnFolder), true);
    WriteSide(tools_.Path(), kSharedFolder, std::size(kSharedFolder), false);
    WriteSide(NewX(), kSharedFolder, std::size(kSharedFolder), true);
    myModel_ = std::make_unique<TTC>(test::ModelIn(my_.Path()));
    newModel_ = std::make_unique<TTC>(test::ModelIn(new_.Path()));
    Load(*myModel_);
    Load(*newModel_);
    backup_ = std::make_unique<TBackup>(PluginDir(), tree_, BackupIcons{});
    backup_->Clock = [this] { return clock_ += 1.0 / 86400000; };
  }

  std::wstring MyFtp() const { return my_ / L"plugins\\wfx\\ftp"; }
  std::wstring NewFtp() const { return new_ / L"plugins\\wfx\\ftp"; }
  std::wstring NewX() const { return new_ / L"plugins\\wfx\\x"; }
  const std::wstring& Tools() const { return tools_.Path(); }
  std::wstring PluginDir() const { return plugin_.Path() + L"\\"; }
  std::wstring StoreDir() const { return plugin_ / L"backup"; }

  TTC& My() { return *myModel_; }
  TTC& New() { return *newModel_; }
  TBackup& Backup() { return *backup_; }
  VirtualTree& Tree() { return tree_; }

  // The row of a file-system plugin by the end of its path.
  static size_t Row(const TTC& m, const std::wstring& tail) {
    for (size_t i = 0; i < m.FsPluginFiles.size(); ++i) {
      if (platform::LowerCase(m.FsPluginFiles[i]).ends_with(platform::LowerCase(tail))) return i;
    }
    throw std::runtime_error("no such plugin row");
  }

  std::wstring MyPath(std::wstring_view relative) const { return my_ / relative; }

  std::optional<UpdatePlan> Plan(const std::wstring& tail, UpdateOption option) {
    return PlanUpdate(My(), New(), ItemKind::FileSystemPlugin, Row(My(), tail), Row(New(), tail),
                      option, L"");
  }

  // Everything an update may touch, as one snapshot per folder.
  struct State {
    test::TreeSnapshot my, tools, others;
  };
  State Snapshot() const {
    return {SnapshotTree(my_.Path()), SnapshotTree(tools_.Path()), SnapshotTree(new_.Path())};
  }
  std::wstring Differences(const State& before) const {
    const State now = Snapshot();
    return test::DescribeDifferences(before.my, now.my) +
           test::DescribeDifferences(before.tools, now.tools) +
           test::DescribeDifferences(before.others, now.others);
  }
  size_t BackupFolders() const {
    size_t n = 0;
    for (const platform::FileEntry& e : platform::EnumFiles(StoreDir() + L"\\*")) {
      n += e.IsDirectory();
    }
    return n;
  }

 private:
  TempDir my_, new_, tools_;
  std::unique_ptr<TempDir> pluginHolder_;
  const TempDir& plugin_;
  std::unique_ptr<TTC> myModel_, newModel_;
  VirtualTree tree_;
  std::unique_ptr<TBackup> backup_;
  double clock_ = 46000.5;
};

// Whether My's folder holds exactly what a column of the table says.
void ExpectFolder(const std::wstring& dir, const PairFile* files, size_t count, size_t column) {
  std::set<std::wstring> expectedFiles;
  for (size_t i = 0; i < count; ++i) {
    const PairFile& f = files[i];
    SCOPED_TRACE(platform::AnsiFromWide(f.path, CP_UTF8));
    const std::wstring path = dir + L"\\" + f.path;
    switch (f.expected[column]) {
      case 'N':
        EXPECT_EQ(test::ReadBytes(path), f.newBytes);
        expectedFiles.insert(f.path);
        break;
      case 'M':
        EXPECT_EQ(test::ReadBytes(path), f.myBytes);
        expectedFiles.insert(f.path);
        break;
      default: EXPECT_FALSE(platform::FileExists(path)) << "must not be there";
    }
  }
  std::set<std::wstring> found;
  for (const auto& [path, bytes] : SnapshotTree(dir).entries) {
    if (!path.ends_with(L"\\")) found.insert(path);
  }
  EXPECT_EQ(found, expectedFiles) << "no other file";
}

TEST(Update, EveryOptionLeavesTheExpectedFilesAndComesBackByteForByte) {
  struct Plugin {
    const char* name;
    const wchar_t* tail;
    const PairFile* files;
    size_t count;
    bool wholeDirectory;
  };
  const Plugin plugins[] = {
      {"a plugin in its own folder", L"ftp\\ftp.wfx", kOwnFolder, std::size(kOwnFolder), true},
      {"a plugin in a shared folder", L"\\x.wfx", kSharedFolder, std::size(kSharedFolder), false},
  };
  // The store beside both installations, and on another volume, where
  // nothing can be renamed into it and every move is a copy.
  std::vector<std::wstring> storePlaces{L""};
  if (!test::OtherVolumeFolder().empty()) storePlaces.push_back(test::OtherVolumeFolder());
  for (const std::wstring& storePlace : storePlaces)
  for (const Plugin& plugin : plugins) {
    for (size_t column = 0; column < std::size(kOptions); ++column) {
      SCOPED_TRACE(testing::Message() << plugin.name << ", option " << char('A' + column)
                                      << (storePlace.empty() ? "" : ", store on another volume"));
      UpdatePair pair(storePlace);
      test::MessageRecorder boxes;
      const UpdatePair::State before = pair.Snapshot();
      std::optional<UpdatePlan> plan = pair.Plan(plugin.tail, kOptions[column]);
      ASSERT_TRUE(plan);
      EXPECT_EQ(plan->WholeDirectory, plugin.wholeDirectory);
      const std::wstring myDir = plugin.wholeDirectory ? pair.MyFtp() : pair.Tools();

      ASSERT_EQ(RunUpdate(*plan, pair.Backup()).Outcome, UpdateOutcome::Updated);
      ExpectFolder(myDir, plugin.files, plugin.count, column);
      const std::wstring folder = pair.Backup().Dir;
      EXPECT_TRUE(platform::FileExists(folder + L"index.d"));
      EXPECT_TRUE(platform::FileExists(folder + L"info.d"));
      EXPECT_EQ(pair.BackupFolders(), 1u);

      EXPECT_EQ(RestoreDeletedFolder(folder, pair.Backup()), RestoreFailure::None);
      EXPECT_FALSE(platform::PathExists(folder));
      const UpdatePair::State after = pair.Snapshot();
      EXPECT_EQ(test::DescribeDifferences(before.my, after.my), L"");
      EXPECT_EQ(test::DescribeDifferences(before.tools, after.tools), L"");
      EXPECT_EQ(test::DescribeDifferences(before.others, after.others), L"")
          << "the New installation is never touched";
      EXPECT_TRUE(boxes.texts.empty());
    }
  }
}

// Packer, lister and content plugins are updated the same way, by their
// rows in the lists of their kind.
TEST(Update, EveryKindOfPluginIsUpdated) {
  struct Case {
    ItemKind kind;
    const wchar_t* file;
    std::vector<std::wstring> TTC::*list;
  };
  const Case cases[] = {
      {ItemKind::PackerPlugin, L"plugins\\wcx\\7z\\7z.wcx", &TTC::PackerPluginFiles},
      {ItemKind::ListerPlugin, L"plugins\\wlx\\view\\view.wlx", &TTC::ListerPluginFiles},
      {ItemKind::ContentPlugin, L"plugins\\wdx\\exif\\exif.wdx", &TTC::ContentPluginFiles},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::AnsiFromWide(c.file, CP_UTF8));
    UpdatePair pair;
    ASSERT_EQ((pair.My().*c.list).size(), 1u);
    ASSERT_EQ((pair.New().*c.list).size(), 1u);
    std::optional<UpdatePlan> plan =
        PlanUpdate(pair.My(), pair.New(), c.kind, 0, 0, UpdateOption::CopyTree, L"");
    ASSERT_TRUE(plan);
    EXPECT_TRUE(plan->WholeDirectory);
    EXPECT_EQ(RunUpdate(*plan, pair.Backup()).Outcome, UpdateOutcome::Updated);
    EXPECT_EQ(test::ReadBytes(pair.MyPath(c.file)), "new");
  }
}

// No update copies a folder into itself or one inside it, nor touches this
// plugin's own files.
TEST(Update, NoPlanForOverlappingFoldersOrThePluginItself) {
  UpdatePair pair;
  const size_t myRow = UpdatePair::Row(pair.My(), L"ftp\\ftp.wfx");
  const size_t newRow = UpdatePair::Row(pair.New(), L"ftp\\ftp.wfx");
  EXPECT_FALSE(PlanUpdate(pair.My(), pair.New(), ItemKind::FileSystemPlugin, myRow, newRow,
                          UpdateOption::CopyTree, pair.MyFtp() + L"\\FTP.wfx64"));
  for (const wchar_t* inside : {L"\\ftp.wfx", L"\\lang\\en.lng"}) {
    pair.New().FsPluginFiles[newRow] = platform::LowerCase(pair.MyFtp() + inside);
    EXPECT_FALSE(PlanUpdate(pair.My(), pair.New(), ItemKind::FileSystemPlugin, myRow, newRow,
                            UpdateOption::CopyTree, L""));
  }
}

// Nothing newer and nothing missing: no backup folder, nothing changed.
TEST(Update, NothingToCopyChangesNothing) {
  UpdatePair pair;
  test::SetLastWriteTime(pair.NewX() + L"\\x.wfx", test::FixedTime(-1440));
  const UpdatePair::State before = pair.Snapshot();
  std::optional<UpdatePlan> plan = pair.Plan(L"\\x.wfx", UpdateOption::UpdateTree);
  ASSERT_TRUE(plan);
  EXPECT_EQ(RunUpdate(*plan, pair.Backup()).Outcome, UpdateOutcome::Unchanged);
  EXPECT_EQ(pair.Differences(before), L"");
  EXPECT_EQ(pair.BackupFolders(), 0u);
}

// An update that fails part-way leaves every folder as it was: no staged
// copy, no backup folder, no file half replaced.
TEST(Update, AnUpdateThatFailsPartWayChangesNothing) {
  struct Case {
    const char* name;
    const wchar_t* tail;
    UpdateOption option;
    UpdateOutcome outcome;
    // Sets the fault up; returns what undoes it when the test is done.
    std::function<std::function<void()>(UpdatePair&)> fault;
  };
  // Opens a file with the sharing given, as another program holding it.
  auto lock = [](const std::wstring& path, DWORD share) -> std::function<void()> {
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE);
    return [h] { ::CloseHandle(h); };
  };
  const Case cases[] = {
      {"a read-only file in My's folder that New's replaces", L"ftp\\ftp.wfx",
       UpdateOption::CopyTree, UpdateOutcome::CopyFailed,
       [](UpdatePair& pair) -> std::function<void()> {
         const std::wstring file = pair.MyFtp() + L"\\lang\\de.lng";
         ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
         return [file] { ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL); };
       }},
      {"a file of My's folder in use", L"ftp\\ftp.wfx", UpdateOption::UpdateTree,
       UpdateOutcome::CopyFailed,
       [&](UpdatePair& pair) { return lock(pair.MyFtp() + L"\\old\\gone.txt", 0); }},
      {"a file of New's folder in use", L"ftp\\ftp.wfx", UpdateOption::ReplaceDirectory,
       UpdateOutcome::CopyFailed,
       [&](UpdatePair& pair) { return lock(pair.NewFtp() + L"\\docs\\guide.txt", 0); }},
      {"the backup store cannot be made", L"ftp\\ftp.wfx", UpdateOption::CopyTree,
       UpdateOutcome::BackupFailed,
       [](UpdatePair& pair) -> std::function<void()> {
         test::WriteBytes(pair.StoreDir(), "a file where the store goes");
         const std::wstring store = pair.StoreDir();
         return [store] { ::DeleteFileW(store.c_str()); };
       }},
      {"a shared folder's second file cannot be moved out", L"\\x.wfx", UpdateOption::CopyTree,
       UpdateOutcome::MoveFailed,
       [&](UpdatePair& pair) { return lock(pair.Tools() + L"\\x.wfx64", FILE_SHARE_READ); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    UpdatePair pair;
    test::MessageRecorder boxes;
    const UpdatePair::State before = pair.Snapshot();
    std::optional<UpdatePlan> plan = pair.Plan(c.tail, c.option);
    ASSERT_TRUE(plan);
    std::function<void()> undoFault = c.fault(pair);
    const UpdateOutcome outcome = RunUpdate(*plan, pair.Backup()).Outcome;
    undoFault();
    EXPECT_EQ(outcome, c.outcome);
    EXPECT_EQ(pair.Differences(before), L"");
    EXPECT_EQ(pair.BackupFolders(), 0u);
  }
}

// When the new folder cannot be put in place and the old one cannot go
// back either, the update says so and where each folder stands; the old
// folder is whole in the store, and its restore brings the plugin back.
TEST(Update, AFailedRollBackSaysWhereThePluginStands) {
  UpdatePair pair;
  test::MessageRecorder boxes;
  const UpdatePair::State before = pair.Snapshot();
  std::optional<UpdatePlan> plan = pair.Plan(L"ftp\\ftp.wfx", UpdateOption::CopyTree);
  ASSERT_TRUE(plan);
  ASSERT_TRUE(plan->WholeDirectory);
  // Every folder move fails but the first, that of My's folder into the store.
  const std::wstring myFtp = pair.MyFtp();
  const FileFaultHook previous = SetFileFaultHook([&](FileStep step, const std::wstring& path) {
    return step == FileStep::Rename && platform::DirectoryExists(path) &&
           !platform::EqualsNoCase(path, myFtp);
  });
  const UpdateResult result = RunUpdate(*plan, pair.Backup());
  SetFileFaultHook(previous);
  ASSERT_EQ(result.Outcome, UpdateOutcome::RollBackFailed);
  const std::wstring folder = pair.Backup().Dir;
  const std::wstring saved = folder + L"ftp";
  EXPECT_NE(platform::LowerCase(result.Detail)
                .find(platform::LowerCase(L"Stands at " + saved + L", it belongs at " + myFtp)),
            std::wstring::npos)
      << platform::AnsiFromWide(result.Detail, CP_UTF8);
  EXPECT_TRUE(platform::FileExists(saved + L"\\ftp.wfx"));
  EXPECT_FALSE(platform::PathExists(myFtp));

  EXPECT_EQ(RestoreDeletedFolder(folder, pair.Backup()), RestoreFailure::None);
  EXPECT_EQ(pair.Differences(before), L"");
  EXPECT_EQ(pair.BackupFolders(), 0u);
}

// A plugin module the host has loaded is never freed: the host keeps its
// function pointers. Its file is renamed into the backup like any other,
// the module stays mapped and usable, the update says that a restart is
// needed, and the backup brings the loaded file back.
TEST(Update, ALoadedPluginStaysLoadedWhileItsFilesAreReplaced) {
  struct Case {
    const char* name;
    const wchar_t* tail;
    bool ownFolder;
  };
  for (const Case& c : {Case{"own folder", L"ftp\\ftp.wfx", true},
                        Case{"shared folder", L"\\x.wfx", false}}) {
    SCOPED_TRACE(c.name);
    UpdatePair pair;
    const std::wstring module = (c.ownFolder ? pair.MyFtp() : pair.Tools()) +
                                (c.ownFolder ? L"\\ftp.wfx" : L"\\x.wfx");
    test::WriteBytes(module, test::MinimalDll());
    test::SetLastWriteTime(module, test::FixedTime());
    // The host's load, and a second one of its own (as a plugin may hold).
    HMODULE loaded = ::LoadLibraryW(module.c_str());
    ASSERT_TRUE(loaded) << "error " << ::GetLastError();
    ASSERT_EQ(::LoadLibraryW(module.c_str()), loaded);
    std::optional<UpdatePlan> plan = pair.Plan(c.tail, UpdateOption::CopyTree);
    ASSERT_TRUE(plan);

    const UpdateResult result = RunUpdate(*plan, pair.Backup());
    EXPECT_EQ(result.Outcome, UpdateOutcome::Updated);
    EXPECT_TRUE(result.RestartNeeded);
    EXPECT_EQ(::GetModuleHandleW(module.c_str()), loaded) << "the module was freed";
    // Its image is still mapped: reading it would fault otherwise.
    EXPECT_EQ(*reinterpret_cast<const WORD*>(loaded), IMAGE_DOS_SIGNATURE);
    EXPECT_EQ(test::ReadBytes(module), c.ownFolder ? "new ftp" : "new x");

    const std::wstring folder = pair.Backup().Dir;
    EXPECT_EQ(RestoreDeletedFolder(folder, pair.Backup()), RestoreFailure::None);
    EXPECT_EQ(test::ReadBytes(module), test::MinimalDll());
    EXPECT_EQ(*reinterpret_cast<const WORD*>(loaded), IMAGE_DOS_SIGNATURE);
    EXPECT_TRUE(::FreeLibrary(loaded));
    EXPECT_TRUE(::FreeLibrary(loaded));
  }
  // A plugin nobody loaded needs no restart.
  UpdatePair pair;
  std::optional<UpdatePlan> plan = pair.Plan(L"ftp\\ftp.wfx", UpdateOption::CopyTree);
  ASSERT_TRUE(plan);
  const UpdateResult result = RunUpdate(*plan, pair.Backup());
  EXPECT_EQ(result.Outcome, UpdateOutcome::Updated);
  EXPECT_FALSE(result.RestartNeeded);
}

// The options by what belongs to the plugin: no "Replace whole directory"
// where either folder is not the plugin's own, only the top level where
// New's folder is not.
TEST(UpdateOptions, OfferedByWhatBelongsToThePlugin) {
  TempDir dir;
  const std::wstring myFtp = dir / L"my\\plugins\\wfx\\ftp\\ftp.wfx";
  const std::wstring myLoose = dir / L"my\\plugins\\wfx\\loose.wfx";
  const std::wstring newFtp = dir / L"new\\plugins\\wfx\\ftp\\ftp.wfx";
  const std::wstring newLoose = dir / L"new\\plugins\\wfx\\loose.wfx";
  const std::wstring newInProgram = dir / L"new\\inprogram.wfx";
  for (const std::wstring& file : {myFtp, myLoose, newFtp, newLoose, newInProgram}) {
    test::WriteBytes(file, "plugin");
  }
  TTC my(dir / L"my\\totalcmd.exe");
  my.FsPluginFiles = {platform::LowerCase(myFtp), platform::LowerCase(myLoose)};
  SettlePluginDirectories(my);
  ReadPrincipalDirectories(my);
  TTC newModel(dir / L"new\\totalcmd.exe");
  newModel.FsPluginFiles = {platform::LowerCase(newFtp), platform::LowerCase(newLoose),
                            platform::LowerCase(newInProgram)};
  SettlePluginDirectories(newModel);
  ReadPrincipalDirectories(newModel);
  using O = UpdateOption;
  struct Case {
    std::wstring myFile;
    std::wstring newFile;
    std::vector<UpdateOption> options;
  };
  const Case cases[] = {
      {myFtp, newFtp, {O::ReplaceDirectory, O::UpdateTree, O::CopyTree}},
      {myFtp, newLoose, {O::UpdateTopLevel, O::CopyTopLevel}},
      {myFtp, newInProgram, {O::UpdateTopLevel, O::CopyTopLevel}},
      {myLoose, newFtp, {O::UpdateTree, O::CopyTree}},
      {myLoose, newLoose, {O::UpdateTopLevel, O::CopyTopLevel}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(platform::AnsiFromWide(c.myFile + L" <- " + c.newFile, CP_UTF8));
    std::vector<UpdateOption> offered;
    for (const UpdateChoice& choice : OfferedUpdateOptions(my, newModel, c.myFile, c.newFile, L"")) {
      offered.push_back(choice.Option);
    }
    EXPECT_EQ(offered, c.options);
  }
  const std::vector<UpdateChoice> texts =
      OfferedUpdateOptions(my, newModel, myFtp, newFtp, L"");
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].Text, L"Replace whole directory: \\ftp -> \\ftp");
  EXPECT_EQ(texts[1].Text, L"Update old files and copy new files: \\ftp\\*.* (New) -> \\ftp\\*.*");
  EXPECT_EQ(texts[2].Text, L"Copy with replace all files: \\ftp\\*.* -> \\ftp\\*.*");
  EXPECT_EQ(UpdateOptionText(O::UpdateTopLevel, L"wfx", L"ftp"),
            L"Update old files and copy new files (without directories): \\wfx\\*.* (New) -> "
            L"\\ftp\\*.*");
  EXPECT_EQ(UpdateOptionText(O::CopyTopLevel, L"wfx", L"ftp"),
            L"Copy with replace all files (without directories): \\wfx\\*.* -> \\ftp\\*.*");
}

// The entry: a failure says why and leaves it as it was (the dialog stays
// open); success marks it "UPDATED!" and done, and it offers no update any
// more.
TEST(UpdateEntry, SuccessMarksTheEntryAFailureLeavesItAsItWas) {
  UpdatePair pair;
  test::MessageRecorder boxes;
  VirtualTree& tree = pair.Tree();
  TVirtualTreeItem plugin;
  plugin.Order = 0;
  plugin.ParentIndex = -1;
  plugin.IsFolder = true;
  plugin.Path = L"\\inst\\Plugins\\WFX\\";
  plugin.Name = L"FTP";
  const size_t myRow = UpdatePair::Row(pair.My(), L"ftp\\ftp.wfx");
  plugin.MyFile = pair.My().FsPluginFiles[myRow];
  plugin.NewFile = pair.New().FsPluginFiles[UpdatePair::Row(pair.New(), L"ftp\\ftp.wfx")];
  const int folder = tree.Append(plugin);
  TVirtualTreeItem update;
  update.Order = 0;
  update.ParentIndex = folder;
  update.Path = plugin.FolderPath();
  update.Name = L"Update";
  update.Action = 3;
  update.ActionKind = static_cast<uint8_t>(ItemKind::FileSystemPlugin);
  update.ActionIndex = static_cast<int32_t>(myRow);
  const int index = tree.Append(update);
  int rereads = 0;
  OperationContext ctx{tree, pair.My(), &pair.New(), pair.Backup(), nullptr, pair.PluginDir(),
                       L"", [&] { ++rereads; }};

  std::optional<UpdateRequest> request = PrepareUpdate(ctx, index);
  ASSERT_TRUE(request);
  EXPECT_EQ(request->ItemName, L"FTP");
  ASSERT_EQ(request->Choices.size(), 3u);

  const std::wstring readOnly = pair.MyFtp() + L"\\ftp.wfx";
  ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(CarryOutUpdate(ctx, *request, UpdateOption::UpdateTree));
  ::SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_TRUE(platform::EqualsNoCase(
      boxes.texts[0], L"Directory copy Error:\n" + pair.NewFtp() + L"\n" + pair.MyFtp()))
      << platform::AnsiFromWide(boxes.texts[0], CP_UTF8);
  EXPECT_FALSE(tree[index].Done);
  EXPECT_EQ(tree[index].Info, L"");
  EXPECT_EQ(rereads, 0);

  EXPECT_TRUE(CarryOutUpdate(ctx, *request, UpdateOption::UpdateTree));
  EXPECT_EQ(boxes.texts.back(), L"Update successfull!");
  EXPECT_TRUE(tree[index].Done);
  EXPECT_EQ(tree[index].Status, L"*!");
  EXPECT_EQ(tree[index].Info, L"UPDATED!");
  EXPECT_EQ(rereads, 1);
  EXPECT_EQ(test::ReadBytes(pair.MyFtp() + L"\\ftp.wfx"), "new ftp");
  EXPECT_FALSE(PrepareUpdate(ctx, index)) << "a done entry starts no further update";
}

}  // namespace
}  // namespace orvelle

namespace orvelle {
namespace {

// The ways "Update all" offers are those every ticked plugin can carry
// out; a plugin whose New folder is not its own takes the top-level form.
TEST(UpdateAllWays, EveryTickedPluginMustOfferTheWay) {
  BatchItem own, shared, whole;
  own.Options = {UpdateOption::UpdateTree, UpdateOption::CopyTree};
  shared.Options = {UpdateOption::UpdateTopLevel, UpdateOption::CopyTopLevel};
  whole.Options = {UpdateOption::ReplaceDirectory, UpdateOption::UpdateTree,
                   UpdateOption::CopyTree};
  using Ways = std::vector<BatchUpdateWay>;
  const Ways ordinary{BatchUpdateWay::UpdateOld, BatchUpdateWay::CopyAll};
  const Ways all{BatchUpdateWay::UpdateOld, BatchUpdateWay::CopyAll,
                 BatchUpdateWay::ReplaceDirectory};
  struct Case {
    std::vector<BatchItem> items;
    Ways ways;
  } cases[] = {
      {{whole}, all},
      {{whole, whole}, all},
      {{whole, own}, ordinary},
      {{own, shared}, ordinary},
      {{shared, whole}, ordinary},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CommonUpdateWays(c.items), c.ways);
  }
  EXPECT_EQ(OptionFor(shared, BatchUpdateWay::UpdateOld), UpdateOption::UpdateTopLevel);
  EXPECT_EQ(OptionFor(own, BatchUpdateWay::CopyAll), UpdateOption::CopyTree);
  EXPECT_EQ(OptionFor(whole, BatchUpdateWay::ReplaceDirectory), UpdateOption::ReplaceDirectory);
  EXPECT_FALSE(OptionFor(own, BatchUpdateWay::ReplaceDirectory));
}

}  // namespace
}  // namespace orvelle
