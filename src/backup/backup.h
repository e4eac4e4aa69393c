// The backup store beside the plugin file: one folder per change the plugin
// makes to My installation, so that every change can be undone. Its folders
// are listed in the virtual "\Backup" folder.
//
// Layout: PluginDir + "backup\" + Stamp + "-" + Kind, where Stamp is the
// date-time of the backup written as a decimal number in the system's number
// format and Kind is "s" (the settings files taken on the first start), "d"
// (an item the plugin deleted) or "i" (an item it installed).
#pragma once

#include "util/date_time.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

class TTC;
class VirtualTree;

enum class BackupKind : wchar_t { Settings = L's', Deleted = L'd', Installed = L'i' };

// The icons the store's entries show when the item has none of its own.
struct BackupIcons {
  HICON Settings = nullptr;
  HICON Deleted = nullptr;
  HICON Installed = nullptr;
};

// The system's decimal separator (the user's locale), "." when unknown.
std::wstring SystemDecimalSeparator();

// A date-time value as a stamp: up to 15 significant digits, no grouping,
// the given decimal separator. Distinct milliseconds give distinct stamps.
std::wstring FormatStamp(double dateTime, std::wstring_view decimalSeparator);
// The value of a stamp written with that separator; nullopt when the text is
// not such a number as a whole.
std::optional<double> ParseStamp(std::wstring_view stamp, std::wstring_view decimalSeparator);

// One line of a settings backup's "index.d": the saved name inside the
// folder and the full path it was copied from (split at the first ":").
struct SavedFile {
  std::wstring SavedName;
  std::wstring SourcePath;
};
std::optional<SavedFile> ParseIndexLine(std::wstring_view line);

// The settings files of an installation in the order they are saved, with
// their saved names: group 0 the configuration file found for it and the
// file of each section slot 0-12 that is set, group 1 the language file,
// group 2 its ".ini" twin, group 3 the main menu file, groups 4... the
// button-bar files. A path that stands there twice (in any letter case) is
// saved once, under its first name. Existence is not checked here.
std::vector<SavedFile> SettingsFilesOf(const TTC& model);

// The record of a batch's folder: "verb=<what it did>", then one
// "part=<name>" line per part folder, in the order they were made.
inline constexpr wchar_t kBatchFile[] = L"batch.b";
inline constexpr wchar_t kBatchVerbInstalled[] = L"installed";
inline constexpr wchar_t kBatchVerbUpdated[] = L"updated";
inline constexpr wchar_t kBatchVerbDeleted[] = L"deleted";

struct BatchRecord {
  std::wstring Verb;
  std::vector<std::wstring> Parts;  // names of part folders ("0001-i"), checked
};
// nullopt when folder holds no batch record, or it is malformed (a part
// name that is no part's).
std::optional<BatchRecord> ReadBatchRecord(const std::wstring& folder);
bool IsBatchFolder(const std::wstring& folder);

class TBackup {
 public:
  // Scans the store below pluginDir ("...\", with its trailing backslash),
  // pruning the folders whose item is gone, and appends the entries of the
  // "\Backup" folder to tree. The tree must outlive the object.
  TBackup(std::wstring pluginDir, VirtualTree& tree, const BackupIcons& icons);
  // Takes the entries it made out of the listing (the next object lists the
  // store afresh).
  ~TBackup();
  TBackup(const TBackup&) = delete;
  TBackup& operator=(const TBackup&) = delete;

  // The settings backup of the first start: true at once when the store
  // exists already. Otherwise makes the store and an "s" folder with a copy
  // of each existing settings file of the model and their "index.d". A
  // failure leaves neither the folder nor a store it made.
  bool MakeBackup(const TTC& my);
  // A "d" or "i" folder for one item: "d" records in "info.d" where the
  // deleted plugin file will lie once its directory has been moved in (with
  // fileOnly, the file itself); "i" records the installed item's path in
  // "info.i". A stamp that a folder of the store has already (two backups
  // in one clock tick) is stepped forward to the next free one. False, with
  // Dir empty, when the store or the folder cannot be made.
  bool MakeBackup(BackupKind kind, const std::wstring& itemPath, bool fileOnly = false);

  // Appends lines to Dir + fileName, creating it when missing. False when
  // there is no current folder or the file cannot be written.
  bool AppendLines(const std::wstring& fileName, const std::vector<std::wstring>& lines);

  // Moves a deleted file or directory into the current folder under its own
  // name; only when that worked is "Name:former path" appended to
  // "index.d". False when the move failed (nothing recorded then, and
  // LastMoveError holds the system's reason). Moves across volumes too.
  bool MoveDeletedItem(const std::wstring& path);
  // Puts a copy of a file into the current folder under its own name and
  // lists it in "index.d" as MoveDeletedItem does, for a file that is to be
  // replaced in place (never left missing) rather than moved. False when
  // the copy or its line could not be written (the copy is removed again).
  bool KeepCopyOf(const std::wstring& file);
  // Why the last MoveDeletedItem failed (a system error code); 0 after one
  // that worked.
  DWORD LastMoveError = 0;

  // Removes a folder that holds nothing but its "info." file (the item it
  // describes is gone). False when the folder is kept or cannot be removed.
  static bool PruneFolder(const std::wstring& folder);

  // A change made of several: between BeginBatch and EndBatch every
  // MakeBackup of a "d" or "i" folder makes a part inside the batch's own
  // folder ("0001-i", "0002-d"...) instead of a folder of the store, and
  // lists it in the batch's "batch.b" at once (so that a batch cut off by
  // the host closing is still restored whole). Each part is a folder of the
  // usual layout; restoring the batch restores its parts, the last first.
  // name is what "\Backup" calls the batch, verb what it did to the items
  // ("installed", "updated", "deleted": the comment counts its parts).
  // False when the folder cannot be made (not in a batch then).
  bool BeginBatch(BackupKind kind, const std::wstring& name, const std::wstring& verb);
  // Ends the batch: one without parts goes, one with a single part becomes
  // that part's own folder of the store when flatten (a selection of one
  // reads as the single change it is). Returns the folder that stands for
  // the batch (empty: none is left). Dir is empty afterwards.
  std::wstring EndBatch(bool flatten = true);
  bool InBatch() const { return !batchDir_.empty(); }
  // The batch's folder, with a trailing backslash.
  const std::wstring& BatchDir() const { return batchDir_; }

  // PluginDir + "backup", without trailing backslash.
  const std::wstring& StoreDir() const { return storeDir_; }

  // One row per listed folder, in the order of the listing (by stamp).
  std::vector<std::wstring> Stamps;
  std::vector<std::wstring> Kinds;
  std::vector<HICON> Icons;
  std::vector<std::wstring> ItemPaths;  // first line of the info file; empty for "s"
  // For a batch's folder the parts it holds, else -1; and its verb.
  std::vector<int> PartCounts;
  std::vector<std::wstring> BatchVerbs;
  // The folder of the backup taken last, with a trailing backslash; empty
  // before the first and after a failed one.
  std::wstring Dir;
  // The clock the stamps are taken from (local time).
  std::function<double()> Clock = Now;

 private:
  bool CreateFolder(BackupKind kind, bool& storeMade);
  void Scan();
  void AddEntries();

  std::wstring batchDir_;
  int batchParts_ = 0;
  std::wstring pluginDir_;
  std::wstring storeDir_;
  VirtualTree& tree_;
  BackupIcons icons_;
  std::vector<std::wstring> folders_;  // full paths, parallel to Stamps
  std::vector<int> entries_;           // tree indexes of the entries made
};

}  // namespace orvelle
