// The installation's icons and program identity: the icon mapping of
// WCMICONS.INC, the icons of the icon library and of WCMICONS.DLL, and the
// main program's version and digest.
#pragma once

#include <string>
#include <vector>

namespace orvelle {

class TTC;

// Replaces IconNumbers and IconIndexes with the "number=index" lines (blanks
// and tabs removed, ";" lines skipped); lines whose sides are not both
// decimal integers are skipped.
void ParseIconIndexes(const std::vector<std::wstring>& lines, TTC& model);

// ParseIconIndexes over the program directory's WCMICONS.INC; a missing
// file leaves both lists empty. Always true.
bool ReadIconIndexes(TTC& model);

// The icons of the icon library in force (ConfigPaths.iconlib when it opens
// as one, else ExeFile) into IconLibHandles / IconLibFingerprints, MainIcon
// the first of them; those of the program directory's WCMICONS.DLL into
// WcmIconHandles / WcmIconFingerprints. Always true.
bool ReadIconLibraries(TTC& model);

// ProgramVersion: ExeFile's "FileVersion" string, else its "ProductVersion";
// ProgramDigest: the MD5 of ExeFile. Always true.
bool ReadProgramIdentity(TTC& model);

}  // namespace orvelle
