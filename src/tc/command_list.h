// The host's list of internal commands, TOTALCMD.INC in the program
// directory: "[__Category__]=0" headers, then "cm_Name=number;description".
#pragma once

#include <string>
#include <vector>

namespace orvelle {

class TTC;

// Replaces the model's command lists with those of the lines. A category is
// the header's text between "[" and the first "]" without its "_"s; a
// command line is split at its first "=" (the name must not be empty) and
// its value at the first ";" into number and description. Commands before
// the first header get a category with an empty name.
void ParseCommandList(const std::vector<std::wstring>& lines, TTC& model);

// ParseCommandList over the program directory's TOTALCMD.INC. A missing or
// unreadable file leaves the lists empty and its path in MissingCommandList:
// the rest of the installation can still be compared. Always true.
bool ReadCommandList(TTC& model);

}  // namespace orvelle
