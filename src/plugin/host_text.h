// Text and records crossing the host's interface, in both of its forms: the
// ANSI entry points take 8-bit text in the ANSI code page, the wide ones
// UTF-16. Inside, everything is wide; these helpers are the only place where
// the two forms differ.
#pragma once

#include "plugin/listing.h"

#include <windows.h>

#include <string>
#include <string_view>

namespace orvelle {

// Text the host passed; null is empty.
std::wstring FromHost(const char* text);
std::wstring FromHost(const wchar_t* text);

// Copies text into a host buffer of `capacity` elements (bytes for ANSI,
// characters for wide), always terminated, cut to fit where a character
// ends: no half of a double-byte or surrogate pair is left at the end.
// Nothing is written to a null buffer or one below 1 element. The ANSI form
// turns characters the code page lacks into "?", never into a look-alike
// letter, so that a name the host hands back cannot find another entry.
void CopyToHost(std::wstring_view text, char* buffer, int capacity);
void CopyToHost(std::wstring_view text, wchar_t* buffer, int capacity);

// The host's find-data record for one entry; the name is cut to the
// record's 260 elements like any other text.
void FillFindData(const ListedEntry& entry, WIN32_FIND_DATAA* data);
void FillFindData(const ListedEntry& entry, WIN32_FIND_DATAW* data);

}  // namespace orvelle
