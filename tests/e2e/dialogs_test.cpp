// Opening entries of the fixture pair in real processes: the harness prints
// each dialog whole (controls, grid cells with colours and frames), presses
// what a test asks for, and records the programs the dialogs start.
#include "forms/form_files.h"
#include "platform/fs.h"
#include "platform/handle.h"
#include "platform/strings.h"
#include "running_pair.h"
#include "support/mini_installation.h"
#include "support/process_runner.h"
#include "support/running_pair.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvelle::e2e {
namespace {

using test::QuoteArg;
using Lines = std::vector<std::wstring>;

// One dialog as the harness printed it.
struct Dump {
  std::wstring caption;
  Lines controls;  // "CLASS "TEXT" flags" (after "control ")
  Lines cells;     // "GRID ROW COL "TEXT" fg=N bg=N [framed]" (after "cell ")
  std::wstring action;
  // The output lines between the dialog and the next command's line.
  Lines all;
};

std::vector<Dump> DumpsOf(const test::ProcessResult& run) {
  std::vector<Dump> dumps;
  Dump* open = nullptr;
  for (const std::wstring& line : run.OutLines()) {
    if (line.starts_with(L"dialog \"")) {
      dumps.push_back({});
      open = &dumps.back();
      open->caption = line.substr(8, line.size() - 9);
    } else if (open != nullptr && line.starts_with(L"  control ")) {
      open->controls.push_back(line.substr(10));
    } else if (open != nullptr && line.starts_with(L"  cell ")) {
      open->cells.push_back(line.substr(7));
    } else if (open != nullptr && line.starts_with(L"end dialog -> ")) {
      open->action = line.substr(14);
      open = nullptr;
      continue;
    }
    if (open != nullptr) open->all.push_back(line);
  }
  return dumps;
}

struct Cell {
  std::wstring text;
  unsigned long fg = 0, bg = 0;
  bool framed = false;
};

// The cell GRID ROW COL of a dump; nullopt when it was not printed.
std::optional<Cell> CellOf(const Dump& d, const std::wstring& grid, int row, int column) {
  const std::wstring key = grid + L" " + std::to_wstring(row) + L" " + std::to_wstring(column) + L" \"";
  for (const std::wstring& line : d.cells) {
    if (!line.starts_with(key)) continue;
    Cell c;
    const size_t end = line.rfind(L"\" fg=");
    c.text = line.substr(key.size(), end - key.size());
    c.fg = std::wcstoul(line.c_str() + end + 5, nullptr, 10);
    c.bg = std::wcstoul(line.c_str() + line.find(L" bg=", end) + 4, nullptr, 10);
    c.framed = line.find(L" framed", end) != std::wstring::npos;
    return c;
  }
  return std::nullopt;
}

std::wstring Text(const Lines& lines) {
  std::wstring text;
  for (const std::wstring& l : lines) text += l + L"\n";
  return text;
}

// The row of a grid whose sign cell is framed; -1 when none.
int FramedRow(const Dump& d, const std::wstring& grid, int rows) {
  for (int r = 0; r < rows; ++r) {
    std::optional<Cell> c = CellOf(d, grid, r, 2);
    if (c && c->framed) return r;
  }
  return -1;
}

constexpr wchar_t kFiles[] = L"\\totalcmd.exe\\Main unit\\Files\\";
constexpr wchar_t kCommands[] = L"\\totalcmd.exe\\Main unit\\Commands\\";
constexpr wchar_t kOpenDirectory[] =
    L"Open My file directory in destination panel after close this window";

std::wstring Exec(const std::wstring& path) { return L" exec " + QuoteArg(path); }

// The entries every test of this suite looks at, opened in one run of My
// installation's harness: one dialog per entry, in this order.
const std::vector<std::wstring>& OpenedEntries() {
  static const std::vector<std::wstring> entries = {
      L"\\About...",
      std::wstring(kFiles) + L"SHARE_NT.EXE",   // both, an older version
      std::wstring(kFiles) + L"INSTALL.BAT",    // both, newer date, no version resource
      std::wstring(kFiles) + L"SETUP.VBS",      // both, same size, other bytes
      std::wstring(kFiles) + L"NOCLOSE.EXE",    // only New
      std::wstring(kFiles) + L"UNRAR.DLL",      // only My
      L"\\totalcmd.exe\\Plugins\\WDX\\same.wdx\\Directory\\same.wdx",  // one file for both
      L"\\totalcmd.exe\\Applications\\Non executable\\README.TXT",    // other size, same date
      std::wstring(kCommands) + L"File Operations\\cm_CopyNamesToClip.2017",  // "*"
      std::wstring(kCommands) + L"Configuration\\cm_OldCommand.499",          // "!"
      std::wstring(kCommands) + L"Configuration\\cm_DisplayConfig.487",       // "<>"
  };
  return entries;
}

class Dialogs : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    pair_ = std::make_unique<test::RunningPair>();
    if (!pair_->Ready()) return;
    std::wstring commands = L"list \\";
    for (const std::wstring& e : OpenedEntries()) commands += Exec(e);
    // Only-My's "Run New" cannot be pressed.
    run_ = pair_->RunMy(L"--press \"\" --press \"\" --press \"\" --press \"\" --press \"\" "
                        L"--press \"Run New\" " + commands);
    dumps_ = DumpsOf(run_);
  }
  static void TearDownTestSuite() { pair_.reset(); }

  void SetUp() override {
    ASSERT_TRUE(pair_ && pair_->Ready());
    ASSERT_EQ(run_.exitCode, 0u) << run_.ErrText();
    ASSERT_EQ(dumps_.size(), OpenedEntries().size()) << run_.OutText();
  }

  static const Dump& DumpOf(const std::wstring& entry) {
    for (size_t i = 0; i < OpenedEntries().size(); ++i) {
      if (OpenedEntries()[i] == entry) return dumps_[i];
    }
    throw std::runtime_error("not opened");
  }

  static std::unique_ptr<test::RunningPair> pair_;
  static test::ProcessResult run_;
  static std::vector<Dump> dumps_;
};

std::unique_ptr<test::RunningPair> Dialogs::pair_;
test::ProcessResult Dialogs::run_;
std::vector<Dump> Dialogs::dumps_;

TEST_F(Dialogs, EachEntryOpensItsDialogAndEscapeClosesIt) {
  for (size_t i = 0; i < OpenedEntries().size(); ++i) {
    const std::wstring& entry = OpenedEntries()[i];
    const std::wstring expected = i == 0                                  ? L"About plugin"
                                  : entry.find(L"\\cm_") != std::wstring::npos ? L"Text Compare Information"
                                                                         : L"File Compare Information";
    EXPECT_EQ(dumps_[i].caption, expected) << entry;
    EXPECT_TRUE(dumps_[i].action.ends_with(L"escape")) << entry << ": " << dumps_[i].action;
  }
  // The host gets its answer after the dialog is gone.
  Lines out = run_.OutLines();
  for (const std::wstring& entry : OpenedEntries()) {
    EXPECT_NE(std::find(out.begin(), out.end(), L"exec " + entry + L" open -> 0"), out.end())
        << entry;
  }
}

TEST_F(Dialogs, AboutShowsNameAndVersion) {
  const Dump& d = DumpOf(L"\\About...");
  Lines expected = {
      L"Static \"Name:\"",     L"Static \"Orvelle\"",
      L"Static \"Version:\"",  L"Static \"1.0.2.0\"",
      L"Static \"Author:\"",   L"Static \"The Orvelle developers\"",
      L"Static \"E-Mail:\"",   L"Static \"orvelle@example.org\"",
      L"Static \"Copyright:\"", L"Static \"(c) 2026 The Orvelle developers\"",
  };
  EXPECT_EQ(d.controls, expected) << Text(d.all);
}

struct FileCase {
  const wchar_t* entry;  // below the Files folder unless it starts with "\"
  const wchar_t* header[4];
  // The file rows' signs; the creation and access dates follow the clock
  // when the pair is made and read, and are not compared (null).
  const wchar_t* signs[5];
  const wchar_t* framedGrid;  // "file", "version" or empty
  int framedRow;
  bool runNew, runMy;
};

std::wstring EntryPath(const wchar_t* entry) {
  return entry[0] == L'\\' ? std::wstring(entry) : std::wstring(kFiles) + entry;
}

bool HasControl(const Dump& d, const std::wstring& control) {
  return std::find(d.controls.begin(), d.controls.end(), control) != d.controls.end();
}

TEST_F(Dialogs, FileCompareShowsEachModeWithTheDecidingRowFramed) {
  const FileCase cases[] = {
      // An older version: the file version number row decides.
      {L"SHARE_NT.EXE", {L" SHARE_NT.EXE", L"New", L"<", L"My"}, {nullptr, L"=", nullptr, L"=", L"<>"},
       L"version", 0, true, true},
      // No version resource, a newer date: the modification date decides.
      {L"INSTALL.BAT", {L" INSTALL.BAT", L"New", L">", L"My"}, {nullptr, L">", nullptr, L">", L"<>"},
       L"file", 1, true, true},
      // Same size, other bytes, same date: the digest row.
      {L"SETUP.VBS", {L" SETUP.VBS", L"New", L"<>", L"My"}, {nullptr, L"=", nullptr, L"=", L"<>"},
       L"file", 4, true, true},
      // Other size, same date, no version: the size row.
      {L"\\totalcmd.exe\\Applications\\Non executable\\README.TXT",
       {L" README.TXT", L"New", L"<>", L"My"}, {nullptr, L"=", nullptr, L">", L"<>"}, L"file", 3,
       true, true},
      {L"NOCLOSE.EXE", {L" NOCLOSE.EXE", L"New", L"*", L""},
       {L"*", L"*", L"*", L"*", L"*"}, L"", -1, true, false},
      {L"UNRAR.DLL", {L" UNRAR.DLL", L"", L"!", L"My"},
       {L"!", L"!", L"!", L"!", L"!"}, L"", -1, false, true},
  };
  for (const FileCase& c : cases) {
    const Dump& d = DumpOf(EntryPath(c.entry));
    SCOPED_TRACE(testing::Message() << EntryPath(c.entry) << "\n" << Text(d.all));
    for (int col = 0; col < 4; ++col) {
      std::optional<Cell> cell = CellOf(d, L"header", 0, col);
      ASSERT_TRUE(cell);
      EXPECT_EQ(cell->text, c.header[col]) << "header column " << col;
    }
    for (int row = 0; row < 5; ++row) {
      std::optional<Cell> cell = CellOf(d, L"file", row, 2);
      ASSERT_TRUE(cell);
      if (c.signs[row] != nullptr) {
        EXPECT_EQ(cell->text, c.signs[row]) << "file row " << row;
      }
    }
    const std::wstring framedGrid = c.framedGrid;
    EXPECT_EQ(FramedRow(d, L"file", 5), framedGrid == L"file" ? c.framedRow : -1);
    EXPECT_EQ(FramedRow(d, L"version", 14), framedGrid == L"version" ? c.framedRow : -1);
    EXPECT_EQ(HasControl(d, L"Button \"Run New\""), c.runNew);
    EXPECT_EQ(HasControl(d, L"Button \"Run My\""), c.runMy);
    EXPECT_EQ(HasControl(d, L"Button \"Run New\" disabled"), !c.runNew);
    EXPECT_EQ(HasControl(d, L"Button \"Run My\" disabled"), !c.runMy);
    // Only one file for both shows the warning.
    for (const std::wstring& control : d.controls) {
      EXPECT_EQ(control.find(L"The same file"), std::wstring::npos);
    }
  }
}

// My installation's colours (BackColor 16777215, BackColor2 15790320 in
// fixtures\pair\my\wincmd.ini): the file grid starts with the first, the
// version grid with the second; each row is drawn in its sign's colour.
TEST_F(Dialogs, RowsTakeTheirSignColourOnAlternatingBackgrounds) {
  const Dump& d = DumpOf(std::wstring(kFiles) + L"SHARE_NT.EXE");
  SCOPED_TRACE(Text(d.all));
  for (int row = 0; row < 5; ++row) {
    std::optional<Cell> cell = CellOf(d, L"file", row, 0);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->bg, row % 2 == 0 ? 16777215u : 15790320u);
  }
  for (int row = 0; row < 14; ++row) {
    std::optional<Cell> cell = CellOf(d, L"version", row, 3);
    ASSERT_TRUE(cell);
    EXPECT_EQ(cell->bg, row % 2 == 0 ? 15790320u : 16777215u);
  }
  std::optional<Cell> digest = CellOf(d, L"file", 4, 1);
  ASSERT_TRUE(digest);
  EXPECT_EQ(digest->fg, 255u);  // "<>"
  EXPECT_EQ(digest->text.size(), 32u);
  std::optional<Cell> older = CellOf(d, L"version", 0, 3);
  ASSERT_TRUE(older);
  EXPECT_EQ(older->text, L"1.5.0.0");
  EXPECT_EQ(older->fg, 12632256u);  // "<"

  const Dump& onlyNew = DumpOf(std::wstring(kFiles) + L"NOCLOSE.EXE");
  std::optional<Cell> version = CellOf(onlyNew, L"version", 0, 1);
  ASSERT_TRUE(version);
  EXPECT_EQ(version->text, L"1.0.0.0");
  EXPECT_EQ(version->fg, 48896u);  // "*"
  EXPECT_EQ(CellOf(onlyNew, L"version", 0, 2)->text, L"*");
  EXPECT_EQ(CellOf(onlyNew, L"version", 0, 3)->text, L"");
  EXPECT_EQ(CellOf(onlyNew, L"file", 3, 3)->text, L"");
}

TEST_F(Dialogs, AFileWithoutVersionResourceLeavesTheVersionRowsEmpty) {
  const Dump& d = DumpOf(std::wstring(kFiles) + L"INSTALL.BAT");
  for (int row = 0; row < 14; ++row) {
    for (int col = 1; col < 4; ++col) {
      std::optional<Cell> cell = CellOf(d, L"version", row, col);
      ASSERT_TRUE(cell);
      EXPECT_EQ(cell->text, L"") << "row " << row << " column " << col;
    }
  }
  // Its row labels stay.
  EXPECT_EQ(CellOf(d, L"version", 13, 0)->text, L" Special Build");
  EXPECT_EQ(CellOf(d, L"file", 3, 1)->text, L"28");
  EXPECT_EQ(CellOf(d, L"file", 3, 3)->text, L"24");
}

TEST_F(Dialogs, OneFileForBothInstallationsIsFlagged) {
  const Dump& d = DumpOf(L"\\totalcmd.exe\\Plugins\\WDX\\same.wdx\\Directory\\same.wdx");
  EXPECT_TRUE(HasControl(d, L"Static \"WARNING! The same file! [My]\"")) << Text(d.all);
  EXPECT_EQ(CellOf(d, L"header", 0, 2)->text, L"=");
}

TEST_F(Dialogs, ADisabledButtonCannotBePressed) {
  EXPECT_EQ(DumpOf(std::wstring(kFiles) + L"UNRAR.DLL").action, L"press \"Run New\" (disabled), escape");
}

struct TextCase {
  const wchar_t* entry;
  const wchar_t* header[4];
  const wchar_t* description;
  const wchar_t* newText;
  const wchar_t* myText;
};

TEST_F(Dialogs, TextCompareShowsBothTextsUnderTheirSign) {
  const TextCase cases[] = {
      {L"File Operations\\cm_CopyNamesToClip.2017", {L" File Operations", L"New", L"*", L""},
       nullptr, nullptr, L""},
      {L"Configuration\\cm_OldCommand.499", {L" Configuration", L"", L"!", L"My"}, nullptr, L"",
       nullptr},
      {L"Configuration\\cm_DisplayConfig.487", {L" Configuration", L"New", L"<>", L"My"}, nullptr,
       L"487: Conf: Display", L"486: Conf: Display"},
  };
  for (const TextCase& c : cases) {
    const Dump& d = DumpOf(std::wstring(kCommands) + c.entry);
    SCOPED_TRACE(testing::Message() << c.entry << "\n" << Text(d.all));
    for (int col = 0; col < 4; ++col) {
      std::optional<Cell> cell = CellOf(d, L"header", 0, col);
      ASSERT_TRUE(cell);
      if (col > 0) {
        EXPECT_EQ(cell->text, c.header[col]) << "header column " << col;
      }
    }
    // Grid, description, New's text, My's text, Close.
    ASSERT_EQ(d.controls.size(), 5u);
    EXPECT_EQ(d.controls[0], L"OrvelleGrid \"header\"");
    EXPECT_TRUE(d.controls[1].starts_with(L"Edit \""));
    if (c.newText) {
      EXPECT_EQ(d.controls[2], L"Edit \"" + std::wstring(c.newText) + L"\"");
    }
    if (c.myText) {
      EXPECT_EQ(d.controls[3], L"Edit \"" + std::wstring(c.myText) + L"\"");
    }
    EXPECT_EQ(d.controls[4], L"Button \"Close\"");
  }
}

// The lines a started harness recorded, once `count` of them are there: the
// programs start on their own, after the harness that started them may have
// ended.
Lines RecordedStarts(const std::wstring& file, size_t count) {
  Lines lines;
  for (int attempt = 0; attempt < 300; ++attempt) {
    lines.clear();
    std::wstring text = platform::WideFromAnsi(test::ReadBytes(file), CP_UTF8);
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
      lines.push_back(text.substr(start, end - start));
    }
    if (lines.size() >= count) break;
    ::Sleep(100);
  }
  return lines;
}

bool ContainsNoCase(const std::wstring& text, const std::wstring& part) {
  return platform::LowerCase(text).find(platform::LowerCase(part)) != std::wstring::npos;
}

// Either start may be recorded first: each program starts on its own. The
// request for the other panel goes last.
void SortOtherPanelLast(Lines& started) {
  std::stable_sort(started.begin(), started.end(), [](const std::wstring& a, const std::wstring& b) {
    return (a.find(L"/O /S") != std::wstring::npos) < (b.find(L"/O /S") != std::wstring::npos);
  });
}

TEST_F(Dialogs, RunMyStartsTheFileAndTheCheckBoxOpensItsDirectoryInTheOtherPanel) {
  test::TempDir temp;
  const std::wstring record = temp / L"started.txt";
  const std::wstring entry = L"\\totalcmd.exe\\Applications\\Package include\\editor.exe\\editor.exe";
  test::ProcessResult run = pair_->RunMy(L"--record " + QuoteArg(record) +
                                         L" --press \"Run My\" --press " + QuoteArg(kOpenDirectory) +
                                         L" list \\" + Exec(entry) + Exec(entry));
  ASSERT_EQ(run.exitCode, 0u) << run.ErrText();
  std::vector<Dump> dumps = DumpsOf(run);
  ASSERT_EQ(dumps.size(), 2u) << run.OutText();
  EXPECT_EQ(dumps[0].action, L"press \"Run My\", escape");
  EXPECT_EQ(dumps[1].action, L"press \"" + std::wstring(kOpenDirectory) + L"\", escape");
  EXPECT_TRUE(HasControl(dumps[1], L"Button \"" + std::wstring(kOpenDirectory) + L"\"")) << Text(dumps[1].all);

  Lines started = RecordedStarts(record, 2);
  ASSERT_EQ(started.size(), 2u) << run.OutText();
  const std::wstring editorDir = pair_->MyDir() + L"\\TOOLS\\editor";
  SortOtherPanelLast(started);
  EXPECT_TRUE(ContainsNoCase(started[0], editorDir + L"\\editor.exe")) << started[0];
  EXPECT_TRUE(ContainsNoCase(started[0], L" in \"" + editorDir + L"\"")) << started[0];
  EXPECT_TRUE(ContainsNoCase(started[1], pair_->MyDir() + L"\\totalcmd.exe")) << started[1];
  EXPECT_TRUE(ContainsNoCase(started[1], L"/O /S /R=\"" + editorDir + L"\"\"")) << started[1];
  EXPECT_TRUE(ContainsNoCase(started[1], L" in \"" + pair_->MyDir() + L"\"")) << started[1];
}

// "Run" and the other-panel request go through the shell's wide functions:
// a folder name that the ANSI code page cannot hold still starts.
TEST(DialogStarts, WorkInFoldersTheAnsiCodePageCannotName) {
  test::TempDir temp;
  const std::wstring dir = temp / L"\u0416\u0443\u043A \u4E2D";  // Cyrillic and CJK letters
  ASSERT_TRUE(test::CreateDirectories(dir));
  const std::wstring program = dir + L"\\tool.exe";
  ASSERT_TRUE(::CopyFileW(test::BuiltFile(ORVELLE_HOST_FILE).c_str(), program.c_str(), FALSE));
  const std::wstring record = temp / L"started.txt";
  {
    test::ScopedEnvironment recording(L"TCHOST_RECORD", record);
    RunFile(nullptr, program);
    OpenInOtherPanel(nullptr, program, dir);
  }
  Lines started = RecordedStarts(record, 2);
  ASSERT_EQ(started.size(), 2u);
  SortOtherPanelLast(started);
  EXPECT_TRUE(ContainsNoCase(started[0], program)) << started[0];
  EXPECT_TRUE(ContainsNoCase(started[1], L"/O /S /R=\"" + dir + L"\"")) << started[1];
  for (const std::wstring& line : started) {
    EXPECT_TRUE(ContainsNoCase(line, L" in \"" + dir + L"\"")) << line;
  }
}


// The host lets the plugin go and loads it again, at another address: the
// dialogs' grid class of the first copy must not send the second copy's
// grids to a window procedure that is gone.
TEST_F(Dialogs, ADialogOpensAfterTheLibraryWasUnloadedAndLoadedElsewhere) {
  const std::wstring entry = std::wstring(kFiles) + L"SHARE_NT.EXE";
  test::ProcessResult run = pair_->RunMy(L"list \\" + Exec(entry) + L" unload load list \\" +
                                         Exec(entry));
  ASSERT_EQ(run.exitCode, 0u) << run.ErrText() << run.OutText();
  const std::vector<std::wstring> lines = run.OutLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), L"load -> 1 (another address)"), lines.end())
      << run.OutText();
  const std::vector<Dump> dumps = DumpsOf(run);
  ASSERT_EQ(dumps.size(), 2u) << run.OutText();
  for (const Dump& dump : dumps) {
    EXPECT_EQ(dump.caption, L"File Compare Information");
    EXPECT_EQ(dump.cells, dumps[0].cells) << "the grid shows the same";
    EXPECT_FALSE(dump.cells.empty());
  }
}
// Copying out of a content folder copies My installation's file, else New's,
// by the host's copy flags; in an ordinary folder nothing is copied and the
// folders the host made are removed.
TEST_F(Dialogs, CopyingOutFollowsTheCopyFlags) {
  test::TempDir out;
  ASSERT_TRUE(test::CreateDirectories(out / L"Files"));
  const std::wstring files = L"\\totalcmd.exe\\Main unit\\Files";
  auto get = [&](const std::wstring& name, const std::wstring& local, int flags) {
    return L" get " + QuoteArg(files + L"\\" + name) + L" " + QuoteArg(out / local) + L" " +
           std::to_wstring(flags);
  };
  test::WriteBytes(out / L"kept.bin", "local");
  test::ProcessResult run = pair_->RunMy(
      L"--progress list \\ list \"\\totalcmd.exe\\Main unit\" " +
      get(L"SHELL.JS", L"Files\\SHELL.JS", 0) + L" list " + QuoteArg(files) +
      get(L"UNRAR.DLL", L"unrar.dll", 0) + get(L"NOCLOSE.EXE", L"noclose.exe", 0) +
      get(L"INSTALL.BAT", L"install.bat", 4) + get(L"UNRAR.DLL", L"kept.bin", 0) +
      get(L"INSTALL.BAT", L"kept.bin", 2) + get(L"UNRAR.DLL", L"kept.bin", 1));
  ASSERT_EQ(run.exitCode, 0u) << run.ErrText();
  const std::wstring text = run.OutText();
  auto result = [&](const std::wstring& name, const std::wstring& local, int flags) {
    const std::wstring prefix = L"get " + files + L"\\" + name + L" " + (out / local) + L" " +
                                std::to_wstring(flags) + L" -> ";
    size_t at = text.find(prefix);
    return at == std::wstring::npos ? -1 : std::wcstol(text.c_str() + at + prefix.size(), nullptr, 10);
  };
  // An ordinary folder: nothing copied, the host's folder removed.
  EXPECT_EQ(result(L"SHELL.JS", L"Files\\SHELL.JS", 0), 0) << text;
  EXPECT_FALSE(platform::PathExists(out / L"Files"));
  // The content folder: My's file, else New's; a move keeps the source.
  EXPECT_EQ(result(L"UNRAR.DLL", L"unrar.dll", 0), 0) << text;
  EXPECT_EQ(test::ReadBytes(out / L"unrar.dll"), test::ReadBytes(pair_->MyDir() + L"\\UNRAR.DLL"));
  EXPECT_EQ(result(L"NOCLOSE.EXE", L"noclose.exe", 0), 0) << text;
  EXPECT_EQ(test::ReadBytes(out / L"noclose.exe"), test::ReadBytes(pair_->NewDir() + L"\\NOCLOSE.EXE"));
  EXPECT_EQ(result(L"INSTALL.BAT", L"install.bat", 4), 0) << text;
  EXPECT_EQ(test::ReadBytes(out / L"install.bat"), test::ReadBytes(pair_->MyDir() + L"\\INSTALL.BAT"));
  EXPECT_TRUE(platform::FileExists(pair_->MyDir() + L"\\INSTALL.BAT"));
  // An existing local file: "exists", resume "not supported", then overwritten.
  EXPECT_EQ(result(L"UNRAR.DLL", L"kept.bin", 0), 1) << text;
  EXPECT_EQ(result(L"INSTALL.BAT", L"kept.bin", 2), 6) << text;
  EXPECT_EQ(result(L"UNRAR.DLL", L"kept.bin", 1), 0) << text;
  EXPECT_EQ(test::ReadBytes(out / L"kept.bin"), test::ReadBytes(pair_->MyDir() + L"\\UNRAR.DLL"));
  // The host's progress display sees the copy to its end.
  EXPECT_NE(text.find(L"\" \"" + (out / L"unrar.dll") + L"\" 100"), std::wstring::npos) << text;
}

// The screen density of the processes started meanwhile (Wine reads it from
// the user's desktop settings when a process starts); the old setting comes
// back at the end, so that the other tests see the prefix as it was.
class ScopedLogPixels {
 public:
  explicit ScopedLogPixels(DWORD dpi) {
    ::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key_.put(), nullptr);
    DWORD size = sizeof(old_);
    had_ = ::RegQueryValueExW(key_.get(), kValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&old_),
                              &size) == ERROR_SUCCESS;
    ::RegSetValueExW(key_.get(), kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof(dpi));
  }
  ~ScopedLogPixels() {
    if (had_) {
      ::RegSetValueExW(key_.get(), kValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof(old_));
    } else {
      ::RegDeleteValueW(key_.get(), kValue);
    }
  }
  ScopedLogPixels(const ScopedLogPixels&) = delete;
  ScopedLogPixels& operator=(const ScopedLogPixels&) = delete;

 private:
  static constexpr wchar_t kValue[] = L"LogPixels";
  platform::unique_hkey key_;
  DWORD old_ = 0;
  bool had_ = false;
};

// Width of a BMP picture the harness wrote; 0 when there is none.
long PictureWidth(const std::wstring& file) {
  std::string bytes = test::ReadBytes(file);
  if (bytes.size() < 26 || bytes[0] != 'B' || bytes[1] != 'M') return 0;
  int32_t width = 0;
  std::memcpy(&width, bytes.data() + 18, sizeof(width));
  return width;
}

TEST_F(Dialogs, NoTextIsCutOffAtAnyDensity) {
  const std::vector<std::wstring> entries = {
      L"\\About...", std::wstring(kFiles) + L"SHARE_NT.EXE", std::wstring(kFiles) + L"UNRAR.DLL",
      L"\\totalcmd.exe\\Plugins\\WFX\\FTP\\Directory\\ftp.wfx",
      std::wstring(kCommands) + L"Configuration\\cm_DisplayConfig.487",
      L"\\totalcmd.exe\\Plugins\\WFX\\FTP\\Update", L"\\totalcmd.exe\\Plugins\\Add all",
      L"\\totalcmd.exe\\Plugins\\Update all"};
  // (The same-file plugin of the pair describes itself in a text longer than
  // a 1280-pixel screen holds at 144 dots per inch: the dialog keeps to the
  // screen and cuts it with an ellipsis, which the dump reports as clipped.)
  std::wstring commands = L"list \\";
  for (const std::wstring& e : entries) commands += Exec(e);
  long aboutWidth96 = 0;
  for (DWORD dpi : {96u, 120u, 144u}) {
    SCOPED_TRACE(testing::Message() << dpi << " dots per inch");
    test::TempDir pictures;
    test::ProcessResult run;
    {
      ScopedLogPixels density(dpi);
      run = pair_->RunMy(L"--capture " + QuoteArg(pictures.Path()) + L" " + commands);
    }
    ASSERT_EQ(run.exitCode, 0u) << run.ErrText();
    std::vector<Dump> dumps = DumpsOf(run);
    ASSERT_EQ(dumps.size(), entries.size()) << run.OutText();
    for (const Dump& d : dumps) {
      for (const std::wstring& line : d.all) {
        EXPECT_EQ(line.find(L" clipped"), std::wstring::npos) << d.caption << ": " << line;
      }
    }
    // The density took effect: the dialogs grow with it.
    const long aboutWidth = PictureWidth(pictures / L"dialog-1.bmp");
    ASSERT_GT(aboutWidth, 0);
    if (dpi == 96) aboutWidth96 = aboutWidth;
    EXPECT_GE(aboutWidth * 96, aboutWidth96 * static_cast<long>(dpi) * 9 / 10);
  }
}

// Each language's longest texts fit too: the dialogs are laid out for the
// texts they show, and a language with other letters gets a font that has
// them (the dump then shows its texts, not English ones).
TEST_F(Dialogs, NoTextIsCutOffInAnyLanguage) {
  const struct {
    const char* languageIni;
    const wchar_t* aboutCaption;
    const wchar_t* filesCaption;
  } languages[] = {
      {"WCMD_DEU.LNG", L"Über das Plugin", L"Dateivergleich"},
      {"wcmd_rus.lng", L"О плагине", L"Сравнение файлов"},
      {"WCMD_CHN.LNG", L"关于插件", L"文件比较信息"},
  };
  const std::vector<std::wstring> entries = {
      L"\\About...", std::wstring(kFiles) + L"SHARE_NT.EXE",
      std::wstring(kCommands) + L"Configuration\\cm_DisplayConfig.487",
      L"\\totalcmd.exe\\Plugins\\WFX\\FTP\\Update", L"\\totalcmd.exe\\Plugins\\Add all",
      L"\\totalcmd.exe\\Plugins\\Update all"};
  std::wstring commands = L"list \\";
  for (const std::wstring& e : entries) commands += Exec(e);
  struct English {
    std::wstring dir;
    ~English() { SetLanguageIni(dir, "WCMD_ENG.LNG"); }
  } english{pair_->MyDir()};
  for (const auto& language : languages) {
    SetLanguageIni(pair_->MyDir(), language.languageIni);
    for (DWORD dpi : {96u, 120u, 144u}) {
      SCOPED_TRACE(testing::Message() << language.languageIni << ", " << dpi << " dots per inch");
      test::ProcessResult run;
      {
        ScopedLogPixels density(dpi);
        run = pair_->RunMy(commands);
      }
      ASSERT_EQ(run.exitCode, 0u) << run.ErrText();
      std::vector<Dump> dumps = DumpsOf(run);
      ASSERT_EQ(dumps.size(), entries.size()) << run.OutText();
      EXPECT_EQ(dumps[0].caption, language.aboutCaption);
      EXPECT_EQ(dumps[1].caption, language.filesCaption);
      for (const Dump& d : dumps) {
        for (const std::wstring& line : d.all) {
          EXPECT_EQ(line.find(L" clipped"), std::wstring::npos) << d.caption << ": " << line;
        }
      }
    }
  }
}

}  // namespace
}  // namespace orvelle::e2e
