// Taking entries out of the host's text files so that they can be put back
// exactly: which lines left which section or submenu, where they stood, and
// how the entries behind them were renumbered to close the gap.
//
// A group is one section of an ini-style file (anchored at its header line),
// one submenu of the main menu file (anchored at its POPUP line) or the lines
// before any of them (no anchor). A line keeps its line number in the file as
// it was before the removal; putting the lines of a file back in ascending
// order of those numbers, each at the same distance from its anchor, gives
// the file back line for line, and a section or submenu that moved because
// the lines above it changed meanwhile is still found by its anchor.
//
// Numbered entries: the host reads lister and content plugins ("0=", "0_detect=")
// and the buttons of a bar, the start menu and the directory menu ("cmd1=",
// "menu1="...) until the first missing number, so a removed entry leaves no
// gap: the entries behind it move down, and a bar's "Buttoncount" goes down
// with them. Putting the entry back moves them up again first. Only the digits
// of a renumbered key change; the rest of the line stays as written.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

// Where an entry's number stands in its keys.
enum class EntryNumbering {
  None,
  Leading,   // "2=...", "2_detect=..."
  Trailing,  // "cmd2=...", "button2=..."
  // "2=1": a section that marks some entries of a numbered section by their
  // numbers (the 64-bit host's "[ListerPlugins64]"). Its numbers follow the
  // entries it marks, and its gaps are meant: they are never closed.
  Marker,
};

struct RemovedLine {
  int LineNumber = 0;  // 1-based, in the file before the removal
  std::wstring Text;   // as written
  std::wstring End;    // its line end where it was not the file's usual one; else empty
};

struct RemovedGroup {
  std::wstring Anchor;  // the header or POPUP line as written; empty: no anchor
  int Occurrence = 0;   // the how-many-th line matching Anchor it was (1 = the first)
  int AnchorLine = 0;   // its 1-based line number before the removal; 0 without anchor
  EntryNumbering Numbering = EntryNumbering::None;
  std::vector<int> RemovedNumbers;  // the entry numbers taken out, ascending
  std::wstring CountKey;            // lower-cased key counting the entries, if any
  int CountDelta = 0;               // by how much its value went down
  std::vector<RemovedLine> Lines;   // ascending line numbers
};

// Everything one change took out of one file.
struct FileRemoval {
  std::wstring File;
  std::vector<RemovedGroup> Groups;
};

// The entry number of an entry line whose key has that shape; nullopt for
// comments, headers, lines without "=" and other keys.
std::optional<int> EntryNumberOf(std::wstring_view line, EntryNumbering numbering);
// The line with its entry number replaced (the key must have one).
std::wstring WithEntryNumber(std::wstring_view line, EntryNumbering numbering, int number);

// Whether a line is a section header ("[", blanks before it ignored), and
// whether it is an entry of a section (neither blank, nor comment, nor header).
bool IsSectionStart(std::wstring_view line);
bool IsEntryLine(std::wstring_view line);

using LineSelector = std::function<bool(const std::wstring& line)>;

// Removes the entry lines of every section whose header (lower-cased,
// "[name]") is header for which select holds. One group per section that
// lost lines.
std::vector<RemovedGroup> RemoveSectionLines(std::vector<std::wstring>& lines,
                                             std::wstring_view header, const LineSelector& select);

// Removes whole numbered entries from every section named header: an entry
// goes with all its lines when select holds for one of them. The entries
// behind it are renumbered down; the value of countKey (lower-cased, when
// given) goes down by the number of removed entries not above it.
std::vector<RemovedGroup> RemoveNumberedEntries(std::vector<std::wstring>& lines,
                                                std::wstring_view header,
                                                EntryNumbering numbering,
                                                const LineSelector& select,
                                                std::wstring_view countKey = {});

// Keeps a marker section (every section named header) in step with its
// numbered section that lost the entries removedNumbers: their marker lines
// go and the markers behind them move down. A section whose numbers all lie
// below the removed ones is left as it is; one that only moved keeps a group
// without lines, so that putting it back moves its markers up again.
std::vector<RemovedGroup> RemoveMarkerEntries(std::vector<std::wstring>& lines,
                                              std::wstring_view header,
                                              const std::vector<int>& removedNumbers);

// Removes the items of a main menu file whose command select accepts, as the
// menu reader takes items apart. One group per submenu that lost items.
std::vector<RemovedGroup> RemoveMenuItems(std::vector<std::wstring>& lines,
                                          const LineSelector& selectCommand);

// Puts the groups of one file back: renumbers the entries behind removed
// ones up again, restores counts, then inserts the lines. A group whose
// anchor is no longer in the file is appended at its end, a section with its
// header; a line never lands past the end of its section or submenu. A
// numbered section that had no gap before has none after (entries put back
// in another order than they were removed still all reach the host). A group
// whose lines (or numbered entries, under any number) all stand in its
// section again is left out: it is back already.
void Reinsert(std::vector<std::wstring>& lines, const std::vector<RemovedGroup>& groups);

}  // namespace orvelle
