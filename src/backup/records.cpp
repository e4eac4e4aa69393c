#include "backup/records.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "util/text_helpers.h"

#include <algorithm>

namespace orvelle {

namespace {

constexpr std::wstring_view kFile = L"file=";
constexpr std::wstring_view kGroup = L"group=";
constexpr std::wstring_view kNumbers = L"numbers=";
constexpr std::wstring_view kCount = L"count=";
constexpr std::wstring_view kSection = L"section=";
constexpr std::wstring_view kHeaderAdded = L"header=added";
constexpr std::wstring_view kLine = L"line=";
constexpr std::wstring_view kMadeWide = L"encoding=made-utf16";
constexpr std::wstring_view kEnd = L"end=";

// A line end as a record writes it, and back.
std::wstring EndName(const std::wstring& end) {
  return end == L"\n" ? L"lf" : end == L"\r" ? L"cr" : L"crlf";
}
std::optional<std::wstring> EndOfName(std::wstring_view name) {
  if (name == L"lf") return L"\n";
  if (name == L"cr") return L"\r";
  if (name == L"crlf") return L"\r\n";
  return std::nullopt;
}
constexpr std::wstring_view kStaging = L"staging=";
constexpr std::wstring_view kTarget = L"target=";
constexpr std::wstring_view kMade = L"made=";

// The "made=" lines from index on; false when another line stands there.
bool ParseMadeLines(const std::vector<std::wstring>& lines, size_t index,
                    std::vector<std::wstring>& made) {
  for (size_t i = index; i < lines.size(); ++i) {
    if (!lines[i].starts_with(kMade) || lines[i].size() == kMade.size()) return false;
    made.emplace_back(lines[i].substr(kMade.size()));
  }
  return true;
}

bool ParseInt(std::wstring_view text, int& out, int minValue = 0) {
  long long value = 0;
  if (text.empty() || !ParseDecimal(text, value, minValue, 0x7FFFFFFF)) return false;
  out = static_cast<int>(value);
  return true;
}

std::wstring_view After(std::wstring_view line, std::wstring_view prefix) {
  return line.substr(prefix.size());
}

bool ParseGroup(std::wstring_view text, RemovedGroup& group) {
  const size_t first = text.find(L':');
  if (first == std::wstring_view::npos) return false;
  const size_t second = text.find(L':', first + 1);
  if (second == std::wstring_view::npos) return false;
  if (!ParseInt(text.substr(0, first), group.Occurrence) ||
      !ParseInt(text.substr(first + 1, second - first - 1), group.AnchorLine)) {
    return false;
  }
  group.Anchor = std::wstring(text.substr(second + 1));
  return group.Anchor.empty() == (group.Occurrence == 0);
}

bool ParseNumbers(std::wstring_view text, RemovedGroup& group) {
  const size_t colon = text.find(L':');
  if (colon == std::wstring_view::npos) return false;
  const std::wstring_view shape = text.substr(0, colon);
  if (shape == L"leading") {
    group.Numbering = EntryNumbering::Leading;
  } else if (shape == L"trailing") {
    group.Numbering = EntryNumbering::Trailing;
  } else if (shape == L"marker") {
    group.Numbering = EntryNumbering::Marker;
  } else {
    return false;
  }
  std::wstring_view rest = text.substr(colon + 1);
  while (!rest.empty()) {
    const size_t comma = rest.find(L',');
    int number = 0;
    if (!ParseInt(rest.substr(0, comma), number)) return false;
    group.RemovedNumbers.push_back(number);
    rest = comma == std::wstring_view::npos ? std::wstring_view() : rest.substr(comma + 1);
  }
  std::sort(group.RemovedNumbers.begin(), group.RemovedNumbers.end());
  return true;
}

bool ParseCount(std::wstring_view text, RemovedGroup& group) {
  const size_t colon = text.rfind(L':');
  if (colon == std::wstring_view::npos || colon == 0) return false;
  group.CountKey = std::wstring(text.substr(0, colon));
  return ParseInt(text.substr(colon + 1), group.CountDelta);
}

}  // namespace

std::vector<std::wstring> FormatRemovalRecord(const FileRemoval& removal) {
  std::vector<std::wstring> lines{std::wstring(kFile) + removal.File};
  for (const RemovedGroup& g : removal.Groups) {
    lines.push_back(std::wstring(kGroup) + std::to_wstring(g.Occurrence) + L":" +
                    std::to_wstring(g.AnchorLine) + L":" + g.Anchor);
    if (g.Numbering != EntryNumbering::None && !g.RemovedNumbers.empty()) {
      std::wstring numbers = g.Numbering == EntryNumbering::Leading  ? L"leading:"
                             : g.Numbering == EntryNumbering::Marker ? L"marker:"
                                                                     : L"trailing:";
      for (size_t i = 0; i < g.RemovedNumbers.size(); ++i) {
        numbers += (i ? L"," : L"") + std::to_wstring(g.RemovedNumbers[i]);
      }
      lines.push_back(std::wstring(kNumbers) + numbers);
    }
    if (!g.CountKey.empty() && g.CountDelta != 0) {
      lines.push_back(std::wstring(kCount) + g.CountKey + L":" + std::to_wstring(g.CountDelta));
    }
    for (const RemovedLine& line : g.Lines) {
      lines.push_back(std::to_wstring(line.LineNumber) + L":" + line.Text);
      // Only a line end other than the file's usual one: the line gets it
      // back when it returns.
      if (!line.End.empty()) lines.push_back(std::wstring(kEnd) + EndName(line.End));
    }
  }
  return lines;
}

std::optional<FileRemoval> ParseRemovalRecord(const std::vector<std::wstring>& lines) {
  if (lines.empty() || !lines[0].starts_with(kFile)) return std::nullopt;
  FileRemoval removal;
  removal.File = std::wstring(After(lines[0], kFile));
  if (removal.File.empty()) return std::nullopt;
  for (size_t i = 1; i < lines.size(); ++i) {
    std::wstring_view line = lines[i];
    if (line.starts_with(kGroup)) {
      RemovedGroup group;
      if (!ParseGroup(After(line, kGroup), group)) return std::nullopt;
      removal.Groups.push_back(std::move(group));
      continue;
    }
    if (removal.Groups.empty()) return std::nullopt;
    RemovedGroup& group = removal.Groups.back();
    if (line.starts_with(kNumbers)) {
      if (!ParseNumbers(After(line, kNumbers), group)) return std::nullopt;
    } else if (line.starts_with(kCount)) {
      if (!ParseCount(After(line, kCount), group)) return std::nullopt;
    } else if (line.starts_with(kEnd)) {
      std::optional<std::wstring> end = EndOfName(After(line, kEnd));
      if (!end || group.Lines.empty()) return std::nullopt;
      group.Lines.back().End = std::move(*end);
    } else {
      const size_t colon = line.find(L':');
      RemovedLine removed;
      if (colon == std::wstring_view::npos ||
          !ParseInt(line.substr(0, colon), removed.LineNumber, 1)) {
        return std::nullopt;
      }
      removed.Text = std::wstring(line.substr(colon + 1));
      group.Lines.push_back(std::move(removed));
    }
  }
  return removal;
}

std::vector<std::wstring> FormatAddedRecord(const AddedLines& added) {
  std::vector<std::wstring> lines{std::wstring(kFile) + added.File,
                                  std::wstring(kSection) + added.Header};
  if (added.HeaderAdded) lines.emplace_back(kHeaderAdded);
  if (added.MadeWide) lines.emplace_back(kMadeWide);
  for (const std::wstring& line : added.Lines) lines.push_back(std::wstring(kLine) + line);
  return lines;
}

std::optional<AddedLines> ParseAddedRecord(const std::vector<std::wstring>& lines) {
  if (lines.size() < 3 || !lines[0].starts_with(kFile) || !lines[1].starts_with(kSection)) {
    return std::nullopt;
  }
  AddedLines added;
  added.File = std::wstring(After(lines[0], kFile));
  added.Header = std::wstring(After(lines[1], kSection));
  for (size_t i = 2; i < lines.size(); ++i) {
    if (lines[i] == kHeaderAdded && i == 2) {
      added.HeaderAdded = true;
    } else if (lines[i] == kMadeWide && added.Lines.empty()) {
      added.MadeWide = true;
    } else if (lines[i].starts_with(kLine)) {
      added.Lines.emplace_back(After(lines[i], kLine));
    } else {
      return std::nullopt;
    }
  }
  if (added.File.empty() || added.Header.empty() || added.Lines.empty()) return std::nullopt;
  return added;
}

std::vector<std::wstring> FormatCopyingRecord(const CopyInProgress& copy) {
  std::vector<std::wstring> lines{std::wstring(kStaging) + copy.Staging,
                                  std::wstring(kTarget) + copy.Target};
  for (const std::wstring& made : copy.Made) lines.push_back(std::wstring(kMade) + made);
  return lines;
}

std::optional<CopyInProgress> ParseCopyingRecord(const std::vector<std::wstring>& lines) {
  if (lines.size() < 2 || !lines[0].starts_with(kStaging) || !lines[1].starts_with(kTarget)) {
    return std::nullopt;
  }
  CopyInProgress copy{std::wstring(After(lines[0], kStaging)),
                      std::wstring(After(lines[1], kTarget)), {}};
  if (copy.Staging.empty() || copy.Target.empty() || !ParseMadeLines(lines, 2, copy.Made)) {
    return std::nullopt;
  }
  return copy;
}

std::vector<std::wstring> FormatCopiedRecord(const CopyInProgress& copy) {
  std::vector<std::wstring> lines{copy.Target};
  for (const std::wstring& made : copy.Made) lines.push_back(std::wstring(kMade) + made);
  return lines;
}

std::optional<CopyInProgress> ParseCopiedRecord(const std::vector<std::wstring>& lines) {
  if (lines.empty() || lines[0].empty() || lines[0].starts_with(kMade)) return std::nullopt;
  CopyInProgress copy{{}, lines[0], {}};
  if (!ParseMadeLines(lines, 1, copy.Made)) return std::nullopt;
  return copy;
}

std::wstring RecordFileName(const std::wstring& folder, const std::wstring& file,
                            const std::wstring& extension) {
  std::wstring name = platform::ExtractFileName(file);
  const std::wstring lower = platform::LowerCase(name + extension);
  // "info.*", "index.*" and "copying.i" are the folder's own files (a folder
  // holding an "info." file alone counts as empty and goes).
  if (lower.starts_with(L"info.") || lower == kMovedItemsFile || lower == kCopiedFolderFile ||
      lower == kCopyingFile) {
    name = L"_" + name;
  }
  const std::wstring dir = platform::IncludeTrailingBackslash(folder);
  for (int n = 1;; ++n) {
    std::wstring candidate =
        n == 1 ? name + extension : name + L"." + std::to_wstring(n) + extension;
    if (!platform::PathExists(dir + candidate)) return candidate;
  }
}

bool IsAddedRecordName(const std::wstring& name) {
  const std::wstring lower = platform::LowerCase(name);
  return lower.ends_with(L".i") && lower != kInstalledInfoFile && lower != kCopiedFolderFile &&
         lower != kCopyingFile;
}

bool IsRemovalRecordName(const std::wstring& name, const std::vector<std::wstring>& movedNames) {
  const std::wstring lower = platform::LowerCase(name);
  if (!lower.ends_with(L".d") || lower == kMovedItemsFile || lower == kDeletedInfoFile) {
    return false;
  }
  return std::none_of(movedNames.begin(), movedNames.end(),
                      [&](const std::wstring& moved) { return platform::EqualsNoCase(moved, name); });
}

}  // namespace orvelle
