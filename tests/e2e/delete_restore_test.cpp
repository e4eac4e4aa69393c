// Deleting from My installation and restoring it, through the harness: the
// fixture pair's My installation loads the plugin, a plugin is deleted by
// opening its "Delete" entry and a document by the host's delete key, and
// opening their entries in "\Backup" puts every file back byte for byte.
#include "platform/fs.h"
#include "platform/strings.h"
#include "running_pair.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

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

// A lister plugin kept alone in a user's downloads folder, among photos and
// other folders: its "Directory" lists only its own files, and the delete
// takes only those into the store (the folder and everything else in it
// stay), and the restore puts them back byte for byte.
TEST(DeleteRestore, APluginAmongAUsersFilesTakesOnlyItsOwnFiles) {
  RunningPair pair;
  test::TempDir downloads;
  const std::string plugin = test::ReadBytes(pair.MyPath(L"plugins\\wlx\\Imagine\\Imagine.wlx"));
  ASSERT_FALSE(plugin.empty());
  test::WriteBytes(downloads / L"Imagine.wlx", plugin);
  test::WriteBytes(downloads / L"Imagine.ini", "[Imagine]\r\nZoom=2\r\n");
  test::WriteBytes(downloads / L"photo.jpg", "\xff\xd8\xff\xe0 a photo");
  test::WriteBytes(downloads / L"sub\\doc.txt", "a document");
  const std::wstring ini = pair.MyPath(L"wincmd.ini");
  std::string text = test::ReadBytes(ini);
  const std::string registered = "0=%COMMANDER_PATH%\\plugins\\wlx\\Imagine\\Imagine.wlx";
  const size_t at = text.find(registered);
  ASSERT_NE(at, std::string::npos);
  text.replace(at, registered.size(),
               "0=" + platform::AnsiFromWide(downloads / L"Imagine.wlx", CP_ACP));
  test::WriteBytes(ini, text);

  const std::wstring folder = L"\\totalcmd.exe\\Plugins\\WLX\\Imagine.wlx";
  test::ProcessResult first =
      pair.RunMy(L"list \\ list " + QuoteArg(folder + L"\\Directory"));
  ASSERT_EQ(first.exitCode, 0u) << first.ErrText();
  EXPECT_TRUE(HasLineStarting(first, L"Imagine.wlx\t")) << first.OutText();
  EXPECT_TRUE(HasLineStarting(first, L"Imagine.ini\t")) << first.OutText();
  EXPECT_FALSE(HasLineStarting(first, L"photo.jpg\t")) << first.OutText();
  EXPECT_FALSE(HasLineStarting(first, L"sub\t")) << first.OutText();
  const test::TreeSnapshot before = test::SnapshotTree(downloads.Path());
  const test::TreeSnapshot my = pair.My();

  test::ProcessResult deleted = pair.RunMy(L"--answers yes list \\ exec " +
                                           QuoteArg(folder + L"\\Delete") + L" list " +
                                           QuoteArg(folder));
  ASSERT_EQ(deleted.exitCode, 0u) << deleted.ErrText();
  EXPECT_TRUE(Listed(deleted, L"Directory", L"*!", L"DELETED! Cant replace directory! Only file!"))
      << deleted.OutText();
  EXPECT_EQ(test::DescribeDifferences(before, test::SnapshotTree(downloads.Path())),
            L"removed Imagine.ini\nremoved Imagine.wlx\n");

  test::ProcessResult restored =
      pair.RunMy(L"--answers yes list \\Backup exec \\Backup\\2.Imagine.wlx");
  ASSERT_EQ(restored.exitCode, 0u) << restored.ErrText();
  EXPECT_EQ(test::DescribeDifferences(before, test::SnapshotTree(downloads.Path())), L"");
  EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");
}

// The host lists "\Backup" again while "Restore?" is still open (a re-read
// that arrived meanwhile, run from inside the message box's loop): the
// listing shows the store as it stands, and the restore then runs on it
// intact and puts everything back.
TEST(DeleteRestore, AListingWhileRestoreAsksLeavesTheRestoreIntact) {
  RunningPair pair;
  test::ProcessResult first = pair.RunMy(L"list \\");
  ASSERT_EQ(first.exitCode, 0u) << first.ErrText();
  const test::TreeSnapshot my = pair.My();
  const std::wstring imagine = L"\\totalcmd.exe\\Plugins\\WLX\\Imagine.wlx\\Delete";
  test::ProcessResult deleted =
      pair.RunMy(L"--answers yes list \\ exec " + QuoteArg(imagine));
  ASSERT_EQ(deleted.exitCode, 0u) << deleted.ErrText();
  ASSERT_FALSE(platform::PathExists(pair.MyPath(L"plugins\\wlx\\Imagine")));

  test::ProcessResult restored = pair.RunMy(
      L"--answers " + QuoteArg(L"yes@list \\Backup") +
      L" list \\Backup exec \\Backup\\2.Imagine.wlx list \\Backup");
  ASSERT_EQ(restored.exitCode, 0u) << restored.ErrText();
  const std::vector<std::wstring> lines = restored.OutLines();
  const auto asked = std::find(lines.begin(), lines.end(), L"msgbox \"Orvelle\" \"Restore?\" -> yes");
  ASSERT_NE(asked, lines.end()) << restored.OutText();
  // The listing made while the box was open comes before its answer.
  const auto during = std::find_if(lines.begin(), asked, [](const std::wstring& line) {
    return line.starts_with(L"2.Imagine.wlx\t");
  });
  EXPECT_EQ(std::count_if(lines.begin(), asked,
                          [](const std::wstring& line) { return line.starts_with(L"2.Imagine.wlx\t"); }),
            2)
      << "the first listing and the one made while asking\n" << restored.OutText();
  EXPECT_NE(during, asked);
  EXPECT_TRUE(HasLine(restored, L"exec \\Backup\\2.Imagine.wlx open -> 0")) << restored.OutText();
  EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");
}

// Changes made one after the other to one section and to one plugin, undone
// in the order "\Backup" lists them (the oldest first, not the reverse):
// FileInfo's lister entry is deleted before Imagine's, which stands in
// front of it, and FTP is updated and then deleted. Every restore is taken,
// also the one that keeps what stood in FTP's way; then every file of My
// installation is back byte for byte (both lister plugins under numbers the
// host reaches).
TEST(DeleteRestore, ChangesOfOneSectionAndOnePluginUndoneOldestFirstGiveEverythingBack) {
  RunningPair pair;
  test::ProcessResult first = pair.RunMy(L"list \\");
  ASSERT_EQ(first.exitCode, 0u) << first.ErrText();
  const test::TreeSnapshot my = pair.My();

  const std::wstring wlx = L"\\totalcmd.exe\\Plugins\\WLX\\";
  const std::wstring ftp = L"\\totalcmd.exe\\Plugins\\WFX\\FTP\\";
  test::ProcessResult changed = pair.RunMy(
      L"--answers yes,yes,ok,yes --press " +
      QuoteArg(L"Copy with replace all files: \\ftp\\*.* -> \\ftp\\*.*;Update") + L" list \\ exec " +
      QuoteArg(wlx + L"FileInfo.wlx\\Delete") + L" exec " + QuoteArg(wlx + L"Imagine.wlx\\Delete") +
      L" exec " + QuoteArg(ftp + L"Update") + L" exec " + QuoteArg(ftp + L"Delete") +
      L" list \\Backup");
  ASSERT_EQ(changed.exitCode, 0u) << changed.ErrText();
  const std::wstring out = changed.OutText();
  EXPECT_TRUE(HasLine(changed, L"msgbox \"Orvelle\" \"Update successfull!\" -> ok")) << out;
  for (const wchar_t* name : {L"2.FileInfo.wlx", L"3.Imagine.wlx", L"4.ftp.wfx", L"5.ftp.wfx"}) {
    EXPECT_TRUE(HasLineStarting(changed, std::wstring(name) + L"\t")) << out;
  }

  test::ProcessResult restored = pair.RunMy(
      L"--answers yes,yes,yes,yes list \\Backup exec \\Backup\\2.FileInfo.wlx "
      L"exec \\Backup\\3.Imagine.wlx exec \\Backup\\4.ftp.wfx exec \\Backup\\5.ftp.wfx "
      L"list \\Backup");
  ASSERT_EQ(restored.exitCode, 0u) << restored.ErrText();
  const std::vector<std::wstring> lines = restored.OutLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), L"msgbox \"Orvelle\" \"Restore?\" -> yes"), 4)
      << restored.OutText();
  EXPECT_FALSE(HasLineStarting(restored, L"msgbox \"Orvelle\" \"Cant")) << restored.OutText();
  // The updated folder stood where the older backup put FTP 1.0 back; the
  // later one put the updated folder back and kept 1.0 in a folder of its own.
  EXPECT_TRUE(HasLineStarting(restored, L"2.ftp\t")) << restored.OutText();
  test::ProcessResult last =
      pair.RunMy(L"--answers yes list \\Backup exec \\Backup\\2.ftp list \\Backup");
  ASSERT_EQ(last.exitCode, 0u) << last.ErrText();
  EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");
}

}  // namespace
}  // namespace orvelle::e2e

namespace orvelle::e2e {
namespace {

// My installation registers two plugins under one name (the host loads the
// first only): the comparison shows two folders with paths of their own,
// and the Delete of each deletes its own plugin, never the other.
TEST(DeleteRestore, TwoPluginsUnderOneNameAreTwoFoldersEachDeletingItsOwn) {
  RunningPair pair;
  const std::wstring ini = pair.MyPath(L"wincmd.ini");
  std::string bytes = test::ReadBytes(ini);
  const std::string disk = "Disk=%COMMANDER_PATH%";
  ASSERT_NE(bytes.find(disk), std::string::npos);
  bytes.replace(bytes.find(disk), 4, "Registry");
  test::WriteBytes(ini, bytes);

  const std::wstring wfx = L"\\totalcmd.exe\\Plugins\\WFX\\";
  // Both folders are there, each listing its own plugin's file.
  test::ProcessResult first = pair.RunMy(L"list \\ list " + QuoteArg(wfx + L"Registry\\Directory"));
  test::ProcessResult second = pair.RunMy(L"list \\ list " + QuoteArg(wfx + L"Registry (2)\\Directory"));
  ASSERT_EQ(first.exitCode, 0u) << first.ErrText();
  ASSERT_EQ(second.exitCode, 0u) << second.ErrText();
  const bool secondIsDisk = HasLineStarting(second, L"disk.wfx\t");
  EXPECT_NE(secondIsDisk, HasLineStarting(first, L"disk.wfx\t")) << first.OutText() << second.OutText();
  EXPECT_NE(secondIsDisk, HasLineStarting(second, L"registry.wfx\t")) << second.OutText();
  const std::wstring diskFolder = wfx + (secondIsDisk ? L"Registry (2)" : L"Registry");

  test::ProcessResult deleted =
      pair.RunMy(L"--answers yes list \\ exec " + QuoteArg(diskFolder + L"\\Delete"));
  ASSERT_EQ(deleted.exitCode, 0u) << deleted.ErrText();
  EXPECT_FALSE(platform::PathExists(pair.MyPath(L"plugins\\wfx\\disk"))) << deleted.OutText();
  EXPECT_TRUE(platform::FileExists(pair.MyPath(L"plugins\\wfx\\Registry\\registry.wfx")))
      << "the other plugin of the name stays";
}

}  // namespace
}  // namespace orvelle::e2e
