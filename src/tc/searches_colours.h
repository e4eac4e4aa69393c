// The saved searches and colour filters that let the user find and colour the
// plugin's entries with the host's own tools: one saved search per comparison
// sign, selecting the entries of that sign by their marker date, and one
// colour filter per search. They are added to My installation's
// configuration when missing, and only then is a file written.
#pragma once

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
  bool ColoursChanged = false;
  bool Any() const { return !AddedSearches.empty() || ColoursChanged; }
};

// Adds the missing searches (names compared without regard to case) as rows
// of the model's search lists, and the missing colour filters at the front of
// its filter lists, each new one before the ones added before it.
SearchColourChanges AddMarkerSearches(TTC& model);

// The lines of the searches file with the four lines of each added search
// right after the first "[searches]" header (which is written "[Searches]"),
// or a new section at the end when there is none.
std::vector<std::wstring> InsertSearchLines(const std::vector<std::wstring>& lines,
                                            const std::vector<size_t>& addedSearches);

// The lines of the colours file with every "colorfilter..." line of its
// "[colors]" sections replaced by the model's whole filter list, written
// after the first header (as "[Colors]"), or a new section at the end.
std::vector<std::wstring> ReplaceColourFilterLines(const std::vector<std::wstring>& lines,
                                                   const TTC& model);

// The whole step on My installation's model: adds what is missing and
// rewrites the searches file (section slot 5) and then the colours file
// (slot 9) when something was added. The old content of each written file
// is kept as file + ".bkp". A file that cannot be rewritten is left as it
// was. Always true: the comparison does not depend on it.
bool EnsureSearchesAndColours(TTC& model);

}  // namespace orvelle
