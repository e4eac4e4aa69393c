// The host's main menu file: POPUP "..." / MENUITEM "caption", command /
// END_POPUP, nested to any depth.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

class TTC;

// One line of the main menu file as the reader takes it. A line without a
// blank followed by a double quote closes the open submenu when it holds
// "end_popup"; any other line opens a submenu when it holds `popup "` and is
// an item when it holds `menuitem "` and, after that, the sequence `",`.
// Keywords are compared without regard to case.
struct MenuLine {
  bool OpensSubmenu = false;
  std::wstring Submenu;  // the text after the opening double quote, up to the last one
  bool ClosesSubmenu = false;
  bool IsItem = false;
  std::wstring Caption;  // between the opening double quote and `",`
  std::wstring Command;  // the rest of the line after `",`, trimmed
};
MenuLine ParseMenuLine(std::wstring_view rawLine);

// Replaces the model's MenuPaths, MenuCaptions and MenuCommands with the
// items of the lines. A MenuPaths entry holds the open submenus, each
// followed by " -> "; a caption is the text between the item's opening
// double quote and the "\"," after it; the command is the rest of the line
// after that comma, trimmed. Items without that comma are no items.
void ParseMainMenu(const std::vector<std::wstring>& lines, TTC& model);

// ParseMainMenu over the main menu file of the configuration
// (ConfigPaths.mainmenu). A file that cannot be read leaves the lists empty
// after an error box. Always true.
bool ReadMainMenu(TTC& model);

}  // namespace orvelle
