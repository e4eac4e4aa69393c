// Carrying a plugin over from the New installation and taking it back out,
// through the harness: the fixture pair's My installation loads the plugin,
// the New lister plugin "markdown.wlx" is added by opening its "Add" entry,
// and opening its entry in "\Backup" takes it out again, byte for byte. A
// large plugin folder shows what a listing sees while the copy runs, and
// what is left when the host closes or unloads the plugin meanwhile.
#include "platform/fs.h"
#include "platform/strings.h"
#include "running_pair.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <string>

namespace orvelle::e2e {
namespace {

using test::QuoteArg;

const std::wstring kMarkdown = L"\\totalcmd.exe\\Plugins\\WLX\\markdown.wlx";

std::vector<std::wstring> FileLines(const std::wstring& path) {
  std::optional<TextDocument> doc = LoadTextFile(path);
  return doc ? doc->lines : std::vector<std::wstring>{};
}

bool Contains(const std::vector<std::wstring>& lines, const std::wstring& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// Opens the "\Backup" entry of the installed markdown.wlx ("Restore?" yes).
test::ProcessResult UndoTheAdd(const RunningPair& pair) {
  test::ProcessResult listed = pair.RunMy(L"list \\Backup");
  std::wstring name;
  for (const std::wstring& line : listed.OutLines()) {
    const size_t tab = line.find(L'\t');
    if (tab != std::wstring::npos && line.substr(0, tab).ends_with(L".markdown.wlx") &&
        line.ends_with(L" - installed")) {
      name = line.substr(0, tab);
    }
  }
  EXPECT_FALSE(name.empty()) << listed.OutText();
  return pair.RunMy(L"--answers yes list \\Backup exec " + QuoteArg(L"\\Backup\\" + name));
}

TEST(AddRestore, AListerPluginGoesInAndComesBackOutThroughTheHarness) {
  RunningPair pair;
  test::ProcessResult first = pair.RunMy(L"list \\");
  ASSERT_EQ(first.exitCode, 0u) << first.ErrText();
  const test::TreeSnapshot my = pair.My();
  const test::TreeSnapshot others = pair.New();

  test::ProcessResult added =
      pair.RunMy(L"--answers yes list \\ exec " + QuoteArg(kMarkdown + L"\\Add") +
                 L" pump 2 list " + QuoteArg(kMarkdown) + L" list \\totalcmd.exe\\Plugins\\WLX");
  ASSERT_EQ(added.exitCode, 0u) << added.ErrText();
  const std::wstring out = added.OutText();
  EXPECT_TRUE(HasLine(added, L"msgbox \"Orvelle\" \"Add?\" -> yes")) << out;
  EXPECT_TRUE(HasLine(added, L"exec " + kMarkdown + L"\\Add open -> 0")) << out;
  EXPECT_TRUE(HasLineStarting(added, L"reread ")) << out;
  EXPECT_TRUE(Listed(added, L"Add", L"*!", L"ADDED!")) << out;
  EXPECT_TRUE(Listed(added, L"Directory", L"*!", L"ADDED!")) << out;
  EXPECT_TRUE(Listed(added, L"markdown.wlx", L"*!", L"ADDED!")) << out;
  EXPECT_EQ(test::ReadBytes(pair.MyPath(L"plugins\\wlx\\Markdown\\markdown.wlx")),
            test::ReadBytes(pair.NewPath(L"plugins\\wlx\\Markdown\\markdown.wlx")));
  const std::vector<std::wstring> ini = FileLines(pair.MyPath(L"wincmd.ini"));
  EXPECT_TRUE(Contains(ini, L"2=%COMMANDER_PATH%\\plugins\\wlx\\Markdown\\markdown.wlx"));
  EXPECT_TRUE(Contains(ini, L"2_detect=EXT=\"MD\""));

  test::ProcessResult undone = UndoTheAdd(pair);
  ASSERT_EQ(undone.exitCode, 0u) << undone.ErrText();
  EXPECT_TRUE(HasLine(undone, L"msgbox \"Orvelle\" \"Restore?\" -> yes")) << undone.OutText();
  EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");
  EXPECT_EQ(test::DescribeDifferences(others, pair.New()), L"")
      << "the New installation is never touched";
}

// A copy long enough to be listed while it runs. The host closes in the
// middle of one copy and unloads the plugin in the middle of the next: no
// crash, and undoing the add clears away whatever each left.
TEST(AddRestore, ACopyListedWhileItRunsAndCutOffByTheHostClosingOrUnloading) {
  RunningPair pair;
  for (int n = 0; n < 600; ++n) {
    test::WriteBytes(pair.NewPath(L"plugins\\wlx\\Markdown\\data\\part" + std::to_wstring(n)),
                     std::string(16384, static_cast<char>(n)));
  }
  test::ProcessResult first = pair.RunMy(L"list \\");
  ASSERT_EQ(first.exitCode, 0u) << first.ErrText();
  const test::TreeSnapshot my = pair.My();

  test::ProcessResult closed = pair.RunMy(
      L"--answers yes list \\ exec " + QuoteArg(kMarkdown + L"\\Add") + L" list " +
      QuoteArg(kMarkdown) + L" tree \\totalcmd.exe\\Plugins\\WLX");
  ASSERT_EQ(closed.exitCode, 0u) << closed.ErrText();
  EXPECT_TRUE(Listed(closed, L"Add", L"", L"Copying...")) << closed.OutText();
  EXPECT_TRUE(Listed(closed, L"Directory", L"*", L"Copying...")) << closed.OutText();
  EXPECT_TRUE(Listed(closed, kMarkdown + L"\\Add", L"", L"Copying...")) << closed.OutText();
  EXPECT_FALSE(Contains(FileLines(pair.MyPath(L"wincmd.ini")),
                        L"2=%COMMANDER_PATH%\\plugins\\wlx\\Markdown\\markdown.wlx"))
      << "nothing is registered before the copy is whole";
  EXPECT_TRUE(platform::DirectoryExists(pair.MyPath(L"plugins\\wlx\\Markdown~copy")))
      << "the host closed half-way through the copy";
  EXPECT_FALSE(platform::PathExists(pair.MyPath(L"plugins\\wlx\\Markdown")));
  test::ProcessResult undone = UndoTheAdd(pair);
  ASSERT_EQ(undone.exitCode, 0u) << undone.ErrText();
  EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");

  // Unloaded while copying: the copy's thread keeps the library until its
  // end, the copy stands whole under its name, and, never registered, it is
  // recorded as a copy that did not end.
  test::ProcessResult unloaded = pair.RunMy(L"--answers yes list \\ exec " +
                                            QuoteArg(kMarkdown + L"\\Add") + L" unload pump 6");
  ASSERT_EQ(unloaded.exitCode, 0u) << unloaded.ErrText();
  EXPECT_TRUE(HasLine(unloaded, L"unload -> 1")) << unloaded.OutText();
  EXPECT_EQ(test::DescribeDifferences(test::SnapshotTree(pair.NewPath(L"plugins\\wlx\\Markdown")),
                                      test::SnapshotTree(pair.MyPath(L"plugins\\wlx\\Markdown"))),
            L"");
  EXPECT_FALSE(Contains(FileLines(pair.MyPath(L"wincmd.ini")),
                        L"2=%COMMANDER_PATH%\\plugins\\wlx\\Markdown\\markdown.wlx"));
  undone = UndoTheAdd(pair);
  ASSERT_EQ(undone.exitCode, 0u) << undone.ErrText();
  EXPECT_EQ(test::DescribeDifferences(my, pair.My()), L"");
}

}  // namespace
}  // namespace orvelle::e2e
