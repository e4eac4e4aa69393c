#include "plugin/entry_actions.h"

#include "backup/restore.h"
#include "operations/delete_operation.h"
#include "operations/operation_context.h"
#include "plugin/build_steps.h"

namespace orvelle {

namespace {

// The backup store, read afresh when none was read yet (a delete key
// pressed before any comparison's start-up made one).
TBackup& BackupOf(PluginState& state) {
  if (!state.Backup) RefreshBackupFolder(state);
  return *state.Backup;
}

RestoreContext RestoreContextOf(PluginState& state) {
  return RestoreContext{state.Tree.Tree, BackupOf(state),
                        [&state] { RequestPanelReread(state); }};
}

}  // namespace

// Dialogs.

void OpenAbout(PluginState&, int) {}

void OpenFileCompare(PluginState&, int) {}

void OpenTextCompare(PluginState&, int) {}

// Restores from the "\Backup" folder.

void OpenRestoreDeleted(PluginState& state, int index) {
  RestoreContext ctx = RestoreContextOf(state);
  RestoreDeletedItem(ctx, index);
}

void OpenRestoreInstalled(PluginState&, int) {}

void OpenRestoreSettings(PluginState& state, int index) {
  RestoreContext ctx = RestoreContextOf(state);
  RestoreSettingsFile(ctx, index);
}

// Operations on My installation.

bool DeleteItem(PluginState& state, int index, bool ask) {
  // Action entries exist only in a comparison, which has both models.
  if (!state.MyModel) return false;
  OperationContext ctx{state.Tree.Tree,
                       *state.MyModel,
                       state.NewModel.get(),
                       BackupOf(state),
                       state.Host.HostWindow,
                       state.Identity.PluginDir,
                       state.Identity.PluginFile,
                       [&state] { RequestPanelReread(state); }};
  return StartDelete(ctx, index, ask);
}

void OpenDelete(PluginState& state, int index) { DeleteItem(state, index, true); }

void OpenAdd(PluginState&, int) {}

void OpenUpdate(PluginState&, int) {}

}  // namespace orvelle
