// The "Backup" folder in the plugin's root, shown while the backup store
// holds a backup, so that users find their way back to what the plugin
// changed.
#pragma once

#include "plugin/state.h"

namespace orvelle {

// Reads the store afresh and adds the root's "Backup" folder entry when it
// holds a backup (after the root's other entries), or takes it out when it
// holds none.
void ShowBackupFolder(PluginState& state);

}  // namespace orvelle
