#include "operations/update_operation.h"

#include "backup/backup.h"
#include "operations/operation_context.h"
#include "platform/fs.h"
#include "platform/handle.h"
#include "platform/message_box.h"
#include "platform/strings.h"
#include "tc/registration_editor.h"
#include "tc/ttc.h"
#include "tree/tree.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "util/directory_copy.h"
#include "util/file_ops.h"
#include "util/move_item.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace orvelle {

namespace {

constexpr int kTempNameAttempts = 100;

bool IsLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// A file the user marked read-only is not overwritten, as the system's own
// copy would not (Wine's would).
bool IsReadOnly(const std::wstring& file) {
  const DWORD attributes = platform::FileAttributes(file);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

LevelItem ItemOf(const platform::FileEntry& entry) {
  return {entry.name, entry.IsDirectory(), entry.lastWrite};
}

// The items of a folder level; with names, only those (that exist). Links
// are left out: what they point to may lie anywhere.
std::vector<LevelItem> ListLevel(const std::wstring& dir,
                                 const std::vector<std::wstring>* names = nullptr) {
  std::vector<LevelItem> items;
  if (names) {
    for (const std::wstring& name : *names) {
      std::optional<platform::FileEntry> entry = platform::GetFileEntry(dir + L"\\" + name);
      if (entry && !IsLink(entry->attributes)) items.push_back(ItemOf(*entry));
    }
    return items;
  }
  for (const platform::FileEntry& entry : platform::EnumFiles(dir + L"\\*")) {
    if (!IsLink(entry.attributes)) items.push_back(ItemOf(entry));
  }
  return items;
}

// Merges New's level into the staged copy of My's folder; copied counts
// what was put in. False at the first thing that could not be done: a file
// standing in the way that may not be replaced (read-only, in use) stops
// the whole update rather than being left out of it.
// Folders both have are merged level after level from a stack of their own,
// not the thread's: a tree may be nested as deep as paths allow.
bool MergeLevel(UpdateOption option, const std::wstring& newDir, const std::wstring& stagedDir,
                const std::vector<std::wstring>* onlyNames, int& copied,
                const CopyControl& control) {
  struct Level {
    std::wstring newDir, stagedDir;
    const std::vector<std::wstring>* onlyNames;
  };
  std::vector<Level> pending{{newDir, stagedDir, onlyNames}};
  while (!pending.empty()) {
    const Level level = std::move(pending.back());
    pending.pop_back();
    for (const MergeStep& step : PlanMergeLevel(option, ListLevel(level.newDir, level.onlyNames),
                                                ListLevel(level.stagedDir))) {
      const std::wstring source = level.newDir + L"\\" + step.NewName;
      const std::wstring target =
          level.stagedDir + L"\\" + (step.MyName.empty() ? step.NewName : step.MyName);
      if (step.Action == MergeAction::Descend) {
        pending.push_back({source, target, nullptr});
        continue;
      }
      if (!step.MyName.empty()) {
        if (!step.MyIsFolder && IsReadOnly(target)) return false;
        // What stands in the way is the other kind of item (or a file a
        // folder replaces): it goes, the original is in My's folder still.
        const bool cleared = step.MyIsFolder ? DeleteDirectoryTree(target, true)
                             : step.Action == MergeAction::CopyFolder ? platform::RemoveFile(target)
                                                                      : true;
        if (!cleared) return false;
      }
      if (step.Action == MergeAction::CopyFile && control.BeforeFile &&
          !control.BeforeFile(source)) {
        return false;
      }
      const bool placed =
          step.Action == MergeAction::CopyFile
              ? platform::CopyFileTo(source, target, false)
              : platform::MakeDirectory(target) &&
                    CopyDirectoryContent(source, target, {}, control);
      if (!placed) return false;
      ++copied;
    }
  }
  return true;
}

// Whether the process has loaded one of the modules. Such a module is
// never freed here: the host holds pointers into it and calls them at any
// time. Its file is renamed aside like any other (the system lets a
// loaded library's file be renamed), and the host keeps running the old
// code until it is started anew.
bool AnyLoaded(const std::vector<std::wstring>& modules) {
  for (const std::wstring& module : modules) {
    if (::GetModuleHandleW(module.c_str()) != nullptr) return true;
  }
  return false;
}

// The first link below dir (a junction or symbolic link, at any depth), or
// empty.
std::wstring FirstLinkBelow(const std::wstring& dir) {
  for (const platform::FileEntry& entry : platform::EnumFiles(dir + L"\\*")) {
    const std::wstring path = dir + L"\\" + entry.name;
    if (IsLink(entry.attributes)) return path;
    if (entry.IsDirectory()) {
      if (std::wstring link = FirstLinkBelow(path); !link.empty()) return link;
    }
  }
  return {};
}

std::wstring StandsAt(const std::wstring& where, const std::wstring& home) {
  return L"\n" + std::wstring(Tr(texts::kStandsAt)) + where + Tr(texts::kBelongsAt) + home;
}

// The plugin's own folder: rebuilt beside it, then swapped in.
UpdateResult UpdateWholeDirectory(const UpdatePlan& plan, TBackup& backup,
                                  const CopyControl& control) {
  UpdateResult result;
  // The rebuilt folder starts as a copy of My's, and a copy never follows a
  // link: the link would be lost from My's plugin. Only a replacement of the
  // whole folder drops My's content on purpose.
  if (plan.Option != UpdateOption::ReplaceDirectory) {
    if (std::wstring link = FirstLinkBelow(plan.MyDir); !link.empty()) {
      return {UpdateOutcome::HoldsLink, link};
    }
  }
  std::optional<std::wstring> staging = MakeStagingDirectory(plan.MyDir);
  if (!staging) return result;
  platform::scope_exit dropStaging([&] { DeleteDirectoryTree(*staging, true); });
  const std::vector<std::wstring>* onlyNames = plan.NewWhole ? nullptr : &plan.NewNames;
  int copied = 0;
  if (plan.Option == UpdateOption::ReplaceDirectory) {
    if (!CopyDirectoryContent(plan.NewDir, *staging,
                              onlyNames ? *onlyNames : std::vector<std::wstring>{}, control)) {
      return result;
    }
    copied = 1;
  } else if (!CopyDirectoryContent(plan.MyDir, *staging, {}, control) ||
             !MergeLevel(plan.Option, plan.NewDir, *staging, onlyNames, copied, control)) {
    return result;
  }
  if (copied == 0) return {UpdateOutcome::Unchanged, {}};
  if (!backup.MakeBackup(BackupKind::Deleted, plan.MyFile, false)) {
    return {UpdateOutcome::BackupFailed, {}};
  }
  const std::wstring folder = backup.Dir;
  if (!backup.MoveDeletedItem(plan.MyDir)) {
    const DWORD error = backup.LastMoveError;
    DeleteDirectoryTree(folder, true);
    return {UpdateOutcome::MoveFailed, SystemMessage(error)};
  }
  if (const DWORD error = MoveItem(*staging, plan.MyDir); error != 0) {
    const std::wstring reason = SystemMessage(error);
    // Roll back: the old folder goes home; the backup folder goes once it
    // holds nothing of the user's.
    const std::wstring saved = folder + platform::ExtractFileName(plan.MyDir);
    if (MoveItem(saved, plan.MyDir) == 0) {
      DeleteDirectoryTree(folder, true);
      return {UpdateOutcome::MoveFailed, reason};
    }
    return {UpdateOutcome::RollBackFailed, reason + StandsAt(saved, plan.MyDir)};
  }
  dropStaging.release();
  return {UpdateOutcome::Updated, {}, AnyLoaded(plan.Modules)};
}

// A free name beside target for its replacement.
std::optional<std::wstring> TempNameBeside(const std::wstring& target) {
  for (int n = 1; n <= kTempNameAttempts; ++n) {
    std::wstring candidate = target + L"~new" + (n == 1 ? L"" : std::to_wstring(n));
    if (!platform::PathExists(candidate)) return candidate;
  }
  return std::nullopt;
}

struct FileReplacement {
  std::wstring Target;  // My's file
  std::wstring Staged;  // New's copy beside it
  bool Moved = false;   // My's file is in the backup folder
  bool Placed = false;  // New's copy stands under Target
};

// A plugin in a shared folder: each of its own files that both sides have
// is replaced in place.
UpdateResult UpdateOwnFiles(const UpdatePlan& plan, TBackup& backup,
                            const CopyControl& control) {
  UpdateResult result;
  // Replacing only what exists, whatever the option, so that the undo, which
  // moves the old files back, leaves nothing behind.
  const UpdateOption option = plan.Option == UpdateOption::ReplaceDirectory
                                  ? UpdateOption::CopyTopLevel
                                  : plan.Option;
  std::vector<FileReplacement> files;
  platform::scope_exit dropStaged([&] {
    for (const FileReplacement& f : files) {
      if (!f.Placed) platform::RemoveFile(f.Staged);
    }
  });
  for (const MergeStep& step : PlanMergeLevel(option, ListLevel(plan.NewDir, &plan.NewNames),
                                              ListLevel(plan.MyDir, &plan.MyNames))) {
    if (step.MyName.empty() || step.MyIsFolder || step.Action != MergeAction::CopyFile) continue;
    const std::wstring target = plan.MyDir + L"\\" + step.MyName;
    if (IsReadOnly(target)) return result;
    std::optional<std::wstring> staged = TempNameBeside(target);
    if (!staged) return result;
    const std::wstring source = plan.NewDir + L"\\" + step.NewName;
    if (control.BeforeFile && !control.BeforeFile(source)) return result;
    if (!platform::CopyFileTo(source, *staged, true)) return result;
    files.push_back({target, *staged});
  }
  if (files.empty()) return {UpdateOutcome::Unchanged, {}};
  if (!backup.MakeBackup(BackupKind::Deleted, plan.MyFile, true)) {
    return {UpdateOutcome::BackupFailed, {}};
  }
  const std::wstring folder = backup.Dir;
  for (FileReplacement& f : files) {
    f.Moved = backup.MoveDeletedItem(f.Target);
    f.Placed = f.Moved && platform::MovePath(f.Staged, f.Target);
    if (f.Placed) continue;
    const std::wstring reason = SystemMessage(f.Moved ? ::GetLastError() : backup.LastMoveError);
    // Roll back: every old file goes home, the last replaced first.
    std::wstring notBack;
    for (auto it = files.rbegin(); it != files.rend(); ++it) {
      if (!it->Moved) continue;
      const std::wstring saved = folder + platform::ExtractFileName(it->Target);
      if (it->Placed) {
        // New's copy goes back to its staging name; on failure it stays in
        // the way and the old file cannot go home.
        if (platform::MovePath(it->Target, it->Staged)) it->Placed = false;
      }
      if (it->Placed || MoveItem(saved, it->Target) != 0) notBack += StandsAt(saved, it->Target);
    }
    if (notBack.empty()) {
      DeleteDirectoryTree(folder, true);
      return {UpdateOutcome::MoveFailed, reason};
    }
    return {UpdateOutcome::RollBackFailed, reason + notBack};
  }
  return {UpdateOutcome::Updated, {}, AnyLoaded(plan.Modules)};
}

int RowOf(const std::vector<std::wstring>& list, const std::wstring& file) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (platform::EqualsNoCase(list[i], file)) return static_cast<int>(i);
  }
  return -1;
}

std::wstring CopyError(const std::wstring& newDir, const std::wstring& myDir) {
  return std::wstring(Tr(texts::kDirectoryCopyError)) + L":\n" + newDir + L"\n" + myDir;
}

}  // namespace

UpdateResult RunUpdate(const UpdatePlan& plan, TBackup& backup, const CopyControl& control) {
  return plan.WholeDirectory ? UpdateWholeDirectory(plan, backup, control)
                             : UpdateOwnFiles(plan, backup, control);
}

std::optional<UpdateRequest> PrepareUpdate(const OperationContext& ctx, int index) {
  if (!ctx.New || index < 0 || index >= ctx.Tree.Count()) return std::nullopt;
  const TVirtualTreeItem& entry = ctx.Tree[index];
  const ItemKind kind = static_cast<ItemKind>(entry.ActionKind);
  if (entry.Action != 3 || entry.Done || entry.ActionIndex < 0 || !IsPluginKind(kind) ||
      entry.ParentIndex < 0 || entry.ParentIndex >= ctx.Tree.Count()) {
    return std::nullopt;
  }
  const TVirtualTreeItem& plugin = ctx.Tree[entry.ParentIndex];
  const std::vector<std::wstring>& myFiles = *PluginFilesOf(ctx.My, kind);
  const size_t myRow = static_cast<size_t>(entry.ActionIndex);
  const int newRow = RowOf(*PluginFilesOf(*ctx.New, kind), plugin.NewFile);
  if (myRow >= myFiles.size() || newRow < 0 ||
      !platform::EqualsNoCase(myFiles[myRow], plugin.MyFile)) {
    return std::nullopt;
  }
  UpdateRequest request;
  request.Index = index;
  request.Kind = kind;
  request.MyRow = myRow;
  request.NewRow = static_cast<size_t>(newRow);
  request.ItemName = plugin.Name;
  request.MyFile = plugin.MyFile;
  request.NewFile = plugin.NewFile;
  request.Choices = OfferedUpdateOptions(ctx.My, *ctx.New, plugin.MyFile, plugin.NewFile,
                                         ctx.OwnPluginFile);
  return request;
}

bool CarryOutUpdate(OperationContext& ctx, const UpdateRequest& request, UpdateOption option) {
  if (!ctx.New || request.Index < 0 || request.Index >= ctx.Tree.Count()) return false;
  std::optional<UpdatePlan> plan = PlanUpdate(ctx.My, *ctx.New, request.Kind, request.MyRow,
                                              request.NewRow, option, ctx.OwnPluginFile);
  if (!plan) {
    platform::ShowError(CopyError(platform::ExtractFileDir(request.NewFile),
                                  platform::ExtractFileDir(request.MyFile)));
    return false;
  }
  const UpdateResult result = RunUpdate(*plan, ctx.Backup);
  switch (result.Outcome) {
    case UpdateOutcome::Updated: {
      TVirtualTreeItem& entry = ctx.Tree[request.Index];
      entry.Done = true;
      entry.Status = L"*!";
      entry.Info = Tr(texts::kUpdated);
      if (ctx.RequestReread) ctx.RequestReread();
      platform::ShowInformation(result.RestartNeeded ? std::wstring(Tr(texts::kUpdateSuccessful)) +
                                                           L"\n" + Tr(texts::kUpdateAfterRestart)
                                                     : std::wstring(Tr(texts::kUpdateSuccessful)));
      return true;
    }
    case UpdateOutcome::Unchanged: platform::ShowInformation(Tr(texts::kNothingToUpdate)); break;
    case UpdateOutcome::CopyFailed:
      platform::ShowError(CopyError(plan->NewDir, plan->MyDir));
      break;
    case UpdateOutcome::BackupFailed: platform::ShowError(Tr(texts::kCantPrepareBackup)); break;
    case UpdateOutcome::MoveFailed:
      platform::ShowError(std::wstring(Tr(texts::kDirectoryDeleteError)) + L":\n" + plan->MyDir +
                          L"\n" + result.Detail);
      break;
    case UpdateOutcome::RollBackFailed:
      platform::ShowError(std::wstring(Tr(texts::kRollBackFailed)) + L"\n" + result.Detail);
      break;
    case UpdateOutcome::HoldsLink:
      platform::ShowError(std::wstring(Tr(texts::kFolderHoldsLink)) + L":\n" + result.Detail);
      break;
  }
  return false;
}

}  // namespace orvelle
