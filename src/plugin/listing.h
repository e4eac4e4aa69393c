// Serving the host's folder listings from the comparison tree.
#pragma once

#include "plugin/state.h"

#include <windows.h>

#include <cstdint>
#include <string>

namespace orvelle {

// What the host's find-data record gets for one entry.
struct ListedEntry {
  DWORD attributes = 0;
  FILETIME lastWrite{};
  uint32_t sizeHigh = 0;
  uint32_t sizeLow = 0;
  std::wstring name;
};

ListedEntry DescribeEntry(const TVirtualTreeItem& item);

enum class FindResult { Found, Empty, Busy };

// The first entry of a folder ("\" for the root, others without trailing
// backslash). Listing the root builds the comparison, or asks whether to
// repeat it; the listing right after such a rebuild is served as it is.
// While a command of the host runs (BusyScope) the tree is served as it is.
// A path that does not begin with a backslash (or none) lists nothing.
FindResult FindFirstEntry(PluginState& state, const std::wstring& path, ListedEntry& out);
bool FindNextEntry(PluginState& state, ListedEntry& out);
void FindCloseListing(PluginState& state);

// The host reports the start of a listing: files may be copied out only of
// content folders afterwards.
void OnStatusInfo(PluginState& state, const std::wstring& remoteDir, int startEnd, int operation);

}  // namespace orvelle
