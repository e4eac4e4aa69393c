// Undoing an add from its installed-item folder (see records.h for what the
// folder holds, restore.h for the contract).
#include "backup/records.h"
#include "backup/removal.h"
#include "backup/restore.h"
#include "platform/fs.h"
#include "platform/known_folders.h"
#include "platform/message_box.h"
#include "platform/strings.h"
#include "tc/edit_plan.h"
#include "tc/plugin_scope.h"
#include "tc/principal_dirs.h"
#include "tc/registration_editor.h"
#include "tc/ttc.h"
#include "tree/tree.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "util/directory_copy.h"
#include "util/file_ops.h"
#include "util/text_file.h"

#include <algorithm>

namespace orvelle {

namespace {

// What an installed-item folder records, read and checked.
struct InstalledRecords {
  std::wstring Installed;              // info.i
  std::vector<AddedLines> Registrations;
  std::optional<CopyInProgress> Copied;   // index.i
  std::optional<CopyInProgress> Copying;  // copying.i
};

// nullopt when the file is missing; an unreadable one gives empty lines.
std::optional<std::vector<std::wstring>> RecordLines(const std::wstring& path) {
  if (!platform::FileExists(path)) return std::nullopt;
  std::optional<TextDocument> doc = LoadTextFile(path);
  return doc ? doc->lines : std::vector<std::wstring>{};
}

bool StrictlyBelow(const std::wstring& path, const std::wstring& dir) {
  if (dir.empty()) return false;
  const std::wstring lowerPath = platform::LowerCase(platform::ExcludeTrailingBackslash(path));
  const std::wstring lowerDir = platform::LowerCase(platform::IncludeTrailingBackslash(dir));
  return lowerPath.size() > lowerDir.size() && lowerPath.starts_with(lowerDir);
}

// Whether the folder a record names is the add's own: a plain full path
// that holds the installed file, inside the folder an add puts plugins of
// some kind into or a "plugins" folder of My installation (but none of My's
// principal ones) when the model is known, and every created folder above it.
bool IsTheAddsFolder(const CopyInProgress& copy, const std::wstring& installed, const TTC* my) {
  if (!IsPlainFullPath(copy.Target) || !StrictlyBelow(installed, copy.Target)) return false;
  if (!copy.Staging.empty() && !IsStagingDirectoryOf(copy.Staging, copy.Target)) return false;
  for (const std::wstring& made : copy.Made) {
    if (!IsPlainFullPath(made) || !StrictlyBelow(copy.Target, made)) return false;
  }
  if (!my) return true;
  if (IsPrincipalDirectory(*my, copy.Target)) return false;
  // Only where an add puts plugins: a record naming any other folder is not
  // the add's, whatever it says.
  const PluginSurroundings around =
      GatherSurroundings(my, nullptr, L"", platform::GetSystemFolders());
  for (ItemKind kind : {ItemKind::FileSystemPlugin, ItemKind::PackerPlugin,
                        ItemKind::ListerPlugin, ItemKind::ContentPlugin}) {
    if (StrictlyBelow(copy.Target, AddFolderForKind(*my, kind, around))) return true;
  }
  // An add made while My installation kept its plugins elsewhere.
  return std::any_of(around.PluginsFolders.begin(), around.PluginsFolders.end(),
                     [&](const std::wstring& folder) { return StrictlyBelow(copy.Target, folder); });
}

std::optional<InstalledRecords> ReadInstalledRecords(const std::wstring& folder, const TTC* my) {
  InstalledRecords records;
  if (std::optional<std::vector<std::wstring>> info = RecordLines(folder + kInstalledInfoFile)) {
    if (!info->empty()) records.Installed = info->front();
  }
  for (const platform::FileEntry& entry : platform::EnumFiles(folder + L"*")) {
    if (entry.IsDirectory() || !IsAddedRecordName(entry.name)) continue;
    std::optional<AddedLines> added = ParseAddedRecord(*RecordLines(folder + entry.name));
    if (!added || !IsPlainFullPath(added->File)) return std::nullopt;
    records.Registrations.push_back(std::move(*added));
  }
  if (std::optional<std::vector<std::wstring>> lines = RecordLines(folder + kCopiedFolderFile)) {
    records.Copied = ParseCopiedRecord(*lines);
    if (!records.Copied || !IsTheAddsFolder(*records.Copied, records.Installed, my)) {
      return std::nullopt;
    }
  }
  if (std::optional<std::vector<std::wstring>> lines = RecordLines(folder + kCopyingFile)) {
    records.Copying = ParseCopyingRecord(*lines);
    if (!records.Copying || !IsTheAddsFolder(*records.Copying, records.Installed, my)) {
      return std::nullopt;
    }
  }
  return records;
}

void RemoveMadeFolders(const std::vector<std::wstring>& made) {
  for (auto it = made.rbegin(); it != made.rend(); ++it) platform::RemoveEmptyDirectory(*it);
}

}  // namespace

RestoreFailure RestoreInstalledFolder(const std::wstring& folderPath, TBackup& backup,
                                      const TTC* my) {
  const std::wstring folder = platform::IncludeTrailingBackslash(folderPath);
  std::optional<InstalledRecords> records = ReadInstalledRecords(folder, my);
  if (!records) return RestoreFailure::Record;

  EditPlan edits;
  for (const AddedLines& added : records->Registrations) {
    if (RemoveAddedLines(edits, added) == kRemovalFileError) return RestoreFailure::Record;
  }
  std::vector<std::wstring> moves;
  for (const std::optional<CopyInProgress>* copy : {&records->Copied, &records->Copying}) {
    if (!*copy || !platform::DirectoryExists((*copy)->Target)) continue;
    const std::wstring target = platform::PathAsOnDisk((*copy)->Target);
    if (std::none_of(moves.begin(), moves.end(), [&](const std::wstring& m) {
          return platform::EqualsNoCase(m, target);
        })) {
      moves.push_back(target);
    }
  }
  const bool nothingLeft = edits.Empty() && moves.empty() &&
                           !(records->Copying && platform::PathExists(records->Copying->Staging));
  if (!nothingLeft) {
    const std::wstring item = records->Installed.empty() ? moves.front() : records->Installed;
    switch (MoveIntoDeletedFolder(backup, edits, item, moves.empty(), moves)) {
      case RemovalOutcome::Removed: break;
      case RemovalOutcome::MoveFailed: return RestoreFailure::Item;
      case RemovalOutcome::BackupFailed:
      case RemovalOutcome::EditFailed: return RestoreFailure::Record;
    }
  }
  // A copy that never ended: its staging folder holds New's files only.
  if (records->Copying && platform::PathExists(records->Copying->Staging) &&
      !DeleteDirectoryTree(records->Copying->Staging, true)) {
    return RestoreFailure::Item;
  }
  for (const std::optional<CopyInProgress>* copy : {&records->Copied, &records->Copying}) {
    if (*copy) RemoveMadeFolders((*copy)->Made);
  }
  if (!DeleteDirectoryTree(platform::ExcludeTrailingBackslash(folder), true)) {
    return RestoreFailure::Folder;
  }
  return nothingLeft ? RestoreFailure::NothingLeft : RestoreFailure::None;
}

bool RestoreInstalledItem(RestoreContext& ctx, int index, bool ask) {
  if (index < 0 || index >= ctx.Tree.Count()) return false;
  const std::wstring folder = ctx.Tree[index].MyFile;
  if (folder.empty() || !platform::DirectoryExists(folder)) return false;
  if (ask && !platform::AskYesNo(Tr(texts::kRestoreQuestion))) return false;
  const RestoreFailure failure =
      IsBatchFolder(folder)
          ? RestoreBatchFolder(folder, ctx.Backup, ctx.My, texts::kUndoBackupName)
          : RestoreInstalledFolder(folder, ctx.Backup, ctx.My);
  if (failure == RestoreFailure::Folder) return false;
  TVirtualTreeItem& entry = ctx.Tree[index];
  if (failure == RestoreFailure::None) {
    entry.Info = Tr(texts::kRestored);
    entry.RestoreInstalled = false;
  } else if (failure == RestoreFailure::NothingLeft) {
    entry.Info = Tr(texts::kNothingLeftToTakeOut);
    entry.RestoreInstalled = false;
  } else {
    entry.Info = Tr(texts::kNotRestored);
  }
  if (ctx.RequestReread) ctx.RequestReread();
  return failure == RestoreFailure::None;
}

}  // namespace orvelle
