#include "plugin/entry_actions.h"

#include "backup/restore.h"
#include "operations/add_operation.h"
#include "operations/delete_operation.h"
#include "operations/operation_context.h"
#include "platform/message_box.h"
#include "plugin/build_steps.h"
#include "tree/vars_conts.h"

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
                        [&state] { RequestPanelReread(state); }, state.MyModel.get()};
}

// Operations need both models, which only a comparison has.
OperationContext OperationContextOf(PluginState& state) {
  return OperationContext{state.Tree.Tree,
                          *state.MyModel,
                          state.NewModel.get(),
                          BackupOf(state),
                          state.Host.HostWindow,
                          state.Identity.PluginDir,
                          state.Identity.PluginFile,
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

void OpenRestoreInstalled(PluginState& state, int index) {
  CompleteFinishedAdds(state);
  if (state.Adds.Holds(state.Tree.Tree[index].MyFile)) {
    platform::ShowInformation(texts::kStillCopying);
    return;
  }
  RestoreContext ctx = RestoreContextOf(state);
  RestoreInstalledItem(ctx, index);
}

void OpenRestoreSettings(PluginState& state, int index) {
  RestoreContext ctx = RestoreContextOf(state);
  RestoreSettingsFile(ctx, index);
}

// Operations on My installation.

bool DeleteItem(PluginState& state, int index, bool ask) {
  // Action entries exist only in a comparison, which has both models.
  if (!state.MyModel) return false;
  OperationContext ctx = OperationContextOf(state);
  return StartDelete(ctx, index, ask);
}

void OpenDelete(PluginState& state, int index) { DeleteItem(state, index, true); }

void OpenAdd(PluginState& state, int index) {
  if (!state.MyModel) return;
  OperationContext ctx = OperationContextOf(state);
  // The copy's thread may only post: the host handles the request later, on
  // its own thread.
  HWND window = state.Host.HostWindow;
  StartAdd(ctx, state.Adds, index, [window] {
    if (window) ::PostMessageW(window, host::kHostCommandMessage, host::kRereadSourcePanel, 0);
  });
}

void OpenUpdate(PluginState&, int) {}

void CompleteFinishedAdds(PluginState& state) {
  if (state.Adds.Empty()) return;
  if (CompleteAdds(state.Tree.Tree, state.MyModel.get(), state.Adds)) RequestPanelReread(state);
}

}  // namespace orvelle
