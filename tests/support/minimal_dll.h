// The bytes of the smallest DLL the loader takes: one empty data section, no
// imports and no entry point, built for this process's machine. Tests write
// it under a plugin's name to have a module that can be loaded and freed.
#pragma once

#include <string>

namespace orvelle::test {

std::string MinimalDll();

}  // namespace orvelle::test
