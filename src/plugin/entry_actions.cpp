#include "plugin/entry_actions.h"

namespace orvelle {

// Dialogs.

void OpenAbout(PluginState&, int) {}

void OpenFileCompare(PluginState&, int) {}

void OpenTextCompare(PluginState&, int) {}

// Restores from the "\Backup" folder.

void OpenRestoreDeleted(PluginState&, int) {}

void OpenRestoreInstalled(PluginState&, int) {}

void OpenRestoreSettings(PluginState&, int) {}

// Operations on My installation.

void OpenDelete(PluginState&, int) {}

void OpenAdd(PluginState&, int) {}

void OpenUpdate(PluginState&, int) {}

}  // namespace orvelle
