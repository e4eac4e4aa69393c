#include "operations/plugin_source.h"

#include "backup/restore.h"
#include "platform/fs.h"
#include "platform/known_folders.h"
#include "platform/strings.h"
#include "tc/ttc.h"

namespace orvelle {

std::optional<PluginSource> LocatePluginSource(const std::wstring& registeredPath,
                                               const TTC& newModel, const TTC& my,
                                               const std::wstring& ownPluginFile,
                                               const PluginSurroundings* around,
                                               platform::PathSpelling* spelling) {
  // Only a full path: a relative one would be resolved against whatever
  // folder the host happens to be in. Its ".." and "." steps are resolved
  // before anything is named after them.
  const bool drive = registeredPath.size() >= 3 && registeredPath[1] == L':' &&
                     registeredPath[2] == L'\\';
  if (!drive && !registeredPath.starts_with(L"\\\\")) return std::nullopt;
  const std::wstring full = platform::FullPathName(registeredPath);
  if (!IsPlainFullPath(full)) return std::nullopt;
  std::wstring file = full;
  if (!platform::FileExists(file)) {
    file = PluginTwinOf(full);
    if (full.ends_with(L"64") || !platform::FileExists(file)) return std::nullopt;
  }
  PluginSource source;
  source.File = spelling ? spelling->OnDisk(file) : platform::PathAsOnDisk(file);
  source.Dir = platform::ExcludeTrailingBackslash(platform::ExtractFileDir(source.File));
  const PluginScope scope = around ? PluginScopeOf(source.File, *around)
                                   : PluginScopeOf(source.File, &my, &newModel, ownPluginFile);
  source.OwnFolder = scope.WholeFolder;
  for (const std::wstring& name : scope.Files) {
    if (platform::FileExists(source.Dir + L"\\" + name)) source.Files.push_back(name);
  }
  return source;
}

}  // namespace orvelle
