// Deleting from My installation and restoring it, through the harness: the
// fixture pair's My installation loads the plugin, a plugin is deleted by
// opening its "Delete" entry and a document by the host's delete key, and
// opening their entries in "\Backup" puts every file back byte for byte.
#include "platform/fs.h"
#include "platform/strings.h"
#include "running_pair.h"

#include <gtest/gtest.h>

#include <string>

namespace orvelle::e2e {
namespace {

using test::QuoteArg;

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
