#include "plugin/backup_folder.h"

#include "plugin/build_steps.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"

namespace orvelle {

void ShowBackupFolder(PluginState& state) {
  RefreshBackupFolder(state);
  VirtualTree& tree = state.Tree.Tree;
  const int existing = tree.FindTreeItem(std::wstring(L"\\") + texts::kBackupFolder);
  if (state.Backup->Stamps.empty()) {
    // The last root entry: taking it out leaves no gap in the listing.
    if (existing >= 0) tree.Release(existing);
    return;
  }
  if (existing >= 0) return;
  int order = 0;
  while (tree.FindListed(L"\\", order) >= 0) ++order;
  TVirtualTreeItem folder;
  folder.Order = order;
  folder.ParentIndex = -1;
  folder.IsFolder = true;
  folder.Name = texts::kBackupFolder;
  folder.Path = L"\\";
  folder.Info = Tr(texts::kBackupFolderInfo);
  folder.Icon = state.Icons.Get(IconRole::Settings);
  tree.Append(std::move(folder));
}

}  // namespace orvelle
