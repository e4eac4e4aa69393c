#include "tc/locate_configuration.h"

#include "platform/fs.h"
#include "platform/handle.h"
#include "platform/message_box.h"
#include "platform/strings.h"
#include "tc/expand_variables.h"
#include "tc/ini_line.h"
#include "tc/ttc.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "util/process_info.h"
#include "util/text_file.h"

#include <windows.h>

#include <algorithm>

namespace orvelle {

namespace {

const wchar_t kRegistryKey[] = L"Software\\Ghisler\\Total Commander";
const wchar_t kRegistryValue[] = L"IniFileName";

// A string value of the registry (REG_SZ or REG_EXPAND_SZ, not expanded);
// empty when the key or value cannot be read.
std::wstring ReadRegistryString(HKEY root, const wchar_t* subKey, const wchar_t* valueName) {
  platform::unique_hkey key;
  if (::RegOpenKeyExW(root, subKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return {};
  DWORD type = 0;
  DWORD size = 0;
  if (::RegQueryValueExW(key.get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ) || size == 0) {
    return {};
  }
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  DWORD bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
  if (::RegQueryValueExW(key.get(), valueName, nullptr, &type,
                         reinterpret_cast<BYTE*>(value.data()), &bytes) != ERROR_SUCCESS) {
    return {};
  }
  value.resize(wcsnlen(value.c_str(), value.size()));
  return value;
}

// The value of the last environment entry of that name: the block may hold
// a name twice, and the later entry is the one in force.
std::wstring LastEnvironmentValue(const TTC& model, std::wstring_view name) {
  std::wstring value;
  for (size_t i = 0; i < model.EnvNames.size() && i < model.EnvValues.size(); ++i) {
    if (platform::EqualsNoCase(model.EnvNames[i], name)) value = model.EnvValues[i];
  }
  return value;
}

bool Accept(TTC& model) {
  if (model.IniFile.empty() || !platform::FileExists(model.IniFile)) {
    model.IniFile.clear();
    return false;
  }
  model.EnvNames.push_back(L"COMMANDER_INI");
  model.EnvValues.push_back(model.IniFile);
  return true;
}

}  // namespace

std::optional<std::wstring> ParseIniParameter(std::wstring_view commandLine) {
  // The program path: quoted, or (started from a script) the first word.
  size_t argsStart = std::wstring_view::npos;
  if (!commandLine.empty() && commandLine[0] == L'"') {
    const size_t close = commandLine.find(L'"', 1);
    if (close != std::wstring_view::npos && close + 1 < commandLine.size() &&
        commandLine[close + 1] == L' ') {
      argsStart = close + 2;
    }
  } else {
    const size_t blank = commandLine.find(L' ');
    if (blank != std::wstring_view::npos) argsStart = blank + 1;
  }
  if (argsStart == std::wstring_view::npos) return std::nullopt;
  std::wstring_view args = commandLine.substr(argsStart);
  size_t lower = args.find(L"i=");
  size_t upper = args.find(L"I=");
  size_t at = std::wstring_view::npos;
  if (lower != std::wstring_view::npos) at = lower;
  if (upper != std::wstring_view::npos && (at == std::wstring_view::npos || upper > at)) at = upper;
  if (at == std::wstring_view::npos) return std::nullopt;
  std::wstring_view value = args.substr(at + 2);
  // Quoted as a value (/i="C:\a b\x.ini") or as a whole argument
  // ("/i=C:\a b\x.ini", as Wine and many launchers write it): either way the
  // value runs to the closing quote, blanks included.
  const bool insideQuotes = std::count(args.begin(), args.begin() + at, L'"') % 2 == 1;
  if (!value.empty() && value[0] == L'"') {
    value.remove_prefix(1);
    return std::wstring(value.substr(0, value.find(L'"')));
  }
  if (insideQuotes) return std::wstring(value.substr(0, value.find(L'"')));
  return std::wstring(value.substr(0, value.find(L' ')));
}

std::wstring UseIniInProgramDirMode(const std::vector<std::wstring>& lines) {
  std::wstring mode;
  if (!FindIniValue(lines, L"[configuration]", L"useiniinprogramdir", mode)) return L"0";
  if (mode == L"1" || mode == L"4" || mode == L"5" || mode == L"7") return mode;
  return L"0";
}

bool ReadRegistryIniName(TTC& model) {
  for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
    std::wstring value = ReadRegistryString(root, kRegistryKey, kRegistryValue);
    if (!value.empty()) {
      model.IniFile = value;
      return true;
    }
  }
  return false;
}

bool FindIniInWindowsDirs(TTC& model) {
  std::wstring appData = LastEnvironmentValue(model, L"appdata");
  std::wstring winDir = LastEnvironmentValue(model, L"windir");
  std::vector<std::wstring> candidates;
  if (!appData.empty()) {
    candidates.push_back(platform::IncludeTrailingBackslash(appData) + L"wincmd.ini");
    // The host's installer puts the user's file in a folder of its maker.
    candidates.push_back(platform::IncludeTrailingBackslash(appData) + L"GHISLER\\wincmd.ini");
  }
  if (!winDir.empty()) candidates.push_back(platform::IncludeTrailingBackslash(winDir) + L"wincmd.ini");
  for (const std::wstring& file : candidates) {
    if (platform::FileExists(file)) {
      model.IniFile = file;
      return true;
    }
  }
  return false;
}

bool LocateConfigurationFromCommandLine(TTC& model, std::wstring_view commandLine) {
  model.IniFile.clear();
  if (std::optional<std::wstring> given = ParseIniParameter(commandLine)) {
    // A configuration named on the command line is the one in force, or none.
    model.IniFile = ExpandVariables(model, *given, false);
    return Accept(model);
  }
  std::wstring programIni = model.ProgramDir() + L"wincmd.ini";
  std::wstring mode = L"0";
  if (platform::FileExists(programIni)) {
    if (std::optional<TextDocument> doc = LoadTextFile(programIni)) {
      mode = UseIniInProgramDirMode(doc->lines);
    }
  }
  if (mode == L"0") {
    if (!ReadRegistryIniName(model)) FindIniInWindowsDirs(model);
  } else if (mode == L"1") {
    if (!ReadRegistryIniName(model)) model.IniFile = programIni;
  } else if (mode == L"4") {
    FindIniInWindowsDirs(model);
  } else {
    model.IniFile = programIni;
  }
  return Accept(model);
}

bool LocateConfiguration(TTC& model, bool* commandLineRead) {
  std::optional<std::wstring> commandLine = ReadProcessCommandLine(model.ProcessHandle);
  if (commandLineRead != nullptr) *commandLineRead = commandLine.has_value();
  // A command line out of reach says nothing of /i=: the other sources may
  // still find the configuration.
  return LocateConfigurationFromCommandLine(model, commandLine.value_or(std::wstring()));
}

bool LocateMyConfiguration(TTC& model) {
  // The environment holds no empty values, so an empty one is a missing one.
  std::wstring ini = EnvironmentValue(model, L"COMMANDER_INI");
  if (ini.empty()) {
    platform::ShowError(Tr(texts::kCommanderIniNotDetected) + model.ExeFile);
    return false;
  }
  model.IniFile = ini;
  model.MainIniFile = ini;
  if (!platform::FileExists(ini)) {
    platform::ShowError(L"%COMMANDER_INI%=: " + ini + Tr(texts::kCommanderIniDoesNotExist) +
                        model.ExeFile);
    return false;
  }
  return true;
}

}  // namespace orvelle
