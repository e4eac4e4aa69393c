#include "backup/backup.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tree/tree.h"
#include "support/temp_dir.h"
#include "tc/ttc.h"
#include "util/date_time.h"
#include "util/file_ops.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvelle {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;
using Lines = std::vector<std::wstring>;

Lines ReadLines(const std::wstring& path) {
  std::optional<TextDocument> doc = LoadTextFile(path);
  return doc ? doc->lines : Lines{};
}

std::vector<std::wstring> SubfolderNames(const std::wstring& dir) {
  std::vector<std::wstring> names;
  for (const platform::FileEntry& e : platform::EnumFiles(dir + L"\\*")) {
    if (e.IsDirectory()) names.push_back(e.name);
  }
  return names;
}

// The entries listed in a folder of the tree, as the listing finds them.
std::vector<const TVirtualTreeItem*> Listed(const VirtualTree& tree, const std::wstring& folder) {
  std::vector<const TVirtualTreeItem*> items;
  for (int order = 0;; ++order) {
    int i = tree.FindListed(folder, order);
    if (i < 0) break;
    items.push_back(&tree[i]);
  }
  return items;
}

TEST(BackupStamp, RoundTripsWithEitherSeparatorAndRejectsOtherNames) {
  const double value = 46366.5288215509;
  for (const wchar_t* separator : {L".", L","}) {
    SCOPED_TRACE(separator);
    std::wstring stamp = FormatStamp(value, separator);
    EXPECT_NE(stamp.find(separator), std::wstring::npos);
    std::optional<double> back = ParseStamp(stamp, separator);
    ASSERT_TRUE(back);
    EXPECT_NEAR(*back, value, 1e-9);
  }
  // A millisecond apart gives another folder name.
  const double ms = 1.0 / 86400000;
  EXPECT_NE(FormatStamp(value, L"."), FormatStamp(value + ms, L"."));
  EXPECT_EQ(FormatStamp(46366.0, L"."), L"46366");
  EXPECT_EQ(ParseStamp(L"46366", L"."), 46366.0);

  for (const wchar_t* bad : {L"", L"abc", L"1.2.3", L".5", L"5.", L"46366,5", L"4e5", L"-1"}) {
    EXPECT_FALSE(ParseStamp(bad, L".")) << bad;
  }
  EXPECT_FALSE(ParseStamp(L"46366.5", L",")) << "written in another locale";
}

std::wstring FolderNameFor(double stamp, wchar_t kind) {
  return FormatStamp(stamp, SystemDecimalSeparator()) + L"-" + kind;
}

struct StoreFixture {
  TempDir dir;
  std::wstring plugin = dir.Path() + L"\\";
  std::wstring store = dir / L"backup";
  VirtualTree tree;
  BackupIcons icons{reinterpret_cast<HICON>(1), reinterpret_cast<HICON>(2),
                    reinterpret_cast<HICON>(3)};

  std::wstring MakeFolder(double stamp, wchar_t kind) {
    std::wstring folder = store + L"\\" + FolderNameFor(stamp, kind);
    ::CreateDirectoryW(store.c_str(), nullptr);
    ::CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
  }
};

TEST(BackupStore, ListsFoldersByStampPrunesEmptyOnesAndSkipsForeignNames) {
  StoreFixture f;
  // The item a deleted-item folder describes still exists: its icon is asked for.
  const std::wstring item = f.dir / L"ftp.wfx";
  WriteBytes(item, "x");

  std::wstring deleted = f.MakeFolder(46002.25, L'd');
  WriteBytes(deleted + L"\\info.d", "c:\\gone\\ftp\\ftp.wfx\r\n");
  WriteBytes(deleted + L"\\index.d", "ftp:c:\\tc\\plugins\\ftp\r\n");
  std::wstring settings = f.MakeFolder(46001.5, L's');
  WriteBytes(settings + L"\\index.d", "0.wincmd.ini:c:\\tc\\wincmd.ini\r\n3.WCMD_ENG.MNU:c:\\tc\\LANGUAGE\\WCMD_ENG.MNU\r\n");
  std::wstring installed = f.MakeFolder(46003.75, L'i');
  WriteBytes(installed + L"\\info.i", "c:\\tc\\plugins\\wfx\\sftp\\sftp.wfx\r\n");
  WriteBytes(installed + L"\\index.i", "c:\\tc\\plugins\\wfx\\sftp\r\n");
  // Restored: only its info file is left, so it goes at the scan.
  std::wstring restored = f.MakeFolder(46000.5, L'd');
  WriteBytes(restored + L"\\info.d", "c:\\x\\y.wfx\r\n");
  // Not the store's: passed over and kept.
  f.MakeFolder(46004.5, L'q');
  ::CreateDirectoryW((f.store + L"\\notes").c_str(), nullptr);
  ::CreateDirectoryW((f.store + L"\\abc-d").c_str(), nullptr);
  WriteBytes(f.store + L"\\abc-d\\index.d", "x:y\r\n");

  {
    TBackup backup(f.plugin, f.tree, f.icons);
    EXPECT_FALSE(platform::DirectoryExists(restored));
    EXPECT_EQ(SubfolderNames(f.store).size(), 6u);
    EXPECT_EQ(backup.Kinds, (Lines{L"s", L"d", L"i"}));
    EXPECT_EQ(backup.ItemPaths,
              (Lines{L"", L"c:\\gone\\ftp\\ftp.wfx", L"c:\\tc\\plugins\\wfx\\sftp\\sftp.wfx"}));

    auto top = Listed(f.tree, L"\\Backup\\");
    ASSERT_EQ(top.size(), 3u);
    EXPECT_EQ(top[0]->Name, L"1.Total Commander");
    EXPECT_TRUE(top[0]->IsFolder);
    EXPECT_TRUE(top[0]->RestoreSettings);
    EXPECT_EQ(top[0]->Status, L"");
    EXPECT_EQ(top[0]->Info, FormatDateTime(46001.5) + L" - backup TCs settings on first start plugin");
    EXPECT_EQ(top[0]->MyFile, settings);
    EXPECT_EQ(top[0]->Icon, f.icons.Settings);
    EXPECT_EQ(top[1]->Name, L"2.ftp.wfx");
    EXPECT_EQ(top[1]->Status, L"!");
    EXPECT_TRUE(top[1]->RestoreDeleted);
    EXPECT_FALSE(top[1]->IsFolder);
    EXPECT_EQ(top[1]->Info, FormatDateTime(46002.25) + L" - deleted");
    EXPECT_EQ(top[1]->Icon, f.icons.Deleted) << "the item is gone: the default icon";
    EXPECT_EQ(top[2]->Name, L"3.sftp.wfx");
    EXPECT_EQ(top[2]->Status, L"*");
    EXPECT_TRUE(top[2]->RestoreInstalled);
    EXPECT_EQ(top[2]->Info, FormatDateTime(46003.75) + L" - installed");
    for (auto* e : top) {
      EXPECT_TRUE(e->IsBackupEntry);
      EXPECT_EQ(e->ParentIndex, 0);
    }

    auto saved = Listed(f.tree, L"\\Backup\\1.Total Commander\\");
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0]->Name, L"0.wincmd.ini");
    EXPECT_EQ(saved[0]->Info, L"c:\\tc\\wincmd.ini");
    EXPECT_EQ(saved[1]->Name, L"3.WCMD_ENG.MNU");
    EXPECT_TRUE(saved[1]->RestoreSettings);
    EXPECT_EQ(saved[1]->MyFile, settings);
  }
  // Gone with the object that made them.
  EXPECT_TRUE(Listed(f.tree, L"\\Backup\\").empty());
  EXPECT_TRUE(Listed(f.tree, L"\\Backup\\1.Total Commander\\").empty());
}

TEST(BackupStore, EntriesOfAnEarlierTreeAreLeftAloneWhenTheTreeWasRebuilt) {
  StoreFixture f;
  std::wstring installed = f.MakeFolder(46003.75, L'i');
  WriteBytes(installed + L"\\info.i", "c:\\a.wfx\r\nmore\r\n");
  WriteBytes(installed + L"\\index.i", "c:\\\r\n");
  auto backup = std::make_unique<TBackup>(f.plugin, f.tree, f.icons);
  ASSERT_EQ(f.tree.Count(), 1);
  f.tree.Clear();
  TVirtualTreeItem comparison;
  comparison.Path = L"\\";
  comparison.Name = L"totalcmd.exe";
  comparison.Order = 0;
  f.tree.Append(comparison);
  backup.reset();
  EXPECT_EQ(f.tree[0].Name, L"totalcmd.exe");
}

// Every listing of "\Backup" makes the store's entries anew; they take the
// slots the previous ones gave up, so refreshing never fills the tree.
TEST(BackupStore, ListingItAgainAndAgainReusesTheSameSlots) {
  StoreFixture f;
  std::wstring settings = f.MakeFolder(46001.5, L's');
  WriteBytes(settings + L"\\index.d", "0.wincmd.ini:c:\\tc\\wincmd.ini\r\n");
  std::wstring deleted = f.MakeFolder(46002.25, L'd');
  WriteBytes(deleted + L"\\info.d", "c:\\gone\\ftp\\ftp.wfx\r\n");
  WriteBytes(deleted + L"\\index.d", "ftp:c:\\tc\\ftp\r\n");
  auto backup = std::make_unique<TBackup>(f.plugin, f.tree, f.icons);
  const int count = f.tree.Count();
  EXPECT_EQ(count, 3);
  for (int i = 0; i < 100; ++i) {
    backup.reset();
    backup = std::make_unique<TBackup>(f.plugin, f.tree, f.icons);
  }
  EXPECT_EQ(f.tree.Count(), count);
  EXPECT_EQ(Listed(f.tree, L"\\Backup\\").size(), 2u);
  EXPECT_EQ(Listed(f.tree, L"\\Backup\\1.Total Commander\\").size(), 1u);
  EXPECT_GE(f.tree.FindTreeItem(L"\\Backup\\2.ftp.wfx"), 0);
}

TTC SettingsModel(const TempDir& dir) {
  TTC model(dir / L"tc\\totalcmd.exe");
  model.MainIniFile = dir / L"tc\\wincmd.ini";
  model.IniFile = model.MainIniFile;
  model.SectionFile[kSlotSearches] = dir / L"tc\\searches.ini";
  model.SectionFile[kSlotColors] = dir / L"tc\\missing.ini";
  model.ConfigPaths.mainmenu = dir / L"tc\\wcmd_eng.mnu";
  model.BarFiles = {dir / L"tc\\default.bar", dir / L"tc\\vertical.bar"};
  return model;
}

TEST(BackupSettings, ListsTheInstallationsFilesInGroupOrder) {
  TempDir dir;
  TTC model = SettingsModel(dir);
  model.ConfigPaths.languageini = L"c:\\tc\\language\\wcmd_deu.lng";
  model.LanguageIniFile = L"c:\\tc\\language\\wcmd_deu.ini";
  // A section kept in the configuration file itself, its path spelt in
  // another case: that file is saved once.
  model.SectionFile[1] = platform::UpperCase(model.MainIniFile);
  std::vector<SavedFile> files = SettingsFilesOf(model);
  Lines names;
  for (const SavedFile& f : files) names.push_back(f.SavedName);
  EXPECT_EQ(names, (Lines{L"0.wincmd.ini", L"0.5.searches.ini",
                          L"0.9.missing.ini", L"1.wcmd_deu.lng", L"2.wcmd_deu.ini",
                          L"3.wcmd_eng.mnu", L"4.default.bar", L"5.vertical.bar"}));
  EXPECT_EQ(files[5].SourcePath, dir / L"tc\\wcmd_eng.mnu");
}

TEST(BackupSettings, TakenOnceWithTheExistingFilesAndTheirIndex) {
  TempDir dir;
  ::CreateDirectoryW((dir / L"tc").c_str(), nullptr);
  ::CreateDirectoryW((dir / L"plugin").c_str(), nullptr);
  TTC model = SettingsModel(dir);
  WriteBytes(model.MainIniFile, "[Configuration]\r\n");
  WriteBytes(dir / L"tc\\searches.ini", "[searches]\r\n");
  WriteBytes(dir / L"tc\\wcmd_eng.mnu", "POPUP \"x\"\r\n");
  WriteBytes(dir / L"tc\\default.bar", "[Buttonbar]\r\n");
  VirtualTree tree;
  const std::wstring store = dir / L"plugin\\backup";
  {
    TBackup backup(dir / L"plugin", tree, {});
    ASSERT_TRUE(backup.MakeBackup(model));
    std::vector<std::wstring> folders = SubfolderNames(store);
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_TRUE(folders[0].ends_with(L"-s"));
    EXPECT_EQ(backup.Dir, store + L"\\" + folders[0] + L"\\");
    EXPECT_EQ(ReadLines(backup.Dir + L"index.d"),
              (Lines{L"0.wincmd.ini:" + model.MainIniFile,
                     L"0.5.searches.ini:" + dir / L"tc\\searches.ini",
                     L"3.wcmd_eng.mnu:" + dir / L"tc\\wcmd_eng.mnu",
                     L"4.default.bar:" + dir / L"tc\\default.bar"}));
    EXPECT_EQ(ReadBytes(backup.Dir + L"0.5.searches.ini"), "[searches]\r\n");
    EXPECT_FALSE(platform::PathExists(backup.Dir + L"0.9.missing.ini"));
  }
  // A later start takes none, also after the user removed the folder but kept
  // the store.
  {
    TBackup again(dir / L"plugin", tree, {});
    EXPECT_TRUE(again.MakeBackup(model));
    ASSERT_EQ(SubfolderNames(store).size(), 1u);
  }
  ASSERT_TRUE(DeleteDirectoryTree(store + L"\\" + SubfolderNames(store)[0], true));
  TBackup again(dir / L"plugin", tree, {});
  EXPECT_TRUE(again.MakeBackup(model));
  EXPECT_TRUE(SubfolderNames(store).empty());
}

TEST(BackupItem, RecordsWhereTheItemLiesAndFailsWithoutHalfMadeFolders) {
  TempDir dir;
  VirtualTree tree;
  TBackup backup(dir.Path(), tree, {});
  ASSERT_TRUE(backup.MakeBackup(BackupKind::Deleted, L"c:\\tc\\plugins\\wfx\\ftp\\ftp.wfx"));
  EXPECT_EQ(ReadLines(backup.Dir + L"info.d"), (Lines{backup.Dir + L"ftp\\ftp.wfx"}));
  const std::wstring first = backup.Dir;

  ASSERT_TRUE(backup.MakeBackup(BackupKind::Deleted, L"c:\\tc\\plugins\\wfx\\ftp\\ftp.wfx", true));
  EXPECT_EQ(ReadLines(backup.Dir + L"info.d"), (Lines{backup.Dir + L"ftp.wfx"}));
  EXPECT_NE(backup.Dir, first) << "each backup has its own folder";

  ASSERT_TRUE(backup.MakeBackup(BackupKind::Installed, L"c:\\tc\\plugins\\wfx\\sftp\\sftp.wfx"));
  EXPECT_TRUE(backup.Dir.ends_with(L"-i\\"));
  EXPECT_EQ(ReadLines(backup.Dir + L"info.i"), (Lines{L"c:\\tc\\plugins\\wfx\\sftp\\sftp.wfx"}));
  EXPECT_TRUE(backup.AppendLines(L"wincmd.ini.i", {L"[filesystemplugins]", L"sftp=c:\\x"}));
  EXPECT_TRUE(backup.AppendLines(L"wincmd.ini.i", {L"more"}));
  EXPECT_EQ(ReadLines(backup.Dir + L"wincmd.ini.i"),
            (Lines{L"[filesystemplugins]", L"sftp=c:\\x", L"more"}));

  // Backups within one clock tick, of one kind or another: none shares a
  // folder or a stamp with another, each stamp is the next free one, and
  // the store lists them in the order they were taken.
  // (A tick later than the backups above, which took the real clock.)
  backup.Clock = [] { return 80000.25; };
  const std::wstring separator = SystemDecimalSeparator();
  std::vector<std::wstring> stamps;
  for (const wchar_t* item : {L"c:\\a\\first.wfx", L"c:\\b\\second.wfx", L"c:\\c\\third.wfx"}) {
    const BackupKind kind = stamps.size() == 1 ? BackupKind::Installed : BackupKind::Deleted;
    ASSERT_TRUE(backup.MakeBackup(kind, item, true)) << item;
    ASSERT_TRUE(backup.AppendLines(L"index.d", {L"kept:" + std::wstring(item)}));
    const std::wstring name = platform::ExtractFileName(platform::ExcludeTrailingBackslash(backup.Dir));
    stamps.push_back(name.substr(0, name.find(L'-')));
  }
  std::vector<double> values;
  for (const std::wstring& stamp : stamps) {
    std::optional<double> value = ParseStamp(stamp, separator);
    ASSERT_TRUE(value) << "a stamp stays a number: " << stamp;
    values.push_back(*value);
  }
  EXPECT_EQ(values[0], 80000.25);
  EXPECT_EQ(stamps[1], FormatStamp(80000.2500000001, separator)) << "the smallest step";
  EXPECT_LT(values[1], values[2]);
  EXPECT_EQ(ReadLines(backup.Dir + L"info.d"), (Lines{backup.Dir + L"third.wfx"}));
  TBackup listed(dir.Path(), tree, {});
  ASSERT_GE(listed.Stamps.size(), 3u);
  EXPECT_EQ(Lines(listed.Stamps.end() - 3, listed.Stamps.end()), stamps);
  EXPECT_EQ(Lines(listed.Kinds.end() - 3, listed.Kinds.end()), (Lines{L"d", L"i", L"d"}));

  // A store that cannot be made: nothing is made, and no folder is current.
  TempDir other;
  WriteBytes(other / L"backup", "a file where the store would be");
  TBackup blocked(other.Path(), tree, {});
  EXPECT_FALSE(blocked.MakeBackup(BackupKind::Installed, L"c:\\x.wfx"));
  EXPECT_TRUE(blocked.Dir.empty());
  EXPECT_FALSE(blocked.AppendLines(L"x.d", {L"x"}));
}

TEST(BackupItem, MovedItemIsRecordedOnlyWhenTheMoveWorked) {
  TempDir dir;
  VirtualTree tree;
  TBackup backup(dir.Path(), tree, {});
  ::CreateDirectoryW((dir / L"ftp").c_str(), nullptr);
  WriteBytes(dir / L"ftp\\ftp.wfx", "plugin");
  ASSERT_TRUE(backup.MakeBackup(BackupKind::Deleted, dir / L"ftp\\ftp.wfx"));

  EXPECT_TRUE(backup.MoveDeletedItem(dir / L"ftp"));
  EXPECT_FALSE(platform::PathExists(dir / L"ftp"));
  EXPECT_EQ(ReadBytes(backup.Dir + L"ftp\\ftp.wfx"), "plugin");
  EXPECT_FALSE(backup.MoveDeletedItem(dir / L"nothing.wfx"));
  EXPECT_EQ(ReadLines(backup.Dir + L"index.d"), (Lines{L"ftp:" + dir / L"ftp"}));
}

TEST(BackupPrune, RemovesOnlyAFolderHoldingNothingButItsInfoFile) {
  struct Case {
    std::vector<const wchar_t*> files;
    bool removed;
  };
  const Case cases[] = {
      {{L"info.d"}, true},
      {{L"INFO.i"}, true},
      {{L"info.d", L"index.d"}, false},
      {{L"index.d"}, false},
      {{}, false},
  };
  for (const Case& c : cases) {
    TempDir dir;
    const std::wstring folder = dir / L"46000-d";
    ::CreateDirectoryW(folder.c_str(), nullptr);
    for (const wchar_t* name : c.files) WriteBytes(folder + L"\\" + name, "x");
    EXPECT_EQ(TBackup::PruneFolder(folder), c.removed) << c.files.size();
    EXPECT_EQ(platform::DirectoryExists(folder), !c.removed);
  }
}

}  // namespace
}  // namespace orvelle

namespace orvelle {
namespace {

// Several changes as one: the parts of a batch lie in its folder, the store
// lists the batch once with its count, one part is the single change it is,
// and none leaves nothing behind.
TEST(BackupBatch, PartsGoIntoOneFolderListedOnceWithTheirCount) {
  test::TempDir dir;
  VirtualTree tree;
  const std::wstring plugin = dir.Path() + L"\\";
  const std::wstring store = plugin + L"backup";
  {
    TBackup backup(plugin, tree, {});
    ASSERT_TRUE(backup.BeginBatch(BackupKind::Deleted, L"Delete selection", kBatchVerbDeleted));
    EXPECT_FALSE(backup.BeginBatch(BackupKind::Deleted, L"again", kBatchVerbDeleted))
        << "a batch is never nested";
    ASSERT_TRUE(backup.MakeBackup(BackupKind::Deleted, L"c:\\tc\\plugins\\wfx\\ftp\\ftp.wfx"));
    EXPECT_EQ(backup.Dir, backup.BatchDir() + L"0001-d\\");
    ASSERT_TRUE(backup.MakeBackup(BackupKind::Installed, L"c:\\tc\\plugins\\wlx\\md\\md.wlx"));
    EXPECT_EQ(backup.Dir, backup.BatchDir() + L"0002-i\\");
    const std::optional<BatchRecord> record = ReadBatchRecord(backup.BatchDir());
    ASSERT_TRUE(record);
    EXPECT_EQ(record->Verb, kBatchVerbDeleted);
    EXPECT_EQ(record->Parts, (std::vector<std::wstring>{L"0001-d", L"0002-i"}));
    const std::wstring folder = backup.EndBatch();
    EXPECT_FALSE(backup.InBatch());
    EXPECT_TRUE(IsBatchFolder(folder));
    EXPECT_EQ(SubfolderNames(store).size(), 1u);
  }
  {
    VirtualTree listed;
    TBackup backup(plugin, listed, {});
    ASSERT_EQ(backup.PartCounts, (std::vector<int>{2}));
    const std::vector<const TVirtualTreeItem*> entries = Listed(listed, L"\\Backup\\");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0]->Name, L"1.Delete selection");
    EXPECT_TRUE(entries[0]->Info.ends_with(L" - deleted 2 plugins")) << entries[0]->Info;

    // A batch of one becomes that part's own folder; a batch of none goes.
    ASSERT_TRUE(backup.BeginBatch(BackupKind::Deleted, L"Delete selection", kBatchVerbDeleted));
    ASSERT_TRUE(backup.MakeBackup(BackupKind::Deleted, L"c:\\tc\\plugins\\wcx\\iso\\iso.wcx"));
    ASSERT_TRUE(backup.AppendLines(L"index.d", {L"iso:c:\\tc\\plugins\\wcx\\iso"}));
    const std::wstring single = backup.EndBatch();
    EXPECT_FALSE(IsBatchFolder(single));
    EXPECT_EQ(ReadLines(single + L"info.d"), (Lines{single + L"iso\\iso.wcx"}))
        << "the part's records stay as they were written";
    EXPECT_TRUE(single.ends_with(L"-d\\"));
    ASSERT_TRUE(backup.BeginBatch(BackupKind::Installed, L"Add all", kBatchVerbInstalled));
    EXPECT_EQ(backup.EndBatch(), L"");
    EXPECT_EQ(SubfolderNames(store).size(), 2u);
  }
}

TEST(BackupBatch, ARecordNamingAnythingButItsOwnPartsIsNoBatch) {
  test::TempDir dir;
  for (const wchar_t* line : {L"part=..\\..\\windows-d", L"part=0001-s", L"part=-d",
                              L"part=0001-dd", L"part=00a1-i", L"other=1"}) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(line)));
    test::WriteBytes(dir / kBatchFile,
                     "verb=deleted\r\n" + platform::AnsiFromWide(line) + "\r\n");
    EXPECT_FALSE(ReadBatchRecord(dir.Path() + L"\\"));
  }
  test::WriteBytes(dir / kBatchFile, "verb=updated\r\npart=0001-d\r\npart=0012-i\r\n");
  ASSERT_TRUE(ReadBatchRecord(dir.Path() + L"\\"));
  EXPECT_EQ(ReadBatchRecord(dir.Path() + L"\\")->Parts.size(), 2u);
}

}  // namespace
}  // namespace orvelle
