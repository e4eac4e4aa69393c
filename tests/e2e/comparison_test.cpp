// The whole comparison of the fixture pair, in real processes: the New
// installation runs idle, My installation's harness loads the plugin and
// lists its root with every folder below it. The printed tree is checked
// against fixtures\pair\expected-tree.txt, so that a change in what the user
// sees is a deliberate one. Set ORVELLE_UPDATE_EXPECTED=1 to write the file
// anew from this run (then read its diff before committing it).
#include "platform/fs.h"
#include "platform/strings.h"
#include "support/fixture_pair.h"
#include "support/pe_resources.h"
#include "support/process_runner.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"
#include "tree/vars_conts.h"
#include "util/process_info.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace orvelle::e2e {
namespace {

using test::QuoteArg;
using Lines = std::vector<std::wstring>;

Lines SplitTabs(const std::wstring& line) {
  Lines columns;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find(L'\t', start);
    columns.push_back(line.substr(start, tab == std::wstring::npos ? tab : tab - start));
    if (tab == std::wstring::npos) return columns;
    start = tab + 1;
  }
}

std::wstring JoinTabs(const Lines& columns) {
  std::wstring line;
  for (size_t i = 0; i < columns.size(); ++i) line += (i == 0 ? L"" : L"\t") + columns[i];
  return line;
}

// Replaces every occurrence of `from`, without regard to case.
std::wstring ReplaceNoCase(std::wstring text, const std::wstring& from, const std::wstring& to) {
  const std::wstring lowerFrom = platform::LowerCase(from);
  for (size_t at = platform::LowerCase(text).find(lowerFrom); at != std::wstring::npos;
       at = platform::LowerCase(text).find(lowerFrom, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

// The sizes of the files the pair makes from the build and the system: they
// change with every build, so the listing shows them as "#".
void CollectBinarySizes(const std::wstring& dir, std::set<std::wstring>& sizes) {
  for (const platform::FileEntry& e : platform::EnumFiles(dir + L"\\*")) {
    if (e.IsDirectory()) {
      CollectBinarySizes(dir + L"\\" + e.name, sizes);
    } else if (e.size >= 4096) {
      sizes.insert(std::to_wstring(e.size));
    }
  }
}

// How the New installation of the pair is made and started.
struct NewSide {
  // Alters the installation before it starts.
  std::function<void(const std::wstring& newDir)> change;
  // The harness run as its totalcmd.exe; empty: the build's own.
  std::wstring program;
  // Its wincmd.ini moved to a folder of its own, "New settings", to which only
  // the quoted /i= parameter leads.
  bool settingsApart = false;
  // A start that fails is the test's to judge (a program of a bitness this
  // machine may not run), not a failure of its own.
  bool startMayFail = false;
};

// The two installations of the fixture pair, the New one running idle.
class Pair {
 public:
  // `changeNew` may alter the New installation before it starts.
  explicit Pair(const std::function<void(const std::wstring& newDir)>& changeNew = {})
      : Pair(NewSide{changeNew, {}, false, false}) {}

  explicit Pair(const NewSide& side) {
    test::PreparePairInstallation(L"my", my_);
    test::PreparePairInstallation(L"new", new_, side.program);
    if (side.change) side.change(new_);
    plugin_ = my_ + L"\\plugins\\wfx\\Orvelle\\" + ORVELLE_PLUGIN_FILE;
    test::CreateDirectories(platform::ExtractFileDir(plugin_));
    ::CopyFileW(test::BuiltFile(ORVELLE_PLUGIN_FILE).c_str(), plugin_.c_str(), FALSE);
    CollectBinarySizes(my_, binarySizes_);
    CollectBinarySizes(new_, binarySizes_);
    std::wstring ini = new_ + L"\\wincmd.ini";
    if (side.settingsApart) {
      const std::wstring settings = root_ / L"New settings";
      test::CreateDirectories(settings);
      EXPECT_TRUE(::MoveFileW(ini.c_str(), (settings + L"\\wincmd.ini").c_str()));
      ini = settings + L"\\wincmd.ini";
    }
    auto idle = test::BackgroundProcess::Start(
        QuoteArg(NewProgram()) + L" /i=" + QuoteArg(ini) + L" --idle 300", {}, startError_);
    if (!idle) {
      if (!side.startMayFail) ADD_FAILURE() << "cannot start the New installation: " << startError_;
      return;
    }
    idle_ = std::move(*idle);
    if (idle_.WaitForWindow()) return;
    if (side.startMayFail && !idle_.Running()) {
      // Wine may start a program of a bitness it cannot load and see it end.
      DWORD code = 0;
      ::GetExitCodeProcess(idle_.handle(), &code);
      startError_ = L"it ended at once, exit code " + std::to_wstring(code);
      idle_ = test::BackgroundProcess();
      return;
    }
    ADD_FAILURE() << "the New installation shows no window";
  }

  bool Started() const { return idle_.handle() != nullptr; }
  const std::wstring& StartError() const { return startError_; }
  HANDLE NewProcess() const { return idle_.handle(); }
  std::wstring NewProgram() const { return new_ + L"\\totalcmd.exe"; }
  std::wstring Root() const { return root_.Path(); }

  // My installation's harness loading the plugin and running the commands.
  test::ProcessResult RunMy(const std::wstring& commands,
                            const test::EnvironmentChanges& environment = {}) const {
    return test::RunProcess(QuoteArg(my_ + L"\\totalcmd.exe") + L" --plugin " + QuoteArg(plugin_) +
                                L" " + commands,
                            {}, 120000, environment);
  }

  // The listing lines of a run (those of virtual paths), made independent
  // of the temporary folder, the build and the time zone: the folder becomes
  // "<pair>", sizes of built files "#", the status dates (local noon of
  // their day) keep their day only, and the time a backup was taken
  // "<time>".
  Lines Normalised(const test::ProcessResult& run) const {
    Lines out;
    for (const std::wstring& line : run.OutLines()) {
      if (!line.starts_with(L"\\")) continue;
      Lines c = SplitTabs(ReplaceNoCase(line, root_.Path(), L"<pair>"));
      if (c.size() == 7) {
        if (binarySizes_.count(c[2]) != 0) c[2] = L"#";
        c[4] = c[4].substr(0, 10);
        // A backup's comment starts with when it was taken.
        if (c[0].starts_with(L"\\Backup\\") && c[6].size() >= 19 && c[6][2] == L'.' &&
            c[6][13] == L':') {
          c[6] = L"<time>" + c[6].substr(19);
        }
      }
      out.push_back(JoinTabs(c));
    }
    return out;
  }

 private:
  test::TempDir root_;
  std::wstring my_ = root_ / L"My installation";
  std::wstring new_ = root_ / L"New installation";
  std::wstring plugin_;
  std::set<std::wstring> binarySizes_;
  std::wstring startError_;
  test::BackgroundProcess idle_;
};

std::wstring ExpectedFile() { return test::SourceFile(L"fixtures\\pair\\expected-tree.txt"); }

Lines ReadLines(const std::wstring& file) {
  std::string bytes = test::ReadBytes(file);
  Lines lines;
  std::wistringstream in(platform::WideFromAnsi(bytes, CP_UTF8));
  for (std::wstring line; std::getline(in, line);) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

void WriteLines(const std::wstring& file, const Lines& lines) {
  std::wstring text;
  for (const std::wstring& line : lines) text += line + L"\n";
  test::WriteBytes(file, platform::AnsiFromWide(text, CP_UTF8));
}

// The lines of `lines` below a virtual folder (its own line excluded).
Lines Below(const Lines& lines, const std::wstring& folder) {
  Lines out;
  std::copy_if(lines.begin(), lines.end(), std::back_inserter(out),
               [&](const std::wstring& l) { return l.starts_with(folder + L"\\"); });
  return out;
}

// The columns of the line of one virtual path; empty when there is none.
Lines LineOf(const Lines& lines, const std::wstring& path) {
  for (const std::wstring& line : lines) {
    Lines c = SplitTabs(line);
    if (c[0] == path) return c;
  }
  return {};
}

std::wstring Text(const Lines& lines) {
  std::wstring text;
  for (const std::wstring& line : lines) text += line + L"\n";
  return text;
}

// Compares a normalised tree with fixtures\pair\expected-tree.txt and
// reports the first difference.
void ExpectTheExpectedTree(const Lines& actual) {
  Lines expected = ReadLines(ExpectedFile());
  ASSERT_FALSE(expected.empty()) << "missing " << ExpectedFile();
  for (size_t i = 0; i < std::max(expected.size(), actual.size()); ++i) {
    std::wstring want = i < expected.size() ? expected[i] : L"(nothing)";
    std::wstring got = i < actual.size() ? actual[i] : L"(nothing)";
    if (want != got) {
      ADD_FAILURE() << "first difference at line " << i + 1 << "\n  expected: " << want
                    << "\n  actual:   " << got << "\nwhole tree:\n"
                    << Text(actual);
      break;
    }
  }
}

// The plugin's thread count for a run: the comparison reads on worker
// threads, and what it shows must not depend on how many.
test::EnvironmentChanges Threads(int count) {
  return {{L"ORVELLE_THREADS", std::to_wstring(count)}};
}

TEST(Comparison, TheFixturePairShowsTheExpectedTree) {
  Pair pair;
  for (int threads : {1, 4}) {
    SCOPED_TRACE(testing::Message() << threads << " threads");
    test::ProcessResult run = pair.RunMy(L"tree \\", Threads(threads));
    ASSERT_FALSE(run.timedOut);
    ASSERT_EQ(run.exitCode, 0u) << run.ErrText();
    Lines actual = pair.Normalised(run);

    const wchar_t* update = _wgetenv(L"ORVELLE_UPDATE_EXPECTED");
    if (update != nullptr && std::wstring(update) == L"1") {
      WriteLines(ExpectedFile(), actual);
      GTEST_SKIP() << "wrote " << ExpectedFile();
    }
    ExpectTheExpectedTree(actual);
  }
}

// A New program whose version the known-builds table lists, with a digest
// the table does not have: a modified build.
TEST(Comparison, AListedVersionWithAnotherDigestIsAModifiedBuild) {
  Pair pair([](const std::wstring& newDir) {
    test::WriteVersionResource(newDir + L"\\totalcmd.exe", {6, 57, 0, 0}, {6, 57, 0, 0},
                               {{L"FileVersion", L"6.57"}, {L"ProductVersion", L"6.57"}});
  });
  test::ProcessResult run =
      pair.RunMy(L"list \\ list \\totalcmd.exe list \"\\totalcmd.exe\\Main unit\"");
  ASSERT_EQ(run.exitCode, 0u) << run.ErrText();
  Lines lines = run.OutLines();
  auto line = [&](const std::wstring& name) {
    for (const std::wstring& l : lines) {
      if (l.starts_with(name + L"\t")) return SplitTabs(l);
    }
    return Lines{};
  };
  Lines version = line(L"Version");
  Lines modified = line(L"EXE modified");
  ASSERT_EQ(version.size(), 7u) << run.OutText();
  ASSERT_EQ(modified.size(), 7u) << run.OutText();
  EXPECT_EQ(version[6], L"6.57");
  EXPECT_EQ(modified[5], L"!*");
  EXPECT_TRUE(modified[6].starts_with(L"Yes (unsigned, ")) << modified[6];
  Lines unit = line(L"Main unit");
  ASSERT_EQ(unit.size(), 7u);
  EXPECT_NE(unit[5].find(L'!'), std::wstring::npos);
  EXPECT_NE(unit[5].find(L'*'), std::wstring::npos);
}

// A New program signed by a signer no root vouches for is a genuine build
// ("No") whatever its version; the same program with bytes appended behind
// its signature is altered. The harness signed at build time replaces New's
// totalcmd.exe; My's unsigned harness stands beside it in the comment.
TEST(Comparison, TheNewProgramIsJudgedByItsSignature) {
  const std::wstring fixtures = test::BinaryDir() + L"\\fixtures\\signature\\";
  if (!platform::FileExists(fixtures + L"signed.exe")) GTEST_SKIP() << "no signed test programs";
  struct Case {
    const wchar_t* program;
    const wchar_t* status;
    const wchar_t* verdict;
  } cases[] = {
      {L"signed.exe", L"*", L"No (signed: Orvelle Test Signer) <> ? (unsigned, "},
      {L"appended.exe", L"!*", L"Yes (signed: Orvelle Test Signer, does not verify) <> ? (unsigned, "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::PrintToString(std::wstring(c.program)));
    const std::wstring program = fixtures + c.program;
    Pair pair([&](const std::wstring& newDir) {
      ASSERT_TRUE(::CopyFileW(program.c_str(), (newDir + L"\\totalcmd.exe").c_str(), FALSE));
    });
    test::ProcessResult run = pair.RunMy(L"list \\ list \"\\totalcmd.exe\\Main unit\"");
    ASSERT_EQ(run.exitCode, 0u) << run.ErrText();
    Lines modified;
    for (const std::wstring& l : run.OutLines()) {
      if (l.starts_with(L"EXE modified\t")) modified = SplitTabs(l);
    }
    ASSERT_EQ(modified.size(), 7u) << run.OutText() << run.ErrText();
    EXPECT_EQ(modified[5], c.status);
    EXPECT_TRUE(modified[6].starts_with(c.verdict)) << modified[6];
  }
}

// Cancelling in the host's progress display: at the first report nothing is
// compared; within the file-system plugins the Main unit is complete, the
// plugin folder keeps what was made without a summary, and no later step
// made anything. Either way the root shows the installation folder as a
// plain entry marked incomplete. The same with worker threads reading ahead:
// they stop with the comparison, and the listing is the same.
TEST(Comparison, CancelLeavesThePartialTreeAndMarksTheInstallationFolder) {
  Pair pair;
  test::ProcessResult full = pair.RunMy(L"--progress tree \\", Threads(1));
  ASSERT_EQ(full.exitCode, 0u) << full.ErrText();
  Lines fullTree = pair.Normalised(full);
  // The callbacks of the full run, in order: the driver's first report, then
  // one per compared plugin and target.
  Lines targets;
  for (const std::wstring& line : full.OutLines()) {
    if (line.starts_with(L"progress ")) targets.push_back(line);
  }
  ASSERT_GE(targets.size(), 2u) << full.OutText();
  // The second report within the file-system plugins: the first one is in.
  size_t at = 0, wfx = 0;
  for (size_t i = 0; i < targets.size() && at == 0; ++i) {
    if (targets[i].find(L"\"Plugins: WFX: ") != std::wstring::npos && ++wfx == 2) at = i + 1;
  }
  ASSERT_NE(at, 0u) << "the pair has fewer than two file-system plugins";

  auto expectMarked = [](const Lines& lines) {
    Lines marked = LineOf(lines, L"\\totalcmd.exe.");
    ASSERT_EQ(marked.size(), 7u) << Text(lines);
    EXPECT_EQ(marked[1], L"f");
    EXPECT_EQ(marked[5], L"*!");
    EXPECT_EQ(marked[6], L"Virtual tree was not build completely!");
    EXPECT_TRUE(LineOf(lines, L"\\totalcmd.exe").empty());
  };

  Lines partialWithOneThread;
  for (int threads : {1, 4}) {
    SCOPED_TRACE(testing::Message() << threads << " threads");
    test::ProcessResult first =
        pair.RunMy(L"--cancel-at 1 tree \\ tree \\totalcmd.exe", Threads(threads));
    ASSERT_EQ(first.exitCode, 0u) << first.ErrText();
    Lines firstLines = pair.Normalised(first);
    expectMarked(firstLines);
    EXPECT_TRUE(Below(firstLines, L"\\totalcmd.exe").empty()) << Text(firstLines);

    test::ProcessResult cancelled = pair.RunMy(
        L"--cancel-at " + std::to_wstring(at) + L" tree \\ tree \\totalcmd.exe", Threads(threads));
    ASSERT_EQ(cancelled.exitCode, 0u) << cancelled.ErrText();
    Lines partial = pair.Normalised(cancelled);
    expectMarked(partial);
    EXPECT_EQ(Below(partial, L"\\totalcmd.exe\\Main unit"),
              Below(fullTree, L"\\totalcmd.exe\\Main unit"));
    EXPECT_EQ(LineOf(partial, L"\\totalcmd.exe\\Main unit"),
              LineOf(fullTree, L"\\totalcmd.exe\\Main unit"));
    Lines wfxFolder = LineOf(partial, L"\\totalcmd.exe\\Plugins\\WFX");
    ASSERT_EQ(wfxFolder.size(), 7u) << Text(partial);
    EXPECT_EQ(wfxFolder[5], L"") << "a stopped step leaves no summary";
    const std::wstring wfxPath = L"\\totalcmd.exe\\Plugins\\WFX\\";
    size_t wfxEntries = 0;
    for (const std::wstring& line : Below(partial, L"\\totalcmd.exe\\Plugins\\WFX")) {
      wfxEntries += SplitTabs(line)[0].find(L'\\', wfxPath.size()) == std::wstring::npos;
    }
    EXPECT_EQ(wfxEntries, 1u) << Text(partial);
    for (const wchar_t* kind : {L"WCX", L"WLX", L"WDX"}) {
      EXPECT_TRUE(Below(partial, std::wstring(L"\\totalcmd.exe\\Plugins\\") + kind).empty())
          << kind;
    }
    EXPECT_TRUE(LineOf(partial, L"\\totalcmd.exe\\Applications").empty()) << Text(partial);
    if (threads == 1) {
      partialWithOneThread = partial;
    } else {
      EXPECT_EQ(partial, partialWithOneThread);
    }
  }
}

// A New installation of the other bitness: the 64-bit build runs the 32-bit
// harness as New, the 32-bit build the 64-bit one, started with a quoted /i=
// naming its configuration in a folder of its own. The 64-bit build reads
// every process's command line; the 32-bit one reads a 64-bit process where
// the system has the 64-bit read functions (Windows). Where it cannot (Wine)
// the root names the program whose command line was out of reach, and a
// configuration that the program folder leads to (its wincmd.ini there says
// UseIniInProgramDir=7) is found all the same.
TEST(CrossBitness, TheFixturePairWithANewInstallationOfTheOtherBitness) {
  const std::wstring otherHost = test::OtherBuiltFile(ORVELLE_OTHER_HOST_FILE);
  if (!platform::FileExists(otherHost)) {
    GTEST_SKIP() << "the other bitness's build is missing (" << otherHost
                 << "): make build32 and build64";
  }
  const std::wstring settingsIni = L"<pair>\\New settings\\wincmd.ini";
  const std::wstring programIni = L"<pair>\\New installation\\wincmd.ini";

  NewSide other{{}, otherHost, false, false};
  NewSide otherApart = other;
  otherApart.settingsApart = true;
  otherApart.startMayFail = true;

  Pair apart(otherApart);
  if (!apart.Started()) {
    GTEST_SKIP() << "this machine cannot run " << otherHost << ": " << apart.StartError();
  }
  BOOL newUnderWow64 = FALSE;
  ASSERT_TRUE(::IsWow64Process(apart.NewProcess(), &newUnderWow64));
  BOOL myUnderWow64 = FALSE;
  ::IsWow64Process(::GetCurrentProcess(), &myUnderWow64);
  ASSERT_NE(newUnderWow64, myUnderWow64) << "New runs with the other bitness";

  test::ProcessResult run = apart.RunMy(L"tree \\");
  ASSERT_EQ(run.exitCode, 0u) << run.ErrText();
  Lines lines = apart.Normalised(run);
  // This test program has the plugin's bitness: what it reads, the plugin can.
  const bool readable = ReadProcessCommandLine(apart.NewProcess()).has_value();
  if (sizeof(void*) == 8) {
    EXPECT_TRUE(readable) << "the 64-bit build reads every process";
  }
  if (readable) {
    Lines ini = LineOf(lines, L"\\totalcmd.exe\\Main unit\\wincmd.ini");
    ASSERT_EQ(ini.size(), 7u) << Text(lines);
    EXPECT_EQ(ini[6], settingsIni);
    for (std::wstring& line : lines) line = ReplaceNoCase(line, settingsIni, programIni);
    ExpectTheExpectedTree(lines);
    return;
  }
  Lines error = LineOf(lines, L"\\Error");
  ASSERT_EQ(error.size(), 7u) << Text(lines);
  EXPECT_EQ(error[6], texts::kCanNotReadCommandLine +
                          (L" " + ReplaceNoCase(apart.NewProgram(), apart.Root(), L"<pair>")));
  EXPECT_TRUE(LineOf(lines, L"\\totalcmd.exe").empty()) << Text(lines);

  Pair inProgramFolder(other);
  test::ProcessResult found = inProgramFolder.RunMy(L"tree \\");
  ASSERT_EQ(found.exitCode, 0u) << found.ErrText();
  ExpectTheExpectedTree(inProgramFolder.Normalised(found));
}

}  // namespace
}  // namespace orvelle::e2e
