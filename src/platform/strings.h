// Text conversions at the edges (ANSI entry points, ANSI text files) and the
// case rules of the host: Windows' own lower-casing, not the C locale's.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace orvelle::platform {

// Converts 8-bit text of the given code page; invalid bytes follow the
// system's conversion rules. Never throws on bad input.
std::wstring WideFromAnsi(std::string_view text, UINT codePage = CP_ACP);
std::string AnsiFromWide(std::wstring_view text, UINT codePage = CP_ACP);

// Lower- and upper-casing as Windows does it (CharLowerBuffW/CharUpperBuffW).
std::wstring LowerCase(std::wstring_view text);
std::wstring UpperCase(std::wstring_view text);
bool EqualsNoCase(std::wstring_view a, std::wstring_view b);

// Removes blanks and tabs at both ends.
std::wstring Trim(std::wstring_view text);

}  // namespace orvelle::platform
