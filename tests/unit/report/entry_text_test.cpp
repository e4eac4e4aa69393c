// What the host's viewer shows for an entry that is not a compared file.
#include "report/entry_text.h"

#include "platform/strings.h"
#include "report/comparison_report.h"
#include "support/temp_dir.h"
#include "tc/ttc.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace orvelle {
namespace {

TVirtualTreeItem Entry(const std::wstring& path, const std::wstring& name, int order,
                       const std::wstring& status = {}) {
  TVirtualTreeItem e;
  e.Path = path;
  e.Name = name;
  e.Order = order;
  e.Status = status;
  return e;
}

// The line of text that holds `what`; empty when none does.
std::wstring LineWith(const std::wstring& text, const std::wstring& what) {
  const size_t at = text.find(what);
  if (at == std::wstring::npos) return {};
  const size_t start = text.rfind(L'\n', at) + 1;  // npos + 1 == 0
  return text.substr(start, text.find(L'\n', at) - start);
}

class EntryTextTest : public testing::Test {
 protected:
  EntryTextTest() : my_(dir_ / L"my\\TOTALCMD.EXE"), new_(dir_ / L"new\\TOTALCMD.EXE") {
    my_.ProgramVersion = L"11.0.0.0";
    new_.ProgramVersion = L"11.1.0.0";
    my_.ProgramDigest = L"aaaa";
    new_.ProgramDigest = L"bbbb";
  }

  int Add(TVirtualTreeItem e) { return tree_.Append(std::move(e)); }
  std::wstring Text(int index) { return EntryText(tree_, index, &my_, &new_); }

  test::TempDir dir_;
  VirtualTree tree_;
  TTC my_, new_;
};

// One entry of each kind: the sign in words, New's and My's values on one
// line side by side, and what Enter does.
TEST_F(EntryTextTest, EachKindShowsItsValuesSideBySideAndWhatOpeningDoes) {
  test::WriteBytes(dir_ / L"new\\ftp.wfx", "new");
  test::WriteBytes(dir_ / L"my\\ftp.wfx", std::string(12345, 'm'));
  const std::wstring unit = L"\\tc.exe\\Main unit\\";

  TVirtualTreeItem command = Entry(unit + L"Commands\\Configuration\\", L"cm_DisplayConfig.487", 0, L"<>");
  command.CommandEntry = true;
  command.Info = L"Conf: Display";
  command.TextStatus = L"<>";
  command.TextTitle = L"Commands";
  command.TextDescription = L"cm_DisplayConfig";
  command.NewText = L"487 Conf: Display";
  command.MyText = L"488 Conf: Display";

  TVirtualTreeItem plugin = Entry(L"\\tc.exe\\Plugins\\WFX\\", L"FTP", 0, L">");
  plugin.IsFolder = true;
  plugin.ContentFolder = true;
  plugin.NewFile = dir_ / L"new\\ftp.wfx";
  plugin.MyFile = dir_ / L"my\\ftp.wfx";
  TVirtualTreeItem detect = Entry(L"\\tc.exe\\Plugins\\WFX\\FTP\\", L"Detect", 0, L"<>");
  detect.CommandEntry = true;
  detect.Info = L"EXT=\"JPG\"";
  detect.NewText = L"EXT=\"JPG\" | EXT=\"PNG\"";
  detect.MyText = L"EXT=\"JPG\"";
  TVirtualTreeItem remove = Entry(L"\\tc.exe\\Plugins\\WFX\\FTP\\", L"Delete", 1, L"*!");
  remove.Action = 1;
  remove.Done = true;
  remove.Info = L"DELETED!";

  TVirtualTreeItem application = Entry(L"\\tc.exe\\Applications\\Package include\\", L"sync.exe", 0, L"*");
  application.IsFolder = true;
  application.ContentFolder = true;
  application.NewFile = dir_ / L"new\\sync.exe";
  application.Info = L"Button bar default.bar: 5 - Synchronise";

  TVirtualTreeItem backup = Entry(L"\\Backup\\1.Total Commander\\", L"0.wincmd.ini", 0);
  backup.IsBackupEntry = true;
  backup.RestoreSettings = true;
  backup.MyFile = dir_ / L"my\\wincmd.ini";

  TVirtualTreeItem version = Entry(unit, L"Version", 3);
  version.Info = L"11.1.0.0";
  TVirtualTreeItem modified = Entry(unit, L"EXE modified", 4, L"!*");
  modified.Info = L"Yes";

  struct Case {
    const wchar_t* kind;
    TVirtualTreeItem entry;
    std::vector<std::wstring> contains;
    // Two values that stand on one line, New's left of My's.
    std::wstring newValue, myValue;
  };
  std::vector<Case> cases = {
      {L"command", command,
       {L"\\tc.exe\\Main unit\\Commands\\Configuration\\cm_DisplayConfig.487\n", L"Sign:    <> - different",
        L"Comment: Conf: Display", L"Text Compare Information"},
       L"487 Conf: Display", L"488 Conf: Display"},
      {L"plugin folder", plugin,
       {L"Sign:    > - New is newer", L"Entries:", L"Detect", L"New: EXT=\"JPG\" | EXT=\"PNG\"",
        L"Delete  DELETED!", L"lists its 2 entries"},
       L"3 bytes", L"12 345 bytes"},
      {L"registration", detect, {L"Text Compare Information"}, L"EXT=\"JPG\" | EXT=\"PNG\"", L"EXT=\"JPG\""},
      {L"done delete", remove,
       {L"changed by the plugin", L"nothing more: it was done (DELETED!)"}, {}, {}},
      {L"application", application,
       {L"only in the New installation", L"Button bar default.bar: 5 - Synchronise"},
       dir_ / L"new\\sync.exe", L"-"},
      {L"backup", backup, {L"Kind:    Backup", L"asks \"Restore?\""}, L"-", dir_ / L"my\\wincmd.ini"},
      {L"version", version, {L"Comment: 11.1.0.0", L"this text is all there is"}, L"11.1.0.0", L"11.0.0.0"},
      {L"EXE modified", modified, {L"not a known build of its version"}, L"bbbb", L"aaaa"},
  };
  Add(plugin);
  Add(detect);
  Add(remove);
  for (Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.kind);
    int index = tree_.FindTreeItem(c.entry.FullPath());
    if (index < 0) index = Add(c.entry);
    const std::wstring text = Text(index);
    EXPECT_EQ(text.rfind(c.entry.FullPath() + L"\n", 0), 0u) << text;
    for (const std::wstring& piece : c.contains) EXPECT_NE(text.find(piece), std::wstring::npos) << piece << "\n" << text;
    if (c.newValue.empty()) continue;
    const std::wstring line = LineWith(text, c.newValue + L" ");
    ASSERT_FALSE(line.empty()) << text;
    const size_t bar = line.find(L" | ", line.find(c.newValue) + c.newValue.size() - 1);
    ASSERT_NE(bar, std::wstring::npos) << line;
    EXPECT_EQ(line.substr(bar + 3), c.myValue) << line;
  }
}

TEST_F(EntryTextTest, TextsOfSeveralLinesStayInTheirColumns) {
  TVirtualTreeItem e = Entry(L"\\tc.exe\\", L"menu", 0, L"<>");
  e.CommandEntry = true;
  e.NewText = L"first\r\nsecond\nthird";
  e.MyText = L"only";
  const std::wstring text = Text(Add(e));
  const std::wstring first = LineWith(text, L"first"), second = LineWith(text, L"second");
  EXPECT_EQ(first.substr(first.find(L" | ")), L" | only");
  // The column is as wide as New's widest line; My's side of the rest is empty.
  EXPECT_EQ(second.find(L" |"), first.find(L" | "));
  EXPECT_EQ(second.substr(second.find(L" |")), L" |");
  EXPECT_EQ(text.find(L'\r'), std::wstring::npos);
}

// The file the host gets: UTF-8 with its mark, CR LF, non-ANSI text intact.
TEST(EntryFile, IsUtf8WithItsMarkAndCrLf) {
  struct Case {
    std::wstring text;
    std::string bytes;
  };
  const Case cases[] = {
      {L"a\nb\n", "\xEF\xBB\xBF" "a\r\nb\r\n"},
      {L"a\r\nb", "\xEF\xBB\xBF" "a\r\nb"},
      {L"\n\n", "\xEF\xBB\xBF\r\n\r\n"},
      {L"Пример 例 \U0001F600", "\xEF\xBB\xBF\xD0\x9F\xD1\x80\xD0\xB8\xD0\xBC\xD0\xB5\xD1\x80 \xE4\xBE\x8B \xF0\x9F\x98\x80"},
  };
  for (const Case& c : cases) EXPECT_EQ(Utf8FileBytes(c.text), c.bytes);
  EXPECT_EQ(Utf8FileBytes(L"x\n", false), "x\r\n");
}

}  // namespace
}  // namespace orvelle
