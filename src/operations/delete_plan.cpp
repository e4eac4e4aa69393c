#include "operations/delete_plan.h"

#include "platform/fs.h"
#include "operations/shared_registration.h"
#include "platform/strings.h"
#include "tc/plugin_scope.h"
#include "tc/principal_dirs.h"
#include "tc/registration_editor.h"
#include "tc/ttc.h"

#include <set>

namespace orvelle {

namespace {

const wchar_t* TargetType(ItemKind kind) {
  switch (kind) {
    case ItemKind::NonExecutable: return L"N";
    case ItemKind::PackageExclude: return L"E";
    case ItemKind::PackageInclude: return L"I";
    default: return L"";
  }
}

bool StrictlyInside(const std::wstring& dirWithSlash, const std::wstring& root) {
  if (root.empty()) return false;
  const std::wstring r = platform::LowerCase(platform::IncludeTrailingBackslash(root));
  return dirWithSlash.size() > r.size() && dirWithSlash.starts_with(r);
}

std::wstring OnDisk(const std::wstring& path) { return platform::PathAsOnDisk(path); }

}  // namespace

bool MayMoveDirectory(const TTC& my, const TTC* newModel, const std::wstring& dir,
                      const std::vector<std::wstring>& itemFiles,
                      const std::wstring& ownPluginFile) {
  const std::wstring lowerDir = platform::LowerCase(platform::ExcludeTrailingBackslash(dir));
  if (lowerDir.empty()) return false;
  const std::wstring withSlash = lowerDir + L"\\";
  bool inside = false;
  for (const std::wstring* root :
       {&my.PluginRoot, &my.WfxDir, &my.WcxDir, &my.WlxDir, &my.WdxDir}) {
    inside = inside || StrictlyInside(withSlash, *root);
  }
  inside = inside || StrictlyInside(withSlash, my.ProgramDir());
  if (!inside || IsPrincipalDirectory(my, lowerDir)) return false;

  std::set<std::wstring> own;
  for (const std::wstring& file : itemFiles) {
    if (file.empty()) continue;
    own.insert(platform::LowerCase(file));
    own.insert(platform::LowerCase(PluginTwinOf(file)));
  }
  auto usedInside = [&](const std::wstring& path) {
    const std::wstring lower = platform::LowerCase(path);
    return lower.starts_with(withSlash) && own.count(lower) == 0;
  };
  if (usedInside(ownPluginFile)) return false;
  for (const TTC* model : {&my, newModel}) {
    if (!model) continue;
    for (const std::wstring& used : FilesInUse(*model)) {
      if (usedInside(used)) return false;
    }
  }
  return true;
}

std::optional<DeletePlan> PlanDelete(const TTC& my, const TTC* newModel, ItemKind kind,
                                     size_t row, const std::wstring& ownPluginFile) {
  DeletePlan plan;
  plan.Kind = kind;
  if (IsPluginKind(kind)) {
    const std::vector<std::wstring>& files = *PluginFilesOf(my, kind);
    if (row >= files.size() || files[row].empty()) return std::nullopt;
    plan.File = OnDisk(files[row]);
    plan.RegisteredPath = RegisteredPluginPath(my, kind, row);
    const PluginScope scope = PluginScopeOf(plan.File, &my, newModel, ownPluginFile);
    plan.WholeDirectory = scope.WholeFolder && platform::DirectoryExists(scope.Dir);
    if (plan.WholeDirectory) {
      plan.Moves.push_back(scope.Dir);
    } else {
      // The registration served both bitnesses: the twin goes too, with the
      // files of the plugin's base name.
      for (const std::wstring& name : scope.Files) {
        const std::wstring file = OnDisk(scope.Dir + L"\\" + name);
        if (platform::FileExists(file)) plan.Moves.push_back(file);
      }
    }
    KeepFilesAnotherKindRegisters(my, plan);
    return plan;
  }
  if (!IsCommandFileKind(kind) || row >= my.TargetPaths.size() || row >= my.TargetTypes.size() ||
      my.TargetTypes[row] != TargetType(kind)) {
    return std::nullopt;
  }
  plan.File = OnDisk(my.TargetPaths[row]);
  if (kind == ItemKind::PackageInclude) {
    const std::wstring dir = platform::ExtractFileDir(plan.File);
    plan.WholeDirectory = MayMoveDirectory(my, newModel, dir, {plan.File}, ownPluginFile);
    if (plan.WholeDirectory) {
      plan.Moves.push_back(dir);
      return plan;
    }
  }
  if (kind != ItemKind::PackageExclude && platform::FileExists(plan.File)) {
    plan.Moves.push_back(plan.File);
  }
  return plan;
}

}  // namespace orvelle
