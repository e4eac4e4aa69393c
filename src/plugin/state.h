// The plugin's process-wide state: created when the library is loaded,
// destroyed when it is unloaded. Entry points reach it through State();
// tests create and reset it instead of fighting leftovers.
#pragma once

#include "backup/backup.h"
#include "compare/compare_context.h"
#include "operations/add_operation.h"
#include "plugin/host_api.h"
#include "tree/icon_set.h"
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
  // 6 after a listing started in an ordinary folder, 0 in a content folder;
  // 5 before any listing. Files are copied out only when it is not 6.
  int ListOperation = 5;
  TreeState Tree;
  ListingState Listing;
  ProgressState Progress;
  SharedIcons Icons;
  // The two installations of the current build: the hosting one (My) and the
  // other running one (New).
  std::unique_ptr<TTC> MyModel, NewModel;
  // Adds whose copy runs on its own thread, completed on the host's thread.
  PendingAdds Adds;
  // Declared last so that it goes first: its destructor takes its entries
  // out of the tree.
  std::unique_ptr<TBackup> Backup;
};

// Creates the state for the plugin module (null: the calling executable, as
// in tests). Light work only: it runs while the library is being loaded.
void CreateState(HMODULE module);
void DestroyState();
// The state; created on first use when the library was not loaded normally.
PluginState& State();

// Sends the host's main window the "reread source panel" command.
void RequestPanelReread(const PluginState& state);

}  // namespace orvelle
