// Deleting from My installation and restoring from the backup store, on the
// rich installation: every kind of item, and every file of My installation
// byte for byte the same after the round trip.
#include "backup/records.h"
#include "backup/restore.h"
#include "operations/delete_operation.h"
#include "operations/delete_plan.h"
#include "platform/fs.h"
#include "platform/message_box.h"
#include "platform/strings.h"
#include "rich_installation.h"
#include "support/tree_snapshot.h"
#include "tc/ttc.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <functional>

namespace orvelle {
namespace {

using test::RichInstallation;
using test::SnapshotTree;
using Lines = std::vector<std::wstring>;

// Answers every message box (yes to questions) and keeps their texts.
class Boxes {
 public:
  explicit Boxes(int answer = IDYES) {
    previous_ = platform::SetMessageBoxHandler([this, answer](const std::wstring& text, UINT) {
      texts.push_back(text);
      return answer;
    });
  }
  ~Boxes() { platform::SetMessageBoxHandler(previous_); }
  std::vector<std::wstring> texts;

 private:
  platform::MessageBoxHandler previous_;
};

Lines FileLines(const std::wstring& path) {
  std::optional<TextDocument> doc = LoadTextFile(path);
  return doc ? doc->lines : Lines{};
}

bool HasLine(const std::wstring& path, const std::wstring& line) {
  Lines lines = FileLines(path);
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

std::vector<std::wstring> Subfolders(const std::wstring& dir) {
  std::vector<std::wstring> names;
  for (const platform::FileEntry& e : platform::EnumFiles(dir + L"\\*")) {
    if (e.IsDirectory()) names.push_back(e.name);
  }
  return names;
}

struct RoundTrip {
  const char* name;
  ItemKind kind;
  std::wstring file;  // the end of the item's path in its list
  bool wholeDirectory;
  // What the delete must have done to My installation.
  std::function<void(RichInstallation&)> deleted;
};

std::vector<RoundTrip> RoundTrips() {
  using R = RichInstallation;
  return {
      {"file-system plugin with a name the code page cannot hold beside it",
       ItemKind::FileSystemPlugin, L"ftp\\ftp.wfx", true,
       [](R& r) {
         EXPECT_FALSE(platform::PathExists(r.Path(L"plugins\\wfx\\ftp")));
         Lines ini = FileLines(r.Path(L"wincmd.ini"));
         EXPECT_EQ(std::count_if(ini.begin(), ini.end(),
                                 [](const std::wstring& l) { return l.starts_with(L"FTP="); }),
                   0);
         EXPECT_TRUE(HasLine(r.Path(L"wincmd.ini"),
                             L"Диск=%COMMANDER_PATH%\\plugins\\wfx\\disk\\disk.wfx"));
         EXPECT_EQ(test::ReadBytes(r.Path(L"wincmd.ini")).substr(0, 2), "\xFF\xFE");
       }},
      {"packer plugin registered for two extensions", ItemKind::PackerPlugin,
       L"7zip\\7zip.wcx", true,
       [](R& r) {
         EXPECT_TRUE(HasLine(r.Path(L"wincmd.ini"),
                             L"iso=192,%COMMANDER_PATH%\\plugins\\wcx\\iso\\iso.wcx"));
         EXPECT_FALSE(HasLine(r.Path(L"wincmd.ini"),
                              L"lzma=607,%COMMANDER_PATH%\\plugins\\wcx\\7zip\\7zip.wcx"));
       }},
      {"lister plugin in a redirected section, the ones behind it renumbered",
       ItemKind::ListerPlugin, L"view\\view.wlx", true,
       [](R& r) {
         EXPECT_TRUE(HasLine(r.Path(L"plugins.ini"),
                             L"1=%COMMANDER_PATH%\\plugins\\wlx\\hex\\hex.wlx"));
         EXPECT_TRUE(HasLine(r.Path(L"plugins.ini"), L"1_detect=MULTIMEDIA"));
         EXPECT_TRUE(HasLine(r.Path(L"plugins.ini"),
                             L"0=%COMMANDER_PATH%\\plugins\\wlx\\preview\\preview.wlx"));
         EXPECT_TRUE(platform::FileExists(r.Path(L"plugins\\wlx\\preview\\preview.wlx")));
       }},
      {"lister plugin sharing its directory: only its file goes", ItemKind::ListerPlugin,
       L"hex\\hex.wlx", false,
       [](R& r) {
         EXPECT_FALSE(platform::PathExists(r.Path(L"plugins\\wlx\\hex\\hex.wlx")));
         EXPECT_TRUE(platform::FileExists(r.Path(L"plugins\\wlx\\hex\\hexdump.wlx")));
         EXPECT_TRUE(HasLine(r.Path(L"plugins.ini"),
                             L"2=%COMMANDER_PATH%\\plugins\\wlx\\hex\\hexdump.wlx"));
       }},
      {"content plugin with the saved search that uses it", ItemKind::ContentPlugin,
       L"exif\\exif.wdx", true,
       [](R& r) {
         const std::wstring user = r.Path(L"Настройки\\user.ini");
         EXPECT_FALSE(HasLine(user, L"Фото_SearchFor=*.jpg"));
         EXPECT_TRUE(HasLine(user, L"Texts_SearchFor=*.txt"));
         EXPECT_TRUE(HasLine(r.Path(L"plugins.ini"), L"0_detect=EXT=\"*\""));
       }},
      {"document opened by the start menu, the directory menu, both bars and the menu",
       ItemKind::NonExecutable, L"\\notes.txt", false,
       [](R& r) {
         EXPECT_FALSE(platform::PathExists(r.Path(L"notes.txt")));
         const std::wstring user = r.Path(L"Настройки\\user.ini");
         EXPECT_TRUE(HasLine(user, L"menu2=Notepad"));
         EXPECT_TRUE(HasLine(user, L"menu1=Temp"));
         EXPECT_TRUE(HasLine(r.Path(L"default.bar"), L"Buttoncount=4"));
         EXPECT_TRUE(HasLine(r.Path(L"bars\\more.bar"), L"Buttoncount=1"));
         EXPECT_TRUE(HasLine(r.Path(L"bars\\more.bar"),
                             L"cmd1=*%COMMANDER_PATH%\\tools\\editor\\editor.exe /x"));
         Lines menu = FileLines(r.Path(L"LANGUAGE\\WCMD_ENG.MNU"));
         EXPECT_EQ(menu.size(), 9u);
       }},
      {"program outside the installation: only the references go", ItemKind::PackageExclude,
       L"\\notepad.exe", false,
       [](R& r) {
         EXPECT_FALSE(HasLine(r.Path(L"default.bar"), L"cmd5=notepad.exe"));
         EXPECT_FALSE(HasLine(r.Path(L"Настройки\\user.ini"), L"cmd3=notepad.exe"));
       }},
      {"program inside the installation with its own directory", ItemKind::PackageInclude,
       L"editor\\editor.exe", true,
       [](R& r) {
         EXPECT_FALSE(platform::PathExists(r.Path(L"tools\\editor")));
         EXPECT_TRUE(platform::DirectoryExists(r.Path(L"tools")));
         EXPECT_TRUE(HasLine(r.Path(L"Настройки\\user.ini"), L"menu1=Notes"));
       }},
  };
}

const std::vector<std::wstring>& ListOf(TTC& m, ItemKind kind) {
  switch (kind) {
    case ItemKind::FileSystemPlugin: return m.FsPluginFiles;
    case ItemKind::PackerPlugin: return m.PackerPluginFiles;
    case ItemKind::ListerPlugin: return m.ListerPluginFiles;
    case ItemKind::ContentPlugin: return m.ContentPluginFiles;
    default: return m.TargetPaths;
  }
}

// The store beside My installation, and on another volume (a portable
// installation on a USB stick, the plugin on the system drive), where a
// whole folder cannot be renamed into it.
std::vector<std::wstring> StorePlaces() {
  std::vector<std::wstring> places{L""};
  if (!test::OtherVolumeFolder().empty()) places.push_back(test::OtherVolumeFolder());
  return places;
}

TEST(DeleteRestore, EveryKindComesBackByteForByte) {
  for (const std::wstring& storePlace : StorePlaces())
  for (const RoundTrip& trip : RoundTrips()) {
    SCOPED_TRACE(trip.name);
    SCOPED_TRACE(storePlace.empty() ? "store beside My installation" : "store on another volume");
    RichInstallation r(storePlace);
    Boxes boxes;
    const test::TreeSnapshot my = SnapshotTree(r.MyDir());
    const test::TreeSnapshot others = SnapshotTree(r.NewDir());
    const int row = RichInstallation::RowEndingWith(ListOf(r.My(), trip.kind), trip.file);
    ASSERT_GE(row, 0);
    std::optional<DeletePlan> plan =
        PlanDelete(r.My(), &r.New(), trip.kind, static_cast<size_t>(row), L"");
    ASSERT_TRUE(plan);
    EXPECT_EQ(plan->WholeDirectory, trip.wholeDirectory);

    ASSERT_EQ(RunDelete(r.My(), r.Backup(), *plan), DeleteOutcome::Deleted);
    const std::wstring folder = r.Backup().Dir;
    EXPECT_NE(test::DescribeDifferences(my, SnapshotTree(r.MyDir())), L"");
    trip.deleted(r);
    EXPECT_TRUE(platform::FileExists(folder + kDeletedInfoFile));

    EXPECT_EQ(RestoreDeletedFolder(folder, r.Backup()), RestoreFailure::None);
    EXPECT_FALSE(platform::PathExists(folder));
    EXPECT_EQ(test::DescribeDifferences(my, SnapshotTree(r.MyDir())), L"");
    EXPECT_EQ(test::DescribeDifferences(others, SnapshotTree(r.NewDir())), L"")
        << "the New installation is never touched";
    EXPECT_TRUE(boxes.texts.empty());
  }
}

// What stands where a deleted item goes back (the user reinstalled it) is not
// lost: it goes into a deleted-item folder of its own.
TEST(DeleteRestore, SomethingInTheWayOfARestoreIsKeptInTheStore) {
  RichInstallation r;
  Boxes boxes;
  const int row = RichInstallation::RowEndingWith(r.My().ListerPluginFiles, L"view\\view.wlx");
  std::optional<DeletePlan> plan =
      PlanDelete(r.My(), &r.New(), ItemKind::ListerPlugin, static_cast<size_t>(row), L"");
  ASSERT_TRUE(plan);
  ASSERT_EQ(RunDelete(r.My(), r.Backup(), *plan), DeleteOutcome::Deleted);
  const std::wstring folder = r.Backup().Dir;
  test::WriteBytes(r.Path(L"plugins\\wlx\\view\\view.wlx"), "reinstalled");

  EXPECT_EQ(RestoreDeletedFolder(folder, r.Backup()), RestoreFailure::None);
  EXPECT_EQ(test::ReadBytes(r.Path(L"plugins\\wlx\\view\\view.wlx")), "binary of plugins\\wlx\\view\\view.wlx");
  const std::wstring displaced = r.Backup().Dir;
  ASSERT_NE(displaced, folder);
  EXPECT_EQ(test::ReadBytes(displaced + L"view\\view.wlx"), "reinstalled");
  EXPECT_EQ(Subfolders(r.StoreDir()).size(), 1u);
}

// A restore that stops half-way goes on from there the next time: the
// lines already back are not put back twice.
TEST(DeleteRestore, AStoppedRestoreGoesOnWhereItStopped) {
  RichInstallation r;
  Boxes boxes(IDOK);
  const test::TreeSnapshot my = SnapshotTree(r.MyDir());
  const int row = RichInstallation::RowEndingWith(r.My().TargetPaths, L"\\notes.txt");
  std::optional<DeletePlan> plan =
      PlanDelete(r.My(), &r.New(), ItemKind::NonExecutable, static_cast<size_t>(row), L"");
  ASSERT_TRUE(plan);
  ASSERT_EQ(RunDelete(r.My(), r.Backup(), *plan), DeleteOutcome::Deleted);
  const std::wstring folder = r.Backup().Dir;

  HANDLE inUse = ::CreateFileW((folder + L"notes.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
  EXPECT_EQ(RestoreDeletedFolder(folder, r.Backup()), RestoreFailure::Item);
  ::CloseHandle(inUse);
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_TRUE(boxes.texts[0].starts_with(L"Cant rename file!\n" + r.Path(L"notes.txt") + L"\n"))
      << "says which file and why";
  EXPECT_TRUE(platform::FileExists(folder + kMovedItemsFile));
  EXPECT_EQ(test::DescribeDifferences(my, SnapshotTree(r.MyDir())), L"removed notes.txt\n")
      << "every line is back already";

  EXPECT_EQ(RestoreDeletedFolder(folder, r.Backup()), RestoreFailure::None);
  EXPECT_EQ(test::DescribeDifferences(my, SnapshotTree(r.MyDir())), L"");
  EXPECT_FALSE(platform::PathExists(folder));
}

// A delete is all or nothing: a file that cannot be moved leaves the
// configuration as it was and no backup folder behind.
TEST(DeleteRestore, AMoveThatFailsChangesNothing) {
  RichInstallation r;
  Boxes boxes;
  const test::TreeSnapshot my = SnapshotTree(r.MyDir());
  const int row = RichInstallation::RowEndingWith(r.My().TargetPaths, L"\\notes.txt");
  std::optional<DeletePlan> plan =
      PlanDelete(r.My(), &r.New(), ItemKind::NonExecutable, static_cast<size_t>(row), L"");
  ASSERT_TRUE(plan);
  HANDLE inUse = ::CreateFileW(r.Path(L"notes.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(inUse, INVALID_HANDLE_VALUE);
  const DeleteOutcome outcome = RunDelete(r.My(), r.Backup(), *plan);
  ::CloseHandle(inUse);
  EXPECT_EQ(outcome, DeleteOutcome::MoveFailed);
  EXPECT_EQ(test::DescribeDifferences(my, SnapshotTree(r.MyDir())), L"");
  EXPECT_TRUE(Subfolders(r.StoreDir()).empty());
}

// A configuration file that cannot be replaced after the files were moved:
// the files come back, the files already written get their old bytes.
TEST(DeleteRestore, AnEditThatFailsPutsTheMovedFilesBack) {
  RichInstallation r;
  Boxes boxes;
  const test::TreeSnapshot my = SnapshotTree(r.MyDir());
  const int row = RichInstallation::RowEndingWith(r.My().TargetPaths, L"\\notes.txt");
  std::optional<DeletePlan> plan =
      PlanDelete(r.My(), &r.New(), ItemKind::NonExecutable, static_cast<size_t>(row), L"");
  ASSERT_TRUE(plan);
  // The main menu is written last; a read-only one cannot be replaced.
  const std::wstring menu = r.Path(L"LANGUAGE\\WCMD_ENG.MNU");
  ::SetFileAttributesW(menu.c_str(), FILE_ATTRIBUTE_READONLY);
  const DeleteOutcome outcome = RunDelete(r.My(), r.Backup(), *plan);
  ::SetFileAttributesW(menu.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(outcome, DeleteOutcome::EditFailed);
  EXPECT_EQ(test::DescribeDifferences(my, SnapshotTree(r.MyDir())), L"");
  EXPECT_TRUE(Subfolders(r.StoreDir()).empty());
}

TEST(DeletePlan, TheDirectoryGoesOnlyWhenItIsThePluginsOwn) {
  RichInstallation r;
  TTC& my = r.My();
  const std::wstring hex = r.Path(L"plugins\\wlx\\hex\\hex.wlx");
  test::TempDir outside;
  struct Case {
    const char* name;
    std::wstring dir;
    std::vector<std::wstring> files;
    bool whole;
  };
  const Case cases[] = {
      {"its own folder", r.Path(L"plugins\\wlx\\view"), {r.Path(L"plugins\\wlx\\view\\view.wlx")},
       true},
      {"another plugin lives there", r.Path(L"plugins\\wlx\\hex"), {hex}, false},
      {"a principal directory", r.Path(L"plugins\\wlx"), {r.Path(L"plugins\\wlx\\x.wlx")}, false},
      {"the program directory", r.MyDir(), {r.Path(L"x.wfx")}, false},
      {"a folder outside the installation", outside.Path(), {outside / L"x.wfx"}, false},
      {"holds a program a menu starts", r.Path(L"tools\\editor"), {r.Path(L"tools\\editor\\x.exe")},
       false},
      {"holds a configuration file", r.Path(L"Настройки"), {r.Path(L"Настройки\\x.wfx")}, false},
      {"a plugin folder with nothing else used", r.Path(L"plugins\\wdx\\size"),
       {r.Path(L"plugins\\wdx\\size\\size.wdx")}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(MayMoveDirectory(my, &r.New(), c.dir, c.files, L""), c.whole);
  }
  EXPECT_FALSE(MayMoveDirectory(my, &r.New(), r.Path(L"plugins\\wdx\\size"),
                                {r.Path(L"plugins\\wdx\\size\\size.wdx")},
                                r.Path(L"plugins\\wdx\\size\\Orvelle.wfx64")))
      << "the plugin's own folder never goes with another";
  // A plugin the New installation uses from My installation's folder.
  r.New().ListerPluginFiles.push_back(platform::LowerCase(r.Path(L"plugins\\wlx\\view\\extra.wlx")));
  EXPECT_FALSE(MayMoveDirectory(my, &r.New(), r.Path(L"plugins\\wlx\\view"),
                                {r.Path(L"plugins\\wlx\\view\\view.wlx")}, L""));
}

}  // namespace
}  // namespace orvelle

namespace orvelle {
namespace {

// Restoring a settings file keeps the one it replaces, which holds every
// setting changed since: restoring that gives it back byte for byte. Also
// with the store on another volume.
TEST(SettingsRestore, TheReplacedFileIsKeptAndComesBackByteForByte) {
  for (const std::wstring& storePlace : StorePlaces()) {
    SCOPED_TRACE(storePlace.empty() ? "store beside My installation" : "store on another volume");
    RichInstallation r(storePlace);
    Boxes boxes;
    const std::wstring ini = r.Path(L"wincmd.ini");
    const std::string first = test::ReadBytes(ini);
    ASSERT_TRUE(r.Backup().MakeBackup(r.My()));
    const std::wstring settings = r.Backup().Dir;
    const std::string later = first + std::string("[\0A\0d\0d\0e\0d\0]\0\r\0\n\0", 18);
    test::WriteBytes(ini, later);

    TVirtualTreeItem saved;
    saved.Path = L"\\Backup\\1.Total Commander\\";
    saved.Name = L"0.wincmd.ini";
    saved.MyFile = platform::ExcludeTrailingBackslash(settings);
    saved.IsBackupEntry = saved.RestoreSettings = true;
    const int index = r.Tree().Append(saved);
    RestoreContext ctx{r.Tree(), r.Backup(), nullptr, &r.My()};
    ASSERT_TRUE(RestoreSettingsFile(ctx, index, false));
    EXPECT_EQ(test::ReadBytes(ini), first);
    const std::wstring kept = r.Backup().Dir;
    ASSERT_NE(kept, settings);
    EXPECT_EQ(test::ReadBytes(kept + L"wincmd.ini"), later);

    EXPECT_EQ(RestoreDeletedFolder(kept, r.Backup()), RestoreFailure::None);
    EXPECT_EQ(test::ReadBytes(ini), later) << "the restore is undone";
    EXPECT_FALSE(platform::PathExists(kept));
    // The saved copy stays: it can be restored again.
    ASSERT_TRUE(RestoreSettingsFile(ctx, index, false));
    EXPECT_EQ(test::ReadBytes(ini), first);
    EXPECT_TRUE(boxes.texts.empty());
  }
}

}  // namespace
}  // namespace orvelle
