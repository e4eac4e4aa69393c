#include "plugin/build_steps.h"

#include "compare/action_entries.h"
#include "compare/run_comparison.h"
#include "plugin/language.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "tc/tc_init.h"

namespace orvelle {

namespace {

Discovery DiscoveryOf(PluginState& state) {
  return Discovery{state.Tree.Tree,
                   state.Icons,
                   state.Identity.Module,
                   state.Identity.HostProgramFile,
                   state.Identity.OwnProcessId,
                   state.MyModel,
                   state.NewModel,
                   state.Tree.InstallationFolder};
}

BackupIcons BackupIconsOf(const SharedIcons& icons) {
  return BackupIcons{icons.Get(IconRole::Settings), icons.Get(IconRole::Deleted),
                     icons.Get(IconRole::Installed)};
}

int ModelSteps(const TTC* model) {
  if (model == nullptr) return 0;
  return static_cast<int>(model->FsPluginFiles.size() + model->PackerPluginFiles.size() +
                          model->ListerPluginFiles.size() + model->ContentPluginFiles.size() +
                          model->TargetNames.size());
}

}  // namespace

bool PrepareMyInstallation(PluginState& state) {
  Discovery discovery = DiscoveryOf(state);
  discovery.ConfigurationRead = [&state](const TTC& my) { ChooseLanguage(state, my); };
  discovery.BackUpSettings = [&state](const TTC& my) { return BackUpSettings(state, my); };
  const bool ok = InitMyInstallation(discovery);
  for (std::wstring& warning : discovery.Warnings) state.Tree.Warnings.push_back(std::move(warning));
  return ok;
}

bool BackUpSettings(PluginState& state, const TTC& my) {
  if (!state.Backup) RefreshBackupFolder(state);
  if (state.Backup->MakeBackup(my)) return true;
  // The comparison only reads and goes on; every later start tries again.
  state.Tree.Warnings.push_back(Tr(texts::kSettingsBackupFailed) + state.Backup->StoreDir());
  return false;
}

bool PrepareNewInstallation(PluginState& state) {
  Discovery discovery = DiscoveryOf(state);
  return FindNewInstallation(discovery);
}

int CountProgressSteps(PluginState& state) {
  return ModelSteps(state.MyModel.get()) + ModelSteps(state.NewModel.get());
}

void CompareInstallations(PluginState& state) {
  if (!state.MyModel || !state.NewModel) return;
  TreeState& tree = state.Tree;
  // The workers end with this call: none outlives the host's listing of
  // the root, so none runs when the host unloads the library.
  TaskPool reads(TaskPool::ConfiguredThreads());
  CompareContext ctx{tree.Tree,
                     *state.MyModel,
                     *state.NewModel,
                     state.Progress,
                     state.Icons,
                     tree.InstallationFolder,
                     tree.Tree.FindTreeItem(L"\\" + tree.InstallationFolder),
                     {},
                     &reads};
  RunComparison(ctx);
  reads.Stop();
  AddActionEntries(ctx, state.Identity.PluginFile);
  tree.Folders = ctx.Folders;
}

void RefreshBackupFolder(PluginState& state) {
  if (!state.Icons.Loaded()) state.Icons.Load(state.Identity.Module);
  // The old object goes first: it takes its entries out of the listing.
  state.Backup.reset();
  state.Backup = std::make_unique<TBackup>(state.Identity.PluginDir, state.Tree.Tree,
                                           BackupIconsOf(state.Icons));
}

HICON AboutIcon(PluginState& state) {
  // The host's own icon for "about" when its icon library has it.
  constexpr size_t kHostAboutIcon = 55;
  if (state.MyModel && state.MyModel->IconLibHandles.size() > kHostAboutIcon) {
    return state.MyModel->IconLibHandles[kHostAboutIcon].get();
  }
  return state.Icons.Get(IconRole::Information);
}

}  // namespace orvelle
