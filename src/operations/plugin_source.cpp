#include "operations/plugin_source.h"

#include "backup/restore.h"
#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/principal_dirs.h"
#include "tc/ttc.h"

#include <algorithm>

namespace orvelle {

namespace {

// Steps below the drive ("c:\") or share ("\\server\share\").
size_t DepthBelowRoot(const std::wstring& lowerDir) {
  size_t start = 3;
  if (lowerDir.starts_with(L"\\\\")) {
    const size_t server = lowerDir.find(L'\\', 2);
    const size_t share = server == std::wstring::npos ? server : lowerDir.find(L'\\', server + 1);
    if (share == std::wstring::npos) return 0;
    start = share + 1;
  }
  if (start >= lowerDir.size()) return 0;
  return static_cast<size_t>(std::count(lowerDir.begin() + static_cast<std::ptrdiff_t>(start),
                                        lowerDir.end(), L'\\')) +
         1;
}

// dir (lower-cased, no trailing backslash) is path or lies above it.
bool IsOrHolds(const std::wstring& dir, const std::wstring& path) {
  if (path.empty()) return false;
  const std::wstring other = platform::LowerCase(platform::ExcludeTrailingBackslash(path));
  return other == dir || other.starts_with(dir + L"\\");
}

bool Inside(const std::wstring& dir, const std::wstring& tree) {
  return !tree.empty() && (dir == tree || dir.starts_with(tree + L"\\"));
}

// The folders of an installation that no plugin owns, and the files in
// folders that must not go with a plugin.
bool BelongsToInstallation(const std::wstring& dir, const TTC& model) {
  if (IsPrincipalDirectory(model, dir)) return true;
  for (const std::wstring* folder : {&model.PluginRoot, &model.WfxDir, &model.WlxDir,
                                     &model.WcxDir, &model.WdxDir, &model.AppDir}) {
    if (IsOrHolds(dir, *folder)) return true;
  }
  if (IsOrHolds(dir, platform::ExtractFileDir(model.ExeFile))) return true;
  std::vector<std::wstring> files{model.IniFile, model.MainIniFile};
  for (int slot = 1; slot < kSlotCount; ++slot) files.push_back(model.SlotFile(slot));
  return std::any_of(files.begin(), files.end(), [&](const std::wstring& file) {
    return !file.empty() && IsOrHolds(dir, platform::ExtractFileDir(file));
  });
}

}  // namespace

std::wstring PluginTwinOf(const std::wstring& file) {
  if (file.size() > 2 && file.ends_with(L"64")) return file.substr(0, file.size() - 2);
  return file + L"64";
}

bool IsOwnPluginFolder(const std::wstring& dir, const TTC& newModel, const TTC& my,
                       const std::wstring& ownPluginFile,
                       const platform::SystemFolders& systemFolders) {
  const std::wstring lower = platform::LowerCase(platform::ExcludeTrailingBackslash(dir));
  if (!IsPlainFullPath(lower + L"\\") || DepthBelowRoot(lower) == 0) return false;
  const std::optional<platform::FileEntry> entry = platform::GetFileEntry(lower);
  if (entry && (entry->attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) return false;
  for (const std::wstring& tree : systemFolders.Trees) {
    if (Inside(lower, tree) || IsOrHolds(lower, tree)) return false;
  }
  for (const std::wstring& shared : systemFolders.Shared) {
    if (IsOrHolds(lower, shared)) return false;
  }
  if (BelongsToInstallation(lower, newModel) || BelongsToInstallation(lower, my)) return false;
  return ownPluginFile.empty() || !IsOrHolds(lower, platform::ExtractFileDir(ownPluginFile));
}

std::optional<PluginSource> LocatePluginSource(const std::wstring& registeredPath,
                                               const TTC& newModel, const TTC& my,
                                               const std::wstring& ownPluginFile) {
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
  source.File = platform::PathAsOnDisk(file);
  source.Dir = platform::ExcludeTrailingBackslash(platform::ExtractFileDir(source.File));
  source.OwnFolder = IsOwnPluginFolder(source.Dir, newModel, my, ownPluginFile,
                                       platform::GetSystemFolders());
  if (!source.OwnFolder) {
    source.Files.push_back(platform::ExtractFileName(source.File));
    const std::wstring twin = platform::PathAsOnDisk(PluginTwinOf(source.File));
    if (platform::FileExists(twin)) source.Files.push_back(platform::ExtractFileName(twin));
  }
  return source;
}

}  // namespace orvelle
