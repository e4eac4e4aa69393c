// The plugin's process-wide state: created when the library is loaded,
// destroyed when it is unloaded. Entry points reach it through State();
// tests create and reset it instead of fighting leftovers.
#pragma once

#include "backup/backup.h"
#include "compare/compare_context.h"
#include "operations/add_operation.h"
#include "plugin/host_api.h"
#include "tree/icon_set.h"
#include "tree/translation.h"
#include "tree/tree.h"
#include "tc/progress.h"
#include "tc/ttc.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

namespace orvelle {

struct HostLink {
  int PluginNumber = 0;
  // The host's progress callback, ANSI or wide, seen through wide text with
  // the plugin number bound; empty before FsInit.
  ProgressCallbackFn ProgressCallback;
  HWND HostWindow = nullptr;
};

struct PluginIdentity {
  HMODULE Module = nullptr;
  std::wstring PluginFile;        // full path of the plugin module
  std::wstring PluginDir;         // its directory, with trailing backslash
  std::wstring CommanderIniPath;  // COMMANDER_INI of the own process, lower-cased
  std::wstring HostProgramFile;   // the host process's main program file (My installation)
  bool LargeFonts = false;        // exactly 120 logical pixels per inch
  DWORD OwnProcessId = 0;
};

struct ListingState {
  std::wstring CurrentDir = L"\\";
  // Empty at load, so that the first listing of the root counts as entering
  // it: the next one, a refresh, asks whether to repeat the comparison.
  std::wstring LastClosedDir;
  bool RootRelisted = false;
  int FindCounter = 0;
};

struct TreeState {
  VirtualTree Tree;
  bool TreeBuilt = false;
  bool TreeBuilding = false;
  // The file-name part of the New installation's program file: the name of
  // the installation folder in the root (empty while none was found).
  std::wstring InstallationFolder;
  // The folders the comparison made, where the operations find them.
  FolderIndexes Folders;
  // What the current build could not do safely, told in the root beside
  // the listing.
  std::vector<std::wstring> Warnings;
};

struct PluginState {
  HostLink Host;
  PluginIdentity Identity;
  // Commands of the host that are running now, counted: a dialog or a
  // message box they show keeps dispatching messages, and a re-read the host
  // handles meanwhile calls in again. While it is above 0 nothing that a
  // running command may hold is rebuilt or released (see BusyScope).
  int OpenCommands = 0;
  // 6 after a listing started in an ordinary folder, 0 in a content folder;
  // 5 before any listing. Files are copied out only when it is not 6.
  int ListOperation = 5;
  TreeState Tree;
  // The language of My installation, read once per build (nullptr:
  // English); Tr() shows it.
  std::shared_ptr<const texts::Translation> Language;
  ListingState Listing;
  ProgressState Progress;
  SharedIcons Icons;
  // The two installations of the current build: the hosting one (My) and the
  // other running one (New).
  std::unique_ptr<TTC> MyModel, NewModel;
  // Between the host's status start and end of a delete: the deletes go
  // into one batch folder of the store.
  bool DeleteSelection = false;
  // Adds whose copy runs on its own thread, completed on the host's thread.
  PendingAdds Adds;
  // Declared last so that it goes first: its destructor takes its entries
  // out of the tree.
  std::unique_ptr<TBackup> Backup;
};

// Counts a command of the host as running for its lifetime. What the
// plugin answers when the host calls in while one runs:
// - a listing is served from the tree as it stands: no comparison is built
//   or asked for, the backup store is not read again, finished adds are not
//   completed (the command may hold the store object or entries of the
//   tree); the next listing after the command does all of it;
// - opening an entry, or the delete key, is refused as "busy" (an error for
//   the open, FALSE for the delete), as while a comparison is built;
// - columns, icons and copies out only read, and are served.
class BusyScope {
 public:
  explicit BusyScope(PluginState& state) : state_(state) { ++state_.OpenCommands; }
  ~BusyScope() { --state_.OpenCommands; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  PluginState& state_;
};

// True while a comparison is built or a command of the host runs.
inline bool IsBusy(const PluginState& state) {
  return state.Tree.TreeBuilding || state.OpenCommands > 0;
}

// Creates the state for the plugin module (null: the calling executable, as
// in tests). Light work only: it runs while the library is being loaded.
void CreateState(HMODULE module);
void DestroyState();
// The state; created on first use when the library was not loaded normally.
PluginState& State();

// Sends the host's main window the "reread source panel" command.
void RequestPanelReread(const PluginState& state);

}  // namespace orvelle
