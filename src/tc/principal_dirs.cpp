#include "tc/principal_dirs.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/ttc.h"

#include <algorithm>

namespace orvelle {

namespace {

void InsertSorted(std::vector<std::wstring>& list, std::wstring dir) {
  auto at = std::lower_bound(list.begin(), list.end(), dir);
  if (at == list.end() || *at != dir) list.insert(at, std::move(dir));
}

void AddAncestors(TTC& model, const std::wstring& path, size_t programDirLength) {
  std::wstring dir =
      platform::ExtractFileDir(platform::ExtractFileDir(platform::LowerCase(path)));
  while (dir.size() > programDirLength && dir.size() >= 5) {
    std::wstring up = platform::ExtractFileDir(dir);
    InsertSorted(model.PrincipalDirs, dir);
    if (up.size() >= dir.size()) break;  // a root names itself as its directory
    dir = std::move(up);
  }
}

}  // namespace

bool ReadPrincipalDirectories(TTC& model) {
  model.PrincipalDirs.clear();
  std::wstring programDir =
      platform::LowerCase(platform::ExcludeTrailingBackslash(model.ProgramDir()));
  InsertSorted(model.PrincipalDirs, programDir);
  for (size_t i = 0; i < model.TargetTypes.size() && i < model.TargetPaths.size(); ++i) {
    if (model.TargetTypes[i] == L"I") AddAncestors(model, model.TargetPaths[i], programDir.size());
  }
  for (const std::vector<std::wstring>* files :
       {&model.FsPluginFiles, &model.PackerPluginFiles, &model.ListerPluginFiles,
        &model.ContentPluginFiles}) {
    for (const std::wstring& file : *files) AddAncestors(model, file, programDir.size());
  }
  return true;
}

bool IsPrincipalDirectory(const TTC& model, const std::wstring& directory) {
  std::wstring dir = platform::LowerCase(platform::ExcludeTrailingBackslash(directory));
  if (dir.empty()) return false;
  // Compared at a backslash: "c:\tc\plug" is no ancestor of "c:\tc\plugins".
  return std::any_of(model.PrincipalDirs.begin(), model.PrincipalDirs.end(),
                     [&](const std::wstring& entry) {
                       return entry == dir ||
                              (entry.size() > dir.size() && entry.rfind(dir, 0) == 0 &&
                               (entry[dir.size()] == L'\\' || dir.back() == L'\\'));
                     });
}

}  // namespace orvelle
