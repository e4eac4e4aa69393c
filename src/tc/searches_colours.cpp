#include "tc/searches_colours.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "plugin/status_dates.h"
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
  std::vector<std::wstring> out;
  bool inserted = false;
  for (const std::wstring& line : lines) {
    if (!inserted && SectionHeaderOf(line) == L"[searches]") {
      out.push_back(L"[Searches]");
      out.insert(out.end(), added.begin(), added.end());
      inserted = true;
      continue;
    }
    out.push_back(line);
  }
  if (!inserted) {
    out.push_back(L"[Searches]");
    out.insert(out.end(), added.begin(), added.end());
  }
  return out;
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
  std::vector<std::wstring> out;
  bool written = false;
  bool inColours = false;
  for (const std::wstring& line : lines) {
    if (!line.empty() && line.front() == L'[') {
      inColours = SectionHeaderOf(line) == L"[colors]";
      if (inColours && !written) {
        out.push_back(L"[Colors]");
        out.insert(out.end(), filters.begin(), filters.end());
        written = true;
        continue;
      }
    } else if (inColours && IsColourFilterLine(line)) {
      continue;
    }
    out.push_back(line);
  }
  if (!written) {
    out.push_back(L"[Colors]");
    out.insert(out.end(), filters.begin(), filters.end());
  }
  return out;
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
