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

// A full path ("c:\..." or "\\server\share\...") with "/" read as "\",
// doubled separators made single and its "." and ".." steps resolved, as
// Windows resolves them when the path is opened ("..\" at the root stays at
// the root). A trailing backslash is kept. Anything that is no full path (a
// relative path, a "\\?\" or device path) is returned as given.
std::wstring CanonicalPath(std::wstring_view path);

// A file path as the configuration names it: trimmed, expanded, made
// absolute and canonical, lower-cased. Every path the readers take from a
// configuration goes through here once, so that the operations, which look
// files up on disk by it, and the editors, which match registration lines by
// it, see one form ("%COMMANDER_INI%\..\plugins\x.wfx" and
// "%COMMANDER_PATH%\plugins\x.wfx" are one file).
std::wstring ConfiguredPath(const TTC& model, std::wstring_view value);

// "c:" of "c:\tc\x.exe", "\\server\share" of a UNC path, else empty.
std::wstring ExtractFileDrive(std::wstring_view path);

}  // namespace orvelle
