#include "compare/action_entries.h"

#include "compare/entries.h"
#include "compare/same_file.h"
#include "platform/strings.h"
#include "tc/item_kind.h"
#include "tc/ttc.h"
#include "tree/vars_conts.h"

namespace orvelle {

namespace {

std::wstring WithoutBitness(const std::wstring& file) {
  std::wstring lower = platform::LowerCase(file);
  if (lower.size() > 2 && lower.ends_with(L"64")) lower.resize(lower.size() - 2);
  return lower;
}

// Orders 0.. of a folder in use: the next entry takes the count.
int ListedCount(const VirtualTree& tree, const std::wstring& folderPath) {
  int count = 0;
  while (tree.FindListed(folderPath, count) >= 0) ++count;
  return count;
}

int RowOf(const std::vector<std::wstring>& list, const std::wstring& value) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (platform::EqualsNoCase(list[i], value)) return static_cast<int>(i);
  }
  return -1;
}

void AddDeleteEntries(CompareContext& ctx, int kindFolder, ItemKind kind,
                      const std::vector<std::wstring>& myFiles, const std::wstring& ownPluginFile) {
  if (kindFolder < 0) return;
  const std::wstring kindPath = ctx.Tree[kindFolder].FolderPath();
  const int plugins = ListedCount(ctx.Tree, kindPath);
  for (int order = 0; order < plugins; ++order) {
    const int folder = ctx.Tree.FindListed(kindPath, order);
    const TVirtualTreeItem& plugin = ctx.Tree[folder];
    if (plugin.MyFile.empty() || IsSameFile(plugin.NewFile, plugin.MyFile)) continue;
    if (!ownPluginFile.empty() && WithoutBitness(plugin.MyFile) == WithoutBitness(ownPluginFile)) {
      continue;
    }
    const int row = RowOf(myFiles, plugin.MyFile);
    if (row < 0) continue;
    const std::wstring path = plugin.FolderPath();
    TVirtualTreeItem entry = MakeEntry(folder, path, ListedCount(ctx.Tree, path),
                                       texts::kDeleteEntry, ctx.Icons.Get(IconRole::Deleted));
    entry.Action = 1;
    entry.ActionKind = static_cast<uint8_t>(kind);
    entry.ActionIndex = row;
    entry.Info = texts::kDeleteEntryInfo;
    if (ctx.Tree.Append(std::move(entry)) < 0) return;
  }
}

// An "Update" entry in every plugin folder of a plugin both installations
// register from different files, when the files differ: the plugin file or,
// in a folder of its own, anything in its directory.
void AddUpdateEntries(CompareContext& ctx, int kindFolder, ItemKind kind,
                      const std::vector<std::wstring>& myFiles, const std::wstring& ownPluginFile) {
  if (kindFolder < 0) return;
  const std::wstring kindPath = ctx.Tree[kindFolder].FolderPath();
  const int plugins = ListedCount(ctx.Tree, kindPath);
  for (int order = 0; order < plugins; ++order) {
    const int folder = ctx.Tree.FindListed(kindPath, order);
    const TVirtualTreeItem& plugin = ctx.Tree[folder];
    if (plugin.MyFile.empty() || plugin.NewFile.empty() ||
        IsSameFile(plugin.NewFile, plugin.MyFile)) {
      continue;
    }
    // Updating the plugin itself would free the module that does it.
    if (!ownPluginFile.empty() && WithoutBitness(plugin.MyFile) == WithoutBitness(ownPluginFile)) {
      continue;
    }
    const std::wstring path = plugin.FolderPath();
    // A folder the plugin shares with others is compared for their files
    // too, which an update of this plugin never touches.
    const int directory = ctx.Tree.FindTreeItem(path + texts::kDirectory);
    const bool ownFolder =
        directory >= 0 && ctx.Tree[directory].Info != texts::kSubdirectoriesNotCompared;
    const bool differ =
        plugin.Status != L"=" || (ownFolder && ctx.Tree[directory].Status != L"=");
    const int row = RowOf(myFiles, plugin.MyFile);
    if (!differ || row < 0) continue;
    TVirtualTreeItem entry = MakeEntry(folder, path, ListedCount(ctx.Tree, path),
                                       texts::kUpdateEntry, ctx.Icons.Get(IconRole::Installed));
    entry.Action = 3;
    entry.ActionKind = static_cast<uint8_t>(kind);
    entry.ActionIndex = row;
    entry.Info = texts::kUpdateEntryInfo;
    if (ctx.Tree.Append(std::move(entry)) < 0) return;
  }
}

// The name the comparison gives a command target (with " (N)" from the
// second of a name on, shortened as the tree shortens names).
std::wstring TargetEntryName(const TTC& m, size_t row, const std::wstring& folderPath) {
  TVirtualTreeItem probe;
  probe.Path = folderPath;
  probe.Name = m.TargetNames[row];
  if (row < m.TargetOccurrences.size() && !m.TargetOccurrences[row].empty() &&
      m.TargetOccurrences[row] != L"1") {
    probe.Name += L" (" + m.TargetOccurrences[row] + L")";
  }
  ShortenEntryName(probe);
  return probe.Name;
}

void MarkTargetEntries(CompareContext& ctx, int categoryFolder, const wchar_t* type,
                       ItemKind kind) {
  if (categoryFolder < 0) return;
  const TTC& my = ctx.My;
  const std::wstring folderPath = ctx.Tree[categoryFolder].FolderPath();
  for (size_t row = 0; row < my.TargetTypes.size() && row < my.TargetNames.size() &&
                       row < my.TargetPaths.size();
       ++row) {
    if (my.TargetTypes[row] != type) continue;
    const int index = ctx.Tree.FindTreeItem(folderPath + TargetEntryName(my, row, folderPath));
    if (index < 0) continue;
    TVirtualTreeItem& entry = ctx.Tree[index];
    if (!platform::EqualsNoCase(entry.MyFile, my.TargetPaths[row]) ||
        IsSameFile(entry.NewFile, entry.MyFile)) {
      continue;
    }
    entry.Action = 1;
    entry.ActionKind = static_cast<uint8_t>(kind);
    entry.ActionIndex = static_cast<int32_t>(row);
  }
}

}  // namespace

void AddActionEntries(CompareContext& ctx, const std::wstring& ownPluginFile) {
  if (ctx.Stopped()) return;
  const TTC& my = ctx.My;
  AddDeleteEntries(ctx, ctx.Folders.Wfx, ItemKind::FileSystemPlugin, my.FsPluginFiles,
                   ownPluginFile);
  AddDeleteEntries(ctx, ctx.Folders.Wcx, ItemKind::PackerPlugin, my.PackerPluginFiles,
                   ownPluginFile);
  AddDeleteEntries(ctx, ctx.Folders.Wlx, ItemKind::ListerPlugin, my.ListerPluginFiles,
                   ownPluginFile);
  AddDeleteEntries(ctx, ctx.Folders.Wdx, ItemKind::ContentPlugin, my.ContentPluginFiles,
                   ownPluginFile);
  AddUpdateEntries(ctx, ctx.Folders.Wfx, ItemKind::FileSystemPlugin, my.FsPluginFiles,
                   ownPluginFile);
  AddUpdateEntries(ctx, ctx.Folders.Wcx, ItemKind::PackerPlugin, my.PackerPluginFiles,
                   ownPluginFile);
  AddUpdateEntries(ctx, ctx.Folders.Wlx, ItemKind::ListerPlugin, my.ListerPluginFiles,
                   ownPluginFile);
  AddUpdateEntries(ctx, ctx.Folders.Wdx, ItemKind::ContentPlugin, my.ContentPluginFiles,
                   ownPluginFile);
  MarkTargetEntries(ctx, ctx.Folders.NonExecutable, L"N", ItemKind::NonExecutable);
  MarkTargetEntries(ctx, ctx.Folders.PackageExclude, L"E", ItemKind::PackageExclude);
  MarkTargetEntries(ctx, ctx.Folders.PackageInclude, L"I", ItemKind::PackageInclude);
}

}  // namespace orvelle
