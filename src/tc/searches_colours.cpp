#include "tc/searches_colours.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tree/status_dates.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "tc/ini_line.h"
#include "tc/ttc.h"
#include "util/text_file.h"
#include "util/text_file_edit.h"

#include <windows.h>

#include <algorithm>
#include <functional>
#include <optional>

namespace orvelle {

namespace {

// The plugin's root as the host addresses a file-system plugin.
constexpr wchar_t kSearchIn[] = L"\\\\\\Orvelle\\";
constexpr wchar_t kSearchFor[] = L"*.*";
constexpr std::wstring_view kColorFilter = L"colorfilter";

// Where the number of a user's colour-filter key stands in its line: the
// line is prefix + number + rest. Only keys the reader also counts as
// numbered (1 to 99999 in plain digits) are found.
struct FilterNumber {
  size_t start = 0;
  size_t length = 0;
  int value = 0;
};

std::optional<FilterNumber> FindFilterNumber(const std::wstring& line) {
  const size_t keyStart = line.find_first_not_of(L" \t");
  const size_t eq = line.find(L'=');
  if (keyStart == std::wstring::npos || eq == std::wstring::npos || eq < keyStart) return {};
  const size_t digits = keyStart + kColorFilter.size();
  if (digits > eq ||
      platform::LowerCase(std::wstring_view(line).substr(keyStart, kColorFilter.size())) !=
          kColorFilter) {
    return {};
  }
  size_t end = digits;
  while (end < eq && line[end] >= L'0' && line[end] <= L'9') ++end;
  int value = 0;
  if (!ParseKeyNumber(std::wstring_view(line).substr(digits, end - digits), 1, value)) return {};
  return FilterNumber{digits, end - digits, value};
}

// A copy of doc with lines inserted before position `at` (lines.size() for
// the end); the new lines have no line end of their own.
TextDocument InsertLines(const TextDocument& doc, size_t at, const std::vector<std::wstring>& added) {
  TextDocument out = doc;
  out.lineEnds.resize(out.lines.size());
  out.lines.insert(out.lines.begin() + static_cast<std::ptrdiff_t>(at), added.begin(), added.end());
  out.lineEnds.insert(out.lineEnds.begin() + static_cast<std::ptrdiff_t>(at), added.size(),
                      std::wstring());
  return out;
}

// The index right after the first header of the section (lower-cased
// header), or nullopt when the file has none.
std::optional<size_t> AfterFirstHeader(const TextDocument& doc, std::wstring_view header) {
  for (size_t i = 0; i < doc.lines.size(); ++i) {
    if (OpensSection(doc.lines[i]) && SectionHeaderOf(doc.lines[i]) == header) return i + 1;
  }
  return std::nullopt;
}

// The lines added after the section's header, or as a new section (with the
// header as the host writes it) at the end.
TextDocument OpenSectionWith(const TextDocument& doc, std::wstring_view header,
                             const wchar_t* newHeader, std::vector<std::wstring> added) {
  if (std::optional<size_t> at = AfterFirstHeader(doc, header)) {
    return InsertLines(doc, *at, added);
  }
  added.insert(added.begin(), newHeader);
  return InsertLines(doc, doc.lines.size(), added);
}

template <typename Names>
bool ContainsNoCase(const Names& names, std::wstring_view name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::wstring& n) { return platform::EqualsNoCase(n, name); });
}

// Rewrites one file in its own encoding, keeping its old content as file +
// ".bkp". A file whose text does not come back exactly as read is not
// touched. Empty when done, else what the user is told.
std::wstring RewriteWithBackup(const std::wstring& file,
                               const std::function<TextDocument(const TextDocument&)>& change) {
  // A read-only file is one the host cannot write either: leave it alone.
  const DWORD attributes = platform::FileAttributes(file);
  std::optional<std::string> bytes;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) == 0) {
    bytes = ReadFileBytes(file);
  }
  if (!bytes) return Tr(texts::kSettingsFileNotWritten) + file;
  if (!DecodesExactly(*bytes)) return Tr(texts::kSettingsFileNotExact) + file;
  const std::string written = EncodeText(change(DecodeText(*bytes)));
  // The previous state goes to ".bkp" before the new one is swapped in; the
  // swap renames through a temporary name and puts the file back when it
  // fails, so the configuration is never missing.
  const std::wstring temp = file + L"~";
  if (!WriteWholeFile(temp, written)) return Tr(texts::kSettingsFileNotWritten) + file;
  if (!WriteWholeFile(file + L".bkp", *bytes)) {
    platform::RemoveFile(temp);
    return Tr(texts::kSettingsFileNotWritten) + file;
  }
  if (!SwapInReplacement(file, temp)) return Tr(texts::kSettingsFileNotWritten) + file;
  return {};
}

}  // namespace

std::wstring MarkerSearchFlags(std::wstring_view sign) {
  const std::wstring day = FormatDay(StatusDay(sign));
  return L"0|000002000020|" + day + L"|" + day + L"|||||||0000|";
}

SearchColourChanges AddMarkerSearches(TTC& model) {
  SearchColourChanges changes;
  for (size_t i = 0; i < std::size(kMarkerSearches); ++i) {
    const MarkerSearch& search = kMarkerSearches[i];
    if (ContainsNoCase(model.SearchNames, search.SearchName)) continue;
    // Names are kept lower-cased, as the reader keeps them.
    model.SearchNames.push_back(platform::LowerCase(search.SearchName));
    model.SearchFor.push_back(kSearchFor);
    model.SearchIn.push_back(kSearchIn);
    model.SearchText.push_back(L"");
    model.SearchFlags.push_back(MarkerSearchFlags(search.Sign));
    model.SearchPlugin.push_back(L"");
    changes.AddedSearches.push_back(i);
  }
  for (const MarkerSearch& search : kMarkerSearches) {
    if (ContainsNoCase(model.ColorFilters, search.FilterName)) continue;
    // The lists are parallel; a colour list the reader left shorter is
    // padded first so that the insertion keeps every pair together.
    if (model.ColorFilterColors.size() < model.ColorFilters.size()) {
      model.ColorFilterColors.resize(model.ColorFilters.size());
    }
    model.ColorFilters.insert(model.ColorFilters.begin(), std::wstring(search.FilterName));
    model.ColorFilterColors.insert(model.ColorFilterColors.begin(), std::wstring(search.Colour));
    ++changes.AddedFilters;
  }
  return changes;
}

TextDocument InsertSearchLines(const TextDocument& doc, const std::vector<size_t>& addedSearches) {
  std::vector<std::wstring> added;
  for (size_t i : addedSearches) {
    const MarkerSearch& search = kMarkerSearches[i];
    const std::wstring name(search.SearchName);
    added.push_back(name + L"_SearchFor=" + kSearchFor);
    added.push_back(name + L"_SearchIn=" + kSearchIn);
    added.push_back(name + L"_SearchText=");
    added.push_back(name + L"_SearchFlags=" + MarkerSearchFlags(search.Sign));
  }
  return OpenSectionWith(doc, L"[searches]", L"[Searches]", std::move(added));
}

TextDocument InsertColourFilterLines(const TextDocument& doc, const TTC& model, size_t added) {
  // The user's filters move behind the new ones, every key with its filter;
  // each renumbered line keeps the rest of its bytes and its line end.
  TextDocument renumbered = doc;
  bool inColours = false;
  for (std::wstring& line : renumbered.lines) {
    if (OpensSection(line)) {
      inColours = SectionHeaderOf(line) == L"[colors]";
      continue;
    }
    if (!inColours) continue;
    if (std::optional<FilterNumber> n = FindFilterNumber(line)) {
      line.replace(n->start, n->length, std::to_wstring(n->value + static_cast<int>(added)));
    }
  }
  std::vector<std::wstring> filters;
  for (size_t n = 0; n < added && n < model.ColorFilters.size(); ++n) {
    const std::wstring number = std::to_wstring(n + 1);
    filters.push_back(L"ColorFilter" + number + L"=" + model.ColorFilters[n]);
    filters.push_back(L"ColorFilter" + number + L"Color=" +
                      (n < model.ColorFilterColors.size() ? model.ColorFilterColors[n] : L""));
  }
  return OpenSectionWith(renumbered, L"[colors]", L"[Colors]", std::move(filters));
}

std::vector<std::wstring> WriteMarkerSearches(TTC& model) {
  const SearchColourChanges changes = AddMarkerSearches(model);
  std::vector<std::wstring> problems;
  if (!changes.Any()) return problems;
  auto fileOf = [&model](int slot) {
    const std::wstring& file = model.SlotFile(slot);
    return file.empty() ? model.IniFile : file;
  };
  const std::wstring searchesFile = fileOf(kSlotSearches);
  const std::wstring coloursFile = fileOf(kSlotColors);
  bool searchesFailed = false;
  if (!changes.AddedSearches.empty()) {
    std::wstring problem = RewriteWithBackup(searchesFile, [&](const TextDocument& doc) {
      return InsertSearchLines(doc, changes.AddedSearches);
    });
    searchesFailed = !problem.empty();
    if (searchesFailed) problems.push_back(std::move(problem));
  }
  // When both sections live in one file this pass starts from the first
  // one's result; after a failed first pass that file is left alone.
  if (changes.AddedFilters > 0 &&
      !(searchesFailed && platform::EqualsNoCase(searchesFile, coloursFile))) {
    std::wstring problem = RewriteWithBackup(coloursFile, [&](const TextDocument& doc) {
      return InsertColourFilterLines(doc, model, changes.AddedFilters);
    });
    if (!problem.empty()) problems.push_back(std::move(problem));
  }
  return problems;
}

bool EnsureSearchesAndColours(TTC& model) {
  WriteMarkerSearches(model);
  return true;
}

}  // namespace orvelle
