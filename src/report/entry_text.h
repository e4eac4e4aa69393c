// What the host's viewer shows for an entry that is not a compared file:
// where it lies, its sign in words, New's and My's values side by side and
// what opening it does.
#pragma once

#include "tree/tree.h"

#include <string>

namespace orvelle {

class TTC;

// The text for entry index of tree (lines end in "\n"; Utf8FileBytes makes
// the file). Either model may be null. Reads only the entry's own files
// (size, date, version), never their content.
std::wstring EntryText(const VirtualTree& tree, int index, const TTC* my, const TTC* newModel);

}  // namespace orvelle
