#include "plugin/entry_actions.h"

#include "backup/restore.h"
#include "forms/appearance.h"
#include "forms/form_about.h"
#include "forms/form_batch.h"
#include "forms/form_files.h"
#include "forms/form_text.h"
#include "forms/form_update.h"
#include "operations/add_operation.h"
#include "operations/batch_operation.h"
#include "operations/delete_operation.h"
#include "operations/operation_context.h"
#include "operations/update_operation.h"
#include "platform/message_box.h"
#include "plugin/build_steps.h"
#include "tree/translation.h"
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

void OpenAbout(PluginState& state, int) { ShowAbout(state.Host.HostWindow); }

void OpenFileCompare(PluginState& state, int index) {
  const TVirtualTreeItem& entry = state.Tree.Tree[index];
  FilesDialogInput input;
  input.newFile = entry.NewFile;
  input.myFile = entry.MyFile;
  if (state.MyModel) {
    input.myProgramDir = state.MyModel->ProgramDir();
    input.myProgramFile = state.MyModel->ExeFile;
  }
  input.panelDirectory = PanelDirectoryFor(state.Tree.Tree, index);
  input.look = AppearanceOf(state.MyModel.get());
  ShowFileCompare(state.Host.HostWindow, input);
}

void OpenTextCompare(PluginState& state, int index) {
  const TVirtualTreeItem& entry = state.Tree.Tree[index];
  ShowTextCompare(state.Host.HostWindow,
                  {entry.TextTitle, entry.TextDescription, entry.TextStatus, entry.NewText,
                   entry.MyText},
                  AppearanceOf(state.MyModel.get()));
}

// Restores from the "\Backup" folder.

void OpenRestoreDeleted(PluginState& state, int index) {
  RestoreContext ctx = RestoreContextOf(state);
  RestoreDeletedItem(ctx, index);
}

void OpenRestoreInstalled(PluginState& state, int index) {
  CompleteFinishedAdds(state);
  if (state.Adds.Holds(state.Tree.Tree[index].MyFile)) {
    platform::ShowInformation(Tr(texts::kStillCopying));
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
  // The host's delete key on a selection: every delete of it goes into one
  // batch folder, opened by the first.
  if (state.DeleteSelection && !ask && !ctx.Backup.InBatch()) {
    ctx.Backup.BeginBatch(BackupKind::Deleted, texts::kDeleteSelectionBackupName,
                          kBatchVerbDeleted);
  }
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

void OpenUpdate(PluginState& state, int index) {
  const TVirtualTreeItem& entry = state.Tree.Tree[index];
  // A done entry tells what became of the plugin ("UPDATED!", or "DELETED!"
  // after a delete took its files).
  if (entry.Done) {
    platform::ShowInformation(entry.Info.empty() ? Tr(texts::kUpdated) : entry.Info);
    return;
  }
  if (!state.MyModel) return;
  OperationContext ctx{state.Tree.Tree,
                       *state.MyModel,
                       state.NewModel.get(),
                       BackupOf(state),
                       state.Host.HostWindow,
                       state.Identity.PluginDir,
                       state.Identity.PluginFile,
                       [&state] { RequestPanelReread(state); }};
  std::optional<UpdateRequest> request = PrepareUpdate(ctx, index);
  if (!request) return;
  UpdateDialogInput input;
  input.itemName = request->ItemName;
  for (const UpdateChoice& choice : request->Choices) input.options.push_back(choice.Text);
  input.font = AppearanceOf(state.MyModel.get()).windowFont;
  ShowUpdateDialog(state.Host.HostWindow, input, [&](int option) {
    return option >= 0 && static_cast<size_t>(option) < request->Choices.size() &&
           CarryOutUpdate(ctx, *request, request->Choices[static_cast<size_t>(option)].Option);
  });
}

namespace {

// What a batch that did not go through tells the user.
void ReportBatch(const BatchResult& result) {
  switch (result.Outcome) {
    case BatchOutcome::Done: break;
    case BatchOutcome::Nothing: platform::ShowInformation(Tr(texts::kBatchNothingChanged)); break;
    case BatchOutcome::Cancelled: platform::ShowInformation(Tr(texts::kBatchCancelled)); break;
    case BatchOutcome::Failed:
      platform::ShowError(Tr(texts::kBatchFailed) + result.FailedItem + L"\n" + result.Detail);
      break;
    case BatchOutcome::RollBackFailed:
      platform::ShowError(Tr(texts::kBatchRollBackFailed) + result.FailedItem + L"\n" +
                          result.Detail);
      break;
  }
  if (result.Outcome == BatchOutcome::Done && result.RestartNeeded) {
    platform::ShowInformation(texts::kUpdateAfterRestart);
  }
}

std::vector<BatchItem> Ticked(const std::vector<BatchItem>& items, const std::vector<bool>& ticked) {
  std::vector<BatchItem> chosen;
  for (size_t i = 0; i < items.size() && i < ticked.size(); ++i) {
    if (ticked[i]) chosen.push_back(items[i]);
  }
  return chosen;
}

}  // namespace

void OpenBatch(PluginState& state, int index) {
  if (!state.MyModel) return;
  const TVirtualTreeItem& entry = state.Tree.Tree[index];
  if (entry.Done) {
    platform::ShowInformation(entry.Info);
    return;
  }
  const bool adding = entry.Action == 4;
  OperationContext ctx = OperationContextOf(state);
  const std::vector<BatchItem> items = CollectBatch(ctx, index);
  if (items.empty()) return;
  BatchDialogInput input;
  input.caption = adding ? Tr(texts::kAddAllCaption) : Tr(texts::kUpdateAllCaption);
  input.label = adding ? Tr(texts::kAddAllLabel) : Tr(texts::kUpdateAllLabel);
  input.okText = adding ? Tr(texts::kAddAllButton) : Tr(texts::kUpdateAllButton);
  for (const BatchItem& item : items) input.items.push_back(BatchItemText(item));
  if (!adding) {
    input.waysLabel = Tr(texts::kUpdateAllOptionLabel);
    input.ways = [&items](const std::vector<bool>& ticked) {
      std::vector<std::pair<std::wstring, int>> ways;
      for (BatchUpdateWay way : CommonUpdateWays(Ticked(items, ticked))) {
        ways.emplace_back(BatchUpdateWayText(way), static_cast<int>(way));
      }
      return ways;
    };
  }
  input.font = AppearanceOf(state.MyModel.get()).windowFont;
  const std::optional<BatchDialogChoice> choice = ShowBatchDialog(state.Host.HostWindow, input);
  if (!choice) return;
  const std::vector<BatchItem> chosen = Ticked(items, choice->ticked);
  const BatchResult result =
      adding ? RunAddAll(ctx, index, chosen, state.Host.ProgressCallback)
             : RunUpdateAll(ctx, index, chosen, static_cast<BatchUpdateWay>(choice->way),
                            state.Host.ProgressCallback);
  ReportBatch(result);
}

void BeginDeleteSelection(PluginState& state) {
  state.DeleteSelection = true;
}

void EndDeleteSelection(PluginState& state) {
  state.DeleteSelection = false;
  if (state.Backup && state.Backup->InBatch()) state.Backup->EndBatch();
}

void CompleteFinishedAdds(PluginState& state) {
  if (state.Adds.Empty()) return;
  if (CompleteAdds(state.Tree.Tree, state.MyModel.get(), state.Adds)) RequestPanelReread(state);
}

}  // namespace orvelle
