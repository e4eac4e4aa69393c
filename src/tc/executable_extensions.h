// The extensions that make a file an executable: for the main program
// directory's executables, the command targets and the comparison.
#pragma once

#include <array>
#include <string_view>

namespace orvelle {

inline constexpr std::array<std::wstring_view, 18> kExecutableExtensions = {
    L".exe", L".dll", L".sfx", L".vxd", L".sys", L".bat", L".cmd", L".com", L".cpl",
    L".js",  L".jse", L".msi", L".pif", L".scr", L".vbs", L".vbe", L".wsh", L".wsf"};

// True when the lower-cased extension (text from the last "." on) is listed.
bool IsExecutableExtension(std::wstring_view lowerCaseExtension);

// True when the extension of fileName (from its last "."), lower-cased, is
// in the table.
bool IsExecutableFileName(std::wstring_view fileName);

}  // namespace orvelle
