// The plugin in the language of My installation: the fixture pair with My
// installation's LanguageIni set to German, through the harness.
#include "platform/fs.h"
#include "running_pair.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <string>

namespace orvelle::e2e {
namespace {

using test::QuoteArg;

// A listing line of that name whose comment is `comment`, whatever its sign.
bool ListedWithComment(const test::ProcessResult& run, const std::wstring& name,
                       const std::wstring& comment) {
  return HasLineStarting(run, name + L"\t") &&
         std::ranges::any_of(run.OutLines(), [&](const std::wstring& l) {
           return l.starts_with(name + L"\t") && l.ends_with(L"\t" + comment);
         });
}

TEST(Language, MyInstallationInGermanShowsGermanBoxesAndCommentsUnderTheSameNames) {
  test::PairLayout layout;
  layout.change = [](const std::wstring& my, const std::wstring&) {
    SetLanguageIni(my, "%COMMANDER_PATH%\\language\\wcmd_deu.lng");
  };
  test::RunningPair pair(layout);
  ASSERT_TRUE(pair.Ready());

  test::TempDir files;
  test::ProcessResult first =
      pair.RunMy(L"list \\ list \\totalcmd.exe list \\totalcmd.exe\\Plugins get \\Report.txt " +
                 QuoteArg(files / L"report.txt") + L" 0 get " +
                 QuoteArg(L"\\totalcmd.exe\\Main unit\\Version") + L" " +
                 QuoteArg(files / L"version.txt") + L" 0");
  ASSERT_EQ(first.exitCode, 0u) << first.ErrText();
  const std::wstring firstOut = first.OutText();
  EXPECT_TRUE(ListedWithComment(
      first, L"Backup",
      L"Was das Plugin an Meiner Installation geändert hat: Eintrag öffnen, um es rückgängig zu "
      L"machen"))
      << firstOut;
  EXPECT_TRUE(HasLineStarting(first, L"Main unit\td\t")) << firstOut;
  EXPECT_TRUE(ListedWithComment(first, L"WLX", L"Lister-Plugins")) << firstOut;
  EXPECT_TRUE(ListedWithComment(first, L"WCX", L"Packer-Plugins")) << firstOut;
  // The report's headings and signs in words; the folder names as they are.
  const std::string report = test::ReadBytes(files / L"report.txt");
  for (const char* text : {"Vergleich zweier Installationen", "Neue Installation: ", "Unterschiede",
                           "nur in Meiner Installation", "totalcmd.exe\\Main unit"}) {
    EXPECT_NE(report.find(text), std::string::npos) << text << "\n" << report;
  }
  // So does the text that copying an entry out gives.
  const std::string version = test::ReadBytes(files / L"version.txt");
  for (const char* text : {"Art:     ", "Programmdatei", "Öffnen (Enter): nichts"}) {
    EXPECT_NE(version.find(text), std::string::npos) << text << "\n" << version;
  }

  const std::wstring imagine = L"\\totalcmd.exe\\Plugins\\WLX\\Imagine.wlx";
  test::ProcessResult deleted = pair.RunMy(L"--answers yes list \\ exec " +
                                           QuoteArg(imagine + L"\\Delete") + L" list " +
                                           QuoteArg(imagine) + L" list \\Backup");
  ASSERT_EQ(deleted.exitCode, 0u) << deleted.ErrText();
  const std::wstring out = deleted.OutText();
  EXPECT_TRUE(HasLine(deleted, L"msgbox \"Orvelle\" \"Löschen?\" -> yes")) << out;
  EXPECT_TRUE(Listed(deleted, L"Delete", L"*!", L"GELÖSCHT!")) << out;
  EXPECT_TRUE(Listed(deleted, L"Directory", L"*!", L"GELÖSCHT!")) << out;
  EXPECT_TRUE(HasLineStarting(deleted, L"2.Imagine.wlx\t")) << out;

  // The plugin's start already speaks it: the backup folder listed first.
  test::ProcessResult restored =
      pair.RunMy(L"--answers yes list \\Backup exec \\Backup\\2.Imagine.wlx list \\Backup");
  ASSERT_EQ(restored.exitCode, 0u) << restored.ErrText();
  EXPECT_TRUE(HasLine(restored, L"msgbox \"Orvelle\" \"Wiederherstellen?\" -> yes"))
      << restored.OutText();
  EXPECT_TRUE(platform::PathExists(pair.MyDir() + L"\\plugins\\wlx\\Imagine\\Imagine.wlx"));

  // Back to English with the next start: nothing of the last language stays.
  SetLanguageIni(pair.MyDir(), "WCMD_ENG.LNG");
  test::ProcessResult english = pair.RunMy(L"list \\ list \\totalcmd.exe\\Plugins");
  ASSERT_EQ(english.exitCode, 0u) << english.ErrText();
  EXPECT_TRUE(ListedWithComment(english, L"WLX", L"Lister plugins")) << english.OutText();
}

}  // namespace
}  // namespace orvelle::e2e
