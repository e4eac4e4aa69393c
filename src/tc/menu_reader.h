// The host's main menu file: POPUP "..." / MENUITEM "caption", command /
// END_POPUP, nested to any depth.
#pragma once

#include <string>
#include <vector>

namespace orvelle {

class TTC;

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
