#include "backup/backup.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tree/tree.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "tc/ttc.h"
#include "util/file_ops.h"
#include "util/icons.h"
#include "util/move_item.h"
#include "util/text_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>

namespace orvelle {

namespace {

constexpr wchar_t kIndexFile[] = L"index.d";
constexpr wchar_t kDeletedInfoName[] = L"info.d";
constexpr wchar_t kBackupPath[] = L"\\Backup\\";

std::wstring FolderName(const std::wstring& path) {
  return platform::ExtractFileName(platform::ExcludeTrailingBackslash(path));
}

// True when the copy exists with the size of its source: the block copy
// itself reports no failure.
bool CopiedWhole(const std::wstring& source, const std::wstring& target) {
  std::optional<platform::FileEntry> from = platform::GetFileEntry(source);
  std::optional<platform::FileEntry> to = platform::GetFileEntry(target);
  return from && to && !to->IsDirectory() && from->size == to->size;
}

std::wstring FirstLine(const std::wstring& file) {
  std::optional<TextDocument> doc = LoadTextFile(file);
  if (!doc || doc->lines.empty()) return {};
  return doc->lines.front();
}

// Enough for a burst of backups far beyond what one user action makes.
constexpr int kStampAttempts = 1000;

// The next value whose stamp differs: one unit of the 15th significant digit
// of the stamp's own value (on the grid of the written digits, so that the
// step is never lost to rounding).
double NextStamp(double value) {
  const double written = ParseStamp(FormatStamp(value, L"."), L".").value_or(value);
  const int exponent = std::isfinite(written) && written > 0
                           ? static_cast<int>(std::floor(std::log10(written)))
                           : 0;
  const double unit = std::pow(10.0, exponent - 14);
  double next = written + unit;
  for (int i = 0; i < 10 && FormatStamp(next, L".") == FormatStamp(written, L"."); ++i) {
    next += unit;
  }
  return next;
}

bool StampTaken(const std::wstring& storeDir, const std::wstring& stamp) {
  platform::EnumFiles folders(storeDir + L"\\" + stamp + L"-*");
  return folders.begin() != folders.end();
}

struct ScannedFolder {
  double stamp;
  std::wstring name;
  std::wstring stampText;
  wchar_t kind;
};

}  // namespace

std::wstring SystemDecimalSeparator() {
  wchar_t buffer[8] = {};
  if (::GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) > 1) return buffer;
  return L".";
}

std::wstring FormatStamp(double dateTime, std::wstring_view decimalSeparator) {
  wchar_t buffer[64];
  std::swprintf(buffer, 64, L"%.15g", dateTime);
  std::wstring text = buffer;
  if (size_t dot = text.find(L'.'); dot != std::wstring::npos) {
    text.replace(dot, 1, decimalSeparator);
  }
  return text;
}

std::optional<double> ParseStamp(std::wstring_view stamp, std::wstring_view decimalSeparator) {
  std::wstring text(stamp);
  if (decimalSeparator != L"." && text.find(L'.') != std::wstring::npos) return std::nullopt;
  if (!decimalSeparator.empty()) {
    if (size_t sep = text.find(decimalSeparator); sep != std::wstring::npos) {
      text.replace(sep, decimalSeparator.size(), L".");
    }
  }
  // Digits with at most one point: anything else is a folder of another kind
  // (or of another locale) and is passed over.
  if (text.empty() || text.front() == L'.' || text.back() == L'.') return std::nullopt;
  int points = 0;
  for (wchar_t c : text) {
    if (c == L'.') {
      ++points;
    } else if (c < L'0' || c > L'9') {
      return std::nullopt;
    }
  }
  if (points > 1) return std::nullopt;
  wchar_t* end = nullptr;
  double value = std::wcstod(text.c_str(), &end);
  if (end == nullptr || *end != L'\0') return std::nullopt;
  return value;
}

std::optional<SavedFile> ParseIndexLine(std::wstring_view line) {
  size_t colon = line.find(L':');
  if (colon == std::wstring_view::npos || colon == 0) return std::nullopt;
  return SavedFile{std::wstring(line.substr(0, colon)), std::wstring(line.substr(colon + 1))};
}

std::vector<SavedFile> SettingsFilesOf(const TTC& model) {
  std::vector<SavedFile> files;
  // A file is saved once, under its first name: the section slots name the
  // configuration file itself unless a section is redirected, and fourteen
  // copies of one file would leave the user guessing which to restore.
  auto add = [&files](const std::wstring& prefix, const std::wstring& path) {
    if (path.empty()) return;
    for (const SavedFile& file : files) {
      if (platform::EqualsNoCase(file.SourcePath, path)) return;
    }
    files.push_back({prefix + platform::ExtractFileName(path), path});
  };
  add(L"0.", model.MainIniFile);
  for (int slot = 0; slot < kSlotCount; ++slot) {
    add(L"0." + std::to_wstring(slot) + L".", model.SlotFile(slot));
  }
  add(L"1.", model.ConfigPaths.languageini);
  add(L"2.", model.LanguageIniFile);
  add(L"3.", model.ConfigPaths.mainmenu);
  int group = 4;
  for (const std::wstring& bar : model.BarFiles) add(std::to_wstring(group++) + L".", bar);
  return files;
}

TBackup::TBackup(std::wstring pluginDir, VirtualTree& tree, const BackupIcons& icons)
    : pluginDir_(platform::IncludeTrailingBackslash(pluginDir)),
      storeDir_(pluginDir_ + L"backup"),
      tree_(tree),
      icons_(icons) {
  Scan();
  AddEntries();
}

TBackup::~TBackup() {
  // Only entries that are still this store's: a rebuild of the tree may have
  // reused their slots for entries of a comparison. The slots go back to the
  // tree, so that the next store's entries take them instead of new ones.
  for (int index : entries_) {
    if (index < 0 || index >= tree_.Count()) continue;
    const TVirtualTreeItem& item = tree_[index];
    if (item.IsBackupEntry && item.Path.starts_with(kBackupPath)) tree_.Release(index);
  }
}

bool TBackup::CreateFolder(BackupKind kind, bool& storeMade) {
  Dir.clear();
  storeMade = false;
  if (!batchDir_.empty()) {
    // A part of the batch: numbered in the order made, listed at once.
    for (int attempt = 0; attempt < kStampAttempts; ++attempt) {
      wchar_t number[16];
      swprintf(number, 16, L"%04d", ++batchParts_);
      const std::wstring name = std::wstring(number) + L"-" + static_cast<wchar_t>(kind);
      if (!orvelle::CreateFolder(batchDir_ + name)) {
        if (::GetLastError() == ERROR_ALREADY_EXISTS) continue;
        return false;
      }
      if (!AppendLinesInPlace(batchDir_ + kBatchFile, {L"part=" + name})) {
        platform::RemoveEmptyDirectory(batchDir_ + name);
        return false;
      }
      Dir = batchDir_ + name + L"\\";
      return true;
    }
    return false;
  }
  if (!platform::DirectoryExists(storeDir_)) {
    if (!orvelle::CreateFolder(storeDir_)) return false;
    storeMade = true;
  }
  // Two backups within one tick of the clock would get the same stamp, and an
  // existing folder is another backup's: never share it. The later one takes
  // the next free stamp instead, a step of the stamp's last digit, so that
  // stamps stay numbers and still sort in the order the backups were taken
  // (whatever their kind, hence any folder of the stamp counts).
  const std::wstring separator = SystemDecimalSeparator();
  double stamp = Clock();
  for (int attempt = 0; attempt < kStampAttempts; ++attempt, stamp = NextStamp(stamp)) {
    const std::wstring text = FormatStamp(stamp, separator);
    if (StampTaken(storeDir_, text)) continue;
    const std::wstring folder = storeDir_ + L"\\" + text + L"-" + static_cast<wchar_t>(kind);
    if (orvelle::CreateFolder(folder)) {
      Dir = folder + L"\\";
      return true;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) break;
  }
  // Roll back: a store made for a backup that could not be taken would pass
  // for the first start's settings backup.
  if (storeMade) platform::RemoveEmptyDirectory(storeDir_);
  storeMade = false;
  return false;
}

bool TBackup::MakeBackup(const TTC& my) {
  if (platform::DirectoryExists(storeDir_)) return true;
  bool storeMade = false;
  if (!CreateFolder(BackupKind::Settings, storeMade)) return false;
  std::vector<std::wstring> index;
  bool ok = true;
  for (const SavedFile& file : SettingsFilesOf(my)) {
    if (!platform::FileExists(file.SourcePath)) continue;
    const std::wstring target = Dir + file.SavedName;
    CopyFileBlocks(file.SourcePath, target);
    if (!CopiedWhole(file.SourcePath, target)) {
      ok = false;
      break;
    }
    index.push_back(file.SavedName + L":" + file.SourcePath);
  }
  ok = ok && (index.empty() || AppendTextLines(Dir + kIndexFile, index));
  if (ok) return true;
  // Roll back: a half-taken settings backup would pass for the real one and
  // the store's existence would stop it from ever being taken again.
  DeleteDirectoryTree(Dir, true);
  if (storeMade) platform::RemoveEmptyDirectory(storeDir_);
  Dir.clear();
  return false;
}

bool TBackup::MakeBackup(BackupKind kind, const std::wstring& itemPath, bool fileOnly) {
  if (kind == BackupKind::Settings) return false;  // the settings backup needs the model
  bool storeMade = false;
  if (!CreateFolder(kind, storeMade)) return false;
  if (itemPath.empty()) return true;
  std::wstring line;
  std::wstring infoFile;
  if (kind == BackupKind::Deleted) {
    const std::wstring fileName = platform::ExtractFileName(itemPath);
    line = fileOnly ? Dir + fileName
                    : Dir + FolderName(platform::ExtractFileDir(itemPath)) + L"\\" + fileName;
    infoFile = L"info.d";
  } else {
    line = itemPath;
    infoFile = L"info.i";
  }
  if (AppendTextLines(Dir + infoFile, {line})) return true;
  // Roll back: a folder without its info file could not be listed or pruned.
  DeleteDirectoryTree(Dir, true);
  if (storeMade) platform::RemoveEmptyDirectory(storeDir_);
  Dir.clear();
  return false;
}

bool TBackup::BeginBatch(BackupKind kind, const std::wstring& name, const std::wstring& verb) {
  if (kind == BackupKind::Settings || !batchDir_.empty()) return false;
  bool storeMade = false;
  if (!CreateFolder(kind, storeMade)) return false;
  const std::wstring folder = Dir;
  Dir.clear();
  if (AppendTextLines(folder + L"info." + static_cast<wchar_t>(kind), {name}) &&
      AppendTextLines(folder + kBatchFile, {L"verb=" + verb})) {
    batchDir_ = folder;
    batchParts_ = 0;
    return true;
  }
  // Roll back: a folder without its records could not be listed or restored.
  DeleteDirectoryTree(folder, true);
  if (storeMade) platform::RemoveEmptyDirectory(storeDir_);
  return false;
}

std::wstring TBackup::EndBatch(bool flatten) {
  const std::wstring folder = batchDir_;
  batchDir_.clear();
  batchParts_ = 0;
  Dir.clear();
  if (folder.empty()) return {};
  std::optional<BatchRecord> record = ReadBatchRecord(folder);
  std::vector<std::wstring> parts;
  if (record) {
    for (const std::wstring& part : record->Parts) {
      if (platform::DirectoryExists(folder + part)) parts.push_back(part);
    }
  }
  if (record && parts.empty()) {
    DeleteDirectoryTree(folder, true);
    return {};
  }
  if (!record || parts.size() != 1 || !flatten) return folder;
  // A batch of one: its part takes a folder of the store of its own.
  const wchar_t kind = parts.front().back();
  bool storeMade = false;
  if (!CreateFolder(static_cast<BackupKind>(kind), storeMade)) return folder;
  const std::wstring single = platform::ExcludeTrailingBackslash(Dir);
  Dir.clear();
  if (!platform::RemoveEmptyDirectory(single) || !platform::MovePath(folder + parts.front(), single)) {
    platform::RemoveEmptyDirectory(single);
    return folder;
  }
  DeleteDirectoryTree(folder, true);
  // A deleted-item folder's info names where the item lies inside it.
  const std::wstring moved = folder + parts.front() + L"\\";
  if (std::optional<TextDocument> info = LoadTextFile(single + L"\\" + kDeletedInfoName)) {
    bool changed = false;
    for (std::wstring& line : info->lines) {
      if (line.size() >= moved.size() &&
          platform::EqualsNoCase(line.substr(0, moved.size()), moved)) {
        line = single + L"\\" + line.substr(moved.size());
        changed = true;
      }
    }
    if (changed) SaveTextFile(single + L"\\" + kDeletedInfoName, *info);
  }
  return single + L"\\";
}

bool TBackup::AppendLines(const std::wstring& fileName, const std::vector<std::wstring>& lines) {
  if (Dir.empty()) return false;
  return AppendTextLines(Dir + fileName, lines);
}

bool TBackup::MoveDeletedItem(const std::wstring& path) {
  LastMoveError = ERROR_PATH_NOT_FOUND;
  if (Dir.empty()) return false;
  const std::wstring former = platform::ExcludeTrailingBackslash(path);
  const std::wstring name = platform::ExtractFileName(former);
  const std::wstring saved = Dir + name;
  LastMoveError = MoveItem(former, saved);
  if (LastMoveError != 0) return false;
  if (AppendTextLines(Dir + kIndexFile, {name + L":" + former})) return true;
  LastMoveError = ERROR_WRITE_FAULT;
  // Roll back: an item in the store without its index line could not be
  // restored.
  MoveItem(saved, former);
  return false;
}

bool TBackup::KeepCopyOf(const std::wstring& file) {
  if (Dir.empty()) return false;
  const std::wstring name = platform::ExtractFileName(file);
  const std::wstring saved = Dir + name;
  if (!platform::CopyFileTo(file, saved, true)) return false;
  if (CopiedWhole(file, saved) && AppendTextLines(Dir + kIndexFile, {name + L":" + file})) {
    return true;
  }
  platform::RemoveFile(saved);
  return false;
}

std::optional<BatchRecord> ReadBatchRecord(const std::wstring& folderPath) {
  const std::wstring folder = platform::IncludeTrailingBackslash(folderPath);
  if (!platform::FileExists(folder + kBatchFile)) return std::nullopt;
  std::optional<TextDocument> doc = LoadTextFile(folder + kBatchFile);
  if (!doc) return std::nullopt;
  BatchRecord record;
  for (const std::wstring& raw : doc->lines) {
    const std::wstring line = platform::Trim(raw);
    if (line.empty()) continue;
    if (line.starts_with(L"verb=")) {
      record.Verb = line.substr(5);
      continue;
    }
    if (!line.starts_with(L"part=")) return std::nullopt;
    const std::wstring name = line.substr(5);
    // Digits, "-", and the kind of the part: never a way out of the folder.
    const size_t dash = name.find(L'-');
    if (dash == 0 || dash == std::wstring::npos || dash + 2 != name.size() ||
        (name.back() != L'd' && name.back() != L'i')) {
      return std::nullopt;
    }
    for (size_t i = 0; i < dash; ++i) {
      if (name[i] < L'0' || name[i] > L'9') return std::nullopt;
    }
    record.Parts.push_back(name);
  }
  return record;
}

bool IsBatchFolder(const std::wstring& folder) { return ReadBatchRecord(folder).has_value(); }

bool TBackup::PruneFolder(const std::wstring& folder) {
  int count = 0;
  bool onlyInfo = false;
  for (const platform::FileEntry& entry :
       platform::EnumFiles(platform::IncludeTrailingBackslash(folder) + L"*")) {
    ++count;
    onlyInfo = !entry.IsDirectory() && platform::LowerCase(entry.name).starts_with(L"info.");
    if (count > 1) return false;
  }
  if (count != 1 || !onlyInfo) return false;
  return DeleteDirectoryTree(folder, true);
}

void TBackup::Scan() {
  if (!platform::DirectoryExists(storeDir_)) return;
  const std::wstring separator = SystemDecimalSeparator();
  std::vector<ScannedFolder> found;
  for (const platform::FileEntry& entry : platform::EnumFiles(storeDir_ + L"\\*")) {
    if (!entry.IsDirectory()) continue;
    const std::wstring full = storeDir_ + L"\\" + entry.name;
    if (PruneFolder(full)) continue;
    size_t dash = entry.name.find(L'-');
    if (dash == std::wstring::npos) continue;
    std::wstring stampText = entry.name.substr(0, dash);
    std::wstring kind = entry.name.substr(dash + 1);
    std::optional<double> stamp = ParseStamp(stampText, separator);
    if (!stamp || (kind != L"s" && kind != L"d" && kind != L"i")) continue;
    found.push_back({*stamp, entry.name, stampText, kind[0]});
  }
  // The directory enumeration has no order of its own on every file system:
  // list the backups as they were taken.
  std::sort(found.begin(), found.end(), [](const ScannedFolder& a, const ScannedFolder& b) {
    return a.stamp != b.stamp ? a.stamp < b.stamp : a.name < b.name;
  });
  for (const ScannedFolder& folder : found) {
    const std::wstring full = storeDir_ + L"\\" + folder.name;
    HICON icon = icons_.Settings;
    std::wstring item;
    int parts = -1;
    std::wstring verb;
    if (std::optional<BatchRecord> batch = ReadBatchRecord(full + L"\\")) {
      parts = 0;
      for (const std::wstring& part : batch->Parts) {
        if (platform::DirectoryExists(full + L"\\" + part)) ++parts;
      }
      verb = batch->Verb;
    }
    if (folder.kind != L's') {
      icon = folder.kind == L'd' ? icons_.Deleted : icons_.Installed;
      item = FirstLine(full + L"\\info." + folder.kind);
      if (!item.empty() && platform::FileExists(item)) {
        if (HICON own = GetFileIcon(item)) icon = own;
      }
    }
    Stamps.push_back(folder.stampText);
    Kinds.push_back(std::wstring(1, folder.kind));
    Icons.push_back(icon);
    ItemPaths.push_back(item);
    PartCounts.push_back(parts);
    BatchVerbs.push_back(verb);
    folders_.push_back(full);
  }
}

void TBackup::AddEntries() {
  const std::wstring separator = SystemDecimalSeparator();
  for (size_t i = 0; i < folders_.size(); ++i) {
    const wchar_t kind = Kinds[i][0];
    TVirtualTreeItem item;
    item.Order = static_cast<int32_t>(i);
    item.ParentIndex = 0;
    item.Path = kBackupPath;
    item.Name = std::to_wstring(i + 1) + L"." +
                (kind == L's' ? std::wstring(texts::kSettingsBackupName)
                              : platform::ExtractFileName(ItemPaths[i]));
    ShortenEntryName(item);
    std::optional<double> stamp = ParseStamp(Stamps[i], separator);
    item.Info = (stamp ? FormatDateTime(*stamp) : Stamps[i]) +
                (kind == L's'   ? Tr(texts::kSettingsBackupLabel)
                 : kind == L'd' ? Tr(texts::kDeletedLabel)
                                : Tr(texts::kInstalledLabel));
    if (PartCounts[i] >= 0) {
      const std::wstring& verb = BatchVerbs[i];
      item.Info = (stamp ? FormatDateTime(*stamp) : Stamps[i]) +
                  (verb == kBatchVerbInstalled ? Tr(texts::kBatchInstalledLabel)
                   : verb == kBatchVerbUpdated ? Tr(texts::kBatchUpdatedLabel)
                                               : Tr(texts::kBatchDeletedLabel)) +
                  std::to_wstring(PartCounts[i]) +
                  (PartCounts[i] == 1 ? Tr(texts::kOnePluginCount) : Tr(texts::kPluginsCount));
    }
    item.Status = kind == L'd' ? L"!" : kind == L'i' ? L"*" : L"";
    item.IsBackupEntry = true;
    item.RestoreDeleted = kind == L'd';
    item.RestoreInstalled = kind == L'i';
    item.RestoreSettings = kind == L's';
    item.IsFolder = kind == L's';
    item.MyFile = folders_[i];
    item.Icon = Icons[i];
    const std::wstring childPath = item.FolderPath();
    int parent = tree_.Append(std::move(item));
    if (parent < 0) return;
    entries_.push_back(parent);
    if (kind != L's') continue;

    std::optional<TextDocument> index = LoadTextFile(folders_[i] + L"\\" + kIndexFile);
    if (!index) continue;
    int order = 0;
    for (const std::wstring& line : index->lines) {
      std::optional<SavedFile> saved = ParseIndexLine(line);
      if (!saved) continue;
      TVirtualTreeItem child;
      child.Order = order++;
      child.ParentIndex = parent;
      child.Path = childPath;
      child.Name = saved->SavedName;
      child.Info = saved->SourcePath;
      child.IsBackupEntry = true;
      child.RestoreSettings = true;
      child.MyFile = folders_[i];
      child.Icon = icons_.Settings;
      int added = tree_.Append(std::move(child));
      if (added < 0) return;
      entries_.push_back(added);
    }
  }
}

}  // namespace orvelle
