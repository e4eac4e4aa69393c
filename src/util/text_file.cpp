#include "util/text_file.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "util/file_faults.h"
#include "util/flush_group.h"

#include <algorithm>
#include <limits>

namespace orvelle {

namespace {

// Configuration files are small; anything this large is not one of them.
constexpr uint64_t kMaxTextFileSize = 256u * 1024 * 1024;

bool ReadAll(HANDLE file, std::string& bytes) {
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file, &size) || static_cast<uint64_t>(size.QuadPart) > kMaxTextFileSize) {
    return false;
  }
  bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(bytes.size() - done);
    if (!::ReadFile(file, bytes.data() + done, want, &got, nullptr)) return false;
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  bytes.resize(done);
  return true;
}

bool WriteAll(HANDLE file, std::string_view bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD written = 0;
    const DWORD want = static_cast<DWORD>(
        std::min<size_t>(bytes.size() - done, std::numeric_limits<DWORD>::max()));
    if (!::WriteFile(file, bytes.data() + done, want, &written, nullptr) || written != want) {
      return false;
    }
    done += written;
  }
  return true;
}

// Before path is written: the thread's flush group when it holds path (the
// write leaves its flush to the group); otherwise every file of the group is
// flushed first, so that nothing outside it changes before them. False when
// that flush fails.
bool ReadyToWrite(const std::wstring& path, FlushGroup*& flushLater) {
  FlushGroup* group = FlushGroup::Current();
  flushLater = group && group->Holds(path) ? group : nullptr;
  return !group || flushLater || group->Flush();
}

// Writes bytes and flushes them: now, or with flushLater.
bool WriteAndFlushWith(HANDLE file, std::string_view bytes, const std::wstring& path,
                       FlushGroup* flushLater) {
  if (!flushLater) return WriteAndFlush(file, bytes);
  if (!WriteAll(file, bytes)) return false;
  flushLater->Remember(path);
  return true;
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
  platform::unique_hfile file(::CreateFileW(platform::LongPathForm(path).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return std::nullopt;
  std::string bytes;
  if (!ReadAll(file.get(), bytes)) return std::nullopt;
  return bytes;
}

std::optional<TextDocument> LoadTextFile(const std::wstring& path, UINT codePage) {
  std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  return DecodeText(*bytes, codePage);
}

bool WriteAndFlush(HANDLE file, std::string_view bytes) {
  return WriteAll(file, bytes) && ::FlushFileBuffers(file) != FALSE;
}

bool WriteWholeFile(const std::wstring& path, std::string_view bytes) {
  FlushGroup* flushLater = nullptr;
  if (InjectedFileFault(FileStep::WriteFile, path) || !ReadyToWrite(path, flushLater)) return false;
  platform::unique_hfile file(::CreateFileW(platform::LongPathForm(path).c_str(), GENERIC_WRITE,
                                            FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  const bool ok = WriteAndFlushWith(file.get(), bytes, path, flushLater);
  file.reset();
  if (!ok) platform::RemoveFile(path);
  return ok;
}

bool SwapInReplacement(const std::wstring& givenPath, const std::wstring& tempFile) {
  platform::scope_exit dropTemp([&] { platform::RemoveFile(tempFile); });
  // The replacement and every record of the group are on the disk before
  // the old file gives way.
  if (FlushGroup* group = FlushGroup::Current(); group && !group->Flush()) return false;
  // The file keeps its name as the user spelt it ("Wincmd.ini"), whatever
  // case the caller's path has: the renames below would otherwise give it
  // the caller's spelling, which a case-sensitive folder treats as another
  // file.
  const std::wstring path = platform::PathAsOnDisk(givenPath);
  const DWORD attributes = platform::FileAttributes(path);
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    return false;
  }
  const std::wstring old = path + L"~~";
  // A "~~" standing there is what an earlier swap failed to delete, an older
  // version of path; path itself exists, so replacing it loses nothing current.
  if (InjectedFileFault(FileStep::Rename, path) ||
      !platform::MovePath(path, old, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return false;
  }
  if (InjectedFileFault(FileStep::Rename, tempFile) ||
      !platform::MovePath(tempFile, path, MOVEFILE_WRITE_THROUGH)) {
    // Roll back: the old file goes back under its own name. Should even that
    // fail, it stays under "~~" rather than being deleted.
    platform::MovePath(old, path, MOVEFILE_WRITE_THROUGH);
    return false;
  }
  dropTemp.release();
  constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
  if ((attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
    platform::SetAttributes(path, attributes & kKept);
  }
  if (!InjectedFileFault(FileStep::DeleteFile, old)) platform::RemoveFile(old);
  return true;
}

bool SaveTextFile(const std::wstring& path, const TextDocument& doc, UINT codePage) {
  // Text the ANSI code page cannot hold ("安全 FTP" in a Western file) would
  // be written as "?": the file becomes UTF-16 instead, which the host reads
  // as well, and every character stays.
  std::string bytes;
  if (doc.encoding == TextEncoding::Ansi && !FitsCodePage(doc.lines, codePage)) {
    TextDocument wide = doc;
    wide.encoding = TextEncoding::Utf16LE;
    bytes = EncodeText(wide, codePage);
  } else {
    bytes = EncodeText(doc, codePage);
  }
  if (!platform::PathExists(path)) return WriteWholeFile(path, bytes);
  const std::wstring temp = path + L"~";
  return WriteWholeFile(temp, bytes) && SwapInReplacement(path, temp);
}

bool AppendTextLines(const std::wstring& path, const std::vector<std::wstring>& lines,
                     UINT codePage) {
  TextDocument doc;
  if (platform::PathExists(path)) {
    std::optional<TextDocument> old = LoadTextFile(path, codePage);
    if (!old) return false;
    doc = std::move(*old);
    if (doc.encoding == TextEncoding::Ansi && !FitsCodePage(lines, codePage)) {
      doc.encoding = TextEncoding::Utf16LE;
      doc.lineEnd = L"\r\n";
    }
  } else {
    doc.encoding = FitsCodePage(lines, codePage) ? TextEncoding::Ansi : TextEncoding::Utf16LE;
  }
  doc.lines.insert(doc.lines.end(), lines.begin(), lines.end());
  doc.finalLineEnd = true;
  return SaveTextFile(path, doc, codePage);
}

bool AppendLinesInPlace(const std::wstring& path, const std::vector<std::wstring>& lines,
                        UINT codePage) {
  FlushGroup* flushLater = nullptr;
  if (InjectedFileFault(FileStep::WriteFile, path) || !ReadyToWrite(path, flushLater)) return false;
  platform::unique_hfile file(::CreateFileW(platform::LongPathForm(path).c_str(),
                                            GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  std::string bytes;
  if (!file || !ReadAll(file.get(), bytes)) {
    file.reset();
    return AppendTextLines(path, lines, codePage);
  }
  const TextDocument old = DecodeText(bytes, codePage);
  if (!old.finalLineEnd || (old.encoding == TextEncoding::Ansi && !FitsCodePage(lines, codePage))) {
    file.reset();
    return AppendTextLines(path, lines, codePage);
  }
  TextDocument tail;
  tail.encoding = old.encoding;
  tail.lines = lines;
  tail.lineEnd = old.lineEnd;
  std::string more = EncodeText(tail, codePage);
  // The mark belongs at the file's start only.
  size_t mark = 0;
  if (old.encoding == TextEncoding::Utf8) {
    mark = 3;
  } else if (old.encoding != TextEncoding::Ansi) {
    mark = 2;
  }
  more.erase(0, std::min(mark, more.size()));
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(bytes.size());
  if (!::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN)) return false;
  if (WriteAndFlushWith(file.get(), more, path, flushLater)) return true;
  // Roll back: what the failed write left behind the old end goes again.
  ::SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN);
  ::SetEndOfFile(file.get());
  return false;
}

TTextFileAW::TTextFileAW(std::wstring fileName, bool readOnly)
    : fileName_(std::move(fileName)), readOnly_(readOnly) {}

bool TTextFileAW::Reset(UINT codePage) {
  next_ = 0;
  std::optional<TextDocument> doc = LoadTextFile(fileName_, codePage);
  doc_ = doc ? std::move(*doc) : TextDocument{};
  return doc.has_value();
}

bool TTextFileAW::ReadLine(std::wstring& line) {
  if (AtEnd()) return false;
  line = doc_.lines[next_++];
  return true;
}

bool TTextFileAW::AtEnd() const { return next_ >= doc_.lines.size(); }

}  // namespace orvelle
