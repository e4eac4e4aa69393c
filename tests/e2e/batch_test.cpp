// Carrying every plugin over, updating every differing one and deleting a
// selection, each as one change, through the harness: the fixture pair's
// My installation, the "Add all" and "Update all" entries with their
// dialog, the delete key on several entries; each change is undone by one
// restore in "\Backup", byte for byte. A cancel and a plugin that cannot
// be copied leave My installation as it was, and nothing in the store.
#include "platform/fs.h"
#include "platform/handle.h"
#include "running_pair.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace orvelle::e2e {
namespace {

using test::QuoteArg;

const std::wstring kPlugins = L"\\totalcmd.exe\\Plugins";
const std::wstring kAddAll = kPlugins + L"\\Add all";
const std::wstring kUpdateAll = kPlugins + L"\\Update all";

// The plugins New has and My lacks, as the dialog names them.
const std::vector<std::wstring> kAddable = {
    L"[WFX] Disk*", L"[WFX] Registry*", L"[WFX] sftp64",
    L"[WCX] rpm.wcx", L"[WLX] markdown.wlx", L"[WDX] fileattrs.wdx"};

std::vector<std::wstring> BackupEntries(const RunningPair& pair) {
  std::vector<std::wstring> entries;
  for (const std::wstring& line : pair.RunMy(L"list \\Backup").OutLines()) {
    if (line.find(L'\t') != std::wstring::npos) entries.push_back(line);
  }
  return entries;
}

// The one "\Backup" entry whose comment ends with ending, opened ("Restore?" yes).
test::ProcessResult Restore(const RunningPair& pair, const std::wstring& ending) {
  std::wstring name;
  int found = 0;
  for (const std::wstring& line : BackupEntries(pair)) {
    if (line.ends_with(ending)) {
      name = line.substr(0, line.find(L'\t'));
      ++found;
    }
  }
  EXPECT_EQ(found, 1) << "one entry ends with " << testing::PrintToString(ending);
  return pair.RunMy(L"--answers yes list \\Backup exec " + QuoteArg(L"\\Backup\\" + name));
}

std::vector<std::wstring> ProgressSources(const test::ProcessResult& run) {
  std::vector<std::wstring> sources;
  for (const std::wstring& line : run.OutLines()) {
    if (!line.starts_with(L"progress \"")) continue;
    sources.push_back(line.substr(10, line.find(L'"', 10) - 10));
  }
  return sources;
}

// Enough files in a folder of New for a batch to be cancelled in the middle of.
void AddFilesToCancelIn(const RunningPair& pair, const std::wstring& folder) {
  for (int n = 0; n < 200; ++n) {
    test::WriteBytes(pair.NewPath(folder + L"\\part" + std::to_wstring(n)),
                     std::string(512, static_cast<char>(n)));
  }
}

TEST(Batch, AddAllCarriesEveryPluginOverAsOneChangeThatOneRestoreUndoes) {
  RunningPair pair;
  ASSERT_EQ(pair.RunMy(L"list \\").exitCode, 0u);
  const test::TreeSnapshot my = pair.My();
  const test::TreeSnapshot others = pair.New();
  const size_t entriesBefore = BackupEntries(pair).size();

  test::ProcessResult added =
      pair.RunMy(L"--progress --press Add list \\ exec " + QuoteArg(kAddAll) + L" list " +
                 QuoteArg(kPlugins) + L" list " + QuoteArg(kPlugins + L"\\WLX\\markdown.wlx") +
                 L" list " + QuoteArg(kPlugins + L"\\WDX"));
  ASSERT_EQ(added.exitCode, 0u) << added.ErrText();
  const std::wstring out = added.OutText();
  EXPECT_TRUE(HasLine(added, L"dialog \"Add all\"")) << out;
  for (const std::wstring& item : kAddable) {
    EXPECT_TRUE(HasLine(added, L"  control Button \"" + item + L"\" checked")) << item << out;
  }
  EXPECT_TRUE(HasLine(added, L"end dialog -> press \"Add\"")) << out;
  EXPECT_TRUE(Listed(added, L"Add all", L"*!", L"ADDED! Plugins: 6")) << out;
  EXPECT_TRUE(Listed(added, L"Add", L"*!", L"ADDED!")) << out;
  // A kind folder's own "Add all" has nothing left to do.
  EXPECT_TRUE(Listed(added, L"Add all", L"*!", L"ADDED!")) << out;
  // The host's display named each plugin while its files were copied, and
  // reached the end.
  const std::vector<std::wstring> sources = ProgressSources(added);
  for (const wchar_t* name : {L"Disk*", L"rpm.wcx", L"markdown.wlx", L"fileattrs.wdx"}) {
    EXPECT_NE(std::find(sources.begin(), sources.end(), name), sources.end()) << name;
  }
  EXPECT_EQ(test::ReadBytes(pair.MyPath(L"plugins\\wlx\\Markdown\\markdown.wlx")),
            test::ReadBytes(pair.NewPath(L"plugins\\wlx\\Markdown\\markdown.wlx")));
  const std::optional<TextDocument> ini = LoadTextFile(pair.MyPath(L"wincmd.ini"));
  ASSERT_TRUE(ini);
  EXPECT_NE(std::find(ini->lines.begin(), ini->lines.end(),
                      L"2=%COMMANDER_PATH%\\plugins\\wlx\\Markdown\\markdown.wlx"),
            ini->lines.end());

  // One entry in "\Backup" for the whole step.
  const std::vector<std::wstring> entries = BackupEntries(pair);
  ASSERT_EQ(entries.size(), entriesBefore + 1);
  EXPECT_TRUE(entries.back().ends_with(L" - installed 6 plugins")) << entries.back();

  test::ProcessResult undone = Restore(pair, L" - installed 6 plugins");
  ASSERT_EQ(undone.exitCode, 0u) << undone.ErrText();
  EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");
  EXPECT_EQ(test::DescribeDifferences(others, pair.New()), L"");
  // The undo is one change too, and undoing it carries them all over again.
  const test::TreeSnapshot undoneMy = pair.My();
  test::ProcessResult redone = Restore(pair, L" - deleted 6 plugins");
  ASSERT_EQ(redone.exitCode, 0u) << redone.ErrText();
  EXPECT_TRUE(platform::FileExists(pair.MyPath(L"plugins\\wlx\\Markdown\\markdown.wlx")));
  EXPECT_NE(test::DescribeDifferences(undoneMy, pair.My()), L"");
}

TEST(Batch, UntickedPluginsAreLeftOutOfAddAll) {
  RunningPair pair;
  test::ProcessResult added = pair.RunMy(
      L"--press \"untick:[WLX] markdown.wlx;untick:[WCX] rpm.wcx;Add\" list \\ exec " +
      QuoteArg(kAddAll));
  ASSERT_EQ(added.exitCode, 0u) << added.ErrText();
  EXPECT_TRUE(HasLine(added, L"end dialog -> press \"untick:[WLX] markdown.wlx\", press "
                             L"\"untick:[WCX] rpm.wcx\", press \"Add\""))
      << added.OutText();
  EXPECT_FALSE(platform::PathExists(pair.MyPath(L"plugins\\wlx\\Markdown")));
  EXPECT_TRUE(platform::PathExists(pair.MyPath(L"plugins\\wdx\\fileattrs")) ||
              platform::PathExists(pair.MyPath(L"plugins\\wdx\\FileAttrs")))
      << test::DescribeDifferences({}, pair.My());
  const std::vector<std::wstring> entries = BackupEntries(pair);
  ASSERT_FALSE(entries.empty());
  EXPECT_TRUE(entries.back().ends_with(L" - installed 4 plugins")) << entries.back();

  // Nothing ticked: the dialog says so and stays open. (Only the plugin
  // whose key My has under another file is still offered.)
  test::ProcessResult none = pair.RunMy(L"--press \"untick:[WFX] Registry*;Add\" list \\ exec " +
                                        QuoteArg(kPlugins + L"\\WFX\\Add all"));
  EXPECT_TRUE(HasLineStarting(none, L"msgbox \"Orvelle\" \"No plugin is ticked.\""))
      << none.OutText();
}

TEST(Batch, UpdateAllWithEachOfferedWayIsUndoneByOneRestore) {
  RunningPair pair;
  // Files only New has, so that even "update old files" has something to do.
  test::WriteBytes(pair.NewPath(L"plugins\\wfx\\ftp\\new-notes.txt"), "ftp notes");
  test::WriteBytes(pair.NewPath(L"plugins\\wlx\\Imagine\\new-notes.txt"), "imagine notes");
  ASSERT_EQ(pair.RunMy(L"list \\").exitCode, 0u);
  const test::TreeSnapshot my = pair.My();
  for (const std::wstring way :
       {L"Update old files and copy new files", L"Copy with replace all files"}) {
    SCOPED_TRACE(testing::PrintToString(way));
    test::ProcessResult updated =
        pair.RunMy(L"--press " + QuoteArg(way + L";Update") + L" list \\ exec " +
                   QuoteArg(kUpdateAll) + L" list " + QuoteArg(kPlugins));
    ASSERT_EQ(updated.exitCode, 0u) << updated.ErrText();
    const std::wstring out = updated.OutText();
    // The safest way is the one chosen when the dialog opens.
    EXPECT_TRUE(HasLine(updated, L"  control ComboBox \"Update old files and copy new files\""))
        << out;
    EXPECT_TRUE(HasLineStarting(updated, L"Update all\tf\t")) << out;
    EXPECT_TRUE(out.find(L"UPDATED! Plugins: ") != std::wstring::npos) << out;
    EXPECT_NE(test::DescribeDifferences(my, pair.My()), L"");
    const std::vector<std::wstring> entries = BackupEntries(pair);
    ASSERT_FALSE(entries.empty());
    EXPECT_NE(entries.back().find(L" - updated "), std::wstring::npos) << entries.back();

    test::ProcessResult undone = Restore(pair, entries.back().substr(entries.back().rfind(L'\t')));
    ASSERT_EQ(undone.exitCode, 0u) << undone.ErrText();
    EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");
  }
}

TEST(Batch, ASelectionDeletedWithTheDeleteKeyIsOneChange) {
  RunningPair pair;
  ASSERT_EQ(pair.RunMy(L"list \\").exitCode, 0u);
  const test::TreeSnapshot my = pair.My();
  const size_t entriesBefore = BackupEntries(pair).size();
  test::ProcessResult deleted = pair.RunMy(
      L"list \\ delete " + QuoteArg(kPlugins + L"\\WFX\\FTP\\Delete") + L" " +
      QuoteArg(kPlugins + L"\\WCX\\iso.wcx\\Delete") + L" " +
      QuoteArg(kPlugins + L"\\WDX\\hash.wdx\\Delete"));
  ASSERT_EQ(deleted.exitCode, 0u) << deleted.ErrText();
  for (const wchar_t* path : {L"\\WFX\\FTP\\Delete", L"\\WCX\\iso.wcx\\Delete",
                              L"\\WDX\\hash.wdx\\Delete"}) {
    EXPECT_TRUE(HasLine(deleted, L"delete " + kPlugins + path + L" -> 1")) << deleted.OutText();
  }
  const std::vector<std::wstring> entries = BackupEntries(pair);
  ASSERT_EQ(entries.size(), entriesBefore + 1);
  EXPECT_TRUE(entries.back().ends_with(L" - deleted 3 plugins")) << entries.back();

  test::ProcessResult undone = Restore(pair, L" - deleted 3 plugins");
  ASSERT_EQ(undone.exitCode, 0u) << undone.ErrText();
  EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");

  // A selection of one reads as the single delete it is.
  test::ProcessResult one =
      pair.RunMy(L"list \\ delete " + QuoteArg(kPlugins + L"\\WCX\\iso.wcx\\Delete"));
  ASSERT_EQ(one.exitCode, 0u) << one.ErrText();
  EXPECT_TRUE(BackupEntries(pair).back().ends_with(L" - deleted")) << BackupEntries(pair).back();
}

// Cancelled half-way, or stopped by a file of New that cannot be read: My
// installation is as it was and the store holds nothing of the step.
// Opens a batch entry, presses its dialog's button and cancels the host's
// progress display a few calls into the batch's own progress.
void CancelHalfWay(const RunningPair& pair, const std::wstring& entry, const std::wstring& button) {
  // Where the batch's progress starts, counted over the whole run.
  test::ProcessResult counted =
      pair.RunMy(L"--progress --press Cancel list \\ exec " + QuoteArg(entry));
  const size_t comparisonCalls = ProgressSources(counted).size();
  ASSERT_GT(comparisonCalls, 0u);
  test::ProcessResult cancelled = pair.RunMy(
      L"--progress --press " + button + L" --cancel-at " + std::to_wstring(comparisonCalls + 4) +
      L" list \\ exec " + QuoteArg(entry));
  ASSERT_EQ(cancelled.exitCode, 0u) << cancelled.ErrText();
  EXPECT_TRUE(HasLineStarting(cancelled, L"msgbox \"Orvelle\" \"Cancelled: nothing was changed"))
      << cancelled.OutText();
  EXPECT_TRUE(HasLineStarting(cancelled, L"progress \"")) << cancelled.OutText();
}

TEST(Batch, ACancelOrAFailingPluginInTheMiddleLeavesMyInstallationAsItWas) {
  RunningPair pair;
  AddFilesToCancelIn(pair, L"plugins\\wlx\\Markdown\\data");
  ASSERT_EQ(pair.RunMy(L"list \\").exitCode, 0u);
  const test::TreeSnapshot my = pair.My();
  const std::vector<std::wstring> entriesBefore = BackupEntries(pair);
  CancelHalfWay(pair, kAddAll, L"Add");
  EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");
  EXPECT_EQ(BackupEntries(pair), entriesBefore);

  // A file of the lister plugin (the fifth of six) that cannot be read.
  {
    platform::unique_hfile lock(::CreateFileW(
        pair.NewPath(L"plugins\\wlx\\Markdown\\data\\part7").c_str(), GENERIC_READ, 0, nullptr,
        OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(lock);
    test::ProcessResult failed =
        pair.RunMy(L"--press Add list \\ exec " + QuoteArg(kAddAll));
    ASSERT_EQ(failed.exitCode, 0u) << failed.ErrText();
    EXPECT_TRUE(HasLineStarting(failed, L"msgbox \"Orvelle\" \"Nothing was changed, My "
                                        L"installation is as it was. This plugin could not be "
                                        L"carried out: markdown.wlx"))
        << failed.OutText();
  }
  EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");
  EXPECT_EQ(BackupEntries(pair), entriesBefore);

  // A configuration that cannot be replaced: the registrations come after
  // every plugin's files, which go again with them.
  const std::wstring ini = pair.MyPath(L"wincmd.ini");
  const DWORD attributes = ::GetFileAttributesW(ini.c_str());
  ASSERT_TRUE(::SetFileAttributesW(ini.c_str(), attributes | FILE_ATTRIBUTE_READONLY));
  test::ProcessResult refused =
      pair.RunMy(L"--progress --press Add list \\ exec " + QuoteArg(kAddAll));
  ::SetFileAttributesW(ini.c_str(), attributes);
  ASSERT_EQ(refused.exitCode, 0u) << refused.ErrText();
  EXPECT_TRUE(HasLineStarting(refused, L"msgbox \"Orvelle\" \"Nothing was changed, My "
                                       L"installation is as it was."))
      << refused.OutText();
  const std::vector<std::wstring> sources = ProgressSources(refused);
  EXPECT_NE(std::find(sources.begin(), sources.end(), L"fileattrs.wdx"), sources.end())
      << "the last plugin was copied before the registrations failed";
  EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");
  EXPECT_EQ(BackupEntries(pair), entriesBefore);
}

// Update all cancelled half-way: every plugin it had updated so far goes
// back, and the store keeps nothing of it.
TEST(Batch, ACancelledUpdateAllLeavesMyInstallationAsItWas) {
  RunningPair pair;
  AddFilesToCancelIn(pair, L"plugins\\wfx\\ftp\\data");
  ASSERT_EQ(pair.RunMy(L"list \\").exitCode, 0u);
  const test::TreeSnapshot my = pair.My();
  const std::vector<std::wstring> entriesBefore = BackupEntries(pair);
  CancelHalfWay(pair, kUpdateAll, L"Update");
  EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");
  EXPECT_EQ(BackupEntries(pair), entriesBefore);
}

}  // namespace
}  // namespace orvelle::e2e
