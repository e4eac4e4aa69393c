#include "plugin/listing.h"

#include "plugin/backup_folder.h"
#include "plugin/build_steps.h"
#include "plugin/entry_actions.h"
#include "tree/status_dates.h"
#include "plugin/tree_driver.h"
#include "tree/vars_conts.h"

namespace orvelle {

ListedEntry DescribeEntry(const TVirtualTreeItem& item) {
  ListedEntry e;
  if (item.IsFolder) {
    e.attributes = FILE_ATTRIBUTE_DIRECTORY;
  } else if (item.HasFiles) {
    e.attributes = item.Attributes;
  } else {
    e.attributes = FILE_ATTRIBUTE_NORMAL;
  }
  e.lastWrite = StatusDate(item.Status);
  e.sizeHigh = item.SizeHigh;
  e.sizeLow = item.SizeLow;
  e.name = item.Name;
  return e;
}

namespace {
FindResult ListedFirst(const PluginState& state, ListedEntry& out) {
  const int index = state.Tree.Tree.FindListed(state.Listing.CurrentDir, 0);
  if (index < 0) return FindResult::Empty;
  out = DescribeEntry(state.Tree.Tree[index]);
  return FindResult::Found;
}
}  // namespace

FindResult FindFirstEntry(PluginState& state, const std::wstring& path, ListedEntry& out) {
  if (state.Tree.TreeBuilding) return FindResult::Busy;
  ListingState& listing = state.Listing;
  listing.FindCounter = 0;
  // The host passes "\" or a folder below it. Anything else names no folder
  // of the plugin; an empty path above all is not the root, whose listing
  // starts a comparison.
  if (path.empty() || path.front() != L'\\') {
    listing.CurrentDir.clear();
    return FindResult::Empty;
  }
  listing.CurrentDir = path == L"\\" ? path : path + L"\\";
  if (state.OpenCommands > 0) return ListedFirst(state, out);
  CompleteFinishedAdds(state);

  if (listing.CurrentDir == L"\\" && !listing.RootRelisted) {
    BuildTree(state);
    listing.RootRelisted = listing.CurrentDir == listing.LastClosedDir;
  } else {
    listing.RootRelisted = false;
  }

  if (listing.CurrentDir == L"\\") {
    ShowBackupFolder(state);
  } else if (path == std::wstring(L"\\") + texts::kBackupFolder) {
    RefreshBackupFolder(state);
  }

  return ListedFirst(state, out);
}

bool FindNextEntry(PluginState& state, ListedEntry& out) {
  ListingState& listing = state.Listing;
  ++listing.FindCounter;
  int index = state.Tree.Tree.FindListed(listing.CurrentDir, listing.FindCounter);
  if (index < 0) return false;
  out = DescribeEntry(state.Tree.Tree[index]);
  return true;
}

void FindCloseListing(PluginState& state) { state.Listing.LastClosedDir = state.Listing.CurrentDir; }

void OnStatusInfo(PluginState& state, const std::wstring& remoteDir, int startEnd, int operation) {
  if (operation == host::FS_STATUS_OP_DELETE) {
    if (startEnd == host::FS_STATUS_START) {
      BeginDeleteSelection(state);
    } else if (startEnd == host::FS_STATUS_END) {
      EndDeleteSelection(state);
    }
    return;
  }
  if (startEnd != host::FS_STATUS_START || operation != host::FS_STATUS_OP_LIST) return;
  state.ListOperation = 6;
  int index = state.Tree.Tree.FindTreeItem(remoteDir);
  if (index >= 0 && state.Tree.Tree[index].ContentFolder) state.ListOperation = 0;
}

}  // namespace orvelle
