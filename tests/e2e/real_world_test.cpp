// Real users' configurations through the harness, as a user meets them: each
// one laid out as My installation (a stand-in library at every path it
// registers), one plugin of each kind deleted by opening its "Delete" entry
// and brought back from "\Backup"; and laid out as the New installation, one
// plugin of each kind added by opening its "Add" entry and taken out again.
// Each round trip gives the installations back byte for byte, and after the
// deletes every registration left still names a file.
#include "platform/strings.h"
#include "running_pair.h"
#include "support/process_runner.h"
#include "support/real_installations.h"
#include "support/running_pair.h"
#include "support/tree_snapshot.h"
#include "tc/ttc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace orvelle::e2e {
namespace {

using test::QuoteArg;
using Lines = std::vector<std::wstring>;

constexpr wchar_t kPluginFolder[] = L"plugins\\wfx\\Orvelle";
constexpr const wchar_t* kKindFolders[] = {L"\\Plugins\\WFX\\", L"\\Plugins\\WCX\\",
                                           L"\\Plugins\\WLX\\", L"\\Plugins\\WDX\\"};

// The first entry named `entry` of each kind folder, from a "tree" run.
Lines FirstEntryOfEachKind(const test::ProcessResult& tree, const std::wstring& entry) {
  Lines found;
  for (const wchar_t* kind : kKindFolders) {
    for (const std::wstring& line : tree.OutLines()) {
      const std::wstring path = line.substr(0, line.find(L'\t'));
      if (path.find(kind) != std::wstring::npos && path.ends_with(L"\\" + entry)) {
        found.push_back(path);
        break;
      }
    }
  }
  return found;
}

// The entries of "\Backup" that a "tree \Backup" printed, as paths.
std::set<std::wstring> BackupEntries(const test::ProcessResult& run) {
  const std::wstring prefix = L"\\Backup\\";
  std::set<std::wstring> entries;
  for (const std::wstring& line : run.OutLines()) {
    const std::wstring path = line.substr(0, line.find(L'\t'));
    if (path.starts_with(prefix) && path.find(L'\\', prefix.size()) == std::wstring::npos) {
      entries.insert(path);
    }
  }
  return entries;
}

bool HasOpened(const test::ProcessResult& run, const std::wstring& path) {
  return HasLine(run, L"exec " + path + L" open -> 0");
}

// The entries new since `before`, newest (highest number) first: the order
// in which they undo what was done.
Lines NewestFirst(const std::set<std::wstring>& now, const std::set<std::wstring>& before) {
  Lines added;
  for (const std::wstring& e : now) {
    if (!before.count(e)) added.push_back(e);
  }
  auto number = [](const std::wstring& path) {
    return std::wcstol(path.c_str() + std::wstring(L"\\Backup\\").size(), nullptr, 10);
  };
  std::sort(added.begin(), added.end(),
            [&](const std::wstring& a, const std::wstring& b) { return number(a) > number(b); });
  return added;
}

std::wstring Yeses(size_t count) {
  std::wstring answers = L"--answers yes";
  for (size_t i = 1; i < count; ++i) answers += L",yes";
  return answers;
}

std::wstring ExecAll(const Lines& paths) {
  std::wstring commands;
  for (const std::wstring& path : paths) commands += L" exec " + QuoteArg(path);
  return commands;
}

std::string Narrow(const std::wstring& text) { return platform::AnsiFromWide(text, CP_UTF8); }

// Whether the installation registers any plugin (one whose plugin sections
// are all redirected to missing files registers none).
bool RegistersPlugins(const test::LaidOut& laid) {
  const TTC model = laid.Model();
  return !model.FsPluginFiles.empty() || !model.PackerPluginFiles.empty() ||
         !model.ListerPluginFiles.empty() || !model.ContentPluginFiles.empty();
}

TEST(RealWorld, OnePluginOfEachKindDeletedAndRestoredThroughTheHarness) {
  size_t trips = 0;
  for (const test::RealInstallation& source : test::RealInstallations()) {
    SCOPED_TRACE(source.name);
    std::unique_ptr<test::LaidOut> laid;
    test::PairLayout layout;
    layout.change = [&](const std::wstring& my, const std::wstring&) {
      laid = std::make_unique<test::LaidOut>(source, my);
    };
    test::RunningPair pair(layout);
    ASSERT_TRUE(pair.Ready());
    auto mine = [&] {
      std::vector<test::TreeSnapshot> trees = laid->Snapshot();
      trees[0] = test::SnapshotTree(pair.MyDir(), {kPluginFolder});
      return trees;
    };
    // The first start backs the settings up and adds the saved searches:
    // the round trip is measured from after it.
    const test::ProcessResult first = pair.RunMy(L"tree \\");
    ASSERT_EQ(first.exitCode, 0u) << Narrow(first.ErrText());
    const Lines deletes = FirstEntryOfEachKind(first, L"Delete");
    if (!RegistersPlugins(*laid)) {
      EXPECT_EQ(deletes, Lines{});
      continue;
    }
    EXPECT_GE(deletes.size(), 2u) << Narrow(first.OutText());
    const auto before = mine();
    const test::TreeSnapshot others = test::SnapshotTree(pair.NewDir());

    const test::ProcessResult deleted =
        pair.RunMy(Yeses(deletes.size()) + L" list \\" + ExecAll(deletes) + L" tree \\Backup");
    ASSERT_EQ(deleted.exitCode, 0u) << Narrow(deleted.ErrText());
    for (const std::wstring& path : deletes) {
      EXPECT_TRUE(HasOpened(deleted, path)) << Narrow(path) << "\n" << Narrow(deleted.OutText());
    }
    EXPECT_NE(test::LaidOut::Differences(before, mine()), L"");
    EXPECT_EQ(laid->RegistrationsWithoutFile(), Lines{});

    const Lines restores = NewestFirst(BackupEntries(deleted), BackupEntries(first));
    EXPECT_EQ(restores.size(), deletes.size()) << Narrow(deleted.OutText());
    const test::ProcessResult restored =
        pair.RunMy(Yeses(restores.size()) + L" list \\Backup" + ExecAll(restores));
    ASSERT_EQ(restored.exitCode, 0u) << Narrow(restored.ErrText());
    EXPECT_EQ(test::LaidOut::Differences(before, mine()), L"") << Narrow(restored.OutText());
    EXPECT_EQ(test::DescribeDifferences(others, test::SnapshotTree(pair.NewDir())), L"")
        << "the New installation is never touched";
    trips += deletes.size();
  }
  std::cout << "[ deleted and restored " << trips << " plugins through the harness ]\n";
}

TEST(RealWorld, OnePluginOfEachKindAddedAndUndoneThroughTheHarness) {
  size_t trips = 0;
  for (const test::RealInstallation& source : test::RealInstallations()) {
    SCOPED_TRACE(source.name);
    std::unique_ptr<test::LaidOut> laid;
    test::PairLayout layout;
    layout.change = [&](const std::wstring&, const std::wstring& newDir) {
      laid = std::make_unique<test::LaidOut>(source, newDir);
    };
    test::RunningPair pair(layout);
    ASSERT_TRUE(pair.Ready());
    const test::ProcessResult first = pair.RunMy(L"tree \\");
    ASSERT_EQ(first.exitCode, 0u) << Narrow(first.ErrText());
    const Lines adds = FirstEntryOfEachKind(first, L"Add");
    if (!RegistersPlugins(*laid)) {
      EXPECT_EQ(adds, Lines{});
      continue;
    }
    EXPECT_GE(adds.size(), 2u) << Narrow(first.OutText());
    const test::TreeSnapshot before = test::SnapshotTree(pair.MyDir(), {kPluginFolder});
    const auto others = laid->Snapshot();

    const test::ProcessResult added =
        pair.RunMy(Yeses(adds.size()) + L" list \\" + ExecAll(adds) + L" pump 2 list \\ tree \\Backup");
    ASSERT_EQ(added.exitCode, 0u) << Narrow(added.ErrText());
    for (const std::wstring& path : adds) {
      EXPECT_TRUE(HasOpened(added, path)) << Narrow(path) << "\n" << Narrow(added.OutText());
    }
    EXPECT_NE(test::DescribeDifferences(before, test::SnapshotTree(pair.MyDir(), {kPluginFolder})),
              L"");

    const Lines undos = NewestFirst(BackupEntries(added), BackupEntries(first));
    EXPECT_EQ(undos.size(), adds.size()) << Narrow(added.OutText());
    const test::ProcessResult undone =
        pair.RunMy(Yeses(undos.size()) + L" list \\Backup" + ExecAll(undos));
    ASSERT_EQ(undone.exitCode, 0u) << Narrow(undone.ErrText());
    EXPECT_EQ(test::DescribeDifferences(before, test::SnapshotTree(pair.MyDir(), {kPluginFolder})),
              L"")
        << Narrow(undone.OutText());
    EXPECT_EQ(test::LaidOut::Differences(others, laid->Snapshot()), L"")
        << "the New installation is never touched";
    trips += adds.size();
  }
  std::cout << "[ added and undone " << trips << " plugins through the harness ]\n";
}

}  // namespace
}  // namespace orvelle::e2e
