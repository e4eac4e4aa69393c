// Byte images of UTF-16 text, for tests that write or expect such files.
#pragma once

#include <string>
#include <string_view>

namespace orvelle::test {

// The code units of text, little-endian, without a mark.
inline std::string Utf16LEBytes(std::wstring_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  for (wchar_t c : text) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>((c >> 8) & 0xFF);
  }
  return out;
}

// A whole UTF-16 LE file: the mark FF FE, then text.
inline std::string Utf16LEFile(std::wstring_view text) { return "\xFF\xFE" + Utf16LEBytes(text); }

}  // namespace orvelle::test
