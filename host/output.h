// Everything the harness prints goes through here: one line at a time, from
// any thread, in the order of events. Standard output carries UTF-8 with
// "\n" line ends; a console gets the text through WriteConsoleW instead, so
// that it shows the same letters. Standard output to a pipe or a file is
// buffered until FlushOutput (or a large buffer): under Wine one write per
// line costs more than the plugin's own work for the line. Standard error
// is written at once.
#pragma once

#include <string>
#include <string_view>

namespace tchost {

void PrintLine(std::wstring_view line);       // standard output
void PrintErrorLine(std::wstring_view line);  // standard error

// Writes the buffered lines of standard output. The harness calls it after
// each command and before it ends; `crashing` gives up rather than wait long
// for a thread that may never release the output.
void FlushOutput(bool crashing = false);

// Text made safe for one line: a tab, CR LF, CR and LF become the two
// characters "\t" or "\n"; everything else is kept as it is, backslashes too,
// so that paths read naturally.
std::wstring OneLine(std::wstring_view text);

// OneLine(text) in double quotes.
std::wstring Quoted(std::wstring_view text);

}  // namespace tchost
