#include "operations/delete_operation.h"

#include "backup/backup.h"
#include "backup/removal.h"
#include "operations/operation_context.h"
#include "platform/fs.h"
#include "platform/message_box.h"
#include "tc/command_references.h"
#include "tc/edit_plan.h"
#include "tc/registration_editor.h"
#include "tree/tree.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "util/move_item.h"

namespace orvelle {

namespace {

const wchar_t* FailureText(ItemKind kind) {
  switch (kind) {
    case ItemKind::FileSystemPlugin: return Tr(texts::kDeleteWfxError);
    case ItemKind::PackerPlugin: return Tr(texts::kDeleteWcxError);
    case ItemKind::ListerPlugin: return Tr(texts::kDeleteWlxError);
    case ItemKind::ContentPlugin: return Tr(texts::kDeleteWdxError);
    case ItemKind::NonExecutable: return Tr(texts::kDeleteNonExecutableError);
    case ItemKind::PackageExclude: return Tr(texts::kDeletePackageExcludeError);
    case ItemKind::PackageInclude: return Tr(texts::kDeletePackageIncludeError);
    default: return Tr(texts::kNotDeleted);
  }
}

void Mark(VirtualTree& tree, int index, const std::wstring& info, bool done) {
  if (index < 0 || index >= tree.Count()) return;
  TVirtualTreeItem& e = tree[index];
  e.Info = info;
  e.Status = L"*!";
  if (done) e.Done = true;
}

// A move that failed says why: the system's own words.
std::wstring NotDeleted(DWORD moveError) {
  std::wstring text = Tr(texts::kNotDeleted);
  if (moveError != 0) text += L" " + SystemMessage(moveError);
  return text;
}

void MarkPluginFolder(VirtualTree& tree, int index, DeleteOutcome outcome,
                      const DeletePlan* plan, DWORD moveError) {
  const bool wholeDirectory = plan && plan->WholeDirectory;
  const TVirtualTreeItem& action = tree[index];
  const int folder = action.ParentIndex;
  const int directory = tree.FindTreeItem(action.Path + texts::kDirectory);
  const int update = tree.FindTreeItem(action.Path + texts::kUpdateEntry);
  const bool deleted = outcome == DeleteOutcome::Deleted;
  std::wstring actionText = Tr(texts::kDeleted);
  switch (outcome) {
    case DeleteOutcome::Deleted: break;
    case DeleteOutcome::NothingToRemove: actionText = Tr(texts::kAlreadyMissing); break;
    case DeleteOutcome::BackupFailed: actionText = Tr(texts::kCantPrepareBackup); break;
    case DeleteOutcome::EditFailed: actionText = FailureText(ItemKind(action.ActionKind)); break;
    case DeleteOutcome::MoveFailed: actionText = NotDeleted(moveError); break;
  }
  Mark(tree, index, actionText, deleted);
  if (folder >= 0) {
    Mark(tree, folder, deleted ? Tr(texts::kDeleted) : Tr(texts::kNotDeleted), deleted);
  }
  // The directory and an update of it tell what became of the files.
  if (deleted || outcome == DeleteOutcome::MoveFailed) {
    const std::wstring filesText = !deleted                  ? NotDeleted(moveError)
                                   : plan && plan->FilesKept ? Tr(texts::kDeletedFilesKept)
                                   : wholeDirectory          ? Tr(texts::kDeleted)
                                                             : Tr(texts::kDeletedOnlyFile);
    if (directory >= 0) Mark(tree, directory, filesText, deleted);
    if (update >= 0) Mark(tree, update, filesText, deleted);
  }
}

void MarkCommandEntry(VirtualTree& tree, int index, DeleteOutcome outcome, DWORD moveError) {
  std::wstring text = Tr(texts::kNotDeleted);
  switch (outcome) {
    case DeleteOutcome::Deleted: text = Tr(texts::kDeleted); break;
    case DeleteOutcome::NothingToRemove: text = Tr(texts::kAlreadyMissing); break;
    case DeleteOutcome::BackupFailed: text = Tr(texts::kCantPrepareBackup); break;
    case DeleteOutcome::EditFailed: break;
    case DeleteOutcome::MoveFailed: text = NotDeleted(moveError); break;
  }
  // The folder that holds the entry is a whole category of the comparison:
  // one deleted file does not make it deleted, so only the entry says so.
  Mark(tree, index, text, outcome == DeleteOutcome::Deleted);
}

}  // namespace

DeleteOutcome RunDelete(const TTC& my, TBackup& backup, const DeletePlan& plan) {
  EditPlan edits;
  const int code = IsPluginKind(plan.Kind)
                       ? RemovePluginRegistration(edits, my, plan.Kind, plan.RegisteredPath)
                       : RemoveCommandReferences(edits, my, plan.File);
  if (code == kRemovalNothing) return DeleteOutcome::NothingToRemove;
  if (code != kRemovalDone) return DeleteOutcome::EditFailed;
  switch (MoveIntoDeletedFolder(backup, edits, plan.File, !plan.WholeDirectory, plan.Moves)) {
    case RemovalOutcome::Removed: return DeleteOutcome::Deleted;
    case RemovalOutcome::BackupFailed: return DeleteOutcome::BackupFailed;
    case RemovalOutcome::MoveFailed: return DeleteOutcome::MoveFailed;
    case RemovalOutcome::EditFailed: return DeleteOutcome::EditFailed;
  }
  return DeleteOutcome::EditFailed;
}

bool StartDelete(OperationContext& ctx, int index, bool ask) {
  if (index < 0 || index >= ctx.Tree.Count()) return false;
  const TVirtualTreeItem& entry = ctx.Tree[index];
  if (entry.Action != 1 || entry.Done || entry.ActionIndex < 0) return false;
  const ItemKind kind = static_cast<ItemKind>(entry.ActionKind);
  if (!IsPluginKind(kind) && !IsCommandFileKind(kind)) return false;
  if (ask && !platform::AskYesNo(Tr(texts::kDeleteQuestion))) return false;

  std::optional<DeletePlan> plan = PlanDelete(ctx.My, ctx.New, kind,
                                              static_cast<size_t>(entry.ActionIndex),
                                              ctx.OwnPluginFile);
  const DeleteOutcome outcome =
      plan ? RunDelete(ctx.My, ctx.Backup, *plan) : DeleteOutcome::NothingToRemove;
  const DWORD moveError = outcome == DeleteOutcome::MoveFailed ? ctx.Backup.LastMoveError : 0;
  if (IsPluginKind(kind)) {
    MarkPluginFolder(ctx.Tree, index, outcome, plan ? &*plan : nullptr, moveError);
  } else {
    MarkCommandEntry(ctx.Tree, index, outcome, moveError);
    if (outcome == DeleteOutcome::EditFailed) platform::ShowError(FailureText(kind));
  }
  if (ctx.RequestReread) ctx.RequestReread();
  return outcome == DeleteOutcome::Deleted;
}

}  // namespace orvelle
