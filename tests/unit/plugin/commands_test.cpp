// Copying a compared file out of the plugin (FsGetFile in a content folder).
#include "plugin/commands.h"

#include "platform/fs.h"
#include "plugin/build_steps.h"
#include "plugin/entry.h"
#include "plugin/listing.h"
#include "plugin/state.h"
#include "support/temp_dir.h"
#include "unit/tc/tc_test_helpers.h"

#include <gtest/gtest.h>

#include <string>

namespace orvelle {
namespace {

int g_calls = 0;
int g_abortAt = 0;  // the call (from 1) that answers "abort"; 0: none
int g_lastPercent = -1;

int __stdcall Progress(int, char*, char*, int percent) {
  g_lastPercent = percent;
  return ++g_calls == g_abortAt ? 1 : 0;
}

class CopyOutTest : public testing::Test {
 protected:
  void SetUp() override {
    CreateState(nullptr);
    State().ListOperation = 0;  // a content folder was listed
    State().Host.ProgressCallback = HostProgress(0, &Progress);
    g_calls = 0;
    g_abortAt = 0;
    g_lastPercent = -1;
    test::WriteBytes(dir_ / L"my.bin", "my file");
    test::WriteBytes(dir_ / L"new.bin", "new file");
    Add(L"both", dir_ / L"my.bin", dir_ / L"new.bin");
    Add(L"only-new", dir_ / L"absent.bin", dir_ / L"new.bin");
    Add(L"neither", dir_ / L"absent.bin", dir_ / L"absent2.bin");
    TVirtualTreeItem text;
    text.Path = L"\\f\\";
    text.Name = L"text";
    text.CommandEntry = true;
    text.Order = State().Tree.Tree.Count();
    State().Tree.Tree.Append(std::move(text));
  }
  void TearDown() override { DestroyState(); }

  void Add(const std::wstring& name, const std::wstring& myFile, const std::wstring& newFile) {
    TVirtualTreeItem e;
    e.Path = L"\\f\\";
    e.Name = name;
    e.HasFiles = true;
    e.MyFile = myFile;
    e.NewFile = newFile;
    e.Order = State().Tree.Tree.Count();
    State().Tree.Tree.Append(std::move(e));
  }

  int Get(const std::wstring& name, const std::wstring& local, int flags) {
    return GetEntryFile(State(), L"\\f\\" + name, dir_ / local, flags);
  }

  test::TempDir dir_;
};

TEST_F(CopyOutTest, CopiesMyFileElseNewsAndNeverMovesIt) {
  EXPECT_EQ(Get(L"both", L"a", 0), 0);
  EXPECT_EQ(test::ReadBytes(dir_ / L"a"), "my file");
  EXPECT_EQ(g_lastPercent, 100);
  EXPECT_EQ(Get(L"only-new", L"b", 4), 0);
  EXPECT_EQ(test::ReadBytes(dir_ / L"b"), "new file");
  EXPECT_TRUE(platform::FileExists(dir_ / L"new.bin"));
  // Nothing to copy: "not found", and no file appears.
  EXPECT_EQ(Get(L"neither", L"c", 0), 2);
  EXPECT_EQ(Get(L"missing", L"c", 0), 2);
  EXPECT_FALSE(platform::PathExists(dir_ / L"c"));
  // An entry that stands for no file gives its description.
  EXPECT_EQ(Get(L"text", L"c", 0), 0);
  EXPECT_EQ(test::ReadBytes(dir_ / L"c").rfind("\xEF\xBB\xBF\\f\\text\r\n", 0), 0u);
}

// The host's copy flags on an existing local file: 1 overwrite, 2 resume,
// 4 move; 8 and 16 only tell how the local name is spelt.
TEST_F(CopyOutTest, FollowsTheCopyFlagsOnAnExistingLocalFile) {
  struct Case {
    int flags;
    int result;
    const char* content;
  };
  const Case cases[] = {
      {0, 1, "local"}, {4, 1, "local"},   {8, 1, "local"},    {16, 1, "local"},
      {2, 6, "local"}, {3, 6, "local"},   {6, 6, "local"},    {1, 0, "my file"},
      {5, 0, "my file"}, {9, 0, "my file"}, {17, 0, "my file"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "flags " << c.flags);
    test::WriteBytes(dir_ / L"local", "local");
    EXPECT_EQ(Get(L"both", L"local", c.flags), c.result);
    EXPECT_EQ(test::ReadBytes(dir_ / L"local"), c.content);
  }
}

TEST_F(CopyOutTest, AnAbortedCopyLeavesNoPartialFile) {
  std::string big(200000, 'x');
  test::WriteBytes(dir_ / L"my.bin", big);
  g_abortAt = 2;
  EXPECT_EQ(Get(L"both", L"partial", 0), 5);
  EXPECT_FALSE(platform::PathExists(dir_ / L"partial"));
  EXPECT_EQ(test::ReadBytes(dir_ / L"my.bin"), big);
}

TEST_F(CopyOutTest, AFailedCopyIsReportedAsAnError) {
  EXPECT_EQ(Get(L"both", L"no such folder\\a", 0), 4);
  // Another program holds the source open for writing and lets nobody read.
  platform::unique_hfile locked(::CreateFileW((dir_ / L"my.bin").c_str(), GENERIC_WRITE, 0, nullptr,
                                              OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(locked);
  EXPECT_EQ(Get(L"both", L"b", 0), 3);
  EXPECT_FALSE(platform::PathExists(dir_ / L"b"));
}

// While the "Restore?" question is open, the host handles a re-read and
// lists "\Backup", opens another entry and presses the delete key (a modal
// box keeps dispatching messages). None of it may release what the restore
// holds: the listing is served from the tree as it stands, the others are
// turned away as busy, and the restore then completes.
TEST(ReEntry, CallsWhileARestoreAsksLeaveItsStoreAndEntriesIntact) {
  CreateState(nullptr);
  test::TempDir plugin, home;
  PluginState& state = State();
  state.Identity.PluginDir = plugin.Path() + L"\\";
  const std::wstring item = home / L"tool.exe";
  test::WriteBytes(item, "the tool");
  RefreshBackupFolder(state);
  ASSERT_TRUE(state.Backup->MakeBackup(BackupKind::Deleted, item, true));
  ASSERT_TRUE(state.Backup->MoveDeletedItem(item));
  RefreshBackupFolder(state);
  ListedEntry first;
  ASSERT_EQ(FindFirstEntry(state, L"\\Backup", first), FindResult::Found);
  const std::wstring entry = L"\\Backup\\" + first.name;

  const TBackup* store = state.Backup.get();
  const int entries = state.Tree.Tree.Count();
  std::vector<std::wstring> asked;
  std::vector<std::wstring> listed;
  platform::MessageBoxHandler previous =
      platform::SetMessageBoxHandler([&](const std::wstring& text, UINT) {
        asked.push_back(text);
        if (asked.size() > 1) return IDOK;
        ListedEntry e;
        if (FindFirstEntry(state, L"\\Backup", e) == FindResult::Found) {
          do listed.push_back(e.name);
          while (FindNextEntry(state, e));
        }
        FindCloseListing(state);
        FindFirstEntry(state, L"\\", e);  // builds no comparison: the tree stays
        EXPECT_EQ(ExecuteEntry(state, entry, L"open"), host::FS_EXEC_ERROR);
        EXPECT_FALSE(DeleteEntry(state, entry));
        EXPECT_EQ(state.Backup.get(), store) << "the store the restore holds was rebuilt";
        EXPECT_EQ(state.Tree.Tree.Count(), entries);
        return IDYES;
      });
  EXPECT_EQ(ExecuteEntry(state, entry, L"open"), host::FS_EXEC_OK);
  platform::SetMessageBoxHandler(previous);
  ASSERT_FALSE(asked.empty());
  EXPECT_EQ(asked[0], L"Restore?");
  EXPECT_EQ(listed, std::vector<std::wstring>{first.name});
  EXPECT_EQ(test::ReadBytes(item), "the tool") << "the restore completed";
  EXPECT_EQ(state.OpenCommands, 0);
  DestroyState();
}

// FsFindFirst without a path, or with an empty one, is no listing of the
// root: nothing is built, nothing is written, the host gets the error value.
TEST(ReEntry, AnEmptyPathListsNothingAndBuildsNothing) {
  CreateState(nullptr);
  ListedEntry e;
  e.name = L"untouched";
  for (const wchar_t* path : {L"", L"abc"}) {
    EXPECT_EQ(FindFirstEntry(State(), path, e), FindResult::Empty) << path;
    EXPECT_FALSE(FindNextEntry(State(), e));
  }
  EXPECT_EQ(e.name, L"untouched");
  EXPECT_FALSE(State().MyModel) << "no comparison was started";
  EXPECT_FALSE(State().Tree.TreeBuilt);
  DestroyState();
}

}  // namespace
}  // namespace orvelle
