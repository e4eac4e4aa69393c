// Keeping each line's own line end through an edit. A file may mix CR LF and
// LF line ends; the editors work on its lines alone, so after they took
// lines out, put lines in or changed lines in place, every line that was
// there before gets its own end back, and a line that took the place of
// another (an entry renumbered) gets that one's.
#pragma once

#include "util/text_codec.h"

#include <string>
#include <vector>

namespace orvelle {

struct LineWithEnd {
  std::wstring Text;
  std::wstring End;  // "\r\n", "\n", "\r"; empty: none of its own
};

// Gives doc.lineEnds for doc.lines as edited from before.lines: lines kept
// as they were keep their ends; in a run of changed lines, the new ones take
// the ends of the old ones they replace, counted from the run's end; a new
// line left over takes the end of the first line of inserted with its text
// (each used once), else none of its own (the file's usual end). dropped,
// when given, receives the old lines left over, with their ends.
void CarryLineEnds(TextDocument& doc, const TextDocument& before,
                   std::vector<LineWithEnd> inserted = {},
                   std::vector<LineWithEnd>* dropped = nullptr);

}  // namespace orvelle
