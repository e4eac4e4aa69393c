// The files that an installation's main menu, button bars and start menu
// launch or open: the command targets the comparison groups under
// "Applications".
#pragma once

#include <string>
#include <string_view>

namespace orvelle {

class TTC;

// A menu or start-menu caption as the user reads it: "&" marks dropped
// ("&&" stays one "&"), the "\t" shortcut part cut off.
std::wstring CleanCaption(std::wstring_view caption);

// Appends one target row; the occurrence number counts the rows of the same
// name (case-insensitive) so far.
void AddCommandTarget(TTC& model, const std::wstring& command, const std::wstring& source);

// Refills the five target lists from MenuCommands (source "Main menu:
// Files -> Pack..."), the buttons of every file of BarFiles ("Button bar
// default.bar: 5 - Notepad") and the [user] commands ("Start menu: Tools ->
// Edit", "-Tools" opening a submenu and "--" closing it),
// in that order, by the rules of ParseCommandText. Types: "C" for "em_"
// commands; for files "N" (existing, not executable), "I" (existing
// executable inside the program directory), "E" (any other). Internal
// commands, sub-bars, addresses and directories give no row. Always true.
bool ReadCommandTargets(TTC& model);

}  // namespace orvelle
