// Line-oriented access to the host's text files (configuration, menus, bars,
// the plugin's own backup records). Files are decoded once when read and
// encoded once when written; callers only see wide lines.
#pragma once

#include "util/text_codec.h"

#include <optional>
#include <string>
#include <vector>

namespace orvelle {

// Reads and decodes a whole file; nullopt when it cannot be opened or read.
std::optional<TextDocument> LoadTextFile(const std::wstring& path);

// Writes doc to path directly (create or truncate). False on any failure.
bool SaveTextFile(const std::wstring& path, const TextDocument& doc);

// Appends lines to a file of the plugin's own (backup records), creating it
// when missing: ANSI when the lines fit the code page, else UTF-16 LE with the
// mark; an existing file keeps its encoding (and is converted to UTF-16 first
// when an ANSI file would lose characters). False on failure.
bool AppendTextLines(const std::wstring& path, const std::vector<std::wstring>& lines);

// A text file handle that reads the host's files in any of the four
// encodings and writes lines in the file's own encoding.
class TTextFileAW {
 public:
  explicit TTextFileAW(std::wstring fileName, bool readOnly = true);
  // Loads the file; false when it cannot be opened or read.
  bool Reset();
  bool ReadLine(std::wstring& line);  // false at the end
  bool AtEnd() const;
  TextEncoding Encoding() const { return doc_.encoding; }
  const TextDocument& Document() const { return doc_; }
  const std::wstring& FileName() const { return fileName_; }
  bool ReadOnly() const { return readOnly_; }

 private:
  std::wstring fileName_;
  bool readOnly_;
  TextDocument doc_;
  size_t next_ = 0;
};

}  // namespace orvelle
