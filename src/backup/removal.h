// Taking items out of My installation into a new deleted-item folder of the
// store, all or nothing: the folder is made, the files and folders are
// moved into it, then the configuration edits are applied, each file's
// record written before the file. When a step fails, the steps done are
// undone in reverse (files written back, items moved back, the folder
// removed). Restoring the folder puts everything back.
//
// A delete takes a plugin out this way, and so does undoing an add: what
// the add copied and the lines it registered go into a deleted-item folder,
// so that even the undo can be undone.
#pragma once

#include <string>
#include <vector>

namespace orvelle {

class EditPlan;
class TBackup;

enum class RemovalOutcome {
  Removed,
  BackupFailed,  // the deleted-item folder could not be made
  MoveFailed,    // a file or folder could not be moved into it
  EditFailed,    // a record or a configuration file could not be written
};

// itemPath names the item in the folder's info file (fileOnly: the item is
// a file that goes without its folder). moves are moved in that order. The
// folder is Backup.Dir afterwards; a folder that ends up holding nothing
// but its info file is removed again.
RemovalOutcome MoveIntoDeletedFolder(TBackup& backup, EditPlan& edits,
                                     const std::wstring& itemPath, bool fileOnly,
                                     const std::vector<std::wstring>& moves);

}  // namespace orvelle
