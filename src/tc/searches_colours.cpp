#include "tc/searches_colours.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tree/status_dates.h"
#include "tc/ttc.h"
#include "util/text_file_edit.h"

#include <algorithm>
#include <functional>

namespace orvelle {

namespace {

// The plugin's root as the host addresses a file-system plugin.
constexpr wchar_t kSearchIn[] = L"\\\\\\Orvelle\\";
constexpr wchar_t kSearchFor[] = L"*.*";

bool IsColourFilterLine(const std::wstring& line) {
  return platform::LowerCase(line.substr(0, 11)) == L"colorfilter";
}

// The lines with the first section headed `header` (compared lower-cased)
// opened by `written` and the added lines; the lines of any such section for
// which drop() holds left out. Without such a section, a new one at the end.
std::vector<std::wstring> OpenSectionWith(const std::vector<std::wstring>& lines,
                                          std::wstring_view header, const wchar_t* written,
                                          const std::vector<std::wstring>& added,
                                          const std::function<bool(const std::wstring&)>& drop) {
  std::vector<std::wstring> out;
  bool opened = false;
  bool inSection = false;
  for (const std::wstring& line : lines) {
    if (!line.empty() && line.front() == L'[') {
      inSection = SectionHeaderOf(line) == header;
      if (inSection && !opened) {
        out.push_back(written);
        out.insert(out.end(), added.begin(), added.end());
        opened = true;
        continue;
      }
    } else if (inSection && drop(line)) {
      continue;
    }
    out.push_back(line);
  }
  if (!opened) {
    out.push_back(written);
    out.insert(out.end(), added.begin(), added.end());
  }
  return out;
}

template <typename Names>
bool ContainsNoCase(const Names& names, std::wstring_view name) {
  return std::any_of(names.begin(), names.end(),
                     [&](const std::wstring& n) { return platform::EqualsNoCase(n, name); });
}

// Rewrites one file line by line in its own encoding, keeping its old
// content as file + ".bkp". False, with the file unchanged, when it cannot be
// read or rewritten.
bool RewriteWithBackup(
    const std::wstring& file,
    const std::function<std::vector<std::wstring>(const std::vector<std::wstring>&)>& change) {
  TTextFileEdit edit(file);
  if (edit.OpenFailed) return false;
  std::vector<std::wstring> lines;
  while (!edit.AtEnd) lines.push_back(edit.ReadLine());
  for (const std::wstring& line : change(lines)) edit.WriteLine(line);
  // The previous state goes to ".bkp" before the new one is swapped in; the
  // swap renames through a temporary name and puts the file back when it
  // fails, so the configuration is never missing.
  const std::wstring backup = file + L".bkp";
  if (!::CopyFileW(file.c_str(), backup.c_str(), FALSE)) {
    edit.Abandon();
    return false;
  }
  return edit.Commit();
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
    changes.ColoursChanged = true;
  }
  return changes;
}

std::vector<std::wstring> InsertSearchLines(const std::vector<std::wstring>& lines,
                                            const std::vector<size_t>& addedSearches) {
  std::vector<std::wstring> added;
  for (size_t i : addedSearches) {
    const MarkerSearch& search = kMarkerSearches[i];
    const std::wstring name(search.SearchName);
    added.push_back(name + L"_SearchFor=" + kSearchFor);
    added.push_back(name + L"_SearchIn=" + kSearchIn);
    added.push_back(name + L"_SearchText=");
    added.push_back(name + L"_SearchFlags=" + MarkerSearchFlags(search.Sign));
  }
  return OpenSectionWith(lines, L"[searches]", L"[Searches]", added,
                         [](const std::wstring&) { return false; });
}

std::vector<std::wstring> ReplaceColourFilterLines(const std::vector<std::wstring>& lines,
                                                   const TTC& model) {
  std::vector<std::wstring> filters;
  for (size_t n = 0; n < model.ColorFilters.size(); ++n) {
    const std::wstring number = std::to_wstring(n + 1);
    filters.push_back(L"ColorFilter" + number + L"=" + model.ColorFilters[n]);
    filters.push_back(L"ColorFilter" + number + L"Color=" +
                      (n < model.ColorFilterColors.size() ? model.ColorFilterColors[n] : L""));
  }
  return OpenSectionWith(lines, L"[colors]", L"[Colors]", filters, IsColourFilterLine);
}

bool EnsureSearchesAndColours(TTC& model) {
  const SearchColourChanges changes = AddMarkerSearches(model);
  if (!changes.Any()) return true;
  auto fileOf = [&model](int slot) {
    const std::wstring& file = model.SlotFile(slot);
    return file.empty() ? model.IniFile : file;
  };
  if (!changes.AddedSearches.empty()) {
    RewriteWithBackup(fileOf(kSlotSearches), [&](const std::vector<std::wstring>& lines) {
      return InsertSearchLines(lines, changes.AddedSearches);
    });
  }
  if (changes.ColoursChanged) {
    // When both sections live in one file this pass starts from the first
    // one's result.
    RewriteWithBackup(fileOf(kSlotColors), [&](const std::vector<std::wstring>& lines) {
      return ReplaceColourFilterLines(lines, model);
    });
  }
  return true;
}

}  // namespace orvelle
