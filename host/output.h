// Everything the harness prints goes through here: one line at a time, from
// any thread, flushed at once so that the order of lines is the order of
// events. Standard output carries UTF-8 with "\n" line ends; a console gets
// the text through WriteConsoleW instead, so that it shows the same letters.
#pragma once

#include <string>
#include <string_view>

namespace tchost {

void PrintLine(std::wstring_view line);       // standard output
void PrintErrorLine(std::wstring_view line);  // standard error

// Text made safe for one line: a tab, CR LF, CR and LF become the two
// characters "\t" or "\n"; everything else is kept as it is, backslashes too,
// so that paths read naturally.
std::wstring OneLine(std::wstring_view text);

// OneLine(text) in double quotes.
std::wstring Quoted(std::wstring_view text);

}  // namespace tchost
