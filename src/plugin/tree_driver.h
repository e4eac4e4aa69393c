// The driver that rebuilds the comparison tree when the root is listed.
#pragma once

#include "plugin/state.h"

namespace orvelle {

// Asks "Repeat comparison?" when a comparison is in the tree (No keeps it),
// then builds My and New installations, the "About..." entry and the
// comparison. A cancelled build, or one that filled the table, leaves the
// installation folder as a plain entry marked incomplete.
void BuildTree(PluginState& state);

}  // namespace orvelle
