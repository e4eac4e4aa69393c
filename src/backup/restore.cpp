#include "backup/restore.h"

#include "backup/records.h"
#include "platform/fs.h"
#include "platform/message_box.h"
#include "platform/strings.h"
#include "tree/tree.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "util/file_ops.h"
#include "util/line_ends.h"
#include "util/move_item.h"
#include "util/text_file.h"

#include <algorithm>

namespace orvelle {

namespace {

std::vector<std::wstring> ReadLines(const std::wstring& path) {
  std::optional<TextDocument> doc = LoadTextFile(path);
  return doc ? doc->lines : std::vector<std::wstring>{};
}

// The items of index.d; an unreadable or malformed line makes the whole
// list invalid (nullopt), since restoring part of it could not be told apart
// from restoring all.
std::optional<std::vector<SavedFile>> MovedItems(const std::wstring& folder) {
  std::vector<SavedFile> items;
  const std::wstring index = folder + kMovedItemsFile;
  if (!platform::FileExists(index)) return items;
  std::optional<TextDocument> doc = LoadTextFile(index);
  if (!doc) return std::nullopt;
  for (const std::wstring& line : doc->lines) {
    if (platform::Trim(line).empty()) continue;
    std::optional<SavedFile> item = ParseIndexLine(line);
    // A saved name is a name in the folder, never a way out of it.
    if (!item || item->SavedName == L"." || item->SavedName == L".." ||
        item->SavedName.find_first_of(L"\\/:") != std::wstring::npos ||
        !IsPlainFullPath(item->SourcePath)) {
      return std::nullopt;
    }
    items.push_back(std::move(*item));
  }
  return items;
}

bool ReplayRecord(const std::wstring& recordFile) {
  std::optional<FileRemoval> removal = ParseRemovalRecord(ReadLines(recordFile));
  if (!removal || !IsPlainFullPath(removal->File)) return false;
  std::optional<TextDocument> doc = LoadTextFile(removal->File);
  if (!doc) return false;
  const TextDocument before = *doc;
  Reinsert(doc->lines, removal->Groups);
  std::vector<LineWithEnd> ends;
  for (const RemovedGroup& group : removal->Groups) {
    for (const RemovedLine& line : group.Lines) ends.push_back({line.Text, line.End});
  }
  CarryLineEnds(*doc, before, std::move(ends));
  if (!SaveTextFile(removal->File, *doc)) return false;
  // Gone once replayed: a further restore must not put the lines back twice.
  return platform::RemoveFile(recordFile);
}

bool ReplayRecords(const std::wstring& folder, const std::vector<SavedFile>& items) {
  std::vector<std::wstring> moved;
  for (const SavedFile& item : items) moved.push_back(item.SavedName);
  std::vector<std::wstring> records;
  for (const platform::FileEntry& entry : platform::EnumFiles(folder + L"*")) {
    if (!entry.IsDirectory() && IsRemovalRecordName(entry.name, moved)) {
      records.push_back(entry.name);
    }
  }
  std::sort(records.begin(), records.end());
  for (const std::wstring& name : records) {
    if (!ReplayRecord(folder + name)) return false;
  }
  return true;
}

// Moves whatever stands at home into a deleted-item folder made for it (one
// per restore), so that putting the saved item there loses nothing.
class Displaced {
 public:
  explicit Displaced(TBackup& backup) : backup_(backup) {}

  bool MoveAway(const std::wstring& home) {
    if (folder_.empty()) {
      if (!backup_.MakeBackup(BackupKind::Deleted, home, true)) return false;
      folder_ = backup_.Dir;
    }
    if (backup_.Dir != folder_) return false;
    if (!backup_.MoveDeletedItem(home)) {
      error_ = backup_.LastMoveError;
      return false;
    }
    ++count_;
    return true;
  }

  // Roll back: the item goes back home; a folder made for it alone goes.
  void MoveBack(const std::wstring& home) {
    const std::wstring saved = folder_ + platform::ExtractFileName(home);
    if (MoveItem(saved, home) != 0) return;
    if (--count_ == 0) {
      DeleteDirectoryTree(folder_, true);
      folder_.clear();
    }
  }

  DWORD LastError() const { return error_ != 0 ? error_ : ERROR_CANNOT_MAKE; }

 private:
  TBackup& backup_;
  std::wstring folder_;
  int count_ = 0;
  DWORD error_ = 0;
};

bool RestoreItem(const std::wstring& folder, const SavedFile& item, Displaced& displaced) {
  const std::wstring saved = folder + item.SavedName;
  const std::wstring& home = item.SourcePath;
  // Back already (a restore that stopped after moving it): nothing to do.
  if (!platform::PathExists(saved)) return platform::PathExists(home);
  const bool isDirectory = platform::DirectoryExists(saved);
  const wchar_t* failure =
      isDirectory ? Tr(texts::kCantRenameDirectory) : Tr(texts::kCantRenameFile);
  const std::wstring parent = platform::ExtractFileDir(home);
  if (!platform::DirectoryExists(parent) && !CreateDirectoryPath(parent) &&
      !platform::DirectoryExists(parent)) {
    platform::ShowMessage(failure, MB_ICONWARNING | MB_OK);
    return false;
  }
  const bool occupied = platform::PathExists(home);
  if (occupied && !displaced.MoveAway(home)) {
    platform::ShowMessage(std::wstring(failure) + L"\n" + home + L"\n" +
                              SystemMessage(displaced.LastError()),
                          MB_ICONWARNING | MB_OK);
    return false;
  }
  if (const DWORD error = MoveItem(saved, home); error != 0) {
    if (occupied) displaced.MoveBack(home);
    platform::ShowMessage(std::wstring(failure) + L"\n" + home + L"\n" + SystemMessage(error),
                          MB_ICONWARNING | MB_OK);
    return false;
  }
  return true;
}

bool RestoreItems(const std::wstring& folder, std::vector<SavedFile> items, TBackup& backup) {
  Displaced displaced(backup);
  while (!items.empty()) {
    if (!RestoreItem(folder, items.back(), displaced)) {
      // What is back leaves the index; the rest is tried again next time.
      std::vector<std::wstring> rest;
      for (const SavedFile& item : items) rest.push_back(item.SavedName + L":" + item.SourcePath);
      TextDocument doc;
      doc.lines = std::move(rest);
      doc.encoding = FitsCodePage(doc.lines) ? TextEncoding::Ansi : TextEncoding::Utf16LE;
      SaveTextFile(folder + kMovedItemsFile, doc);
      return false;
    }
    items.pop_back();
  }
  platform::RemoveFile(folder + kMovedItemsFile);
  return true;
}

void SetInfo(VirtualTree& tree, int index, const wchar_t* text) {
  if (index >= 0 && index < tree.Count()) tree[index].Info = text;
}

}  // namespace

bool IsPlainFullPath(const std::wstring& path) {
  const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
                     ((path[0] >= L'a' && path[0] <= L'z') || (path[0] >= L'A' && path[0] <= L'Z'));
  const bool share = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' &&
                     path[2] != L'.';
  if (!drive && !share) return false;
  if (path.find(L'/') != std::wstring::npos) return false;
  // No "." or ".." step anywhere.
  size_t start = drive ? 3 : 2;
  while (start <= path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring_view step = std::wstring_view(path).substr(start, end - start);
    if (step == L"." || step == L"..") return false;
    start = end + 1;
  }
  return true;
}

RestoreFailure RestoreDeletedFolder(const std::wstring& folderPath, TBackup& backup) {
  const std::wstring folder = platform::IncludeTrailingBackslash(folderPath);
  std::optional<std::vector<SavedFile>> items = MovedItems(folder);
  if (!items) return RestoreFailure::Record;
  if (!ReplayRecords(folder, *items)) return RestoreFailure::Record;
  if (!RestoreItems(folder, std::move(*items), backup)) return RestoreFailure::Item;
  platform::RemoveFile(folder + kDeletedInfoFile);
  if (!platform::RemoveEmptyDirectory(platform::ExcludeTrailingBackslash(folder))) {
    return RestoreFailure::Folder;
  }
  return RestoreFailure::None;
}

RestoreFailure RestoreBatchFolder(const std::wstring& folderPath, TBackup& backup, const TTC* my,
                                  const std::wstring& undoName, std::wstring* undoneInto) {
  if (undoneInto) undoneInto->clear();
  const std::wstring folder = platform::IncludeTrailingBackslash(folderPath);
  std::optional<BatchRecord> record = ReadBatchRecord(folder);
  if (!record || backup.InBatch()) return RestoreFailure::Record;
  if (!backup.BeginBatch(BackupKind::Deleted, undoName, kBatchVerbDeleted)) {
    return RestoreFailure::Record;
  }
  RestoreFailure failure = RestoreFailure::None;
  bool anyDone = false;
  for (auto it = record->Parts.rbegin(); it != record->Parts.rend(); ++it) {
    const std::wstring part = folder + *it;
    if (!platform::DirectoryExists(part)) continue;
    const RestoreFailure partFailure = it->back() == L'i'
                                           ? RestoreInstalledFolder(part, backup, my)
                                           : RestoreDeletedFolder(part, backup);
    if (partFailure == RestoreFailure::None) anyDone = true;
    if (partFailure != RestoreFailure::None && partFailure != RestoreFailure::NothingLeft) {
      failure = partFailure;
      break;
    }
  }
  const std::wstring undone = backup.EndBatch();
  if (undoneInto) *undoneInto = undone;
  if (failure != RestoreFailure::None) return failure;
  if (!DeleteDirectoryTree(platform::ExcludeTrailingBackslash(folder), true)) {
    return RestoreFailure::Folder;
  }
  return anyDone ? RestoreFailure::None : RestoreFailure::NothingLeft;
}

bool RestoreDeletedItem(RestoreContext& ctx, int index, bool ask) {
  if (index < 0 || index >= ctx.Tree.Count()) return false;
  const std::wstring folder = ctx.Tree[index].MyFile;
  if (folder.empty() || !platform::DirectoryExists(folder)) return false;
  if (ask && !platform::AskYesNo(Tr(texts::kRestoreQuestion))) return false;
  const RestoreFailure result =
      IsBatchFolder(folder)
          ? RestoreBatchFolder(folder, ctx.Backup, ctx.My, texts::kUndoBackupName)
          : RestoreDeletedFolder(folder, ctx.Backup);
  switch (result) {
    case RestoreFailure::None:
      SetInfo(ctx.Tree, index, Tr(texts::kRestored));
      ctx.Tree[index].RestoreDeleted = false;
      if (ctx.RequestReread) ctx.RequestReread();
      return true;
    case RestoreFailure::Folder:
      // Everything is back; only the emptied folder stays, as does its entry.
      return false;
    case RestoreFailure::Record:
    case RestoreFailure::Item:
    case RestoreFailure::NothingLeft:
      SetInfo(ctx.Tree, index, Tr(texts::kNotRestored));
      if (ctx.RequestReread) ctx.RequestReread();
      return false;
  }
  return false;
}

bool RestoreSettingsFile(RestoreContext& ctx, int index, bool ask) {
  if (index < 0 || index >= ctx.Tree.Count()) return false;
  const TVirtualTreeItem& entry = ctx.Tree[index];
  const std::wstring folder = platform::IncludeTrailingBackslash(entry.MyFile);
  // Where the copy came from is read from the folder's index, not from the
  // entry's comment, which a first restore turns into "Restored!".
  std::wstring home;
  for (const std::wstring& line : ReadLines(folder + kMovedItemsFile)) {
    std::optional<SavedFile> saved = ParseIndexLine(line);
    if (saved && saved->SavedName == entry.Name) home = saved->SourcePath;
  }
  const std::wstring saved = folder + entry.Name;
  if (home.empty() || !IsPlainFullPath(home) || !platform::FileExists(saved)) return false;
  if (ask &&
      !platform::AskYesNo(Tr(texts::kRestoreFilePrefix) + platform::ExtractFileName(home) + L"?")) {
    return false;
  }
  const std::wstring temp = home + L"~";
  if (!CopyFileBlocks(saved, temp)) return false;
  // The file it replaces holds every setting changed since the copy was
  // taken: it goes into a backup folder of its own first, from where
  // restoring puts it back.
  std::wstring keptIn;
  if (platform::PathExists(home)) {
    if (!ctx.Backup.MakeBackup(BackupKind::Deleted, home, true) || !ctx.Backup.KeepCopyOf(home)) {
      if (!ctx.Backup.Dir.empty()) DeleteDirectoryTree(ctx.Backup.Dir, true);
      platform::RemoveFile(temp);
      SetInfo(ctx.Tree, index, Tr(texts::kNotRestored));
      if (ctx.RequestReread) ctx.RequestReread();
      return false;
    }
    keptIn = ctx.Backup.Dir;
  }
  const bool placed =
      platform::PathExists(home) ? SwapInReplacement(home, temp) : platform::MovePath(temp, home);
  if (!placed) {
    // Roll back: the file stayed; its copy in the store is not needed.
    platform::RemoveFile(temp);
    if (!keptIn.empty()) DeleteDirectoryTree(keptIn, true);
    SetInfo(ctx.Tree, index, Tr(texts::kNotRestored));
    if (ctx.RequestReread) ctx.RequestReread();
    return false;
  }
  SetInfo(ctx.Tree, index, Tr(texts::kRestored));
  if (ctx.RequestReread) ctx.RequestReread();
  return true;
}

}  // namespace orvelle
