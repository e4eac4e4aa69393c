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
      std::wstring numbers =
          g.Numbering == EntryNumbering::Leading ? L"leading:" : L"trailing:";
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

std::wstring RecordFileName(const std::wstring& folder, const std::wstring& file) {
  std::wstring name = platform::ExtractFileName(file);
  const std::wstring lower = platform::LowerCase(name + L".d");
  // "info.*" and "index.d" are the folder's own files (a folder holding an
  // "info." file alone counts as empty and goes).
  if (lower.starts_with(L"info.") || lower == kMovedItemsFile) name = L"_" + name;
  const std::wstring dir = platform::IncludeTrailingBackslash(folder);
  for (int n = 1;; ++n) {
    std::wstring candidate = n == 1 ? name + L".d" : name + L"." + std::to_wstring(n) + L".d";
    if (!platform::PathExists(dir + candidate)) return candidate;
  }
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
