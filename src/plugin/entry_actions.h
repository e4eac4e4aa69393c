// What opening an entry starts: one function per dialog, restore and
// operation. The dispatch (commands.cpp) picks one by the entry's flags;
// each function here only connects the plugin's state to the dialog or
// operation that does the work, and reports there, never to the host.
#pragma once

#include "plugin/state.h"

namespace orvelle {

void OpenAbout(PluginState& state, int index);
void OpenFileCompare(PluginState& state, int index);
void OpenTextCompare(PluginState& state, int index);

void OpenRestoreDeleted(PluginState& state, int index);
void OpenRestoreInstalled(PluginState& state, int index);
void OpenRestoreSettings(PluginState& state, int index);

void OpenDelete(PluginState& state, int index);
// The delete of an action entry, "Delete?" first when ask (the host's delete
// key has asked already). True only when the item was deleted.
bool DeleteItem(PluginState& state, int index, bool ask);
void OpenAdd(PluginState& state, int index);
void OpenUpdate(PluginState& state, int index);

// "Add all" and "Update all": the dialog, then the batch.
void OpenBatch(PluginState& state, int index);

// The host brackets a delete of several entries with a status start and
// end: the deletes between them are one change (one batch folder).
void BeginDeleteSelection(PluginState& state);
void EndDeleteSelection(PluginState& state);

// Completes the adds whose copy has ended, and asks the host to list its
// panel again when one was. Called whenever the host calls in with a
// listing or a command: the copy's thread itself changes nothing of the
// plugin's state.
void CompleteFinishedAdds(PluginState& state);

}  // namespace orvelle
