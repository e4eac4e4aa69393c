// Updating a plugin of My installation through the harness: the fixture
// pair's FTP plugin (1.0 in My installation, 1.5 in the New one) is updated
// by opening its "Update" entry, choosing an option in the Update dialog and
// pressing "Update"; opening its backup in "\Backup" puts the old files back
// byte for byte.
#include "platform/fs.h"
#include "support/process_runner.h"
#include "support/running_pair.h"
#include "support/test_paths.h"
#include "support/tree_snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orvelle::e2e {
namespace {

using test::QuoteArg;

bool HasLine(const test::ProcessResult& run, const std::wstring& line) {
  std::vector<std::wstring> lines = run.OutLines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

size_t CountLinesStarting(const test::ProcessResult& run, const std::wstring& start) {
  std::vector<std::wstring> lines = run.OutLines();
  return static_cast<size_t>(std::count_if(
      lines.begin(), lines.end(), [&](const std::wstring& l) { return l.starts_with(start); }));
}

// My installation without the plugin's own folder (the store grows there).
test::TreeSnapshot MySnapshot(const test::RunningPair& pair) {
  return test::SnapshotTree(pair.MyDir(), {L"plugins\\wfx\\Orvelle"});
}

TEST(Update, AnOptionChosenInTheDialogReplacesThePluginsFilesAndTheBackupUndoesIt) {
  test::RunningPair pair;
  ASSERT_TRUE(pair.Ready());
  // The first start takes the settings backup and writes the plugin's saved
  // searches; what the update changes is measured from after it.
  test::ProcessResult first = pair.RunMy(L"list \\");
  ASSERT_EQ(first.exitCode, 0u) << first.ErrText();
  const test::TreeSnapshot my = MySnapshot(pair);
  const test::TreeSnapshot others = test::SnapshotTree(pair.NewDir());

  const std::wstring folder = L"\\totalcmd.exe\\Plugins\\WFX\\FTP";
  const std::wstring update = folder + L"\\Update";
  const std::wstring option = L"Copy with replace all files: \\ftp\\*.* -> \\ftp\\*.*";
  // The first dialog is closed with Escape, the second updates.
  test::ProcessResult run =
      pair.RunMy(L"--answers ok,ok --press \"\" --press " + QuoteArg(option + L";Update") +
                 L" list \\ exec " + QuoteArg(update) + L" exec " + QuoteArg(update) + L" list " +
                 QuoteArg(folder) + L" exec " + QuoteArg(update));
  ASSERT_EQ(run.exitCode, 0u) << run.ErrText();
  const std::wstring out = run.OutText();
  EXPECT_TRUE(HasLine(run, L"dialog \"FTP Update\"")) << out;
  EXPECT_TRUE(HasLine(run, L"  control Static \"Type of phisical file replace\"")) << out;
  EXPECT_TRUE(HasLine(run, L"  control ComboBox \"Replace whole directory: \\ftp -> \\ftp\""))
      << "the first option is chosen when it opens\n"
      << out;
  EXPECT_TRUE(HasLine(run, L"  control Button \"Update\"")) << out;
  EXPECT_TRUE(HasLine(run, L"  control Button \"Cancel\"")) << out;
  EXPECT_TRUE(HasLine(run, L"end dialog -> escape")) << out;
  // (The harness may find the closing dialog still there and add an
  // "escape" that no longer reaches it.)
  EXPECT_EQ(CountLinesStarting(run, L"end dialog -> press \"" + option + L"\", press \"Update\""),
            1u)
      << out;
  EXPECT_TRUE(HasLine(run, L"msgbox \"Orvelle\" \"Update successfull!\" -> ok")) << out;
  EXPECT_EQ(CountLinesStarting(run, L"dialog "), 2u)
      << "Escape changes nothing; a done entry opens no dialog\n" << out;
  EXPECT_TRUE(HasLine(run, L"msgbox \"Orvelle\" \"UPDATED!\" -> ok")) << out;
  EXPECT_GE(CountLinesStarting(run, L"reread "), 1u) << out;
  std::vector<std::wstring> lines = run.OutLines();
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::wstring& l) {
    return l.starts_with(L"Update\tf\t") && l.ends_with(L"\t*!\tUPDATED!");
  })) << out;
  for (const wchar_t* file : {L"ftp.wfx", L"ftp.wfx64"}) {
    EXPECT_EQ(test::ReadBytes(pair.MyDir() + L"\\plugins\\wfx\\ftp\\" + file),
              test::ReadBytes(pair.NewDir() + L"\\plugins\\wfx\\ftp\\" + file))
        << "New's 1.5 in My's folder";
  }
  EXPECT_NE(test::DescribeDifferences(my, MySnapshot(pair)), L"");

  test::ProcessResult restored =
      pair.RunMy(L"--answers yes list \\Backup exec \\Backup\\2.ftp.wfx list \\Backup");
  ASSERT_EQ(restored.exitCode, 0u) << restored.ErrText();
  EXPECT_TRUE(HasLine(restored, L"msgbox \"Orvelle\" \"Restore?\" -> yes")) << restored.OutText();
  EXPECT_EQ(test::DescribeDifferences(my, MySnapshot(pair)), L"");
  EXPECT_EQ(test::DescribeDifferences(others, test::SnapshotTree(pair.NewDir())), L"")
      << "the New installation is never touched";
}

}  // namespace
}  // namespace orvelle::e2e
