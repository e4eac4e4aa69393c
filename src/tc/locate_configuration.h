// Finding an installation's configuration file (wincmd.ini).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

class TTC;

// The value of the host's "i=" / "I=" parameter in a process command line.
// After the program path (quoted, or the first word) the first "i=" and the
// first "I=" are looked for, and the later of the two wins. A value that is
// quoted, or stands inside a quoted argument ("/i=C:\a b\x.ini"), ends before
// the next double quote; an unquoted one before the next blank (either may run
// to the end). nullopt when there is no such parameter.
std::optional<std::wstring> ParseIniParameter(std::wstring_view commandLine);

// The "UseIniInProgramDir" mode of [Configuration] in the lines of the
// program directory's own wincmd.ini: "1", "4", "5" or "7", else "0".
std::wstring UseIniInProgramDirMode(const std::vector<std::wstring>& lines);

// IniFile from the registry value "IniFileName" of
// "Software\Ghisler\Total Commander", under HKEY_CURRENT_USER, then
// HKEY_LOCAL_MACHINE; taken unchanged. False when neither holds a value.
bool ReadRegistryIniName(TTC& model);

// IniFile := the first existing one of %APPDATA%\wincmd.ini,
// %APPDATA%\GHISLER\wincmd.ini and %WINDIR%\wincmd.ini, the variables taken
// from the model's environment. False when none exists.
bool FindIniInWindowsDirs(TTC& model);

// The New installation: locates IniFile from the command line given (the
// process's own, see LocateConfiguration), else from the program
// directory's UseIniInProgramDir mode and its sources. On success IniFile
// names an existing file and COMMANDER_INI = IniFile has been appended to
// the environment; on failure IniFile is empty. Shows no message.
bool LocateConfigurationFromCommandLine(TTC& model, std::wstring_view commandLine);

// The same with the command line of model.ProcessHandle. A command line
// that cannot be read (a 64-bit process seen from the 32-bit build where the
// system lacks the 64-bit read functions) counts as one without the
// parameter; commandLineRead, when given, tells whether it was read.
bool LocateConfiguration(TTC& model, bool* commandLineRead = nullptr);

// My installation: IniFile and MainIniFile from COMMANDER_INI of the
// environment, unchanged. Shows an error and returns false when the
// variable is missing or names no existing file.
bool LocateMyConfiguration(TTC& model);

}  // namespace orvelle
