#include "compare/run_comparison.h"
#include "tree/vars_conts.h"
#include "support/deep_tree.h"
#include "unit/compare/compare_fixture.h"
#include "util/file_faults.h"
#include "util/task_pool.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <optional>

namespace orvelle::test {
namespace {

// Gives a file the last-write time of another, so that only content decides.
void CopyTime(const std::wstring& from, const std::wstring& to) {
  auto entry = platform::GetFileEntry(from);
  ASSERT_TRUE(entry.has_value());
  platform::unique_hfile file(::CreateFileW(to.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  ASSERT_TRUE(::SetFileTime(file.get(), nullptr, nullptr, &entry->lastWrite));
}

std::vector<std::wstring> Sorted(std::vector<std::wstring> v) {
  std::sort(v.begin(), v.end());
  return v;
}

class CompareDirectoriesTest : public testing::Test {
 protected:
  void SetUp() override {
    f.File(L"new\\pkg\\same.txt", "abc");
    f.File(L"my\\pkg\\same.txt", "abc");
    std::wstring a = f.File(L"new\\pkg\\diff.txt", "abc");
    std::wstring b = f.File(L"my\\pkg\\diff.txt", "abd");
    CopyTime(a, b);
    f.File(L"new\\pkg\\Case.TXT", "c", false);
    f.File(L"my\\pkg\\case.txt", "c", false);
    f.File(L"new\\pkg\\newonly.txt");
    f.File(L"my\\pkg\\myonly.txt");
    f.File(L"new\\pkg\\Sub\\inner.txt", "i");
    f.File(L"my\\pkg\\Sub\\inner.txt", "i");
    f.File(L"new\\pkg\\Sub\\Deeper\\deep.txt", "d");
    f.File(L"new\\pkg\\NewSub\\a.txt");
    f.Dir(L"my\\pkg\\MySub");
    newDir = f.Path(L"new\\pkg");
    myDir = f.Path(L"my\\pkg\\");
    AppendParent();
  }

  void AppendParent() {
    TVirtualTreeItem parent;
    parent.Order = 0;
    parent.ParentIndex = f.Ctx().InstIndex;
    parent.IsFolder = true;
    parent.Name = L"Directory";
    parent.Path = kInstPath;
    parentIndex = f.Tree().Append(parent);
  }

  std::wstring Run(const std::wstring& mode) {
    return CompareDirectories(f.Ctx(), mode, myDir, newDir, parentIndex, dirPath);
  }

  CompareFixture f;
  std::wstring newDir, myDir;
  int parentIndex = -1;
  const std::wstring dirPath = kInstPath + L"Directory\\";
};

TEST_F(CompareDirectoriesTest, BothSidesFilesThenSubdirectoriesRecursively) {
  EXPECT_EQ(Run(L""), L"!*<>=");
  // Files, then folders; each: in both (by name), New's only, My's only.
  EXPECT_EQ(f.Listing(dirPath),
            (std::vector<std::wstring>{L"Case.TXT|=", L"diff.txt|<>", L"same.txt|=",
                                       L"newonly.txt|*", L"myonly.txt|!", L"Sub|*=", L"NewSub|*",
                                       L"MySub|!"}));
  EXPECT_EQ(f.Listing(dirPath + L"Sub\\"), (std::vector<std::wstring>{L"inner.txt|=", L"Deeper|*"}));
  EXPECT_EQ(f.Listing(dirPath + L"Sub\\Deeper\\"), std::vector<std::wstring>{L"deep.txt|*"});
  EXPECT_EQ(f.Listing(dirPath + L"NewSub\\"), std::vector<std::wstring>{L"a.txt|*"});
  EXPECT_TRUE(f.Listing(dirPath + L"MySub\\").empty()) << "an empty one-sided folder";

  const TVirtualTreeItem& same = f.At(dirPath + L"same.txt");
  EXPECT_TRUE(same.HasFiles);
  EXPECT_EQ(same.Info, L"");
  EXPECT_EQ(same.SizeLow, 3u);
  EXPECT_EQ(f.Lower(same.NewFile), f.Lower(f.Path(L"new\\pkg\\same.txt")));
  EXPECT_EQ(f.Lower(same.MyFile), f.Lower(f.Path(L"my\\pkg\\same.txt")));
  EXPECT_NE(f.At(dirPath + L"diff.txt").Info, L"");
  EXPECT_EQ(f.At(dirPath + L"myonly.txt").NewFile, L"");
  EXPECT_EQ(f.At(dirPath + L"newonly.txt").MyFile, L"");
  const TVirtualTreeItem& sub = f.At(dirPath + L"Sub");
  EXPECT_TRUE(sub.IsFolder);
  EXPECT_TRUE(sub.ContentFolder);
  EXPECT_EQ(sub.ParentIndex, parentIndex);
  EXPECT_EQ(f.At(dirPath + L"Sub\\inner.txt").ParentIndex, f.Tree().FindTreeItem(dirPath + L"Sub"));
}

TEST_F(CompareDirectoriesTest, OneSidedModesListOnlyThatSide) {
  struct Case {
    std::wstring mode, sign;
    std::vector<std::wstring> listing;
  };
  const Case cases[] = {
      {L"*", L"*",
       {L"same.txt|*", L"diff.txt|*", L"Case.TXT|*", L"newonly.txt|*", L"Sub|*", L"NewSub|*"}},
      {L"!", L"!",
       {L"same.txt|!", L"diff.txt|!", L"case.txt|!", L"myonly.txt|!", L"Sub|!", L"MySub|!"}},
  };
  for (const Case& c : cases) {
    f.Tree().Clear();
    AppendParent();
    EXPECT_EQ(Run(c.mode), c.sign) << c.mode;
    EXPECT_EQ(Sorted(f.Listing(dirPath)), Sorted(c.listing)) << c.mode;
  }
}

TEST_F(CompareDirectoriesTest, CaretModeComparesFilesOnly) {
  EXPECT_EQ(Run(L"^"), L"!*<>=");
  EXPECT_EQ(Sorted(f.Listing(dirPath)),
            Sorted({L"same.txt|=", L"diff.txt|<>", L"Case.TXT|=", L"newonly.txt|*",
                    L"myonly.txt|!"}));
  EXPECT_FALSE(f.Has(dirPath + L"Sub"));
}

TEST_F(CompareDirectoriesTest, MissingDirectoriesGiveEqualAndNoEntries) {
  int before = f.Tree().Count();
  EXPECT_EQ(CompareDirectories(f.Ctx(), L"", f.Path(L"my\\none"), f.Path(L"new\\none"),
                               parentIndex, dirPath),
            L"=");
  EXPECT_EQ(CompareDirectories(f.Ctx(), L"", L"", L"", parentIndex, dirPath), L"=");
  EXPECT_EQ(f.Tree().Count(), before);
}

TEST_F(CompareDirectoriesTest, StopsAtCancelAndAtAFullTree) {
  // Refreshing the display every 64 files: a directory of 100 files asks the
  // host once, and a cancel there stops the comparison.
  for (int i = 0; i < 100; ++i) {
    std::wstring name = L"many\\f" + std::to_wstring(i) + L".txt";
    f.File(L"new\\" + name);
    f.File(L"my\\" + name);
  }
  int calls = 0;
  f.Progress().Callback = [&](const std::wstring&, const std::wstring&, int) {
    ++calls;
    return 1;
  };
  CompareDirectories(f.Ctx(), L"", f.Path(L"my\\many"), f.Path(L"new\\many"), parentIndex,
                     dirPath);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(f.Progress().Cancelled);
  EXPECT_EQ(f.Listing(dirPath).size(), 64u);

  CompareFixture full;
  while (full.Tree().Append(TVirtualTreeItem{}) >= 0) {
  }
  EXPECT_EQ(CompareDirectories(full.Ctx(), L"", myDir, newDir, 0, dirPath), L"=");
}

// Every entry with what the listing and the file dialogs show of it.
std::vector<std::wstring> Entries(const VirtualTree& tree) {
  std::vector<std::wstring> out;
  for (int i = 0; i < tree.Count(); ++i) {
    const TVirtualTreeItem& e = tree[i];
    out.push_back(e.Path + e.Name + L"|" + std::to_wstring(e.Order) + L"|" +
                  std::to_wstring(e.ParentIndex) + L"|" + e.Status + L"|" + e.Info + L"|" +
                  e.NewFile + L"|" + e.MyFile + L"|" + std::to_wstring(e.SizeLow) + L"|" +
                  std::to_wstring(e.Attributes) + L"|" + (e.IsFolder ? L"d" : L"f"));
  }
  return out;
}

// Reading ahead on worker threads changes nothing in the tree: the same
// entries in the same places, whatever the mode.
TEST_F(CompareDirectoriesTest, WorkerThreadsMakeTheSameTree) {
  for (int i = 0; i < 30; ++i) {
    const std::wstring n = std::to_wstring(i);
    f.File(L"new\\pkg\\Sub\\s" + n + L".txt", "same");
    f.File(L"my\\pkg\\Sub\\s" + n + L".txt", i % 3 == 0 ? "diff" : "same");
    f.File(L"new\\pkg\\D" + n + L"\\x.txt", "x");
    if (i % 2 == 0) f.File(L"my\\pkg\\D" + n + L"\\x.txt", "x");
  }
  for (const wchar_t* mode : {L"", L"*", L"!", L"^"}) {
    SCOPED_TRACE(testing::Message() << "mode \"" << mode << "\"");
    f.Tree().Clear();
    AppendParent();
    const std::wstring alone = Run(mode);
    const std::vector<std::wstring> expected = Entries(f.Tree());
    for (int threads : {2, 4}) {
      TaskPool pool(threads);
      f.Ctx().Reads = &pool;
      f.Tree().Clear();
      AppendParent();
      EXPECT_EQ(Run(mode), alone) << threads;
      EXPECT_EQ(Entries(f.Tree()), expected) << threads;
      f.Ctx().Reads = nullptr;
    }
  }
}

// A cancel stops the workers too: once the pool has stopped, no worker
// starts another folder (each may finish the one it is listing).
TEST_F(CompareDirectoriesTest, ACancelStopsTheWorkers) {
  for (int i = 0; i < 100; ++i) {
    std::wstring name = L"many\\f" + std::to_wstring(i) + L".txt";
    f.File(L"new\\" + name);
    f.File(L"my\\" + name);
  }
  for (int i = 0; i < 40; ++i) {
    std::wstring name = L"many\\sub" + std::to_wstring(i) + L"\\deeper\\f.txt";
    f.File(L"new\\" + name);
    f.File(L"my\\" + name);
  }
  std::atomic<int> listedAfterStop{0};
  std::optional<TaskPool> pool;
  pool.emplace(4);
  FileFaultHook previous = SetFileFaultHook([&](FileStep step, const std::wstring&) {
    if (step == FileStep::ListFolder && pool->Stopped()) ++listedAfterStop;
    return false;
  });
  f.Ctx().Reads = &*pool;
  f.Progress().Callback = [](const std::wstring&, const std::wstring&, int) { return 1; };
  CompareDirectories(f.Ctx(), L"", f.Path(L"my\\many"), f.Path(L"new\\many"), parentIndex,
                     dirPath);
  EXPECT_TRUE(f.Progress().Cancelled);
  EXPECT_TRUE(pool->Stopped());
  // The same 64 entries as without workers (the refresh comes after 64).
  EXPECT_EQ(f.Listing(dirPath).size(), 64u);
  f.Ctx().Reads = nullptr;
  pool.reset();  // joins the workers, which may still be in the hook
  SetFileFaultHook(previous);
  // Each of the three workers was listing at most one folder pair.
  EXPECT_LE(listedAfterStop.load(), 2 * 3);
}

// A folder of an installation that cannot be read (access denied; here the
// listing is made to fail as the system fails it) is no empty folder.
TEST_F(CompareDirectoriesTest, UnreadableFoldersSaySoAndAreNeverEqual) {
  struct Case {
    const char* label;
    std::wstring unreadable;  // the folder whose listing fails
    std::wstring entry;       // the entry that carries the comment
  };
  const Case cases[] = {
      {"a subfolder on My side", f.Path(L"my\\pkg\\Sub\\"), dirPath + L"Sub"},
      {"the compared folder itself", f.Path(L"new\\pkg\\"), L""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    f.Tree().Clear();
    AppendParent();
    const std::wstring failing = f.Lower(c.unreadable);
    FileFaultHook previous = SetFileFaultHook([&](FileStep step, const std::wstring& path) {
      return step == FileStep::ListFolder && f.Lower(path) == failing;
    });
    const std::wstring result = Run(L"");
    SetFileFaultHook(previous);
    EXPECT_NE(result.find(L'?'), std::wstring::npos) << result;
    const TVirtualTreeItem& carrier = c.entry.empty() ? f.Tree()[parentIndex] : f.At(c.entry);
    EXPECT_TRUE(carrier.Info.starts_with(texts::kFolderUnreadable)) << carrier.Info;
    EXPECT_NE(f.Lower(carrier.Info).find(failing), std::wstring::npos) << carrier.Info;
    if (!c.entry.empty()) {
      EXPECT_EQ(carrier.Status.find(L'='), std::wstring::npos) << carrier.Status;
      EXPECT_NE(carrier.Status.find(L'?'), std::wstring::npos) << carrier.Status;
    }
  }
}

// Folders nested past MAX_PATH are read through their long form.
TEST_F(CompareDirectoriesTest, FoldersPastMaxPathAreCompared) {
  std::wstring deep;
  while (f.Path(L"new\\deep\\" + deep).size() < 300) deep += std::wstring(40, L'd') + L"\\";
  f.File(L"new\\deep\\" + deep + L"same.txt", "abc");
  std::wstring my = f.File(L"my\\deep\\" + deep + L"same.txt", "abc");
  CopyTime(f.Path(L"new\\deep\\" + deep + L"same.txt"), my);
  f.Tree().Clear();
  AppendParent();
  EXPECT_EQ(CompareDirectories(f.Ctx(), L"", f.Path(L"my\\deep\\" + deep),
                               f.Path(L"new\\deep\\" + deep), parentIndex, dirPath),
            L"=");
  EXPECT_EQ(f.Listing(dirPath), std::vector<std::wstring>{L"same.txt|="});
}

// A folder tree nested hundreds of levels deep: the comparison stops at a
// depth no plugin reaches, says so in an entry, and needs no stack per level.
TEST_F(CompareDirectoriesTest, TreesNestedTooDeepGiveAnEntryThatSaysSo) {
  const std::wstring deepest = MakeDeepTree(f.Path(L"new\\nest"), 300);
  ASSERT_FALSE(deepest.empty());
  f.Tree().Clear();
  AppendParent();
  std::wstring result;
  RunOnSmallStack([&] {
    result = CompareDirectories(f.Ctx(), L"*", L"", f.Path(L"new\\nest"), parentIndex, dirPath);
  });
  EXPECT_NE(result.find(L'?'), std::wstring::npos) << result;
  int tooDeep = 0;
  for (int i = 0; i < f.Tree().Count(); ++i) {
    const TVirtualTreeItem& item = f.Tree()[i];
    if (item.Info.starts_with(texts::kFolderTooDeep)) {
      ++tooDeep;
      EXPECT_EQ(item.Status, L"?");
      EXPECT_TRUE(item.IsFolder);
    }
  }
  EXPECT_EQ(tooDeep, 1);
}

TEST(LongPathForm, OnlyLongFullPathsGetThePrefix) {
  const std::wstring longTail = std::wstring(250, L'x');
  EXPECT_EQ(platform::LongPathForm(L"c:\\short\\dir\\"), L"c:\\short\\dir\\");
  EXPECT_EQ(platform::LongPathForm(L"c:\\" + longTail), L"\\\\?\\c:\\" + longTail);
  EXPECT_EQ(platform::LongPathForm(L"c:/a/../" + longTail), L"\\\\?\\c:\\" + longTail);
  EXPECT_EQ(platform::LongPathForm(L"\\\\server\\share\\" + longTail),
            L"\\\\?\\UNC\\server\\share\\" + longTail);
  EXPECT_EQ(platform::LongPathForm(L"\\\\?\\c:\\" + longTail), L"\\\\?\\c:\\" + longTail);
  EXPECT_EQ(platform::LongPathForm(L"relative\\" + longTail), L"relative\\" + longTail);
}

}  // namespace
}  // namespace orvelle::test
