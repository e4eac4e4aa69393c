// The saved searches and colour filters that let the user find and colour the
// plugin's entries with the host's own tools: one saved search per comparison
// sign, selecting the entries of that sign by their marker date, and one
// colour filter per search. They are added to My installation's
// configuration when missing, and only then is a file written.
//
// The files are the user's: an edit adds the plugin's lines and renumbers the
// user's colour filters behind them, and leaves every other line as it was,
// byte for byte, line end included.
#pragma once

#include "util/text_codec.h"

#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

class TTC;

struct MarkerSearch {
  std::wstring_view Sign;        // the sign whose marker date the search selects
  std::wstring_view SearchName;  // the saved search
  std::wstring_view FilterName;  // the colour filter: ">" + the search's name
  std::wstring_view Colour;      // decimal colour, red in the low byte
};

// In the order they are added.
inline constexpr MarkerSearch kMarkerSearches[] = {
    {L">", L"Orvelle >", L">Orvelle >", L"16744527"},
    {L"<", L"Orvelle <", L">Orvelle <", L"12632256"},
    {L"<>", L"Orvelle <>", L">Orvelle <>", L"255"},
    {L"*", L"Orvelle *", L">Orvelle *", L"48896"},
    {L"!", L"Orvelle !", L">Orvelle !", L"12632256"},
    {L"=", L"Orvelle eq", L">Orvelle eq", L"0"},
    {L"", L"Orvelle Empty", L">Orvelle Empty", L"0"},
};

// The search flags that select one marker date (the listing's day of sign).
std::wstring MarkerSearchFlags(std::wstring_view sign);

struct SearchColourChanges {
  std::vector<size_t> AddedSearches;  // indexes into kMarkerSearches
  size_t AddedFilters = 0;            // filters put in front of the user's
  bool Any() const { return !AddedSearches.empty() || AddedFilters > 0; }
};

// Adds the missing searches (names compared without regard to case) as rows
// of the model's search lists, and the missing colour filters at the front of
// its filter lists, each new one before the ones added before it.
SearchColourChanges AddMarkerSearches(TTC& model);

// The searches file with the four lines of each added search right after
// its first "[searches]" header, or a new "[Searches]" section at the end
// when there is none.
TextDocument InsertSearchLines(const TextDocument& doc, const std::vector<size_t>& addedSearches);

// The colours file with the model's first `added` filters (the new ones)
// numbered 1.. right after its first "[colors]" header (or in a new
// "[Colors]" section at the end), and every key of the user's filters in
// "[colors]" sections, "ColorFilter" + N + anything ("Color", "ColorDark"
// and whatever the host adds), renumbered to N + added in place. Keys whose
// N is no number from 1 to 99999 are not the plugin's to move and stay as
// they are.
TextDocument InsertColourFilterLines(const TextDocument& doc, const TTC& model, size_t added);

// The whole step on My installation's model: adds what is missing and
// rewrites the searches file (section slot 5) and then the colours file
// (slot 9) when something was added. The old content of each written file
// is kept as file + ".bkp". A file that cannot be read back exactly as it is
// (damaged UTF-16 text), or cannot be rewritten, is left as it was. The
// result says, one text per file, what was not written and why; empty when
// all went well. The settings backup must have been taken before.
std::vector<std::wstring> WriteMarkerSearches(TTC& model);

// WriteMarkerSearches in the shape of the model's readers: always true, the
// comparison does not depend on it.
bool EnsureSearchesAndColours(TTC& model);

}  // namespace orvelle
