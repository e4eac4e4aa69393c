// Line-by-line rewriting and searching of configuration files.
#pragma once

#include "util/text_file.h"

#include "platform/handle.h"

#include <string>

namespace orvelle {

// Rewrites one text file: each line is read, then written unchanged, changed,
// or dropped. The new content goes to FileName + "~" in the file's own
// encoding and code page; a line written back unchanged keeps its own line
// end, other lines get the file's first one; Commit() swaps it in by renaming
// FileName to FileName + "~~", "~" to FileName, and deleting "~~". A failed
// second rename renames "~~" back, so the file is never left missing. The
// destructor commits when the caller did not (and nothing failed); it never
// throws.
//
// The "~" file is created (and held open, write shared with nobody) by the
// constructor, so a second edit of the same file while this one runs fails
// with OpenFailed instead of overwriting this one's result.
class TTextFileEdit {
 public:
  explicit TTextFileEdit(std::wstring fileName, UINT codePage = CP_ACP);
  ~TTextFileEdit();
  TTextFileEdit(const TTextFileEdit&) = delete;
  TTextFileEdit& operator=(const TTextFileEdit&) = delete;

  // The next line; at the end an empty string, with AtEnd set.
  std::wstring ReadLine();
  void WriteLine(const std::wstring& line);
  // Swaps the new file in; false (file left as it was) on any failure, or
  // when the edit is already finished.
  bool Commit();
  // Drops the "~" file; the original stays untouched.
  void Abandon();

  // Set when a leftover "~" could not be deleted, the file could not be read
  // (missing, read-only, locked) or "~" could not be created.
  bool OpenFailed = false;
  // The last ReadLine reached the end; set from the start for an empty file.
  bool AtEnd = false;
  std::wstring CurrentLine;
  // "[...]" lower-cased, empty before the first header; headers are found
  // as the configuration reader finds them (blanks before "[" ignored).
  std::wstring Section;
  std::wstring FileName;

 private:
  UINT codePage_;
  TextDocument source_;
  TextDocument target_;
  platform::unique_hfile temp_;
  size_t next_ = 0;
  bool finished_ = false;
  std::wstring currentEnd_;      // the line end of CurrentLine in the file
  bool currentWritten_ = true;   // CurrentLine was written back already
};

// Forward search for a substring, by line range, column and section. One
// object serves consecutive Find calls, each going on after the line where
// the previous one stopped; the section read so far carries over.
class TTextFileFind {
 public:
  explicit TTextFileFind(std::wstring fileName, UINT codePage = CP_ACP);
  bool Find(std::wstring subStr);

  std::wstring FileName;
  bool OpenFailed = false;
  bool AtEnd = false;       // the last line read was the file's last
  int LineNumber = 0;       // lines read so far
  int StartLine = 1;        // matches on lines below it do not count
  int EndLine = 0;          // reading stops once this line was read; 0 = no limit
  bool IgnoreCase = true;
  int Column = 0;           // 1-based position the match must start at; 0 = anywhere
  int FoundColumn = 0;
  std::wstring SectionFilter;  // "[name]"; empty = any section
  std::wstring Line;           // the last line read, as read

 private:
  TextDocument doc_;
  size_t next_ = 0;
  std::wstring section_;
};

// Whether the line starts a section: its first character other than a blank
// or tab is "[". The host and the configuration reader ignore such blanks,
// so every part of the plugin sees the same sections.
bool OpensSection(std::wstring_view line);

// The section header a line opens: from "[" up to and including the first
// "]", lower-cased, blanks before "[" ignored; empty when the line opens
// none (or has no "]").
std::wstring SectionHeaderOf(std::wstring_view line);

}  // namespace orvelle
