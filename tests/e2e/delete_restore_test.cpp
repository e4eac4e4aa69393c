// Deleting from My installation and restoring it, through the harness: the
// fixture pair's My installation loads the plugin, a plugin is deleted by
// opening its "Delete" entry and a document by the host's delete key, and
// opening their entries in "\Backup" puts every file back byte for byte.
#include "platform/fs.h"
#include "platform/strings.h"
#include "support/fixture_pair.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"
#include "support/tree_snapshot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orvelle::e2e {
namespace {

using test::QuoteArg;

// The fixture pair with the New installation running idle and the plugin in
// My installation's plugin folder (where its backup store goes).
class RunningPair {
 public:
  RunningPair() {
    test::PreparePairInstallation(L"my", my_);
    test::PreparePairInstallation(L"new", new_);
    plugin_ = my_ + L"\\" + kPluginFolder + L"\\" + ORVELLE_PLUGIN_FILE;
    test::CreateDirectories(platform::ExtractFileDir(plugin_));
    ::CopyFileW(test::BuiltFile(ORVELLE_PLUGIN_FILE).c_str(), plugin_.c_str(), FALSE);
    std::wstring error;
    auto idle = test::BackgroundProcess::Start(QuoteArg(new_ + L"\\totalcmd.exe") + L" /i=" +
                                                   QuoteArg(new_ + L"\\wincmd.ini") +
                                                   L" --idle 300",
                                               {}, error);
    if (!idle) {
      ADD_FAILURE() << "cannot start the New installation: " << error;
      return;
    }
    idle_ = std::move(*idle);
    EXPECT_TRUE(idle_.WaitForWindow());
  }

  test::ProcessResult RunMy(const std::wstring& commands) const {
    return test::RunProcess(QuoteArg(my_ + L"\\totalcmd.exe") + L" --plugin " + QuoteArg(plugin_) +
                            L" " + commands);
  }

  // My installation without the plugin's own folder (the store grows there).
  test::TreeSnapshot My() const { return test::SnapshotTree(my_, {kPluginFolder}); }
  test::TreeSnapshot New() const { return test::SnapshotTree(new_); }
  std::wstring MyPath(const std::wstring& relative) const { return my_ + L"\\" + relative; }

  static constexpr wchar_t kPluginFolder[] = L"plugins\\wfx\\Orvelle";

 private:
  test::TempDir root_;
  std::wstring my_ = root_ / L"My installation";
  std::wstring new_ = root_ / L"New installation";
  std::wstring plugin_;
  test::BackgroundProcess idle_;
};

bool HasLine(const test::ProcessResult& run, const std::wstring& line) {
  std::vector<std::wstring> lines = run.OutLines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The sign and comment of a listing line ("name\td\t...\tSIGN\tCOMMENT").
bool Listed(const test::ProcessResult& run, const std::wstring& name, const std::wstring& sign,
            const std::wstring& comment) {
  std::vector<std::wstring> lines = run.OutLines();
  return std::any_of(lines.begin(), lines.end(), [&](const std::wstring& l) {
    return l.starts_with(name + L"\t") && l.ends_with(L"\t" + sign + L"\t" + comment);
  });
}

bool HasLineStarting(const test::ProcessResult& run, const std::wstring& start) {
  std::vector<std::wstring> lines = run.OutLines();
  return std::any_of(lines.begin(), lines.end(),
                     [&](const std::wstring& l) { return l.starts_with(start); });
}

TEST(DeleteRestore, APluginAndADocumentComeBackByteForByteThroughTheHarness) {
  RunningPair pair;
  // The first start takes the settings backup and writes the plugin's saved
  // searches; what the deletes change is measured from after it.
  test::ProcessResult first = pair.RunMy(L"list \\");
  ASSERT_EQ(first.exitCode, 0u) << first.ErrText();
  const test::TreeSnapshot my = pair.My();
  const test::TreeSnapshot others = pair.New();

  const std::wstring imagine = L"\\totalcmd.exe\\Plugins\\WLX\\Imagine.wlx\\Delete";
  const std::wstring readme = L"\\totalcmd.exe\\Applications\\Non executable\\README.TXT (2)";
  const std::wstring version = L"\\totalcmd.exe\\Main unit\\Version";
  test::ProcessResult deleted = pair.RunMy(
      L"--answers yes list \\ exec " + QuoteArg(imagine) + L" delete " + QuoteArg(readme) +
      L" delete " + QuoteArg(version) + L" list \\ list " +
      QuoteArg(L"\\totalcmd.exe\\Plugins\\WLX\\Imagine.wlx"));
  ASSERT_EQ(deleted.exitCode, 0u) << deleted.ErrText();
  const std::wstring out = deleted.OutText();
  EXPECT_TRUE(HasLine(deleted, L"msgbox \"Orvelle\" \"Delete?\" -> yes")) << out;
  EXPECT_TRUE(HasLine(deleted, L"exec " + imagine + L" open -> 0")) << out;
  EXPECT_TRUE(HasLine(deleted, L"delete " + readme + L" -> 1")) << out;
  EXPECT_TRUE(HasLine(deleted, L"delete " + version + L" -> 0")) << "no action: nothing deleted";
  EXPECT_TRUE(HasLineStarting(deleted, L"Backup\td\t")) << "the root leads to the backups";
  EXPECT_TRUE(Listed(deleted, L"Delete", L"*!", L"DELETED!")) << out;
  EXPECT_TRUE(Listed(deleted, L"Directory", L"*!", L"DELETED!")) << out;
  EXPECT_FALSE(platform::PathExists(pair.MyPath(L"plugins\\wlx\\Imagine")));
  EXPECT_FALSE(platform::PathExists(pair.MyPath(L"README.TXT")));
  EXPECT_NE(test::DescribeDifferences(my, pair.My()), L"");

  test::ProcessResult restored = pair.RunMy(
      L"--answers yes,yes list \\Backup exec \\Backup\\2.Imagine.wlx exec \\Backup\\3.README.TXT "
      L"list \\Backup");
  ASSERT_EQ(restored.exitCode, 0u) << restored.ErrText();
  EXPECT_TRUE(HasLine(restored, L"msgbox \"Orvelle\" \"Restore?\" -> yes")) << restored.OutText();
  EXPECT_TRUE(HasLineStarting(restored, L"reread ")) << restored.OutText();
  EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");
  EXPECT_EQ(test::DescribeDifferences(others, pair.New()), L"")
      << "the New installation is never touched";
}

}  // namespace
}  // namespace orvelle::e2e
