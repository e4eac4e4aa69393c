// Updating a plugin of My installation from the New installation's copy of
// it, by one of the options of the Update dialog.
//
// Nothing is lost and nothing is left half done. The new content is made
// first, beside what it replaces: a rebuilt copy of the plugin's folder
// (My's files with New's merged in, or New's alone for "Replace whole
// directory"), or each replacing file next to the file it replaces. Only
// then is a deleted-item folder made in the backup store, what is replaced
// moved into it (listed in its index.d), and the new content renamed into
// place. A plugin module the host has loaded is never freed (the host would
// call into unmapped code): its file is renamed aside like the others, and
// the new version takes effect when the host is started again. A step that fails undoes the steps
// before it; My's plugin is then as it was. Opening the backup folder's
// entry in "\Backup" puts the old files back byte for byte (what stands in
// their place goes into a backup folder of its own).
#pragma once

#include "operations/update_plan.h"
#include "util/directory_copy.h"

#include <optional>
#include <string>
#include <vector>

namespace orvelle {

class TBackup;
struct OperationContext;

enum class UpdateOutcome {
  Updated,
  Unchanged,     // nothing to copy: My's files are as new as New's (nothing was made)
  CopyFailed,    // the new content could not be made (nothing changed)
  BackupFailed,  // the backup folder could not be made (nothing changed)
  MoveFailed,    // the old files could not be moved out or the new ones in (undone)
  HoldsLink,     // My's folder holds a link the rebuilt copy would not keep (nothing changed)
  RollBackFailed,  // as MoveFailed, but what was moved could not all go back (Detail says where)
};

struct UpdateResult {
  UpdateOutcome Outcome = UpdateOutcome::CopyFailed;
  // MoveFailed: the system's reason; HoldsLink: the link; RollBackFailed:
  // one line per item that is not back, where it stands and where it belongs.
  std::wstring Detail;
  // Updated: the process has the plugin's old module loaded, and runs it
  // until it is started again.
  bool RestartNeeded = false;
};

// Carries out a plan against My installation and the backup store;
// control's hook is called before each file copied (false stops the update
// as a failed copy: nothing changed).
UpdateResult RunUpdate(const UpdatePlan& plan, TBackup& backup, const CopyControl& control = {});

// What the Update dialog shows for the update entry at index.
struct UpdateRequest {
  int Index = -1;
  ItemKind Kind = ItemKind::None;
  size_t MyRow = 0, NewRow = 0;
  std::wstring ItemName;  // the plugin's name, put before the dialog's caption
  std::wstring MyFile, NewFile;
  std::vector<UpdateChoice> Choices;
};

// nullopt when the entry is no update entry that is not done yet, or the
// plugin is no longer registered by both installations.
std::optional<UpdateRequest> PrepareUpdate(const OperationContext& ctx, int index);

// Carries out the chosen option. On success the entry shows "UPDATED!" and
// is done, "Update successfull!" is shown (saying that the file manager has
// to be restarted when it had the plugin loaded) and the host lists its
// panel again: true. Otherwise a message box says what failed and the entry keeps
// its state: false.
bool CarryOutUpdate(OperationContext& ctx, const UpdateRequest& request, UpdateOption option);

}  // namespace orvelle
