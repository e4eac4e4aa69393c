// How the readers take a line of the host's ini-style files apart. The host
// itself ignores blanks and tabs around keys and values (real files hold
// "BackColor = 16777215"), so keys and values are trimmed before use; the raw
// line stays with the caller where it is kept for later edits.
#pragma once

#include "util/text_file_edit.h"  // SectionHeaderOf

#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

// Splits "key = value" at the first "=": the key trimmed and lower-cased,
// the value trimmed. False for a line without "=".
bool SplitIniEntry(std::wstring_view line, std::wstring& key, std::wstring& value);

// The value of key (lower-case) in section (lower-case header) of the lines;
// the first such entry wins. False when there is none.
bool FindIniValue(const std::vector<std::wstring>& lines, std::wstring_view section,
                  std::wstring_view key, std::wstring& value);

// The decimal number of a numbered key's suffix ("menu12" -> 12), within
// [minValue, 99999]: larger or malformed numbers are not a numbered key.
bool ParseKeyNumber(std::wstring_view digits, int minValue, int& number);

// "menu12" with prefix "menu" -> 12, by the rule of ParseKeyNumber.
bool ParseNumberedKey(std::wstring_view key, std::wstring_view prefix, int minValue, int& number);

}  // namespace orvelle
