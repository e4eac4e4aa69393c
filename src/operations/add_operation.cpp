#include "operations/add_operation.h"

#include "backup/backup.h"
#include "backup/records.h"
#include "operations/operation_context.h"
#include "platform/fs.h"
#include "platform/message_box.h"
#include "platform/strings.h"
#include "tree/tree.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "util/directory_copy.h"
#include "util/file_ops.h"
#include "util/text_file.h"

#include <algorithm>

namespace orvelle {

namespace {

using EntryRef = PendingAdds::EntryRef;

const wchar_t* RegistrationFailureText(ItemKind kind) {
  switch (kind) {
    case ItemKind::PackerPlugin: return Tr(texts::kAddWcxError);
    case ItemKind::ListerPlugin: return Tr(texts::kAddWlxError);
    case ItemKind::ContentPlugin: return Tr(texts::kAddWdxError);
    default: return Tr(texts::kAddWfxError);
  }
}

EntryRef RefOf(const VirtualTree& tree, int index) {
  if (index < 0 || index >= tree.Count()) return {};
  return {index, tree[index].FullPath()};
}

TVirtualTreeItem* Resolve(VirtualTree& tree, const EntryRef& ref) {
  if (ref.Index < 0 || ref.Index >= tree.Count()) return nullptr;
  TVirtualTreeItem& entry = tree[ref.Index];
  return entry.FullPath() == ref.Path ? &entry : nullptr;
}

// Only the comment: the sign stays until the add has ended.
void Say(VirtualTree& tree, const EntryRef& ref, const std::wstring& text) {
  if (TVirtualTreeItem* entry = Resolve(tree, ref)) entry->Info = text;
}

void Mark(VirtualTree& tree, const EntryRef& ref, const std::wstring& text) {
  if (TVirtualTreeItem* entry = Resolve(tree, ref)) {
    if (!text.empty()) entry->Info = text;
    entry->Status = L"*!";
    entry->Done = true;
  }
}

// The outcome of an add on its entries (the folder's sign and done flag,
// whether or not it succeeded: a done entry starts no second add).
void MarkEnd(VirtualTree& tree, const EntryRef& action, const EntryRef& folder,
             const std::wstring& actionText, bool added) {
  Mark(tree, action, actionText);
  Mark(tree, folder, added ? Tr(texts::kAdded) : Tr(texts::kNotAdded));
}

// Folders above path that do not exist, the outermost first.
std::vector<std::wstring> MissingFolders(const std::wstring& path) {
  std::vector<std::wstring> missing;
  std::wstring dir = platform::ExcludeTrailingBackslash(path);
  while (dir.size() > 3 && !platform::PathExists(dir)) {
    missing.insert(missing.begin(), dir);
    const std::wstring up = platform::ExtractFileDir(dir);
    if (up.size() >= dir.size()) break;
    dir = up;
  }
  return missing;
}

// Roll back: the folders an add created go again, when empty, innermost first.
void RemoveMadeFolders(const std::vector<std::wstring>& made) {
  for (auto it = made.rbegin(); it != made.rend(); ++it) platform::RemoveEmptyDirectory(*it);
}

// Registers the adds' plugins, each record in its add's folder written
// before the file changes (and dropped again when the file could not be
// replaced). One code per add; renamedTo receives for each the key a
// file-system plugin was registered under when its own was another plugin's.
std::vector<int> RegisterAll(const TTC* my, const std::vector<CopiedAdd>& adds,
                             std::vector<std::wstring>& renamedTo,
                             const std::function<bool()>& proceed = {}) {
  renamedTo.assign(adds.size(), {});
  if (!my) return std::vector<int>(adds.size(), kRegisterFileError);
  std::vector<RegistrationLines> registrations;
  for (const CopiedAdd& add : adds) registrations.push_back(add.Plan->Registration);
  std::vector<std::wstring> records(adds.size());
  std::vector<AddedLines> written;
  const std::vector<int> codes = RegisterPlugins(
      *my, registrations,
      [&](size_t i, const AddedLines& added) {
        if (proceed && !proceed()) return false;
        const std::wstring& folder = adds[i].Folder;
        records[i] = folder + RecordFileName(folder, added.File, L".i");
        return AppendTextLines(records[i], FormatAddedRecord(added));
      },
      &written);
  for (size_t i = 0; i < adds.size(); ++i) {
    if (codes[i] == kRegisterFileError && !records[i].empty()) platform::RemoveFile(records[i]);
    const AddPlan& plan = *adds[i].Plan;
    if (codes[i] != kRegisterDone || plan.Kind != ItemKind::FileSystemPlugin ||
        written[i].Lines.empty() || plan.Registration.Lines.empty()) {
      continue;
    }
    const std::wstring& wanted = plan.Registration.Lines.front();
    const std::wstring& got = written[i].Lines.front();
    const std::wstring key = platform::Trim(got.substr(0, got.find(L'=')));
    if (key != platform::Trim(wanted.substr(0, wanted.find(L'=')))) renamedTo[i] = key;
  }
  return codes;
}

int Register(const TTC* my, const AddPlan& plan, const std::wstring& folder,
             std::wstring* renamedTo = nullptr) {
  std::vector<std::wstring> renamed;
  const int code = RegisterAll(my, {CopiedAdd{&plan, folder, {}}}, renamed).front();
  if (renamedTo) *renamedTo = renamed.front();
  return code;
}

std::wstring RegistrationText(int code, ItemKind kind, const std::wstring& renamedTo = {}) {
  switch (code) {
    case kRegisterDone:
      if (!renamedTo.empty()) return Tr(texts::kAddedAs) + renamedTo + Tr(texts::kAddedAsReason);
      return Tr(texts::kAdded);
    case kRegisterPresent: return Tr(texts::kAlreadyExists);
    default: return RegistrationFailureText(kind);
  }
}

bool Fail(OperationContext& ctx, const EntryRef& action, const EntryRef& folder,
          const std::wstring& actionText) {
  MarkEnd(ctx.Tree, action, folder, actionText, false);
  if (ctx.RequestReread) ctx.RequestReread();
  return false;
}

// The add of a plugin whose equal copy stands in My installation already:
// the registration alone.
bool AddWithoutCopy(OperationContext& ctx, const AddPlan& plan, const std::wstring& folder,
                    const EntryRef& action, const EntryRef& directory,
                    const EntryRef& pluginFolder) {
  Mark(ctx.Tree, directory, Tr(texts::kSimilarDirectoryExists));
  std::wstring renamedTo;
  const int code = Register(&ctx.My, plan, folder, &renamedTo);
  TBackup::PruneFolder(folder);
  // Registered already and nothing copied: nothing was added.
  MarkEnd(ctx.Tree, action, pluginFolder, RegistrationText(code, plan.Kind, renamedTo),
          code == kRegisterDone);
  if (ctx.RequestReread) ctx.RequestReread();
  return code == kRegisterDone;
}

// A record of the plugin's own, written whole (a copying.i may be written twice).
bool WriteRecord(const std::wstring& path, std::vector<std::wstring> lines) {
  TextDocument doc;
  doc.encoding = FitsCodePage(lines) ? TextEncoding::Ansi : TextEncoding::Utf16LE;
  doc.lines = std::move(lines);
  return SaveTextFile(path, doc);
}

// Makes the copy's record, the folders above its target and its staging
// folder. nullopt, with everything it made taken away again (the add's
// backup folder too), when any of that fails.
std::optional<std::wstring> PrepareCopy(const std::wstring& folder, const AddPlan& plan,
                                        const std::vector<std::wstring>& made) {
  // Roll back: the record, the folders made for the copy and the add's
  // backup folder go again.
  platform::scope_exit rollBack([&] {
    platform::RemoveFile(folder + kCopyingFile);
    RemoveMadeFolders(made);
    DeleteDirectoryTree(folder, true);
  });
  // The record exists before anything it names: it names the staging folder
  // the copy will most likely get, and is corrected when it gets another.
  CopyInProgress record{plan.TargetDir + L"~copy", plan.TargetDir, made};
  if (!WriteRecord(folder + kCopyingFile, FormatCopyingRecord(record))) return std::nullopt;
  if (!made.empty() && !CreateDirectoryPath(made.back())) return std::nullopt;
  const std::optional<std::wstring> staging = MakeStagingDirectory(plan.TargetDir);
  if (!staging) return std::nullopt;
  if (*staging != record.Staging) {
    record.Staging = *staging;
    if (!WriteRecord(folder + kCopyingFile, FormatCopyingRecord(record))) {
      platform::RemoveEmptyDirectory(*staging);
      return std::nullopt;
    }
  }
  rollBack.release();
  return staging;
}

// Takes back what PrepareCopy made, once its staging folder is gone or
// empty.
void DropPreparedCopy(const std::wstring& folder, const std::wstring& staging,
                      const std::vector<std::wstring>& made) {
  platform::RemoveEmptyDirectory(staging);
  platform::RemoveFile(folder + kCopyingFile);
  RemoveMadeFolders(made);
  DeleteDirectoryTree(folder, true);
}

// The copy stands whole in the plugin's folder: its record.
bool RecordCopied(const AddPlan& plan, const std::wstring& folder,
                  const std::vector<std::wstring>& made) {
  const CopyInProgress copied{{}, plan.TargetDir, made};
  return AppendTextLines(folder + kCopiedFolderFile, FormatCopiedRecord(copied));
}

// Roll back: the copy is New's files only; nothing refers to it.
void TakeBackCopy(const AddPlan& plan, const std::wstring& folder) {
  DeleteDirectoryTree(plan.TargetDir, true);
  platform::RemoveFile(folder + kCopiedFolderFile);
}

// The copy's record, then the registration. A registration that fails takes
// the copy away again. The registration's code.
int RegisterCopied(const TTC* my, const AddPlan& plan, const std::wstring& folder,
                   const std::vector<std::wstring>& made, std::wstring* renamedTo) {
  const int code =
      RecordCopied(plan, folder, made) ? Register(my, plan, folder, renamedTo) : kRegisterFileError;
  if (code == kRegisterFileError) TakeBackCopy(plan, folder);
  return code;
}

// Starts the copy of a prepared add. False, with everything it made taken
// away again, when its thread cannot be started.
bool StartCopy(PendingAdds::Add& add, std::function<void()> notify,
               const std::function<bool(const std::wstring&)>& hook) {
  const std::optional<std::wstring> staging = PrepareCopy(add.Folder, add.Plan, add.Made);
  if (!staging) return false;
  BackgroundCopy::Request request;
  request.SourceDir = add.Plan.Source.Dir;
  request.Files = add.Plan.Source.Files;
  request.Staging = *staging;
  request.Target = add.Plan.TargetDir;
  request.Notify = std::move(notify);
  request.BeforeFile = hook;
  add.Copy = BackgroundCopy::Start(std::move(request));
  if (!add.Copy) {
    DropPreparedCopy(add.Folder, *staging, add.Made);
    return false;
  }
  return true;
}

// Completes one add whose copy ended; true when the plugin was added.
bool Complete(VirtualTree& tree, const TTC* my, const PendingAdds::Add& add) {
  const AddPlan& plan = add.Plan;
  const std::wstring& folder = add.Folder;
  bool added = false;
  std::wstring actionText = Tr(texts::kNotAdded);
  if (add.Copy->Current() == BackgroundCopy::State::Copied) {
    std::wstring renamedTo;
    const int code = RegisterCopied(my, plan, folder, add.Made, &renamedTo);
    actionText = RegistrationText(code, plan.Kind, renamedTo);
    added = code != kRegisterFileError;
  }
  if (!added) RemoveMadeFolders(add.Made);
  // The copy's own record goes once nothing it names is left behind.
  if (added || !platform::PathExists(add.Copy->Job().Staging)) {
    platform::RemoveFile(folder + kCopyingFile);
  }
  TBackup::PruneFolder(folder);

  const std::wstring filesText = !added                  ? Tr(texts::kNotAdded)
                                 : plan.Source.OwnFolder ? Tr(texts::kAdded)
                                                         : Tr(texts::kAddedOnlyFile);
  Mark(tree, add.Directory, filesText);
  MarkEnd(tree, add.Action, add.PluginFolder, actionText, added);
  return added;
}

}  // namespace

bool PendingAdds::Holds(const std::wstring& folder) const {
  const std::wstring wanted = platform::IncludeTrailingBackslash(folder);
  return std::any_of(adds_.begin(), adds_.end(), [&](const Add& add) {
    return platform::EqualsNoCase(add.Folder, wanted);
  });
}

std::vector<std::shared_ptr<BackgroundCopy>> PendingAdds::Copies() const {
  std::vector<std::shared_ptr<BackgroundCopy>> copies;
  for (const Add& add : adds_) copies.push_back(add.Copy);
  return copies;
}

bool StartAdd(OperationContext& ctx, PendingAdds& pending, int index,
              std::function<void()> notify) {
  VirtualTree& tree = ctx.Tree;
  if (index < 0 || index >= tree.Count() || !ctx.New) return false;
  const TVirtualTreeItem& entry = tree[index];
  if (entry.Action != 2 || entry.Done || entry.ActionIndex < 0) return false;
  const ItemKind kind = static_cast<ItemKind>(entry.ActionKind);
  if (!IsPluginKind(kind)) return false;
  if (!platform::AskYesNo(Tr(texts::kAddQuestion))) return false;

  const EntryRef action = RefOf(tree, index);
  const EntryRef pluginFolder = RefOf(tree, entry.ParentIndex);
  const EntryRef directory = RefOf(tree, tree.FindTreeItem(entry.Path + texts::kDirectory));
  if (directory.Index < 0) return Fail(ctx, action, pluginFolder, Tr(texts::kInternalPluginError));

  AddPlan plan;
  switch (PlanAdd(ctx.My, *ctx.New, kind, static_cast<size_t>(entry.ActionIndex),
                  ctx.OwnPluginFile, plan)) {
    case AddPlanFailure::None: break;
    case AddPlanFailure::BadSource:
      return Fail(ctx, action, pluginFolder, Tr(texts::kBadSourceDirectory));
    case AddPlanFailure::NoItem:
    case AddPlanFailure::NoTarget:
      return Fail(ctx, action, pluginFolder, Tr(texts::kInternalPluginError));
  }
  if (!ctx.Backup.MakeBackup(BackupKind::Installed, plan.TargetPath)) {
    return Fail(ctx, action, pluginFolder, Tr(texts::kNotAdded));
  }
  const std::wstring folder = ctx.Backup.Dir;
  if (!plan.CopyNeeded) {
    return AddWithoutCopy(ctx, plan, folder, action, directory, pluginFolder);
  }

  PendingAdds::Add add;
  add.Plan = plan;
  add.Folder = folder;
  add.Made = MissingFolders(platform::ExtractFileDir(plan.TargetDir));
  add.Action = action;
  add.Directory = directory;
  add.PluginFolder = pluginFolder;
  if (!StartCopy(add, std::move(notify), pending.CopyHook)) {
    Mark(tree, directory, Tr(texts::kNotAdded));
    return Fail(ctx, action, pluginFolder, Tr(texts::kNotAdded));
  }
  Say(tree, directory, Tr(texts::kCopying));
  Say(tree, action, Tr(texts::kCopying));
  if (TVirtualTreeItem* started = Resolve(tree, action)) started->Done = true;
  pending.adds_.push_back(std::move(add));
  if (ctx.RequestReread) ctx.RequestReread();
  return true;
}

AddNowResult CopyPluginNow(const AddPlan& plan, TBackup& backup, const CopyControl& control,
                           const TreeListing* listed) {
  AddNowResult result;
  if (!backup.MakeBackup(BackupKind::Installed, plan.TargetPath)) {
    result.Outcome = AddNowOutcome::BackupFailed;
    return result;
  }
  const std::wstring folder = backup.Dir;
  result.Copied = CopiedAdd{&plan, folder, {}};
  if (!plan.CopyNeeded) {
    result.Outcome = AddNowOutcome::Copied;
    return result;
  }
  const std::vector<std::wstring> made = MissingFolders(platform::ExtractFileDir(plan.TargetDir));
  const std::optional<std::wstring> staging = PrepareCopy(folder, plan, made);
  if (!staging) {
    result.Outcome = AddNowOutcome::CopyFailed;
    return result;
  }
  bool stopped = false;
  CopyControl watched;
  watched.Stop = control.Stop;
  watched.BeforeFile = [&](const std::wstring& file) {
    if (control.BeforeFile && !control.BeforeFile(file)) {
      stopped = true;
      return false;
    }
    return true;
  };
  if (!CopyDirectoryContent(plan.Source.Dir, *staging, plan.Source.Files, watched, listed) ||
      !PlaceStagedDirectory(*staging, plan.TargetDir)) {
    // Roll back: the copy that is not whole is New's files only.
    DeleteDirectoryTree(*staging, true);
    DropPreparedCopy(folder, *staging, made);
    result.Outcome = stopped ? AddNowOutcome::Stopped : AddNowOutcome::CopyFailed;
    return result;
  }
  if (!RecordCopied(plan, folder, made)) {
    TakeBackCopy(plan, folder);
    DropPreparedCopy(folder, *staging, made);
    result.Outcome = AddNowOutcome::CopyFailed;
    return result;
  }
  // The copied record names all the copying record did.
  platform::RemoveFile(folder + kCopyingFile);
  result.Copied.Made = made;
  result.Outcome = AddNowOutcome::Copied;
  return result;
}

std::vector<AddNowResult> RegisterCopiedPlugins(const TTC& my, const std::vector<CopiedAdd>& adds,
                                                const std::function<bool()>& proceed) {
  std::vector<std::wstring> renamed;
  const std::vector<int> codes = RegisterAll(&my, adds, renamed, proceed);
  std::vector<AddNowResult> results(adds.size());
  for (size_t i = 0; i < adds.size(); ++i) {
    const CopiedAdd& add = adds[i];
    AddNowResult& result = results[i];
    result.Copied = add;
    result.RenamedTo = renamed[i];
    if (codes[i] == kRegisterFileError) {
      if (add.Plan->CopyNeeded) {
        TakeBackCopy(*add.Plan, add.Folder);
        RemoveMadeFolders(add.Made);
      }
      DeleteDirectoryTree(add.Folder, true);
      result.Outcome = AddNowOutcome::RegisterFailed;
      continue;
    }
    // A copy counts as added even when its path was registered already.
    result.Outcome = codes[i] == kRegisterDone || add.Plan->CopyNeeded
                         ? AddNowOutcome::Added
                         : AddNowOutcome::AlreadyRegistered;
    TBackup::PruneFolder(add.Folder);
  }
  return results;
}

bool CompleteAdds(VirtualTree& tree, const TTC* my, PendingAdds& pending) {
  bool completed = false;
  auto& adds = pending.adds_;
  for (auto it = adds.begin(); it != adds.end();) {
    if (it->Copy->Current() == BackgroundCopy::State::Running) {
      ++it;
      continue;
    }
    Complete(tree, my, *it);
    it = adds.erase(it);
    completed = true;
  }
  return completed;
}

}  // namespace orvelle
