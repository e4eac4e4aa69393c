#include "operations/batch_operation.h"

#include "backup/backup.h"
#include "backup/restore.h"
#include "operations/add_operation.h"
#include "operations/add_plan.h"
#include "operations/operation_context.h"
#include "operations/update_operation.h"
#include "platform/fs.h"
#include "platform/known_folders.h"
#include "tc/plugin_scope.h"
#include "platform/strings.h"
#include "tc/ttc.h"
#include "tree/tree.h"
#include "tree/vars_conts.h"
#include "util/file_ops.h"
#include "util/flush_group.h"
#include "tree/translation.h"

#include <windows.h>

#include <algorithm>

namespace orvelle {

namespace {

// The host's display is told at least this often (milliseconds) while files
// are copied, and whenever the percentage or the plugin changes.
constexpr ULONGLONG kProgressInterval = 50;

const wchar_t* KindName(ItemKind kind) {
  switch (kind) {
    case ItemKind::FileSystemPlugin: return texts::kWfx;
    case ItemKind::PackerPlugin: return texts::kWcx;
    case ItemKind::ListerPlugin: return texts::kWlx;
    case ItemKind::ContentPlugin: return texts::kWdx;
    default: return L"";
  }
}

// Files below dir, links left out (a copy does not follow them).
size_t CountFiles(const std::wstring& dir) { return ListTree(dir).Files.size(); }

size_t FilesOf(const UpdatePlan& plan) {
  size_t count = plan.NewWhole ? CountFiles(plan.NewDir) : plan.NewNames.size();
  if (plan.WholeDirectory && plan.Option != UpdateOption::ReplaceDirectory) {
    count += CountFiles(plan.MyDir);
  }
  return count;
}

// The percentage over every file of the batch, with the current plugin's
// name, through the host's callback; its cancel answer stops the batch.
class BatchProgress {
 public:
  BatchProgress(const ProgressCallbackFn& callback, size_t total)
      : callback_(callback), total_(total) {}

  bool Begin(const std::wstring& name, const std::wstring& target) {
    name_ = name;
    target_ = target;
    return Report(true);
  }
  // Before each file: false once the user cancelled.
  bool File() {
    ++done_;
    return Report(false);
  }
  // Between two steps of a plugin (its registration, its records): the
  // display is told again once the interval has passed, so that it never
  // stands still for long.
  bool Tick() { return Report(false); }
  bool Cancelled() const { return cancelled_; }

 private:
  bool Report(bool force) {
    if (cancelled_) return false;
    if (!callback_) return true;
    const int percent =
        total_ == 0 ? 0 : static_cast<int>(std::min<size_t>(100, done_ * 100 / total_));
    const ULONGLONG now = ::GetTickCount64();
    if (!force && percent == lastPercent_ && now - lastTime_ < kProgressInterval) return true;
    lastPercent_ = percent;
    lastTime_ = now;
    if (callback_(name_, target_, percent) == 1) cancelled_ = true;
    return !cancelled_;
  }

  const ProgressCallbackFn& callback_;
  size_t total_;
  size_t done_ = 0;
  int lastPercent_ = -1;
  ULONGLONG lastTime_ = 0;
  bool cancelled_ = false;
  std::wstring name_, target_;
};

// Takes back everything the open batch made: its folder is restored into a
// scratch batch, which is dropped (it holds only what this step made).
// False when something could not be put back: the batch's folder stays in
// the store then, and detail names it.
bool RollBack(TBackup& backup, const TTC& my, std::wstring& detail) {
  const std::wstring folder = backup.EndBatch(false);
  if (folder.empty()) return true;
  std::wstring scratch;
  const RestoreFailure failure =
      RestoreBatchFolder(folder, backup, &my, texts::kUndoBackupName, &scratch);
  if (failure != RestoreFailure::None && failure != RestoreFailure::NothingLeft) {
    detail = folder;
    return false;
  }
  if (!scratch.empty()) DeleteDirectoryTree(platform::ExcludeTrailingBackslash(scratch), true);
  return true;
}

void MarkDone(VirtualTree& tree, int index, const std::wstring& text) {
  if (index < 0 || index >= tree.Count()) return;
  TVirtualTreeItem& entry = tree[index];
  entry.Info = text;
  entry.Status = L"*!";
  entry.Done = true;
}

BatchResult Finish(OperationContext& ctx, BatchResult result, const std::wstring& failedItem,
                   bool cancelled) {
  std::wstring detail;
  if (!RollBack(ctx.Backup, ctx.My, detail)) {
    result.Outcome = BatchOutcome::RollBackFailed;
    result.Detail = detail;
  } else {
    result.Outcome = cancelled ? BatchOutcome::Cancelled : BatchOutcome::Failed;
  }
  result.FailedItem = failedItem;
  result.Changed = 0;
  return result;
}

// The other "Add all" / "Update all" entries (of the kind folders, or of
// "Plugins") with nothing left to do are done too.
void MarkEmptiedBatches(OperationContext& ctx, uint8_t action, const std::wstring& text) {
  for (int i = 0; i < ctx.Tree.Count(); ++i) {
    const TVirtualTreeItem& entry = ctx.Tree[i];
    if (entry.Action == action && !entry.Done && CollectBatch(ctx, i).empty()) {
      MarkDone(ctx.Tree, i, text);
    }
  }
}

}  // namespace

std::wstring BatchItemText(const BatchItem& item) {
  return L"[" + std::wstring(KindName(item.Kind)) + L"] " + item.Name;
}

std::wstring BatchUpdateWayText(BatchUpdateWay way) {
  switch (way) {
    case BatchUpdateWay::ReplaceDirectory: return Tr(texts::kReplaceWholeDirectory);
    case BatchUpdateWay::UpdateOld: return Tr(texts::kUpdateOldFiles);
    case BatchUpdateWay::CopyAll: return Tr(texts::kCopyWithReplaceAll);
  }
  return {};
}

std::vector<BatchItem> CollectBatch(const OperationContext& ctx, int index) {
  std::vector<BatchItem> items;
  const VirtualTree& tree = ctx.Tree;
  if (!ctx.New || index < 0 || index >= tree.Count()) return items;
  const TVirtualTreeItem& batch = tree[index];
  if (batch.Action != 4 && batch.Action != 5) return items;
  const uint8_t wanted = batch.Action == 4 ? 2 : 3;
  const std::wstring& folder = batch.Path;
  for (int i = 0; i < tree.Count(); ++i) {
    const TVirtualTreeItem& entry = tree[i];
    if (entry.Action != wanted || entry.Done || entry.ActionIndex < 0 ||
        !entry.Path.starts_with(folder) || entry.ParentIndex < 0 ||
        entry.ParentIndex >= tree.Count()) {
      continue;
    }
    const ItemKind kind = static_cast<ItemKind>(entry.ActionKind);
    if (!IsPluginKind(kind)) continue;
    const TVirtualTreeItem& plugin = tree[entry.ParentIndex];
    BatchItem item;
    item.Index = i;
    item.Kind = kind;
    item.Name = plugin.Name;
    item.Source = plugin.NewFile;
    item.Target = plugin.MyFile;
    if (wanted == 2) {
      item.NewRow = static_cast<size_t>(entry.ActionIndex);
    } else {
      std::optional<UpdateRequest> request = PrepareUpdate(ctx, i);
      if (!request) continue;
      item.MyRow = request->MyRow;
      item.NewRow = request->NewRow;
      for (const UpdateChoice& choice : request->Choices) item.Options.push_back(choice.Option);
    }
    items.push_back(std::move(item));
  }
  // Kind by kind, as the folders list them.
  std::stable_sort(items.begin(), items.end(), [](const BatchItem& a, const BatchItem& b) {
    return static_cast<int>(a.Kind) < static_cast<int>(b.Kind);
  });
  return items;
}

std::optional<UpdateOption> OptionFor(const BatchItem& item, BatchUpdateWay way) {
  auto offers = [&](UpdateOption option) {
    return std::find(item.Options.begin(), item.Options.end(), option) != item.Options.end();
  };
  std::vector<UpdateOption> candidates;
  switch (way) {
    case BatchUpdateWay::ReplaceDirectory: candidates = {UpdateOption::ReplaceDirectory}; break;
    case BatchUpdateWay::UpdateOld:
      candidates = {UpdateOption::UpdateTree, UpdateOption::UpdateTopLevel};
      break;
    case BatchUpdateWay::CopyAll:
      candidates = {UpdateOption::CopyTree, UpdateOption::CopyTopLevel};
      break;
  }
  for (UpdateOption option : candidates) {
    if (offers(option)) return option;
  }
  return std::nullopt;
}

std::vector<BatchUpdateWay> CommonUpdateWays(const std::vector<BatchItem>& items) {
  std::vector<BatchUpdateWay> ways;
  for (BatchUpdateWay way :
       {BatchUpdateWay::UpdateOld, BatchUpdateWay::CopyAll, BatchUpdateWay::ReplaceDirectory}) {
    if (std::all_of(items.begin(), items.end(),
                    [&](const BatchItem& item) { return OptionFor(item, way).has_value(); })) {
      ways.push_back(way);
    }
  }
  return ways;
}

BatchResult RunAddAll(OperationContext& ctx, int batchIndex, const std::vector<BatchItem>& items,
                      const ProgressCallbackFn& progress) {
  BatchResult result;
  if (!ctx.New) return result;
  // Every plugin is planned first: one that cannot be carried out stops the
  // batch before anything changes. The models do not change while the batch
  // runs: their surroundings are gathered once, and the folders the plans
  // share are looked up once.
  const PluginSurroundings around =
      GatherSurroundings(&ctx.My, ctx.New, ctx.OwnPluginFile, platform::GetSystemFolders());
  platform::PathSpelling spelling;
  std::vector<AddPlan> plans(items.size());
  // The folders a copy takes whole are walked once: to count their files
  // for the progress, and then to copy them.
  std::vector<std::optional<TreeListing>> listings(items.size());
  size_t total = 0;
  for (size_t i = 0; i < items.size(); ++i) {
    const BatchItem& item = items[i];
    if (PlanAdd(ctx.My, *ctx.New, item.Kind, item.NewRow, ctx.OwnPluginFile, plans[i], &around,
                &spelling) != AddPlanFailure::None) {
      result.FailedItem = item.Name;
      result.Detail = Tr(texts::kBadSourceDirectory);
      return result;
    }
    if (!plans[i].CopyNeeded) continue;
    if (!plans[i].Source.Files.empty()) {
      total += plans[i].Source.Files.size();
      continue;
    }
    listings[i] = ListTree(plans[i].Source.Dir);
    total += listings[i]->Files.size();
  }
  if (!ctx.Backup.BeginBatch(BackupKind::Installed, texts::kAddAllBackupName,
                             kBatchVerbInstalled)) {
    result.Detail = Tr(texts::kCantPrepareBackup);
    return result;
  }
  // Hundreds of records, each flushed on its own, would keep the batch
  // waiting for the disk longer than its copying does: the batch's records
  // reach the disk together, before My installation's configuration changes.
  // A roll-back writes into a folder of its own, flushed as it goes.
  FlushGroup flushes(ctx.Backup.BatchDir());
  BatchProgress shown(progress, total);
  CopyControl control;
  control.BeforeFile = [&](const std::wstring&) { return shown.File(); };
  // The files first, every plugin's; the registrations then, each
  // configuration file written once for all of them.
  std::vector<CopiedAdd> copied;
  std::vector<const BatchItem*> copiedItems;
  for (size_t i = 0; i < items.size(); ++i) {
    const BatchItem& item = items[i];
    AddPlan& plan = plans[i];
    // A plugin before it may have taken the folder it was planned into
    // (two of New's plugins of one folder name): planned again.
    if (plan.CopyNeeded && platform::PathExists(plan.TargetDir) &&
        PlanAdd(ctx.My, *ctx.New, item.Kind, item.NewRow, ctx.OwnPluginFile, plan, &around,
                &spelling) != AddPlanFailure::None) {
      result.Detail = Tr(texts::kBadSourceDirectory);
      return Finish(ctx, result, item.Name, false);
    }
    if (!shown.Begin(item.Name, plan.TargetDir)) return Finish(ctx, result, item.Name, true);
    const TreeListing* listed = listings[i] ? &*listings[i] : nullptr;
    const AddNowResult one = CopyPluginNow(plan, ctx.Backup, control, listed);
    shown.Tick();
    switch (one.Outcome) {
      case AddNowOutcome::Copied:
        copied.push_back(one.Copied);
        copiedItems.push_back(&item);
        break;
      case AddNowOutcome::Stopped: return Finish(ctx, result, item.Name, true);
      case AddNowOutcome::BackupFailed:
        result.Detail = Tr(texts::kCantPrepareBackup);
        return Finish(ctx, result, item.Name, false);
      default:
        result.Detail = Tr(texts::kDirectoryCopyError);
        return Finish(ctx, result, item.Name, shown.Cancelled());
    }
  }
  if (shown.Cancelled()) return Finish(ctx, result, {}, true);
  const std::vector<AddNowResult> registered =
      RegisterCopiedPlugins(ctx.My, copied, [&] { return shown.Tick(); });
  std::vector<const BatchItem*> added;
  for (size_t i = 0; i < registered.size(); ++i) {
    switch (registered[i].Outcome) {
      case AddNowOutcome::Added: added.push_back(copiedItems[i]); break;
      case AddNowOutcome::AlreadyRegistered: break;
      default:
        result.Detail = Tr(texts::kNotAdded);
        return Finish(ctx, result, copiedItems[i]->Name, shown.Cancelled());
    }
  }
  ctx.Backup.EndBatch();
  result.Changed = static_cast<int>(added.size());
  result.Outcome = added.empty() ? BatchOutcome::Nothing : BatchOutcome::Done;
  for (const BatchItem* item : added) {
    VirtualTree& tree = ctx.Tree;
    MarkDone(tree, item->Index, Tr(texts::kAdded));
    MarkDone(tree, tree[item->Index].ParentIndex, Tr(texts::kAdded));
    MarkDone(tree, tree.FindTreeItem(tree[item->Index].Path + texts::kDirectory), Tr(texts::kAdded));
  }
  MarkDone(ctx.Tree, batchIndex, Tr(texts::kBatchAddedPrefix) + std::to_wstring(result.Changed));
  if (!added.empty()) MarkEmptiedBatches(ctx, 4, Tr(texts::kAdded));
  if (ctx.RequestReread) ctx.RequestReread();
  return result;
}

BatchResult RunUpdateAll(OperationContext& ctx, int batchIndex,
                         const std::vector<BatchItem>& items, BatchUpdateWay way,
                         const ProgressCallbackFn& progress) {
  BatchResult result;
  if (!ctx.New) return result;
  std::vector<UpdatePlan> plans;
  size_t total = 0;
  for (const BatchItem& item : items) {
    const std::optional<UpdateOption> option = OptionFor(item, way);
    std::optional<UpdatePlan> plan =
        option ? PlanUpdate(ctx.My, *ctx.New, item.Kind, item.MyRow, item.NewRow, *option,
                            ctx.OwnPluginFile)
               : std::nullopt;
    if (!plan) {
      result.FailedItem = item.Name;
      result.Detail = Tr(texts::kDirectoryCopyError);
      return result;
    }
    total += FilesOf(*plan);
    plans.push_back(std::move(*plan));
  }
  if (!ctx.Backup.BeginBatch(BackupKind::Deleted, texts::kUpdateAllBackupName,
                             kBatchVerbUpdated)) {
    result.Detail = Tr(texts::kCantPrepareBackup);
    return result;
  }
  BatchProgress shown(progress, total);
  CopyControl control;
  control.BeforeFile = [&](const std::wstring&) { return shown.File(); };
  std::vector<const BatchItem*> updated;
  for (size_t i = 0; i < items.size(); ++i) {
    const BatchItem& item = items[i];
    if (!shown.Begin(item.Name, plans[i].MyDir)) return Finish(ctx, result, item.Name, true);
    const UpdateResult one = RunUpdate(plans[i], ctx.Backup, control);
    shown.Tick();
    switch (one.Outcome) {
      case UpdateOutcome::Updated:
        updated.push_back(&item);
        result.RestartNeeded = result.RestartNeeded || one.RestartNeeded;
        break;
      case UpdateOutcome::Unchanged: break;
      default:
        if (shown.Cancelled()) return Finish(ctx, result, item.Name, true);
        result.Detail = one.Detail.empty() ? std::wstring(Tr(texts::kDirectoryCopyError)) : one.Detail;
        return Finish(ctx, result, item.Name, false);
    }
  }
  if (shown.Cancelled()) return Finish(ctx, result, {}, true);
  ctx.Backup.EndBatch();
  result.Changed = static_cast<int>(updated.size());
  result.Outcome = updated.empty() ? BatchOutcome::Nothing : BatchOutcome::Done;
  for (const BatchItem* item : updated) MarkDone(ctx.Tree, item->Index, Tr(texts::kUpdated));
  if (!updated.empty()) {
    MarkDone(ctx.Tree, batchIndex, Tr(texts::kBatchUpdatedPrefix) + std::to_wstring(result.Changed));
    MarkEmptiedBatches(ctx, 5, Tr(texts::kUpdated));
  }
  if (ctx.RequestReread) ctx.RequestReread();
  return result;
}

}  // namespace orvelle
