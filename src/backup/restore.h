// Putting back what the plugin changed, from the folders of the backup store:
// a deleted item (its removed lines, then its moved files and folders), a
// settings file saved on the first start, and an installed item (taken out
// again).
#pragma once

#include "backup/backup.h"

#include <functional>
#include <string>

namespace orvelle {

class TTC;
class VirtualTree;

struct RestoreContext {
  VirtualTree& Tree;
  TBackup& Backup;
  // Asks the host to list its panel again.
  std::function<void()> RequestReread;
  // My installation, when known: an installed folder is taken out only from
  // inside its folders.
  const TTC* My = nullptr;
};

// Why a restore of a folder stopped.
enum class RestoreFailure {
  None,
  Record,   // a record could not be read or its file not written back
  Item,     // a moved item could not be put back ("Cant rename ...!" was shown)
  Folder,   // everything is back; the emptied folder could not be removed
  NothingLeft,  // an undone add found none of its lines or files (the folder is gone)
};

// Replays a deleted-item folder: every record of removed lines into the file
// it names, then every item of index.d back to where it came from (the last
// moved first). Each record and index line goes once it is done, so a
// further call goes on where this one stopped. Something standing where an
// item goes back is moved into a new deleted-item folder of its own first
// (nothing is lost), and comes back there when the item cannot be moved.
// At the end the folder itself is removed.
RestoreFailure RestoreDeletedFolder(const std::wstring& folder, TBackup& backup);

// The backup entry at index ("Restore?" first when ask): restores its folder;
// on success the entry says "Restored!", is no longer a restore entry, and
// the host lists its panel again. True when the folder is gone.
bool RestoreDeletedItem(RestoreContext& ctx, int index, bool ask = true);

// One file of a settings backup ("Restore <name>?" first when ask): the file
// it replaces is first kept in a new deleted-item folder of the store (so
// that restoring that folder gives it back byte for byte), then the saved
// copy is swapped in (never leaving the file missing). The saved copy
// stays, so it can be restored again. True when done.
bool RestoreSettingsFile(RestoreContext& ctx, int index, bool ask = true);

// Undoes the add an installed-item folder records: the lines it registered
// leave the configuration, what it copied (a whole or a cut-off copy) moves
// into a new deleted-item folder, where restoring puts it back, folders it
// created above go again when empty, and the folder itself goes. Nothing
// changes when a record cannot be read or names a folder that is not the
// add's (outside My installation's folders when my is given, or not
// holding the installed file). NothingLeft when nothing the add made was
// left to take out (its folder is removed all the same).
RestoreFailure RestoreInstalledFolder(const std::wstring& folder, TBackup& backup, const TTC* my);

// The backup entry of an installed item at index ("Restore?" first when
// ask): undoes its add; on success the entry says "Restored!", is no longer
// a restore entry, and the host lists its panel again. True when done.
bool RestoreInstalledItem(RestoreContext& ctx, int index, bool ask = true);

// Undoes a batch (backup.h): its parts are restored the last first, each as
// its own kind of folder is, and each part goes once restored, so that a
// restore that stops goes on from there next time. What the restores take
// out or displace goes into ONE new batch folder of the store (verb
// "deleted", named undoName), whose restore undoes this one. The batch's
// folder goes at the end. undoneInto receives that new folder (empty when
// it ended up with nothing).
RestoreFailure RestoreBatchFolder(const std::wstring& folder, TBackup& backup, const TTC* my,
                                  const std::wstring& undoName, std::wstring* undoneInto = nullptr);

// Whether a path taken from a record may be written to: a full path (drive or
// network share) without "." or ".." steps.
bool IsPlainFullPath(const std::wstring& path);

}  // namespace orvelle
