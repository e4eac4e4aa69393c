#include "plugin/tree_driver.h"

#include "platform/handle.h"
#include "platform/message_box.h"
#include "plugin/build_steps.h"
#include "plugin/report_entries.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "util/icons.h"

namespace orvelle {

namespace {
void MarkIncomplete(TreeState& tree) {
  if (tree.InstallationFolder.empty()) return;
  for (int i = 0; i < tree.Tree.Count(); ++i) {
    TVirtualTreeItem& e = tree.Tree[i];
    if (e.Path == L"\\" && e.Name == tree.InstallationFolder) {
      e.IsFolder = false;
      e.Info = Tr(texts::kNotBuiltCompletely);
      e.Status = L"*!";
      tree.Tree.Rename(i, e.Name + L".");
      return;
    }
  }
}
}  // namespace

void BuildTree(PluginState& state) {
  TreeState& tree = state.Tree;
  tree.TreeBuilding = true;
  platform::scope_exit done([&] { tree.TreeBuilding = false; });

  if (tree.TreeBuilt && !platform::AskYesNo(Tr(texts::kRepeatComparison))) return;

  tree.TreeBuilt = false;
  // Entries point at cached icons: the tree goes first.
  tree.Tree.Clear();
  tree.InstallationFolder.clear();
  tree.Folders = FolderIndexes{};
  tree.Warnings.clear();
  FreeIconCache();

  if (PrepareMyInstallation(state)) {
    AddAboutEntry(tree.Tree, AboutIcon(state));
    if (PrepareNewInstallation(state)) {
      ProgressState& progress = state.Progress;
      StartProgress(progress, Tr(texts::kComparisonTitle));
      ReportProgress(progress);
      --progress.ProgressStep;
      SetProgressTotal(progress, CountProgressSteps(state));
      CompareInstallations(state);
      tree.TreeBuilt = true;
    }
  }

  if (state.Progress.Cancelled) {
    // The next listing of the root rebuilds without asking.
    tree.TreeBuilt = false;
    MarkIncomplete(tree);
  } else if (tree.Tree.Full()) {
    // A rebuild would fill the table the same way: what was built stays
    // browsable, and the root says that it is not all.
    tree.Warnings.push_back(Tr(texts::kNotBuiltCompletely));
  }
  if (tree.TreeBuilt) AddReportEntries(tree.Tree, state.Icons.Get(IconRole::Information));
  for (const std::wstring& warning : tree.Warnings) {
    AddNoticeEntry(tree.Tree, L"\\", warning, MessageKind::Warning,
                   state.Icons.Get(IconRole::Warning));
  }
}

}  // namespace orvelle
