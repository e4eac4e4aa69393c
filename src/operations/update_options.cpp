#include "operations/update_options.h"

#include "platform/fs.h"
#include "tc/plugin_scope.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"

namespace orvelle {

namespace {

std::wstring LastName(const std::wstring& file) {
  return platform::ExtractFileName(platform::ExtractFileDir(file));
}

}  // namespace

std::wstring UpdateOptionText(UpdateOption option, const std::wstring& newDirName,
                              const std::wstring& myDirName) {
  const std::wstring from = L"\\" + newDirName;
  const std::wstring to = L"\\" + myDirName + L"\\*.*";
  const std::wstring topLevel = std::wstring(L" (") + Tr(texts::kWithoutDirectories) + L")";
  const std::wstring fromNew = from + L"\\*.* (" + Tr(texts::kNewSide) + L") -> " + to;
  switch (option) {
    case UpdateOption::ReplaceDirectory:
      return std::wstring(Tr(texts::kReplaceWholeDirectory)) + L": " + from + L" -> \\" + myDirName;
    case UpdateOption::UpdateTree:
      return std::wstring(Tr(texts::kUpdateOldFiles)) + L": " + fromNew;
    case UpdateOption::UpdateTopLevel:
      return Tr(texts::kUpdateOldFiles) + topLevel + L": " + fromNew;
    case UpdateOption::CopyTree:
      return std::wstring(Tr(texts::kCopyWithReplace)) + L": " + from + L"\\*.* -> " + to;
    case UpdateOption::CopyTopLevel:
      return Tr(texts::kCopyWithReplace) + topLevel + L": " + from + L"\\*.* -> " + to;
  }
  return {};
}

std::vector<UpdateChoice> OfferedUpdateOptions(const TTC& my, const TTC& newModel,
                                               const std::wstring& myFile,
                                               const std::wstring& newFile,
                                               const std::wstring& ownPluginFile) {
  const PluginSurroundings around =
      GatherSurroundings(&my, &newModel, ownPluginFile, platform::GetSystemFolders());
  const bool newPrincipal = !PluginScopeOf(newFile, around).WholeFolder;
  std::vector<UpdateOption> options;
  if (!newPrincipal && PluginScopeOf(myFile, around).WholeFolder) {
    options.push_back(UpdateOption::ReplaceDirectory);
  }
  options.push_back(newPrincipal ? UpdateOption::UpdateTopLevel : UpdateOption::UpdateTree);
  options.push_back(newPrincipal ? UpdateOption::CopyTopLevel : UpdateOption::CopyTree);
  std::vector<UpdateChoice> choices;
  for (UpdateOption option : options) {
    choices.push_back({option, UpdateOptionText(option, LastName(newFile), LastName(myFile))});
  }
  return choices;
}

bool IsTopLevelOnly(UpdateOption option) {
  return option == UpdateOption::UpdateTopLevel || option == UpdateOption::CopyTopLevel;
}

bool CopiesOnlyNewer(UpdateOption option) {
  return option == UpdateOption::UpdateTree || option == UpdateOption::UpdateTopLevel;
}

}  // namespace orvelle
