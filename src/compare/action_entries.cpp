#include "compare/action_entries.h"

#include "compare/entries.h"
#include "compare/same_file.h"
#include "platform/strings.h"
#include "tc/item_kind.h"
#include "tc/ttc.h"
#include "tree/translation.h"
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

// Appends one action entry at the end of a plugin's folder; false when the
// tree is full.
bool AppendAction(CompareContext& ctx, int folder, uint8_t action, ItemKind kind, int row,
                  const wchar_t* name, const wchar_t* info, IconRole icon) {
  const std::wstring path = ctx.Tree[folder].FolderPath();
  TVirtualTreeItem entry =
      MakeEntry(folder, path, ListedCount(ctx.Tree, path), name, ctx.Icons.Get(icon));
  entry.Action = action;
  entry.ActionKind = static_cast<uint8_t>(kind);
  entry.ActionIndex = row;
  entry.Info = info;
  return ctx.Tree.Append(std::move(entry)) >= 0;
}

// Whether an update would change anything: the plugin file differs, or
// anything its "Directory" folder compares does (that folder lists only what
// belongs to the plugin, which is what an update touches).
bool PluginFilesDiffer(const CompareContext& ctx, const TVirtualTreeItem& plugin) {
  if (plugin.Status != L"=") return true;
  const int directory = ctx.Tree.FindTreeItem(plugin.FolderPath() + texts::kDirectory);
  return directory >= 0 && ctx.Tree[directory].Status != L"=";
}

// The action entries of each plugin folder of one kind, in the order they
// are listed: "Delete" where My installation registers the plugin, then
// "Update" where New does too from files that differ; "Add" where only New
// registers it. None for the very same file in both installations (a change
// would reach the New installation too) and none for this plugin itself
// (deleting or updating it would free the module doing it).
void AddPluginEntries(CompareContext& ctx, int kindFolder, ItemKind kind,
                      const std::vector<std::wstring>& myFiles,
                      const std::vector<std::wstring>& newFiles,
                      const std::wstring& ownPluginFile) {
  if (kindFolder < 0) return;
  const std::wstring kindPath = ctx.Tree[kindFolder].FolderPath();
  const int plugins = ListedCount(ctx.Tree, kindPath);
  for (int order = 0; order < plugins; ++order) {
    const int folder = ctx.Tree.FindListed(kindPath, order);
    // Appending keeps entries in place, so the reference stays valid.
    const TVirtualTreeItem& plugin = ctx.Tree[folder];
    if (plugin.MyFile.empty()) {
      if (plugin.NewFile.empty()) continue;
      const int row = RowOf(newFiles, plugin.NewFile);
      if (row >= 0 && !AppendAction(ctx, folder, 2, kind, row, texts::kAddEntry,
                                    Tr(texts::kAddEntryInfo), IconRole::Installed)) {
        return;
      }
      continue;
    }
    if (IsSameFile(plugin.NewFile, plugin.MyFile)) continue;
    if (!ownPluginFile.empty() && WithoutBitness(plugin.MyFile) == WithoutBitness(ownPluginFile)) {
      continue;
    }
    const int row = RowOf(myFiles, plugin.MyFile);
    if (row < 0) continue;
    if (!AppendAction(ctx, folder, 1, kind, row, texts::kDeleteEntry, Tr(texts::kDeleteEntryInfo),
                      IconRole::Deleted)) {
      return;
    }
    if (!plugin.NewFile.empty() && PluginFilesDiffer(ctx, plugin) &&
        !AppendAction(ctx, folder, 3, kind, row, texts::kUpdateEntry, Tr(texts::kUpdateEntryInfo),
                      IconRole::Installed)) {
      return;
    }
  }
}

// The entries below a folder (at any depth) that carry an action.
int CountActions(const VirtualTree& tree, const std::wstring& folderPath, uint8_t action) {
  int count = 0;
  for (int i = 0; i < tree.Count(); ++i) {
    const TVirtualTreeItem& entry = tree[i];
    if (entry.Action == action && !entry.Done && entry.Path.starts_with(folderPath)) ++count;
  }
  return count;
}

// "Add all" and "Update all" at the end of a folder, when at least one
// plugin below it can be added or updated (not when a plugin of that very
// name stands there).
void AddBatchEntries(CompareContext& ctx, int folder) {
  if (folder < 0) return;
  const std::wstring path = ctx.Tree[folder].FolderPath();
  const int adds = CountActions(ctx.Tree, path, 2);
  const int updates = CountActions(ctx.Tree, path, 3);
  struct Batch {
    uint8_t action;
    int count;
    const wchar_t* name;
    const wchar_t* prefix;
    const wchar_t* suffix;
    const wchar_t* oneSuffix;
  };
  for (const Batch& batch : {Batch{4, adds, texts::kAddAllEntry, Tr(texts::kAddAllInfoPrefix),
                                   Tr(texts::kPluginsOfNew), Tr(texts::kOnePluginOfNew)},
                             Batch{5, updates, texts::kUpdateAllEntry,
                                   Tr(texts::kUpdateAllInfoPrefix), Tr(texts::kPluginsDiffering),
                                   Tr(texts::kOnePluginDiffering)}}) {
    if (batch.count == 0 || ctx.Tree.FindTreeItem(path + batch.name) >= 0) continue;
    TVirtualTreeItem entry = MakeEntry(folder, path, ListedCount(ctx.Tree, path), batch.name,
                                       ctx.Icons.Get(IconRole::Installed));
    entry.Action = batch.action;
    entry.Info = batch.prefix + std::to_wstring(batch.count) +
                 (batch.count == 1 ? batch.oneSuffix : batch.suffix);
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
    // Names that differ only in case were told apart by the tree with
    // " (2)", " (3)"...: the entry is the one of those that shows this file.
    const std::wstring name = folderPath + TargetEntryName(my, row, folderPath);
    int index = ctx.Tree.FindTreeItem(name);
    for (int n = 2; index >= 0 && !platform::EqualsNoCase(ctx.Tree[index].MyFile, my.TargetPaths[row]);
         ++n) {
      index = ctx.Tree.FindTreeItem(name + L" (" + std::to_wstring(n) + L")");
    }
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
  const TTC& newModel = ctx.New;
  AddPluginEntries(ctx, ctx.Folders.Wfx, ItemKind::FileSystemPlugin, my.FsPluginFiles,
                   newModel.FsPluginFiles, ownPluginFile);
  AddPluginEntries(ctx, ctx.Folders.Wcx, ItemKind::PackerPlugin, my.PackerPluginFiles,
                   newModel.PackerPluginFiles, ownPluginFile);
  AddPluginEntries(ctx, ctx.Folders.Wlx, ItemKind::ListerPlugin, my.ListerPluginFiles,
                   newModel.ListerPluginFiles, ownPluginFile);
  AddPluginEntries(ctx, ctx.Folders.Wdx, ItemKind::ContentPlugin, my.ContentPluginFiles,
                   newModel.ContentPluginFiles, ownPluginFile);
  for (int folder : {ctx.Folders.Wfx, ctx.Folders.Wcx, ctx.Folders.Wlx, ctx.Folders.Wdx,
                     ctx.Folders.Plugins}) {
    AddBatchEntries(ctx, folder);
  }
  MarkTargetEntries(ctx, ctx.Folders.NonExecutable, L"N", ItemKind::NonExecutable);
  MarkTargetEntries(ctx, ctx.Folders.PackageExclude, L"E", ItemKind::PackageExclude);
  MarkTargetEntries(ctx, ctx.Folders.PackageInclude, L"I", ItemKind::PackageInclude);
}

}  // namespace orvelle
