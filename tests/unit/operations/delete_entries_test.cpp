// The delete and the restores as the tree sees them: the question, the
// texts and flags of the entries, and what a second start does.
#include "backup/restore.h"
#include "operations/delete_operation.h"
#include "operations/operation_context.h"
#include "platform/fs.h"
#include "platform/message_box.h"
#include "rich_installation.h"
#include "support/tree_snapshot.h"
#include "tree/vars_conts.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::RichInstallation;

class DeleteEntriesTest : public testing::Test {
 protected:
  DeleteEntriesTest() {
    previous_ = platform::SetMessageBoxHandler([this](const std::wstring& text, UINT) {
      asked.push_back(text);
      return answer;
    });
  }
  ~DeleteEntriesTest() override { platform::SetMessageBoxHandler(previous_); }

  // A plugin folder as the comparison makes it, with its "Directory",
  // "Update" and "Delete" entries for a row of My model.
  int PluginFolder(const std::wstring& name, ItemKind kind, const std::wstring& file) {
    VirtualTree& tree = r.Tree();
    TVirtualTreeItem folder;
    folder.Order = tree.Count();
    folder.ParentIndex = -1;
    folder.IsFolder = true;
    folder.Name = name;
    folder.Path = L"\\";
    const int index = tree.Append(folder);
    int order = 0;
    for (const wchar_t* child : {texts::kDirectory, texts::kUpdateEntry, texts::kDeleteEntry}) {
      TVirtualTreeItem entry;
      entry.Order = order++;
      entry.ParentIndex = index;
      entry.Name = child;
      entry.Path = L"\\" + name + L"\\";
      if (std::wstring(child) == texts::kDeleteEntry) {
        entry.Action = 1;
        entry.ActionKind = static_cast<uint8_t>(kind);
        entry.ActionIndex = RichInstallation::RowEndingWith(ListOf(kind), file);
      }
      tree.Append(entry);
    }
    return index;
  }

  const std::vector<std::wstring>& ListOf(ItemKind kind) {
    return kind == ItemKind::ListerPlugin ? r.My().ListerPluginFiles : r.My().FsPluginFiles;
  }

  const TVirtualTreeItem& Entry(const std::wstring& path) {
    const int index = r.Tree().FindTreeItem(path);
    EXPECT_GE(index, 0) << path;
    return r.Tree()[index < 0 ? 0 : index];
  }

  bool Delete(const std::wstring& path, bool ask) {
    OperationContext ctx{r.Tree(), r.My(), &r.New(), r.Backup(), nullptr, r.PluginDir(), L"",
                         [this] { ++rereads; }};
    return StartDelete(ctx, r.Tree().FindTreeItem(path), ask);
  }

  size_t StoreFolders() {
    size_t n = 0;
    for (const platform::FileEntry& e : platform::EnumFiles(r.StoreDir() + L"\\*")) {
      n += e.IsDirectory() ? 1 : 0;
    }
    return n;
  }

  RichInstallation r;
  std::vector<std::wstring> asked;
  int answer = IDNO;
  int rereads = 0;

 private:
  platform::MessageBoxHandler previous_;
};

TEST_F(DeleteEntriesTest, NoChangesNothingYesDeletesOnceAndTheEntriesSaySo) {
  PluginFolder(L"view.wlx", ItemKind::ListerPlugin, L"view\\view.wlx");
  const test::TreeSnapshot before = test::SnapshotTree(r.MyDir());

  EXPECT_FALSE(Delete(L"\\view.wlx\\Delete", true));
  EXPECT_EQ(asked, std::vector<std::wstring>{L"Delete?"});
  EXPECT_EQ(test::DescribeDifferences(before, test::SnapshotTree(r.MyDir())), L"");
  EXPECT_EQ(StoreFolders(), 0u) << "no backup folder for a No";
  EXPECT_EQ(Entry(L"\\view.wlx\\Delete").Info, L"");
  EXPECT_EQ(rereads, 0);

  answer = IDYES;
  EXPECT_TRUE(Delete(L"\\view.wlx\\Delete", true));
  EXPECT_EQ(StoreFolders(), 1u);
  EXPECT_EQ(rereads, 1);
  for (const wchar_t* path :
       {L"\\view.wlx", L"\\view.wlx\\Delete", L"\\view.wlx\\Directory", L"\\view.wlx\\Update"}) {
    SCOPED_TRACE(path);
    EXPECT_EQ(Entry(path).Info, L"DELETED!");
    EXPECT_EQ(Entry(path).Status, L"*!");
    EXPECT_TRUE(Entry(path).Done);
  }

  // A done entry starts nothing, asked or not.
  asked.clear();
  EXPECT_FALSE(Delete(L"\\view.wlx\\Delete", true));
  EXPECT_FALSE(Delete(L"\\view.wlx\\Delete", false));
  EXPECT_TRUE(asked.empty());
  EXPECT_EQ(StoreFolders(), 1u);
}

TEST_F(DeleteEntriesTest, OnlyTheFileOfASharedDirectoryAndARegistrationAlreadyGone) {
  answer = IDYES;
  PluginFolder(L"hex.wlx", ItemKind::ListerPlugin, L"hex\\hex.wlx");
  EXPECT_TRUE(Delete(L"\\hex.wlx\\Delete", false));
  EXPECT_TRUE(asked.empty()) << "the host's delete key asked already";
  EXPECT_EQ(Entry(L"\\hex.wlx\\Directory").Info, L"DELETED! Cant replace directory! Only file!");
  EXPECT_EQ(Entry(L"\\hex.wlx").Info, L"DELETED!");

  // FTP and its 64-bit twin share one registration: once one is deleted the
  // other finds nothing left to remove, and nothing is made or moved for it.
  PluginFolder(L"FTP", ItemKind::FileSystemPlugin, L"ftp\\ftp.wfx");
  PluginFolder(L"FTP64", ItemKind::FileSystemPlugin, L"ftp\\ftp.wfx64");
  EXPECT_TRUE(Delete(L"\\FTP\\Delete", false));
  const size_t folders = StoreFolders();
  EXPECT_FALSE(Delete(L"\\FTP64\\Delete", false));
  EXPECT_EQ(Entry(L"\\FTP64\\Delete").Info, L"Necessary string(s) already missing!");
  EXPECT_EQ(Entry(L"\\FTP64").Info, L"ERROR! NOT DELETED!");
  EXPECT_FALSE(Entry(L"\\FTP64\\Delete").Done) << "a failed delete may be tried again";
  EXPECT_EQ(StoreFolders(), folders);
}

TEST_F(DeleteEntriesTest, RestoringFromTheBackupEntryPutsBackAndSaysRestored) {
  answer = IDYES;
  PluginFolder(L"view.wlx", ItemKind::ListerPlugin, L"view\\view.wlx");
  const test::TreeSnapshot before = test::SnapshotTree(r.MyDir());
  ASSERT_TRUE(Delete(L"\\view.wlx\\Delete", false));

  // The "\Backup" folder as a listing of it shows it.
  TBackup listed(r.PluginDir(), r.Tree(), BackupIcons{});
  const int entry = r.Tree().FindTreeItem(L"\\Backup\\1.view.wlx");
  ASSERT_GE(entry, 0);
  EXPECT_TRUE(r.Tree()[entry].RestoreDeleted);
  RestoreContext ctx{r.Tree(), listed, [this] { ++rereads; }};
  asked.clear();
  EXPECT_TRUE(RestoreDeletedItem(ctx, entry));
  EXPECT_EQ(asked, std::vector<std::wstring>{L"Restore?"});
  EXPECT_EQ(r.Tree()[entry].Info, L"Restored!");
  EXPECT_FALSE(r.Tree()[entry].RestoreDeleted);
  EXPECT_EQ(test::DescribeDifferences(before, test::SnapshotTree(r.MyDir())), L"");
  EXPECT_EQ(StoreFolders(), 0u);
}

TEST_F(DeleteEntriesTest, ASettingsFileCanBeRestoredAgainAndAgain) {
  answer = IDYES;
  ASSERT_TRUE(r.Backup().MakeBackup(r.My()));
  TBackup listed(r.PluginDir(), r.Tree(), BackupIcons{});
  const std::wstring ini = r.Path(L"Настройки\\user.ini");
  const std::string saved = test::ReadBytes(ini);
  int entry = -1;
  for (int i = 0; i < r.Tree().Count(); ++i) {
    const TVirtualTreeItem& e = r.Tree()[i];
    if (e.RestoreSettings && !e.IsFolder && e.Info == ini) entry = i;
  }
  ASSERT_GE(entry, 0);
  RestoreContext ctx{r.Tree(), listed, [this] { ++rereads; }};
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    test::WriteBytes(ini, "changed by the host");
    asked.clear();
    EXPECT_TRUE(RestoreSettingsFile(ctx, entry));
    EXPECT_EQ(asked, std::vector<std::wstring>{L"Restore user.ini?"});
    EXPECT_EQ(test::ReadBytes(ini), saved);
    EXPECT_EQ(r.Tree()[entry].Info, L"Restored!");
  }
  answer = IDNO;
  test::WriteBytes(ini, "kept");
  EXPECT_FALSE(RestoreSettingsFile(ctx, entry));
  EXPECT_EQ(test::ReadBytes(ini), "kept");
}

TEST(RestorePaths, OnlyPlainFullPathsAreWrittenTo) {
  for (const wchar_t* good : {L"c:\\tc\\wincmd.ini", L"\\\\server\\share\\x.ini", L"D:\\a b\\c"}) {
    EXPECT_TRUE(IsPlainFullPath(good)) << good;
  }
  for (const wchar_t* bad : {L"", L"wincmd.ini", L"c:wincmd.ini", L"\\tc\\x", L"c:\\tc\\..\\x",
                             L"c:\\tc\\.\\x", L"c:\\tc\\..", L"\\\\?\\c:\\x", L"c:/tc/x",
                             L"\\\\.\\pipe\\x"}) {
    EXPECT_FALSE(IsPlainFullPath(bad)) << bad;
  }
}

}  // namespace
}  // namespace orvelle
