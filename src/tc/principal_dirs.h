// The directories that hold the installation itself or its programs and
// plugins as a whole: a delete must not remove them with one plugin.
#pragma once

#include <string>

namespace orvelle {

class TTC;

// Fills PrincipalDirs (sorted, no duplicates, lower-cased, no trailing
// backslash): the program directory, and for every "I" command target and
// every plugin file the directories from the one that holds the file's own
// directory upwards, while they are longer than the program directory's
// path and at least 5 characters long. Always true.
bool ReadPrincipalDirectories(TTC& model);

// True when directory (any case, with or without a trailing backslash) is a
// principal directory or lies above one.
bool IsPrincipalDirectory(const TTC& model, const std::wstring& directory);

}  // namespace orvelle
