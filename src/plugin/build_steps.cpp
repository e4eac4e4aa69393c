#include "plugin/build_steps.h"

#include "plugin/vars_conts.h"

namespace orvelle {

bool PrepareMyInstallation(PluginState& state) {
  state.Icons.Load(state.Identity.Module);
  return true;
}

bool PrepareNewInstallation(PluginState& state) {
  AddMessageEntry(state.Tree.Tree, L"\\", texts::kRunAnother, MessageKind::Error,
                  state.Icons.Get(IconRole::Error));
  return false;
}

int CountProgressSteps(PluginState&) { return 0; }

void CompareInstallations(PluginState&) {}

void RefreshBackupFolder(PluginState&) {}

HICON AboutIcon(PluginState& state) { return state.Icons.Get(IconRole::Information); }

}  // namespace orvelle
