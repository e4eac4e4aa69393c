// Small pure text helpers shared by the readers and editors.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

struct NumberedKey {
  std::wstring key;     // text before "=", digits at its end removed
  std::wstring number;  // the trailing digits of the key
  std::wstring value;   // from "=" (included) to the end; the whole line without "="
};
// "button12=cm_Exit" -> {"button", "12", "=cm_Exit"}.
NumberedKey SplitNumberedKey(std::wstring_view line);

// 1-based position of whichever of a and b occurs first in s; 0 when neither.
size_t FirstPosOf(std::wstring_view a, std::wstring_view b, std::wstring_view s);

std::wstring RemoveBlanks(std::wstring_view s);  // drops blanks and tabs
std::wstring GroupDigits(std::wstring_view s);   // "1234567" -> "1 234 567"

// The flag values whose sum makes up value, listed ascending in decimal.
// Flags that are all powers of two are read as bits (a bit no flag stands
// for is ignored); other values are taken greedily from the largest one not
// above the remainder. Empty when value < 1.
std::vector<std::wstring> DecomposeFlags(long long value, const std::vector<long long>& flagValues);

// Parses a decimal integer (optional sign, digits only, blanks around allowed);
// false for anything else or a value outside [minValue, maxValue].
bool ParseDecimal(std::wstring_view text, long long& out, long long minValue, long long maxValue);

}  // namespace orvelle
