#include "tc/menu_reader.h"
#include "tc/ttc.h"
#include "tc_test_helpers.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using Lines = std::vector<std::wstring>;

TEST(MainMenu, ItemsCarryTheirOpenSubmenus) {
  TTC model(L"C:\\TC\\totalcmd.exe");
  model.MenuCommands = {L"left over from an earlier read"};
  ParseMainMenu({L"MENUITEM \"&Top level\", cm_Top",
                 L"END_POPUP",  // nothing open: changes nothing
                 L"POPUP \"&Files\"",
                 L"  MENUITEM \"&Pack...\\tAlt+F5\", cm_PackFiles",
                 L"\tPOPUP \"Prin&t\"   ",
                 L"    MENUITEM \"File &List...\",2027",
                 L"    MENUITEM \"&Edit\",   em_edit   ",
                 L"    MENUITEM SEPARATOR",
                 L"    MENUITEM \"No command\"",
                 L"  END_POPUP",
                 L"  MENUITEM \"&Quit\", $AF0",
                 L"END_POPUP",
                 L"end_popup"},
                model);
  EXPECT_EQ(model.MenuPaths, (Lines{L"", L"&Files -> ", L"&Files -> Prin&t -> ",
                                    L"&Files -> Prin&t -> ", L"&Files -> "}));
  EXPECT_EQ(model.MenuCaptions,
            (Lines{L"&Top level", L"&Pack...\\tAlt+F5", L"File &List...", L"&Edit", L"&Quit"}));
  EXPECT_EQ(model.MenuCommands, (Lines{L"cm_Top", L"cm_PackFiles", L"2027", L"em_edit", L"$AF0"}));
}

TEST(MainMenu, DeepNestingNamesTheOuterLevelsOnly) {
  std::vector<std::wstring> lines;
  for (int i = 0; i < 1000; ++i) lines.push_back(L"POPUP \"p\"");
  lines.push_back(L"MENUITEM \"deep\", em_deep");
  for (int i = 0; i < 999; ++i) lines.push_back(L"END_POPUP");
  lines.push_back(L"MENUITEM \"first level\", em_first");
  TTC model(L"C:\\TC\\totalcmd.exe");
  ParseMainMenu(lines, model);
  ASSERT_EQ(model.MenuPaths.size(), 2u);
  std::wstring named;
  for (int i = 0; i < 32; ++i) named += L"p -> ";
  EXPECT_EQ(model.MenuPaths[0], named);
  EXPECT_EQ(model.MenuPaths[1], L"p -> ");
}

TEST(MainMenu, RealWorldMenusAreReadWhole) {
  struct Case {
    const wchar_t* file;
    size_t items;
    const wchar_t* someCommand;
  };
  for (const Case& c : {Case{L"hulucc-totalcmd\\WCMD_ENG.MNU", 0, L"cm_PackFiles"},
                        Case{L"pozitronik-TCConfig\\WCMD_RUS_EXT.MNU", 0, L"em_SymLink"}}) {
    std::optional<TextDocument> doc = LoadTextFile(test::RealWorldFile(c.file));
    ASSERT_TRUE(doc) << c.file;
    size_t expected = 0;
    for (const std::wstring& line : doc->lines) {
      if (line.find(L"MENUITEM \"") != std::wstring::npos) ++expected;
    }
    TTC model(L"C:\\TC\\totalcmd.exe");
    model.ConfigPaths.mainmenu = test::RealWorldFile(c.file);
    EXPECT_TRUE(ReadMainMenu(model));
    EXPECT_EQ(model.MenuCommands.size(), expected) << c.file;
    EXPECT_NE(std::find(model.MenuCommands.begin(), model.MenuCommands.end(), c.someCommand),
              model.MenuCommands.end())
        << c.file;
    // Reading again gives the same lists, not twice as many entries.
    EXPECT_TRUE(ReadMainMenu(model));
    EXPECT_EQ(model.MenuCommands.size(), expected);
    EXPECT_EQ(model.MenuPaths.size(), expected);
  }
}

TEST(MainMenu, EnglishMenuNestsItsSubmenus) {
  TTC model(L"C:\\TC\\totalcmd.exe");
  model.ConfigPaths.mainmenu = test::RealWorldFile(L"hulucc-totalcmd\\WCMD_ENG.MNU");
  ReadMainMenu(model);
  auto at = std::find(model.MenuCommands.begin(), model.MenuCommands.end(), L"cm_PrintFile");
  ASSERT_NE(at, model.MenuCommands.end());
  size_t i = static_cast<size_t>(at - model.MenuCommands.begin());
  EXPECT_EQ(model.MenuPaths[i], L"&Files -> Prin&t -> ");
  EXPECT_EQ(model.MenuCaptions[i], L"File Con&tents\\tCtrl+F9");
  // "...",518 without a blank after the comma is an item too.
  EXPECT_NE(std::find(model.MenuCommands.begin(), model.MenuCommands.end(), L"518"),
            model.MenuCommands.end());
}

TEST(MainMenu, UnreadableFileLeavesEmptyListsAndNamesTheFile) {
  TTC model(L"C:\\TC\\totalcmd.exe");
  model.MenuCaptions = {L"old"};
  model.ConfigPaths.mainmenu = L"C:\\nowhere\\x.mnu";
  test::MessageRecorder boxes;
  EXPECT_TRUE(ReadMainMenu(model));
  EXPECT_TRUE(model.MenuCaptions.empty());
  // No box in the middle of a comparison: the tree gets a notice instead.
  EXPECT_TRUE(boxes.texts.empty());
  EXPECT_EQ(model.MissingMainMenu, L"C:\\nowhere\\x.mnu");
}

}  // namespace
}  // namespace orvelle
