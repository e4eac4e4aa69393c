// What a command of the host's main menu, button bars and start menu
// starts. The same rules serve both installations, so that their targets
// can be matched.
//
// A command text is trimmed, and a leading "*" (the host's "run as
// administrator") is dropped. Then:
// - a text in double quotes (one or more, as the host writes them doubled)
//   names a file up to the next double quote; what follows is parameters;
// - a first word starting with "cm_", starting with "$", or made of decimal
//   digits is an internal command (by name, hexadecimal or decimal number);
//   so is one of the host's internal commands that take a parameter ("CD
//   <dir>", "OPENTABS <file>"...; also any "NAME <...>" of the
//   installation's command list);
// - "OPENBAR", "OPENBAR1", "OPENBAR2", "OPENBARMENU" + file open a sub-bar;
// - a first word starting with "em_" is a user-defined command;
// - a text with "://" is an address, not a file;
// - anything else names a file, possibly followed by parameters: the longest
//   part up to a blank (or the whole text) that names an existing file wins;
//   when none exists, the shortest part that ends in an executable
//   extension, else the whole text.
// A file is expanded (first %VARIABLE%, relative paths against the program
// directory). A file ending in ".bar" is a sub-bar; an existing directory is
// no target.
#pragma once

#include <string>
#include <string_view>

namespace orvelle {

class TTC;

enum class CommandKind {
  None,         // empty, an address, a directory
  Internal,     // an internal command of the host
  SubBar,       // another button bar file
  UserCommand,  // "em_..."
  File          // a program or document
};

struct ParsedCommand {
  CommandKind kind = CommandKind::None;
  std::wstring target;  // File, SubBar: the full path; UserCommand: the "em_" name
};

ParsedCommand ParseCommandText(const TTC& model, std::wstring_view text);

}  // namespace orvelle
