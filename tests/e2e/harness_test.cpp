// The host harness on its own, driven against a small plugin with canned
// answers (tests/e2e_plugin): output formats, the order of entry-point calls,
// message-box answers, progress and cancel, re-read requests, the host's
// environment and /i= parameter, the idle mode and the exit codes.
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

#include "platform/fs.h"
#include "platform/strings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvelle::test {
namespace {

using Lines = std::vector<std::wstring>;

std::wstring Harness() { return BuiltFile(ORVELLE_HOST_FILE); }
std::wstring TestPlugin() { return BuiltFile(ORVELLE_TEST_PLUGIN_FILE); }

// The test plugin names one file with the byte 0xE9, as ANSI text does.
std::wstring Cafe() { return platform::WideFromAnsi("caf\xE9.txt"); }

ProcessResult RunHarness(const std::wstring& arguments, const std::wstring& workingDir = {}) {
  return RunProcess(QuoteArg(Harness()) + L" --plugin " + QuoteArg(TestPlugin()) + L" " +
                        arguments,
                    workingDir);
}

void ExpectFinished(const ProcessResult& r) {
  ASSERT_TRUE(r.started) << r.error;
  ASSERT_FALSE(r.timedOut) << r.error;
}

std::wstring SystemDll(const std::wstring& name) {
  wchar_t dir[MAX_PATH] = {};
  ::GetSystemDirectoryW(dir, MAX_PATH);
  return std::wstring(dir) + L"\\" + name;
}

std::wstring Log(const std::wstring& text) { return L"log 0 \"" + text + L"\""; }

TEST(Harness, ListsFoldersAndTreesWithBothColumns) {
  ProcessResult r = RunHarness(L"list \\ tree \\ list \\sub\\inner tree \\nowhere list \\busy");
  ExpectFinished(r);
  EXPECT_EQ(r.exitCode, 0u) << r.ErrText();
  std::wstring alpha = L"f\t5000000000\t32\t1983-08-21 21:00:00\t=\tAlpha file";
  std::wstring cafe = L"f\t7\t128\t0\t\ttab\\there";
  std::wstring sub = L"d\t0\t16\t0\t<>\t";
  Lines expected = {
      L"alpha.txt\t" + alpha,
      Cafe() + L"\t" + cafe,
      L"sub\t" + sub,
      L"\\alpha.txt\t" + alpha,
      L"\\" + Cafe() + L"\t" + cafe,
      L"\\sub\t" + sub,
      L"\\sub\\inner\td\t0\t16\t0\t\t",
      L"\\sub\\b.txt\tf\t1\t128\t1983-08-21 21:00:00\t*\tline1\\nline2",
      L"(empty)",
      L"(empty)",
      L"(failed, error 0)",
  };
  EXPECT_EQ(r.OutLines(), expected);
}

TEST(Harness, CallsTheEntryPointsInTheHostsOrder) {
  ProcessResult r = RunHarness(L"exec \\ trace tree \\");
  ExpectFinished(r);
  Lines logs;
  for (const std::wstring& line : r.OutLines()) {
    if (line.rfind(L"log ", 0) == 0 || line.rfind(L"exec ", 0) == 0) {
      logs.push_back(line);
    } else {
      logs.push_back(line.substr(0, line.find(L'\t')));  // the listing line's path
    }
  }
  auto values = [](const std::wstring& path) {
    return Lines{Log(L"FsContentGetValue " + path + L" 0 0"),
                 Log(L"FsContentGetValue " + path + L" 1 0")};
  };
  Lines expected = {L"exec \\ trace -> 0",
                    Log(L"FsStatusInfo \\ 0 1"), Log(L"FsFindFirst \\"), Log(L"FsFindNext"),
                    Log(L"FsFindNext"), Log(L"FsFindNext"), Log(L"FsFindClose"),
                    Log(L"FsStatusInfo \\ 1 1")};
  for (const std::wstring& p : Lines{L"\\alpha.txt", L"\\" + Cafe(), L"\\sub"}) {
    Lines v = values(p);
    expected.insert(expected.end(), v.begin(), v.end());
  }
  Lines more = {L"\\alpha.txt", L"\\" + Cafe(), L"\\sub",
                Log(L"FsStatusInfo \\sub 0 1"), Log(L"FsFindFirst \\sub"), Log(L"FsFindNext"),
                Log(L"FsFindNext"), Log(L"FsFindClose"), Log(L"FsStatusInfo \\sub 1 1")};
  expected.insert(expected.end(), more.begin(), more.end());
  for (const std::wstring& p : Lines{L"\\sub\\inner", L"\\sub\\b.txt"}) {
    Lines v = values(p);
    expected.insert(expected.end(), v.begin(), v.end());
  }
  // An empty folder: no FsFindClose after a failed FsFindFirst.
  Lines last = {L"\\sub\\inner", L"\\sub\\b.txt", Log(L"FsStatusInfo \\sub\\inner 0 1"),
                Log(L"FsFindFirst \\sub\\inner"), Log(L"FsStatusInfo \\sub\\inner 1 1")};
  expected.insert(expected.end(), last.begin(), last.end());
  EXPECT_EQ(logs, expected);
}

TEST(Harness, AnswersMessageBoxesInOrderThenPressesTheDefault) {
  ProcessResult r = RunHarness(
      L"--answers yes,cancel,no,yes --cancel-at 2 "
      L"list \\ask exec \\boxes exec \\boxes list \\ask exec \\dialog list \\progress");
  ExpectFinished(r);
  EXPECT_EQ(r.exitCode, 0u) << r.ErrText();
  Lines expected = {
      L"msgbox \"TestFS\" \"Repeat comparison?\" -> yes",
      L"answered yes\tf\t0\t128\t0\t\t",
      L"msgbox \"TestFS\" \"First\\nquestion\" -> cancel",
      L"msgbox \"TestFS\" \"Second\" -> no",
      L"exec \\boxes open -> 207",
      L"msgbox \"TestFS\" \"First\\nquestion\" -> yes (no such button), default (ok)",
      L"msgbox \"TestFS\" \"Second\" -> default (cancel)",
      L"exec \\boxes open -> 102",
      L"msgbox \"TestFS\" \"Repeat comparison?\" -> default (no)",
      L"answered no\tf\t0\t128\t0\t\t",
      L"dialog \"Test Dialog\"",
      L"  control Static \"Label \u041C\u0435\u0442\u043A\u0430\"",
      L"  control Button \"Press me\"",
      L"  control Button \"Far too long a text for this button\" clipped",
      L"  control Button \"Tick me\"",
      L"  control ComboBox \"First\"",
      L"  control Button \"Disabled\" disabled",
      L"end dialog -> escape",
      L"exec \\dialog open -> 0",
      // Without --progress only the call that cancels is shown.
      L"reread 1",
      L"progress \"TestFS\" \"step\" 25 -> cancel",
      L"cancelled at 2\tf\t0\t128\t0\t\t",
  };
  EXPECT_EQ(r.OutLines(), expected);
}

TEST(Harness, PrintsProgressAndCancelsOnlyTheChosenCall) {
  TempDir temp;
  std::wstring local = temp / L"copy of alpha.txt";
  std::wstring q = QuoteArg(local);
  ProcessResult r = RunHarness(L"--progress --cancel-at 3 list \\progress get \\alpha.txt " + q +
                               L" get \\alpha.txt " + q + L" get \\alpha.txt " + q +
                               L" 1 get \\missing " + q + L" 1");
  ExpectFinished(r);
  Lines expected = {
      L"progress \"TestFS\" \"step\" 0",
      // The progress display lets the host handle its messages.
      L"reread 1",
      L"progress \"TestFS\" \"step\" 25",
      L"progress \"TestFS\" \"step\" 50 -> cancel",
      L"cancelled at 3\tf\t0\t128\t0\t\t",
      L"progress \"TestFS\" \"" + local + L"\" 50",
      L"get \\alpha.txt " + local + L" 0 -> 0",
      L"get \\alpha.txt " + local + L" 0 -> 1",
      L"progress \"TestFS\" \"" + local + L"\" 50",
      L"get \\alpha.txt " + local + L" 1 -> 0",
      L"get \\missing " + local + L" 1 -> 2",
  };
  EXPECT_EQ(r.OutLines(), expected);
  EXPECT_EQ(ReadBytes(local), "content of \\alpha.txt");
}

TEST(Harness, RunsTheOtherCommandsAndCountsRereadRequests) {
  ProcessResult r = RunHarness(
      L"root fields exec \\post exec \\send exec \\link exec \\alpha.txt properties "
      L"icon \\alpha.txt icon \\sub icon \\x delete \\alpha.txt delete \\sub "
      L"exec \\background pump 2");
  ExpectFinished(r);
  EXPECT_EQ(r.exitCode, 0u) << r.ErrText();
  Lines expected = {
      L"root -> TestFS",
      L"field 0\tEq\t\t8",
      L"field 1\tComment\ta|b\t8",
      L"view -> 1",
      L"view contents\t[=<fs>.Eq]\\n[=<fs>.Comment]",
      L"view headers\t<>\\nComment",
      L"view widths\t80,25,25,230",
      L"view options\t-1|1",
      // A posted request arrives after the call returned, a sent one during it.
      L"exec \\post open -> 0",
      L"reread 1",
      L"reread 2",
      L"reread 3",
      L"exec \\send open -> 0",
      L"exec \\link open -> -2 \"\\sub\"",
      L"exec \\alpha.txt properties -> 0",
      L"icon \\alpha.txt -> 1 icon",
      L"icon \\sub -> 2 icon",
      L"icon \\x -> 0 none",
      L"delete \\alpha.txt -> 1",
      L"delete \\sub -> 0",
      L"exec \\background open -> 0",
      // Sent from another thread while the harness pumps.
      L"reread 4",
  };
  EXPECT_EQ(r.OutLines(), expected);
}

// A dialog is printed whole, then its controls are pressed as --press says
// (the n-th list for the n-th dialog), then it gets Escape. The test
// plugin's dialog answers presses * 100 + ticked * 10 + the chosen entry.
// Texts outside the ANSI code page are printed and pressed as they are.
TEST(Harness, PrintsDialogsAndPressesTheirControls) {
  const std::wstring second = L"Second \u0394\u03B5\u03CD\u03C4\u03B5\u03C1\u03BF \u7B2C\u4E8C";
  ProcessResult r = RunHarness(L"--press \"Press me;Tick me;" + second +
                               L";Nothing;Press me;Disabled\" exec \\dialog exec \\dialog");
  ExpectFinished(r);
  EXPECT_EQ(r.exitCode, 0u) << r.ErrText();
  Lines dialog = {
      L"dialog \"Test Dialog\"",
      L"  control Static \"Label \u041C\u0435\u0442\u043A\u0430\"",
      L"  control Button \"Press me\"",
      L"  control Button \"Far too long a text for this button\" clipped",
      L"  control Button \"Tick me\"",
      L"  control ComboBox \"First\"",
      L"  control Button \"Disabled\" disabled",
  };
  Lines expected = dialog;
  expected.push_back(L"end dialog -> press \"Press me\", press \"Tick me\", press \"" + second +
                     L"\", press \"Nothing\" (not found), press \"Press me\", press "
                     L"\"Disabled\" (disabled), escape");
  expected.push_back(L"exec \\dialog open -> 211");
  expected.insert(expected.end(), dialog.begin(), dialog.end());
  expected.push_back(L"end dialog -> escape");
  expected.push_back(L"exec \\dialog open -> 0");
  EXPECT_EQ(r.OutLines(), expected);
}

// A harness started while one with --record runs (as the plugin starts the
// host with /O /S /R=...) records its command line and working folder, and
// does nothing else.
TEST(Harness, RecordsTheHarnessesStartedFromARecordingOne) {
  TempDir temp;
  const std::wstring record = temp / L"started.txt";
  ProcessResult r =
      RunProcess(QuoteArg(Harness()) + L" /O /S /R=\"C:\\some dir\"", temp.Path(), 60000,
                 {{L"TCHOST_RECORD", record}});
  ExpectFinished(r);
  EXPECT_EQ(r.exitCode, 0u) << r.ErrText();
  const std::string expected = "started \"" + orvelle::platform::AnsiFromWide(QuoteArg(Harness()), CP_UTF8) +
                               " /O /S /R=\"C:\\some dir\"\" in \"" +
                               orvelle::platform::AnsiFromWide(temp.Path(), CP_UTF8) + "\"\n";
  EXPECT_EQ(ReadBytes(record), expected);
  EXPECT_EQ(r.OutText(), orvelle::platform::WideFromAnsi(expected, CP_UTF8));
}

// The host's variables as the plugin sees them, for each form of /i=.
TEST(Harness, SetsTheHostEnvironmentFromItsFolderAndTheIniParameter) {
  TempDir temp;
  InstallationSpec spec;
  spec.hostFile = Harness();
  spec.pluginFile = TestPlugin();
  spec.pluginSubdir = L"";
  Installation inst = CreateInstallation(temp / L"Total Commander", spec);
  std::wstring someDir = temp / L"some dir\\wincmd.ini";
  struct Case {
    std::wstring parameter;
    std::wstring ini;
  };
  const Case cases[] = {
      {L"", inst.dir + L"\\wincmd.ini"},
      {L"/i=\"" + someDir + L"\"", someDir},
      {L"/i=C:\\x\\wincmd.ini", L"C:\\x\\wincmd.ini"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.parameter);
    std::wstring args = c.parameter + L" --plugin " + QuoteArg(inst.pluginPath) + L" list \\env";
    ProcessResult r = RunProcess(inst.CommandLine(args), temp.Path());
    ExpectFinished(r);
    Lines expected = {
        L"COMMANDER_PATH\tf\t0\t128\t0\t\t" + inst.dir,
        L"COMMANDER_INI\tf\t0\t128\t0\t\t" + c.ini,
        L"TTOTAL_CMD\tf\t0\t128\t0\t\tfound",
    };
    EXPECT_EQ(r.OutLines(), expected) << r.ErrText();
  }
}

TEST(Harness, IdleKeepsTheWindowUntilClosedOrTimeUp) {
  TempDir temp;
  InstallationSpec spec;
  spec.hostFile = Harness();
  spec.wincmdIni = "[Configuration]\r\n";
  Installation inst = CreateInstallation(temp / L"New TC", spec);
  std::wstring error;
  std::optional<BackgroundProcess> idle = BackgroundProcess::Start(
      inst.CommandLine(L"/i=\"" + inst.ini + L"\" --idle 600"), inst.dir, error);
  ASSERT_TRUE(idle) << error;
  ASSERT_TRUE(idle->WaitForWindow());
  EXPECT_TRUE(idle->Running());
  // Closed through its window, not terminated: a clean exit code.
  EXPECT_EQ(idle->Stop(), std::optional<DWORD>(0));

  ProcessResult r = RunProcess(inst.CommandLine(L"--idle 0.2"), inst.dir);
  ExpectFinished(r);
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_EQ(r.out, "");
}

TEST(Harness, ExitCodesTellHarnessFailuresApart) {
  struct Case {
    std::wstring arguments;
    DWORD exitCode;
    std::wstring errorText;  // part of the message on stderr
  };
  const Case cases[] = {
      {L"--no-such-option list \\", 1, L"unknown option: --no-such-option"},
      {L"--answers yes,maybe list \\", 1, L"--answers"},
      {L"--idle 5 list \\", 1, L"--idle takes no commands"},
      {L"--plugin Z:\\no\\such\\plugin.wfx root", 2, L"cannot load the plugin"},
      {L"--plugin " + SystemDll(L"kernel32.dll") + L" root", 2,
       L"does not export FsInit, FsFindFirst"},
      {L"--plugin " + QuoteArg(TestPlugin()) + L" exec \\crash", 0xC0000005,
       L"unhandled exception 0xC0000005"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    ProcessResult r = RunProcess(QuoteArg(Harness()) + L" " + c.arguments);
    ExpectFinished(r);
    EXPECT_EQ(r.exitCode, c.exitCode);
    EXPECT_NE(r.ErrText().find(c.errorText), std::wstring::npos) << r.ErrText();
  }
  ProcessResult help = RunProcess(QuoteArg(Harness()) + L" --help");
  ExpectFinished(help);
  EXPECT_EQ(help.exitCode, 0u);
  EXPECT_NE(help.OutText().find(L"Usage: tchost"), std::wstring::npos);
}

// Standard output is buffered: what was printed before a crash still comes
// out, whole and in order, also what the crashing command printed itself.
TEST(Harness, OutputBeforeACrashIsKept) {
  const std::wstring plugin = L"--plugin " + QuoteArg(TestPlugin());
  ProcessResult listed = RunProcess(QuoteArg(Harness()) + L" " + plugin + L" list \\");
  ExpectFinished(listed);
  ASSERT_EQ(listed.exitCode, 0u) << listed.ErrText();
  ASSERT_FALSE(listed.OutLines().empty());

  ProcessResult crashed = RunProcess(QuoteArg(Harness()) + L" " + plugin +
                                     L" list \\ exec \\ trace exec \\crash");
  ExpectFinished(crashed);
  EXPECT_EQ(crashed.exitCode, 0xC0000005u);
  std::vector<std::wstring> expected = listed.OutLines();
  expected.push_back(L"exec \\ trace -> 0");
  // The crashing entry point logged its call before it crashed.
  expected.push_back(L"log 0 \"FsExecuteFile \\crash open\"");
  EXPECT_EQ(crashed.OutLines(), expected);
}

}  // namespace
}  // namespace orvelle::test
