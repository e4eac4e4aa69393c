// Expansion of the host's configuration texts against an installation's
// environment.
#pragma once

#include <string>
#include <string_view>

namespace orvelle {

class TTC;

// Expands the first %NAME% of text from the model's environment (names
// compared without regard to case); an unknown name stays as written, percent
// signs included, and a second variable is never expanded. A text without
// "%" that starts with ".\" is taken relative to the program directory. With
// makeAbsolute, a result without ":" is made absolute: a "\\server" path is
// left alone, a "\dir" path gets the program's drive, anything else the
// program directory in front.
std::wstring ExpandVariables(const TTC& model, std::wstring_view text, bool makeAbsolute);

// The value of the first environment entry of that name (case-insensitive);
// empty when there is none.
std::wstring EnvironmentValue(const TTC& model, std::wstring_view name);

// "c:" of "c:\tc\x.exe", "\\server\share" of a UNC path, else empty.
std::wstring ExtractFileDrive(std::wstring_view path);

}  // namespace orvelle
