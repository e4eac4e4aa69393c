// Deleting a plugin or a command file from My installation: its registration
// or every reference to it leaves the configuration, its files go into a
// deleted-item folder of the backup store, and opening that folder's entry in
// "\Backup" puts everything back.
//
// All or nothing: what will be removed is planned first (an item that is
// registered nowhere any more is reported before anything is made), then the
// backup folder is made, the files are moved, and only then are the records
// written and the configuration files replaced. When any step fails the
// steps done are undone in reverse (files written back, items moved back,
// the backup folder removed) and the entries say so.
#pragma once

#include "operations/delete_plan.h"

namespace orvelle {

class TBackup;
class TTC;
struct OperationContext;

enum class DeleteOutcome {
  Deleted,
  NothingToRemove,  // no registration line or reference is left
  BackupFailed,     // the backup folder could not be made
  EditFailed,       // a configuration file could not be read or replaced
  MoveFailed,       // a file or directory could not be moved into the backup
};

// Carries out a plan against My installation and the backup store.
DeleteOutcome RunDelete(const TTC& my, TBackup& backup, const DeletePlan& plan);

// The delete that opening (ask: "Delete?" first) or the host's delete key
// (the host asked already) starts on the action entry at index. Writes the
// outcome into the entries and asks the host to list its panel again. True
// only when the item was deleted; a done entry, or one that is no delete
// entry, does nothing and gives false.
bool StartDelete(OperationContext& ctx, int index, bool ask);

}  // namespace orvelle
