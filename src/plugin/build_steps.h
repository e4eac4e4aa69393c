// The steps of a build that other subsystems provide: the two installations
// and the comparison. The tree driver calls them in order.
#pragma once

#include "plugin/state.h"

namespace orvelle {

// Builds My installation's model and prepares the shared icons; false stops
// the build.
bool PrepareMyInstallation(PluginState& state);
// Finds, reads and adds the New installation (or a root message entry);
// false stops the build.
bool PrepareNewInstallation(PluginState& state);
// Steps the comparison is expected to report.
int CountProgressSteps(PluginState& state);
// Fills the installation folder.
void CompareInstallations(PluginState& state);
// Re-reads the backup store when its folder is listed.
void RefreshBackupFolder(PluginState& state);
// The icon of the "About..." entry.
HICON AboutIcon(PluginState& state);

}  // namespace orvelle
