// Line-oriented access to the host's text files (configuration, menus, bars,
// the plugin's own backup records). Files are decoded once when read and
// encoded once when written; callers only see wide lines.
#pragma once

#include "util/text_codec.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

// The bytes of a whole file, opened with write access denied to others;
// nullopt when it cannot be opened or read (or is far larger than any
// configuration file).
std::optional<std::string> ReadFileBytes(const std::wstring& path);

// Reads and decodes a whole file, opened with write access denied to others;
// nullopt when it cannot be opened or read. codePage is the one of ANSI files.
std::optional<TextDocument> LoadTextFile(const std::wstring& path, UINT codePage = CP_ACP);

// Writes doc to path. A new file is written directly (and removed again when
// the write fails); an existing one is replaced through path + "~" and
// path + "~~" (SwapInReplacement), so it is never left missing or half
// written. An ANSI document holding text that codePage cannot hold is
// written as UTF-16 (with its mark), so that no character turns into "?".
// False on any failure, the old file then unchanged.
bool SaveTextFile(const std::wstring& path, const TextDocument& doc, UINT codePage = CP_ACP);

// Puts tempFile in the place of path: path is renamed to path + "~~", tempFile
// to path, and path + "~~" is deleted. When the second rename fails, "~~" is
// renamed back, so path is never left missing. path keeps its attributes. A
// read-only path is not replaced. On failure tempFile is deleted when possible
// and false returned.
bool SwapInReplacement(const std::wstring& path, const std::wstring& tempFile);

// Writes all bytes to an open file and flushes them to the disk; false on
// any failure.
bool WriteAndFlush(HANDLE file, std::string_view bytes);

// Writes bytes to a new or truncated file and flushes them to the disk (or
// leaves that to the thread's FlushGroup, util/flush_group.h); false (and
// the partial file deleted) on failure.
bool WriteWholeFile(const std::wstring& path, std::string_view bytes);

// Appends lines to a file of the plugin's own (backup records), creating it
// when missing: ANSI when the lines fit the code page, else UTF-16 LE with the
// mark; an existing file keeps its encoding (and is converted to UTF-16 first
// when an ANSI file would lose characters). The file is rewritten through
// SaveTextFile, so a failure leaves the old content. False on failure.
bool AppendTextLines(const std::wstring& path, const std::vector<std::wstring>& lines,
                     UINT codePage = CP_ACP);

// AppendTextLines for a record that grows a line at a time while an
// operation runs (the parts of a batch): the lines are written behind the
// bytes already there and flushed (as WriteWholeFile does), instead of the
// file being rewritten.
// A write that fails is cut off again, so the file keeps what it had. Falls
// back to AppendTextLines where the lines cannot simply follow (a missing
// file, a last line without its line end, characters an ANSI file cannot
// hold).
bool AppendLinesInPlace(const std::wstring& path, const std::vector<std::wstring>& lines,
                        UINT codePage = CP_ACP);

// A text file handle that reads the host's files in any of the four
// encodings, line by line.
class TTextFileAW {
 public:
  explicit TTextFileAW(std::wstring fileName, bool readOnly = true);
  // Loads the file; false when it cannot be opened or read.
  bool Reset(UINT codePage = CP_ACP);
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
