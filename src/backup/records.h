// The record files of a backup folder: what a change took out of My
// installation, written before the change and read back by the restore.
//
// Deleted-item folder ("-d"):
//   info.d          one line: where the deleted plugin or file lies in the
//                   folder (its icon and name in "\Backup").
//   index.d         one line per item moved into the folder, in the order
//                   moved: saved name + ":" + the full path it came from. A
//                   restore moves every one back (the last first).
//   <name>.d        one per configuration, menu or bar file that lost lines,
//                   named after that file (a second file of the same name
//                   gets "<name>.2.d"...). Layout, one item per line:
//                     file=<full path of the file the lines came from>
//                     group=<occurrence>:<anchor line number>:<anchor line>
//                     numbers=<leading|trailing>:<n>,<n>...   (renumbered entries)
//                     count=<key>:<amount>                   (a lowered count)
//                     <line number>:<the removed line as written>
//                   A group is a section (anchor: its header line) or a
//                   submenu (anchor: its POPUP line); occurrence tells which
//                   of several lines like the anchor it was, the line numbers
//                   are those of the file before the change. See
//                   tc/line_removal.h for how they are put back.
// Each record file goes once its lines are back, and index.d once every
// item is, so a restore that stops half-way goes on from there next time.
//
// A change that replaces an item keeps what it replaced the same way: moved
// into a deleted-item folder, listed in its index.d, and restored from there.
// Installed-item folders ("-i": info.i, index.i, <name>.i) name what an
// installation added.
#pragma once

#include "tc/line_removal.h"

#include <optional>
#include <string>
#include <vector>

namespace orvelle {

inline constexpr wchar_t kMovedItemsFile[] = L"index.d";
inline constexpr wchar_t kDeletedInfoFile[] = L"info.d";

std::vector<std::wstring> FormatRemovalRecord(const FileRemoval& removal);
// nullopt when the lines are not such a record.
std::optional<FileRemoval> ParseRemovalRecord(const std::vector<std::wstring>& lines);

// The name of the record for a file in a folder: the file's name + ".d",
// numbered when the folder holds that name already or it would pass for
// one of the folder's own files.
std::wstring RecordFileName(const std::wstring& folder, const std::wstring& file);

// Whether a file of a backup folder (by name) is a record of removed lines;
// movedNames are the items of index.d, which are never records.
bool IsRemovalRecordName(const std::wstring& name, const std::vector<std::wstring>& movedNames);

}  // namespace orvelle
