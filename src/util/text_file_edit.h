// Line-by-line rewriting and searching of configuration files.
#pragma once

#include "util/text_file.h"

#include <string>

namespace orvelle {

// Rewrites one text file: each line is read, then written unchanged, changed,
// or dropped. The new content goes to FileName + "~" in the file's own
// encoding; Commit() swaps it in by renaming FileName to FileName + "~~",
// "~" to FileName, and deleting "~~". A failed second rename renames "~~"
// back, so the file is never left missing. The destructor commits when the
// caller did not (and nothing failed); it never throws.
class TTextFileEdit {
 public:
  explicit TTextFileEdit(std::wstring fileName);
  ~TTextFileEdit();
  TTextFileEdit(const TTextFileEdit&) = delete;
  TTextFileEdit& operator=(const TTextFileEdit&) = delete;

  std::wstring ReadLine();                 // empty and unchanged state at the end
  void WriteLine(const std::wstring& line);
  // Swaps the new file in; false (file left as it was) on any failure.
  bool Commit();
  // Drops the "~" file; the original stays untouched.
  void Abandon();

  bool OpenFailed = false;  // "~" could not be cleared, or a file not opened
  bool AtEnd = false;       // the last ReadLine reached the end
  std::wstring CurrentLine;
  std::wstring Section;     // "[...]" lower-cased, empty before the first header
  std::wstring FileName;

 private:
  TextDocument source_;
  TextDocument target_;
  size_t next_ = 0;
  bool finished_ = false;
};

// Forward search for a substring, by line range, column and section.
class TTextFileFind {
 public:
  explicit TTextFileFind(std::wstring fileName);
  bool Find(std::wstring subStr);

  std::wstring FileName;
  bool OpenFailed = false;
  bool AtEnd = false;
  int LineNumber = 0;
  int StartLine = 1;
  int EndLine = 0;
  bool IgnoreCase = true;
  int Column = 0;
  int FoundColumn = 0;
  std::wstring SectionFilter;
  std::wstring Line;

 private:
  TextDocument doc_;
  size_t next_ = 0;
};

}  // namespace orvelle
