#include "tc/environment.h"

#include "platform/fs.h"
#include "tc/expand_variables.h"
#include "tc/ttc.h"

#include <windows.h>

#include <string_view>

namespace orvelle {

void ParseEnvironmentBlock(const wchar_t* block, std::vector<std::wstring>& names,
                           std::vector<std::wstring>& values) {
  if (!block) return;
  for (const wchar_t* p = block; *p; p += std::wstring_view(p).size() + 1) {
    std::wstring_view entry(p);
    size_t eq = entry.find(L'=');
    if (eq == std::wstring_view::npos || eq == 0 || eq + 1 == entry.size()) continue;
    names.emplace_back(entry.substr(0, eq));
    values.emplace_back(entry.substr(eq + 1));
  }
}

void ReadOwnEnvironment(TTC& model) {
  model.EnvNames.clear();
  model.EnvValues.clear();
  wchar_t* block = ::GetEnvironmentStringsW();
  if (!block) return;
  ParseEnvironmentBlock(block, model.EnvNames, model.EnvValues);
  ::FreeEnvironmentStringsW(block);
}

void DeriveNewEnvironment(const TTC& my, TTC& newModel) {
  std::vector<std::wstring> names, values;
  for (size_t i = 0; i < my.EnvNames.size() && i < my.EnvValues.size(); ++i) {
    if (my.EnvNames[i].find(L"COMMANDER_") != std::wstring::npos) continue;
    names.push_back(my.EnvNames[i]);
    values.push_back(my.EnvValues[i]);
  }
  names.push_back(L"COMMANDER_PATH");
  values.push_back(platform::ExcludeTrailingBackslash(platform::ExtractFilePath(newModel.ExeFile)));
  names.push_back(L"COMMANDER_DRIVE");
  values.push_back(ExtractFileDrive(newModel.ExeFile));
  newModel.EnvNames = std::move(names);
  newModel.EnvValues = std::move(values);
}

}  // namespace orvelle
