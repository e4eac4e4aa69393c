#include "backup/removal.h"

#include "backup/backup.h"
#include "backup/records.h"
#include "platform/fs.h"
#include "tc/edit_plan.h"
#include "util/file_ops.h"
#include "util/move_item.h"

#include <windows.h>

#include <utility>

namespace orvelle {

namespace {

// Items moved into the backup folder so far, to be moved back on failure.
class MovedItems {
 public:
  explicit MovedItems(std::wstring folder) : folder_(std::move(folder)) {}

  bool Move(TBackup& backup, const std::wstring& path) {
    if (!backup.MoveDeletedItem(path)) return false;
    const std::wstring former = platform::ExcludeTrailingBackslash(path);
    moved_.emplace_back(folder_ + platform::ExtractFileName(former), former);
    return true;
  }

  // Roll back: every item goes home, the last moved first; the folder goes
  // too once nothing of the user's is left in it.
  void MoveBack() {
    bool allBack = true;
    for (auto it = moved_.rbegin(); it != moved_.rend(); ++it) {
      allBack = MoveItem(it->first, it->second) == 0 && allBack;
    }
    moved_.clear();
    if (allBack) DeleteDirectoryTree(folder_, true);
  }

 private:
  std::wstring folder_;
  std::vector<std::pair<std::wstring, std::wstring>> moved_;  // saved, former
};

}  // namespace

RemovalOutcome MoveIntoDeletedFolder(TBackup& backup, EditPlan& edits,
                                     const std::wstring& itemPath, bool fileOnly,
                                     const std::vector<std::wstring>& moves) {
  if (!backup.MakeBackup(BackupKind::Deleted, itemPath, fileOnly)) {
    return RemovalOutcome::BackupFailed;
  }
  const std::wstring folder = backup.Dir;
  MovedItems moved(folder);
  for (const std::wstring& path : moves) {
    if (!moved.Move(backup, path)) {
      moved.MoveBack();
      return RemovalOutcome::MoveFailed;
    }
  }
  const bool applied = edits.Apply([&](const FileRemoval& removal) {
    return backup.AppendLines(RecordFileName(folder, removal.File), FormatRemovalRecord(removal));
  });
  if (!applied) {
    moved.MoveBack();
    return RemovalOutcome::EditFailed;
  }
  TBackup::PruneFolder(folder);
  return RemovalOutcome::Removed;
}

}  // namespace orvelle
