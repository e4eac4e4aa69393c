#include "util/text_file_edit.h"

#include "platform/fs.h"
#include "platform/strings.h"


namespace orvelle {

namespace {
std::wstring_view SkipBlanks(std::wstring_view line) {
  const size_t first = line.find_first_not_of(L" \t");
  return first == std::wstring_view::npos ? std::wstring_view() : line.substr(first);
}
}  // namespace

bool OpensSection(std::wstring_view line) {
  line = SkipBlanks(line);
  return !line.empty() && line.front() == L'[';
}

std::wstring SectionHeaderOf(std::wstring_view line) {
  line = SkipBlanks(line);
  if (line.empty() || line.front() != L'[') return {};
  const size_t close = line.find(L']');
  if (close == std::wstring_view::npos) return {};
  return platform::LowerCase(line.substr(0, close + 1));
}

TTextFileEdit::TTextFileEdit(std::wstring fileName, UINT codePage)
    : FileName(std::move(fileName)), codePage_(codePage) {
  const std::wstring temp = FileName + L"~";
  if (platform::PathExists(temp) && !platform::RemoveFile(temp)) {
    OpenFailed = true;
    return;
  }
  // A read-only file is one the host cannot write either: leave it alone.
  const DWORD attributes = platform::FileAttributes(FileName);
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) != 0) {
    OpenFailed = true;
    return;
  }
  std::optional<TextDocument> source = LoadTextFile(FileName, codePage_);
  if (!source) {
    OpenFailed = true;
    return;
  }
  source_ = std::move(*source);
  target_.encoding = source_.encoding;
  target_.lineEnd = source_.lineEnd;
  target_.finalLineEnd = source_.finalLineEnd;
  temp_.reset(::CreateFileW(platform::LongPathForm(temp).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!temp_) {
    OpenFailed = true;
    return;
  }
  AtEnd = source_.lines.empty();
}

TTextFileEdit::~TTextFileEdit() {
  try {
    if (!finished_ && !OpenFailed) {
      Commit();
    } else {
      Abandon();
    }
  } catch (...) {
    // A destructor must not throw; the original file is intact whatever failed.
  }
}

std::wstring TTextFileEdit::ReadLine() {
  if (next_ >= source_.lines.size()) {
    AtEnd = true;
    return {};
  }
  currentEnd_ = next_ < source_.lineEnds.size() ? source_.lineEnds[next_] : std::wstring();
  currentWritten_ = false;
  CurrentLine = source_.lines[next_++];
  AtEnd = next_ >= source_.lines.size();
  if (OpensSection(CurrentLine)) Section = SectionHeaderOf(CurrentLine);
  return CurrentLine;
}

void TTextFileEdit::WriteLine(const std::wstring& line) {
  if (finished_ || OpenFailed) return;
  target_.lines.push_back(line);
  // The line read last, written back as it was, keeps its own line end.
  const bool unchanged = !currentWritten_ && line == CurrentLine;
  target_.lineEnds.push_back(unchanged ? currentEnd_ : std::wstring());
  if (unchanged) currentWritten_ = true;
}

bool TTextFileEdit::Commit() {
  if (finished_ || OpenFailed) {
    Abandon();
    return false;
  }
  finished_ = true;
  const std::wstring temp = FileName + L"~";
  const std::string bytes = EncodeText(target_, codePage_);
  const bool written = WriteAndFlush(temp_.get(), bytes);
  temp_.reset();
  if (!written) {
    platform::RemoveFile(temp);
    return false;
  }
  return SwapInReplacement(FileName, temp);
}

void TTextFileEdit::Abandon() {
  finished_ = true;
  if (temp_) {
    temp_.reset();
    platform::RemoveFile(FileName + L"~");
  }
}

TTextFileFind::TTextFileFind(std::wstring fileName, UINT codePage) : FileName(std::move(fileName)) {
  std::optional<TextDocument> doc = LoadTextFile(FileName, codePage);
  if (!doc) {
    OpenFailed = true;
    return;
  }
  doc_ = std::move(*doc);
  AtEnd = doc_.lines.empty();
}

bool TTextFileFind::Find(std::wstring subStr) {
  if (IgnoreCase) {
    subStr = platform::LowerCase(subStr);
    SectionFilter = platform::LowerCase(SectionFilter);
  }
  // Section headers are known lower-cased; so is the filter they meet.
  const std::wstring filter = platform::LowerCase(SectionFilter);
  while (next_ < doc_.lines.size() && (EndLine == 0 || LineNumber < EndLine)) {
    Line = doc_.lines[next_++];
    ++LineNumber;
    AtEnd = next_ >= doc_.lines.size();
    const std::wstring work = IgnoreCase ? platform::LowerCase(Line) : Line;
    if (OpensSection(work)) section_ = SectionHeaderOf(work);
    if (LineNumber < StartLine || subStr.empty()) continue;
    if (!filter.empty() && filter != section_) continue;
    size_t pos = std::wstring::npos;
    if (Column == 0) {
      pos = work.find(subStr);
    } else if (const size_t at = static_cast<size_t>(Column - 1);
               Column > 0 && at <= work.size() && work.compare(at, subStr.size(), subStr) == 0) {
      pos = at;
    }
    if (pos != std::wstring::npos) {
      FoundColumn = static_cast<int>(pos) + 1;
      return true;
    }
  }
  return false;
}

}  // namespace orvelle
