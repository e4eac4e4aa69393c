// Reading another process.
#pragma once

#include <windows.h>

#include <string>

namespace orvelle {

// The command line of another process, or empty on any failure. Works for a
// process of the build's own bitness; the 64-bit build also reads 32-bit ones.
std::wstring ReadProcessCommandLine(HANDLE process);

}  // namespace orvelle
