// The driver that rebuilds the comparison tree when the root is listed.
#pragma once

#include "plugin/state.h"

namespace orvelle {

// Asks "Repeat comparison?" when a comparison is in the tree (No keeps it),
// then builds My and New installations, the "About..." entry and the
// comparison. A cancelled build leaves the installation folder as a plain
// entry marked incomplete; one that filled the table keeps it browsable and
// says so in a root message, beside whatever else the build could not do
// safely (the build's warnings).
void BuildTree(PluginState& state);

}  // namespace orvelle
