// The environment sets in which an installation's configuration texts are
// expanded.
#pragma once

#include <string>
#include <vector>

namespace orvelle {

class TTC;

// Splits an environment block ("A=1\0B=2\0\0") at each entry's first "=";
// entries with an empty name or value (the "=C:=C:\..." drive entries) are
// dropped. Appends to names and values.
void ParseEnvironmentBlock(const wchar_t* block, std::vector<std::wstring>& names,
                           std::vector<std::wstring>& values);

// My installation: the plugin's own process environment, in block order.
// The host sets COMMANDER_INI and COMMANDER_PATH there for its own process.
void ReadOwnEnvironment(TTC& model);

// The New installation: My installation's entries whose name does not
// contain "COMMANDER_" (case-sensitive), then COMMANDER_PATH (the directory
// of the New ExeFile, no trailing backslash) and COMMANDER_DRIVE ("c:").
// Replaces newModel's environment.
void DeriveNewEnvironment(const TTC& my, TTC& newModel);

}  // namespace orvelle
