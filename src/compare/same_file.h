// Both installations naming the very same file: a plugin or program that one
// installation borrows from the other. Changing it for one changes it for
// both, so the comparison warns instead of judging it.
#pragma once

#include <string>

namespace orvelle {

class TTC;

// Whether the two paths name one file (compared without regard to case).
bool IsSameFile(const std::wstring& newFile, const std::wstring& myFile);

// "WARNING! The same file!" + " [My]" when the file lies inside My
// installation's program directory, else + " [New]".
std::wstring SameFileWarning(const TTC& my, const std::wstring& file);

}  // namespace orvelle
