#include "tc/line_removal.h"

#include "platform/strings.h"
#include "tc/menu_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace orvelle {
namespace {

using Lines = std::vector<std::wstring>;

bool Contains(const std::wstring& line, const wchar_t* text) {
  return platform::LowerCase(line).find(text) != std::wstring::npos;
}

TEST(LineRemoval, EntryNumbersAreFoundAndReplacedInTheKeyOnly) {
  struct Case {
    const wchar_t* line;
    EntryNumbering numbering;
    std::optional<int> number;
    const wchar_t* renumbered;  // with number 7
  };
  const Case cases[] = {
      {L"2=c:\\p\\x.wlx", EntryNumbering::Leading, 2, L"7=c:\\p\\x.wlx"},
      {L"12_detect=EXT=\"1\"", EntryNumbering::Leading, 12, L"7_detect=EXT=\"1\""},
      {L"  3 = c:\\a_b\\x.wlx", EntryNumbering::Leading, 3, L"  7 = c:\\a_b\\x.wlx"},
      {L"cmd12=notepad.exe 3", EntryNumbering::Trailing, 12, L"cmd7=notepad.exe 3"},
      {L"Button3 =x.exe", EntryNumbering::Trailing, 3, L"Button7 =x.exe"},
      {L"buttoncount=8", EntryNumbering::Trailing, std::nullopt, nullptr},
      {L"12=x", EntryNumbering::Trailing, std::nullopt, nullptr},
      {L"x=1", EntryNumbering::Leading, std::nullopt, nullptr},
      {L"1a=x", EntryNumbering::Leading, std::nullopt, nullptr},
      {L"redirectsection=1", EntryNumbering::Leading, std::nullopt, nullptr},
      {L";2=x", EntryNumbering::Leading, std::nullopt, nullptr},
      {L"[2=x]", EntryNumbering::Leading, std::nullopt, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(EntryNumberOf(c.line, c.numbering), c.number);
    if (c.renumbered) {
      EXPECT_EQ(WithEntryNumber(c.line, c.numbering, 7), c.renumbered);
    }
  }
}

// Each case removes lines and puts them back: the file must come back line
// for line, and the removal itself must leave what the host needs.
TEST(LineRemoval, RemovedLinesComeBackExactly) {
  struct Case {
    const char* name;
    Lines file;
    std::function<std::vector<RemovedGroup>(Lines&)> remove;
    Lines expected;  // after the removal
  };
  auto matching = [](const wchar_t* text) {
    return [text](const std::wstring& line) { return Contains(line, text); };
  };
  std::vector<Case> cases;
  cases.push_back(
      {"plain section, two sections of one name, comments stay",
       {L"[FileSystemPlugins]", L"FTP=c:\\p\\ftp.wfx", L";ftp2=c:\\p\\ftp.wfx", L"Net=c:\\p\\net.wfx",
        L"[Other]", L"ftp=c:\\p\\ftp.wfx", L"[filesystemplugins]", L"ftp3=c:\\p\\ftp.wfx"},
       [&](Lines& l) { return RemoveSectionLines(l, L"[filesystemplugins]", matching(L"ftp.wfx")); },
       {L"[FileSystemPlugins]", L";ftp2=c:\\p\\ftp.wfx", L"Net=c:\\p\\net.wfx", L"[Other]",
        L"ftp=c:\\p\\ftp.wfx", L"[filesystemplugins]"}});
  cases.push_back(
      {"numbered entries with detect lines, blanks around keys",
       {L"[ListerPlugins]", L"0=a.wlx", L"0_detect=A", L"1=view.wlx", L"1_detect=V",
        L"  2 =hex.wlx", L"2_detect=H", L"; comment", L"3=last.wlx", L"[Next]", L"1=view.wlx"},
       [&](Lines& l) {
         return RemoveNumberedEntries(l, L"[listerplugins]", EntryNumbering::Leading,
                                      [](const std::wstring& line) {
                                        return line.find(L"=view.wlx") != std::wstring::npos;
                                      });
       },
       {L"[ListerPlugins]", L"0=a.wlx", L"0_detect=A", L"  1 =hex.wlx", L"1_detect=H",
        L"; comment", L"2=last.wlx", L"[Next]", L"1=view.wlx"}});
  cases.push_back(
      {"two buttons of a bar, its count lowered",
       {L"[Buttonbar]", L"Buttoncount=5", L"button1=a", L"cmd1=notes.txt", L"button2=b",
        L"cmd2=cm_List", L"menu2=List", L"button3=c", L"cmd3=notes.txt", L"iconic3=0",
        L"button4=d", L"cmd4=cm_Exit", L"button5=", L"cmd5=x.exe"},
       [&](Lines& l) {
         return RemoveNumberedEntries(l, L"[buttonbar]", EntryNumbering::Trailing,
                                      matching(L"=notes.txt"), L"buttoncount");
       },
       {L"[Buttonbar]", L"Buttoncount=3", L"button1=b", L"cmd1=cm_List", L"menu1=List",
        L"button2=d", L"cmd2=cm_Exit", L"button3=", L"cmd3=x.exe"}});
  cases.push_back(
      {"menu items in nested submenus and outside them",
       {L"MENUITEM \"Top\", notes.txt", L"POPUP \"&Files\"", L"  MENUITEM \"A\", notes.txt",
        L"  POPUP \"&Tools\"", L"    MENUITEM \"B\", notes.txt", L"    MENUITEM \"K\", cm_List",
        L"  END_POPUP", L"  MENUITEM \"C\", notes.txt", L"END_POPUP", L"POPUP \"&Tools\"",
        L"  MENUITEM \"D\", notes.txt", L"END_POPUP"},
       [&](Lines& l) {
         return RemoveMenuItems(l, [](const std::wstring& c) { return c == L"notes.txt"; });
       },
       {L"POPUP \"&Files\"", L"  POPUP \"&Tools\"", L"    MENUITEM \"K\", cm_List", L"  END_POPUP",
        L"END_POPUP", L"POPUP \"&Tools\"", L"END_POPUP"}});
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    Lines lines = c.file;
    std::vector<RemovedGroup> groups = c.remove(lines);
    EXPECT_EQ(lines, c.expected);
    Reinsert(lines, groups);
    EXPECT_EQ(lines, c.file);
  }
}

TEST(LineRemoval, ReinsertFindsItsSectionAfterOtherChangesAndRecreatesAMissingOne) {
  const Lines file{L"[A]", L"x=1", L"[ListerPlugins]", L"0=a.wlx", L"1=b.wlx", L"1_detect=B",
                   L"2=c.wlx"};
  Lines lines = file;
  auto groups = RemoveNumberedEntries(lines, L"[listerplugins]", EntryNumbering::Leading,
                                      [](const std::wstring& l) { return l == L"1=b.wlx"; });
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].RemovedNumbers, std::vector<int>{1});

  // The host wrote lines above the section meanwhile and one more entry.
  Lines changed{L"[New]", L"y=2", L"[A]", L"x=1", L"z=3", L"[ListerPlugins]", L"0=a.wlx",
                L"1=c.wlx", L"2=d.wlx"};
  Reinsert(changed, groups);
  EXPECT_EQ(changed, (Lines{L"[New]", L"y=2", L"[A]", L"x=1", L"z=3", L"[ListerPlugins]",
                            L"0=a.wlx", L"1=b.wlx", L"1_detect=B", L"2=c.wlx", L"3=d.wlx"}));

  // The section itself is gone: it comes back at the end, lines as recorded.
  Lines without{L"[A]", L"x=1"};
  Reinsert(without, groups);
  EXPECT_EQ(without, (Lines{L"[A]", L"x=1", L"[ListerPlugins]", L"1=b.wlx", L"1_detect=B"}));
}

// Two removals from one section put back in the order they were made (the
// order "\Backup" lists them), not the reverse: every entry must come back
// under a number the host reaches, and where the records allow it the file
// comes back line for line. A section that had a gap of its own keeps it.
TEST(LineRemoval, TwoRemovalsPutBackOldestFirstLeaveNoGap) {
  struct Case {
    const char* name;
    Lines file;
    EntryNumbering numbering;
    const wchar_t* header;
    const wchar_t* countKey;
    const wchar_t* first;   // the text of the entry removed first
    const wchar_t* second;  // and then
    Lines expected;         // after both are back, the older first
  };
  const Case cases[] = {
      {"the later lister plugin first, then the earlier one",
       {L"[ListerPlugins]", L"0=a.wlx", L"0_detect=A", L"1=b.wlx", L"[Next]"},
       EntryNumbering::Leading, L"[listerplugins]", L"", L"=b.wlx", L"=a.wlx",
       {L"[ListerPlugins]", L"0=a.wlx", L"0_detect=A", L"1=b.wlx", L"[Next]"}},
      {"the earlier lister plugin first: both back, without a gap",
       {L"[ListerPlugins]", L"0=a.wlx", L"0_detect=A", L"1=b.wlx", L"2=c.wlx"},
       EntryNumbering::Leading, L"[listerplugins]", L"", L"=a.wlx", L"=b.wlx",
       {L"[ListerPlugins]", L"0=b.wlx", L"1=a.wlx", L"1_detect=A", L"2=c.wlx"}},
      {"buttons of a bar with their count, the last one first",
       {L"[Buttonbar]", L"Buttoncount=3", L"button1=a", L"cmd1=a.exe", L"button2=b",
        L"cmd2=b.exe", L"button3=c", L"cmd3=c.exe"},
       EntryNumbering::Trailing, L"[buttonbar]", L"buttoncount", L"=c.exe", L"=a.exe",
       {L"[Buttonbar]", L"Buttoncount=3", L"button1=a", L"cmd1=a.exe", L"button2=b",
        L"cmd2=b.exe", L"button3=c", L"cmd3=c.exe"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Lines lines = c.file;
    auto removeEntry = [&](const wchar_t* text) {
      return RemoveNumberedEntries(
          lines, c.header, c.numbering,
          [text](const std::wstring& l) { return l.find(text) != std::wstring::npos; },
          c.countKey);
    };
    const std::vector<RemovedGroup> older = removeEntry(c.first);
    const std::vector<RemovedGroup> newer = removeEntry(c.second);
    ASSERT_EQ(older.size(), 1u);
    ASSERT_EQ(newer.size(), 1u);
    Reinsert(lines, older);
    Reinsert(lines, newer);
    EXPECT_EQ(lines, c.expected);
  }

  // A gap the section had before stays where it was.
  const Lines gapped{L"[ListerPlugins]", L"0=a.wlx", L"1=b.wlx", L"3=d.wlx"};
  Lines lines = gapped;
  auto groups = RemoveNumberedEntries(lines, L"[listerplugins]", EntryNumbering::Leading,
                                      [](const std::wstring& l) { return l == L"1=b.wlx"; });
  EXPECT_EQ(lines, (Lines{L"[ListerPlugins]", L"0=a.wlx", L"2=d.wlx"}));
  Reinsert(lines, groups);
  EXPECT_EQ(lines, gapped);
}

// What a removal took out may stand in the file again before its record is
// put back (the settings file restored from the first start's backup, the
// plugin added anew): it is not put back a second time. Only lines that are
// all back count; a group partly back is put back whole, as before.
TEST(LineRemoval, LinesThatAreBackAlreadyAreNotPutBackTwice) {
  auto matching = [](const wchar_t* text) {
    return [text](const std::wstring& line) { return Contains(line, text); };
  };
  struct Case {
    const char* name;
    Lines file;
    std::function<std::vector<RemovedGroup>(Lines&)> remove;
  };
  std::vector<Case> cases;
  cases.push_back({"a file-system plugin",
                   {L"[FileSystemPlugins]", L"FTP=c:\\p\\ftp.wfx", L"Net=c:\\p\\net.wfx"},
                   [&](Lines& l) {
                     return RemoveSectionLines(l, L"[filesystemplugins]", matching(L"ftp.wfx"));
                   }});
  cases.push_back({"a lister plugin with its detect line, the ones behind renumbered",
                   {L"[ListerPlugins]", L"0=a.wlx", L"1=view.wlx", L"1_detect=V", L"2=c.wlx"},
                   [&](Lines& l) {
                     return RemoveNumberedEntries(l, L"[listerplugins]", EntryNumbering::Leading,
                                                  matching(L"=view.wlx"));
                   }});
  cases.push_back({"a button of a bar with its count",
                   {L"[Buttonbar]", L"Buttoncount=3", L"button1=", L"cmd1=a.exe", L"button2=",
                    L"cmd2=notes.txt", L"menu2=Notes", L"button3=", L"cmd3=c.exe"},
                   [&](Lines& l) {
                     return RemoveNumberedEntries(l, L"[buttonbar]", EntryNumbering::Trailing,
                                                  matching(L"=notes.txt"), L"buttoncount");
                   }});
  cases.push_back({"a menu item",
                   {L"POPUP \"&Files\"", L"  MENUITEM \"Notes\", notes.txt", L"END_POPUP"},
                   [&](Lines& l) {
                     return RemoveMenuItems(l, [](const std::wstring& c) { return c == L"notes.txt"; });
                   }});
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    Lines lines = c.file;
    const std::vector<RemovedGroup> groups = c.remove(lines);
    ASSERT_FALSE(groups.empty());
    Lines restored = c.file;
    Reinsert(restored, groups);
    EXPECT_EQ(restored, c.file);
  }

  // Only one of the entry's lines is back: the entry goes back whole.
  Lines lines{L"[ListerPlugins]", L"0=a.wlx", L"1=view.wlx", L"1_detect=V"};
  const std::vector<RemovedGroup> groups = RemoveNumberedEntries(
      lines, L"[listerplugins]", EntryNumbering::Leading, matching(L"=view.wlx"));
  Lines partly{L"[ListerPlugins]", L"0=a.wlx", L"1=view.wlx"};
  Reinsert(partly, groups);
  EXPECT_EQ(partly, (Lines{L"[ListerPlugins]", L"0=a.wlx", L"1=view.wlx", L"1_detect=V",
                           L"2=view.wlx"}));
}

TEST(LineRemoval, MenuItemsGoBackIntoTheirSubmenuWhenTheMenuChangedAbove) {
  Lines lines{L"POPUP \"&Files\"", L"  MENUITEM \"A\", a.txt", L"  MENUITEM \"Quit\", cm_Exit",
              L"END_POPUP"};
  auto groups = RemoveMenuItems(lines, [](const std::wstring& c) { return c == L"a.txt"; });
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].Anchor, L"POPUP \"&Files\"");
  Lines changed{L"POPUP \"&New\"", L"  MENUITEM \"N\", n.txt", L"END_POPUP"};
  changed.insert(changed.end(), lines.begin(), lines.end());
  Reinsert(changed, groups);
  EXPECT_EQ(changed, (Lines{L"POPUP \"&New\"", L"  MENUITEM \"N\", n.txt", L"END_POPUP",
                            L"POPUP \"&Files\"", L"  MENUITEM \"A\", a.txt",
                            L"  MENUITEM \"Quit\", cm_Exit", L"END_POPUP"}));
}

TEST(MenuLine, TakesLinesApartAsTheReaderDoes) {
  MenuLine item = ParseMenuLine(L"  MENUITEM \"&Edit\\tF4\", \"c:\\x y\\e.exe\" /p  ");
  EXPECT_TRUE(item.IsItem);
  EXPECT_EQ(item.Caption, L"&Edit\\tF4");
  EXPECT_EQ(item.Command, L"\"c:\\x y\\e.exe\" /p");
  MenuLine popup = ParseMenuLine(L"popup \"&Tools\"");
  EXPECT_TRUE(popup.OpensSubmenu);
  EXPECT_EQ(popup.Submenu, L"&Tools");
  EXPECT_TRUE(ParseMenuLine(L"END_POPUP").ClosesSubmenu);
  EXPECT_FALSE(ParseMenuLine(L"MENUITEM SEPARATOR").IsItem);
  EXPECT_FALSE(ParseMenuLine(L"MENUITEM \"no comma\" cm_List").IsItem);
}

}  // namespace
}  // namespace orvelle
