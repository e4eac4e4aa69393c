// The steps of a build that other subsystems provide: the two installations
// and the comparison. The tree driver calls them in order.
#pragma once

#include "plugin/state.h"

namespace orvelle {

// Builds My installation's model and prepares the shared icons; the first
// start saves the host's settings there, before the saved searches and
// colour filters are added. False stops the build; what was not done safely
// goes to the build's warnings.
bool PrepareMyInstallation(PluginState& state);
// The settings backup of the first start (nothing when the store exists);
// false, with a warning naming the store, when it could not be taken.
bool BackUpSettings(PluginState& state, const TTC& my);
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
