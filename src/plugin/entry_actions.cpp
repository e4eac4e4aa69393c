#include "plugin/entry_actions.h"

#include "forms/appearance.h"
#include "forms/form_about.h"
#include "forms/form_files.h"
#include "forms/form_text.h"

namespace orvelle {

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

void OpenRestoreDeleted(PluginState&, int) {}

void OpenRestoreInstalled(PluginState&, int) {}

void OpenRestoreSettings(PluginState&, int) {}

// Operations on My installation.

void OpenDelete(PluginState&, int) {}

void OpenAdd(PluginState&, int) {}

void OpenUpdate(PluginState&, int) {}

}  // namespace orvelle
