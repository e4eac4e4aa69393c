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
//                     numbers=<leading|trailing|marker>:<n>,<n>... (renumbered entries)
//                     count=<key>:<amount>                   (a lowered count)
//                     <line number>:<the removed line as written>
//                     end=<lf|cr|crlf>   (after a line whose line end was
//                                         not the file's usual one)
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
//
// Installed-item folder ("-i"), what an add put into My installation:
//   info.i          one line: the installed plugin file (its icon and name).
//   copying.i       while a copy runs: the folder it is made in, the folder
//                   it becomes and the folders above that the add created
//                   ("staging=", "target=", "made=" lines). Left behind only
//                   by a copy that never ended (the host closed meanwhile),
//                   and then what undoing the add clears away.
//   index.i         the folder the add copied, once it stands whole under its
//                   name (first line), then a "made=" line per folder above
//                   it that the add created.
//   <name>.i        one per configuration file that gained lines, named after
//                   it as the ".d" records are. Layout:
//                     file=<full path of the file>
//                     section=<the section, lower-cased>
//                     header=added                 (the add made the section)
//                     encoding=made-utf16          (an ANSI file became UTF-16)
//                     line=<a line added, as written>
//                   Undoing the add takes out exactly these lines.
// Undoing an add moves what it copied into a new deleted-item folder and
// records the lines it takes out there, so that the undo can be undone too.
#pragma once

#include "tc/line_removal.h"
#include "tc/registration_writer.h"

#include <optional>
#include <string>
#include <vector>

namespace orvelle {

inline constexpr wchar_t kMovedItemsFile[] = L"index.d";
inline constexpr wchar_t kDeletedInfoFile[] = L"info.d";
inline constexpr wchar_t kInstalledInfoFile[] = L"info.i";
inline constexpr wchar_t kCopyingFile[] = L"copying.i";
inline constexpr wchar_t kCopiedFolderFile[] = L"index.i";

std::vector<std::wstring> FormatRemovalRecord(const FileRemoval& removal);
// nullopt when the lines are not such a record.
std::optional<FileRemoval> ParseRemovalRecord(const std::vector<std::wstring>& lines);

// The lines a registration added to a file, and back.
std::vector<std::wstring> FormatAddedRecord(const AddedLines& added);
// nullopt when the lines are not such a record.
std::optional<AddedLines> ParseAddedRecord(const std::vector<std::wstring>& lines);

// What a copy makes: the folder it copies into (while it runs), the one
// that folder becomes, and the folders above that the add created, the
// outermost first.
struct CopyInProgress {
  std::wstring Staging;
  std::wstring Target;
  std::vector<std::wstring> Made;
};
// copying.i, and index.i (no staging folder: the copy stands whole).
std::vector<std::wstring> FormatCopyingRecord(const CopyInProgress& copy);
std::optional<CopyInProgress> ParseCopyingRecord(const std::vector<std::wstring>& lines);
std::vector<std::wstring> FormatCopiedRecord(const CopyInProgress& copy);
std::optional<CopyInProgress> ParseCopiedRecord(const std::vector<std::wstring>& lines);

// The name of the record for a file in a folder: the file's name +
// extension (".d" for removed lines, ".i" for added ones), numbered when the
// folder holds that name already or it would pass for one of the folder's
// own files.
std::wstring RecordFileName(const std::wstring& folder, const std::wstring& file,
                            const std::wstring& extension = L".d");

// Whether a file of an installed-item folder (by name) is a record of
// added lines.
bool IsAddedRecordName(const std::wstring& name);

// Whether a file of a backup folder (by name) is a record of removed lines;
// movedNames are the items of index.d, which are never records.
bool IsRemovalRecordName(const std::wstring& name, const std::vector<std::wstring>& movedNames);

}  // namespace orvelle
