// Carrying over every plugin of the New installation that My installation
// lacks ("Add all"), or updating every one whose files differ ("Update
// all"), as ONE change: one batch folder in the backup store holding a part
// per plugin (backup.h), listed once in "\Backup" and undone by one restore.
//
// Each plugin goes through the very steps of its single add or update
// (AddPluginNow, PlanUpdate and RunUpdate): the plugin's own folder, its
// registration and key clashes, both bitnesses' files, this plugin never
// touching itself. The work runs on the host's thread under the host's
// progress display (the percentage over all files, the current plugin's
// name, its cancel button). Cancel, or any plugin that fails, takes back
// everything the step did: the batch is restored into a scratch batch that
// is dropped (it holds only what this step made), so My installation is as
// it was and the store holds nothing of it.
#pragma once

#include "operations/update_options.h"
#include "tc/item_kind.h"
#include "tc/progress.h"

#include <optional>
#include <string>
#include <vector>

namespace orvelle {

struct OperationContext;

// One plugin the batch may carry out: its action entry ("Add", "Update").
struct BatchItem {
  int Index = -1;
  ItemKind Kind = ItemKind::None;
  std::wstring Name;    // the plugin's folder in the tree
  std::wstring Source;  // New's plugin file
  std::wstring Target;  // My's plugin file (updates)
  size_t MyRow = 0, NewRow = 0;
  std::vector<UpdateOption> Options;  // updates: what the plugin offers
};

// The ways an update of several plugins is offered: one that every ticked
// plugin carries out its own way (the tree or the top level only, as its
// folders allow).
enum class BatchUpdateWay { ReplaceDirectory, UpdateOld, CopyAll };

// The plugins an "Add all" (Action 4) or "Update all" (Action 5) entry at
// index stands for: the add or update entries below its folder that are not
// done; for updates, only those still registered by both installations.
std::vector<BatchItem> CollectBatch(const OperationContext& ctx, int index);

// The ways every one of items offers, in the order the dialog lists them;
// "Update old files and copy new files" first (the default).
std::vector<BatchUpdateWay> CommonUpdateWays(const std::vector<BatchItem>& items);
// The option a plugin carries a way out with; nullopt when it offers none.
std::optional<UpdateOption> OptionFor(const BatchItem& item, BatchUpdateWay way);

enum class BatchOutcome {
  Done,
  Nothing,         // nothing to change (every plugin up to date or registered already)
  Cancelled,       // rolled back
  Failed,          // rolled back; FailedItem says which plugin
  RollBackFailed,  // the batch's folder stays in the store, to be restored by hand
};

struct BatchResult {
  BatchOutcome Outcome = BatchOutcome::Failed;
  int Changed = 0;  // plugins added or updated
  std::wstring FailedItem;
  std::wstring Detail;
  bool RestartNeeded = false;
};

// Carries out the batch with the progress callback (may be empty). On
// Done marks each carried-out entry, its plugin's folder and the batch's
// entry (batchIndex) done.
BatchResult RunAddAll(OperationContext& ctx, int batchIndex, const std::vector<BatchItem>& items,
                      const ProgressCallbackFn& progress);
BatchResult RunUpdateAll(OperationContext& ctx, int batchIndex,
                         const std::vector<BatchItem>& items, BatchUpdateWay way,
                         const ProgressCallbackFn& progress);

// The text the dialog shows for a way.
std::wstring BatchUpdateWayText(BatchUpdateWay way);
// The line the dialog shows for a plugin ("[WFX] Name").
std::wstring BatchItemText(const BatchItem& item);

}  // namespace orvelle
