#include "operations/add_plan.h"

#include "backup/restore.h"
#include "platform/fs.h"
#include "platform/known_folders.h"
#include "platform/strings.h"
#include "tc/expand_variables.h"
#include "tc/ini_line.h"
#include "tc/line_removal.h"
#include "tc/plugin_scope.h"
#include "tc/registration_editor.h"
#include "tc/ttc.h"
#include "util/digest.h"
#include "util/file_ops.h"
#include "util/text_file.h"

namespace orvelle {

namespace {

// Far beyond the copies of one plugin anybody keeps side by side.
constexpr int kMaxNumberedFolders = 1000;

const std::wstring& At(const std::vector<std::wstring>& list, size_t i) {
  static const std::wstring kEmpty;
  return i < list.size() ? list[i] : kEmpty;
}

std::vector<std::wstring> SplitList(const std::wstring& text) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L';', start);
    if (end == std::wstring::npos) end = text.size();
    if (end > start) parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

// New's registration line of a file-system plugin row. The row of a "64"
// file that the reader found beside a registered one has no line of its
// own: the line registering the path is looked up in New's file.
std::wstring FsLineOf(const TTC& newModel, size_t row, const std::wstring& registeredPath) {
  const std::wstring& own = At(newModel.FsPluginLines, row);
  if (!own.empty()) return own;
  if (std::optional<TextDocument> doc = LoadTextFile(newModel.SlotFile(kSlotFileSystemPlugins))) {
    bool inside = false;
    for (const std::wstring& line : doc->lines) {
      if (IsSectionStart(line)) {
        inside = SectionHeaderOf(platform::Trim(line)) == L"[filesystemplugins]";
      } else if (inside &&
                 LineRegistersPath(newModel, ItemKind::FileSystemPlugin, line, registeredPath)) {
        return line;
      }
    }
  }
  std::wstring key = At(newModel.FsPluginKeys, row);
  if (key.size() > 2 && key.ends_with(L"64")) key.resize(key.size() - 2);
  return key + L"=" + registeredPath;
}

// The file name the registration names, spelt as New writes it.
std::wstring RegisteredName(const std::wstring& line, ItemKind kind,
                            const std::wstring& registeredPath) {
  const std::wstring fromPath = platform::ExtractFileName(registeredPath);
  const size_t eq = line.find(L'=');
  std::wstring written = eq == std::wstring::npos ? line : line.substr(eq + 1);
  if (kind == ItemKind::PackerPlugin) {
    const size_t comma = written.find(L',');
    written = comma == std::wstring::npos ? std::wstring() : written.substr(comma + 1);
  }
  const std::wstring name = platform::ExtractFileName(platform::Trim(written));
  return platform::EqualsNoCase(name, fromPath) ? name : fromPath;
}

std::wstring FolderNameFor(const PluginSource& source) {
  if (source.OwnFolder) return platform::ExtractFileName(source.Dir);
  std::wstring name = platform::ExtractFileName(source.File);
  name = name.substr(0, name.find_last_of(L'.'));
  return name;
}

// Whether dir holds the copy the plan would make.
bool HoldsEqualCopy(const PluginSource& source, const std::wstring& dir) {
  if (!platform::DirectoryExists(dir)) return false;
  const std::wstring file = platform::ExtractFileName(source.File);
  if (source.OwnFolder) {
    return platform::FileExists(dir + L"\\" + file) && SameDirectoryContent(source.Dir, dir, file);
  }
  for (const std::wstring& name : source.Files) {
    const std::wstring digest = FileMD5(source.Dir + L"\\" + name);
    if (digest.empty() || digest != FileMD5(dir + L"\\" + name)) return false;
  }
  return true;
}

// The folder the plugin goes into: the base name, else the first free or
// equal "base (n)". False when there is none.
bool ChooseTarget(const PluginSource& source, const std::wstring& base, AddPlan& plan) {
  for (int n = 1; n <= kMaxNumberedFolders; ++n) {
    const std::wstring dir = n == 1 ? base : base + L" (" + std::to_wstring(n) + L")";
    if (!platform::PathExists(dir)) {
      plan.TargetDir = dir;
      plan.CopyNeeded = true;
      return true;
    }
    if (HoldsEqualCopy(source, dir)) {
      plan.TargetDir = platform::PathAsOnDisk(dir);
      plan.CopyNeeded = false;
      return true;
    }
  }
  return false;
}

// The path as My installation's configuration writes it.
std::wstring WrittenForMy(const TTC& my, const std::wstring& path) {
  const std::wstring programDir = my.ProgramDir();
  if (!programDir.empty() && path.size() > programDir.size() &&
      platform::EqualsNoCase(path.substr(0, programDir.size()), programDir)) {
    return L"%COMMANDER_PATH%\\" + path.substr(programDir.size());
  }
  return path;
}

RegistrationLines MakeRegistration(const TTC& my, const TTC& newModel, ItemKind kind, size_t row,
                                   const std::wstring& line, const std::wstring& path) {
  RegistrationLines registration;
  registration.Kind = kind;
  const std::wstring value = WrittenForMy(my, path);
  registration.RegisteredPath = ConfiguredPath(my, value);
  switch (kind) {
    case ItemKind::FileSystemPlugin:
      registration.Lines.push_back(platform::Trim(line.substr(0, line.find(L'='))) + L"=" + value);
      break;
    case ItemKind::PackerPlugin: {
      const std::vector<std::wstring> extensions =
          SplitList(At(newModel.PackerPluginExtensions, row));
      const std::vector<std::wstring> flags = SplitList(At(newModel.PackerPluginFlags, row));
      for (size_t i = 0; i < extensions.size(); ++i) {
        const std::wstring flag = i < flags.size() ? flags[i] : L"0";
        registration.Lines.push_back(extensions[i] + L"=" + flag + L"," + value);
      }
      break;
    }
    case ItemKind::ListerPlugin:
    case ItemKind::ContentPlugin: {
      registration.Lines.push_back(L"=" + value);
      const std::wstring& detect = At(kind == ItemKind::ListerPlugin ? newModel.ListerPluginDetect
                                                                     : newModel.ContentPluginDetect,
                                      row);
      if (!detect.empty()) registration.Lines.push_back(L"_detect=" + detect);
      break;
    }
    default: break;
  }
  return registration;
}

}  // namespace

bool IsPlainFolderName(const std::wstring& name) {
  if (name.empty() || name == L"." || name == L"..") return false;
  if (name.find_first_of(L"\\/:*?\"<>|") != std::wstring::npos) return false;
  for (wchar_t c : name) {
    if (c < 32) return false;
  }
  // Windows drops trailing dots and blanks: the folder would get another name.
  return name.back() != L'.' && name.back() != L' ';
}

AddPlanFailure PlanAdd(const TTC& my, const TTC& newModel, ItemKind kind, size_t row,
                       const std::wstring& ownPluginFile, AddPlan& plan,
                       const PluginSurroundings* around, platform::PathSpelling* spelling) {
  const std::vector<std::wstring>* files = PluginFilesOf(newModel, kind);
  if (!files || row >= files->size() || (*files)[row].empty()) return AddPlanFailure::NoItem;
  plan = AddPlan{};
  plan.Kind = kind;
  const std::wstring registeredPath = RegisteredPluginPath(newModel, kind, row);
  std::optional<PluginSource> source =
      LocatePluginSource(registeredPath, newModel, my, ownPluginFile, around, spelling);
  if (!source) return AddPlanFailure::BadSource;
  plan.Source = std::move(*source);
  const std::wstring folderName = FolderNameFor(plan.Source);
  if (!IsPlainFolderName(folderName)) return AddPlanFailure::BadSource;

  const std::wstring kindDir =
      around ? AddFolderForKind(my, kind, *around)
             : AddFolderForKind(my, kind,
                                GatherSurroundings(&my, &newModel, ownPluginFile,
                                                   platform::GetSystemFolders()));
  if (kindDir.empty() || !IsPlainFullPath(kindDir + L"\\")) return AddPlanFailure::NoTarget;
  const std::wstring kindDirOnDisk =
      spelling ? spelling->OnDisk(kindDir) : platform::PathAsOnDisk(kindDir);
  if (!ChooseTarget(plan.Source, kindDirOnDisk + L"\\" + folderName, plan)) {
    return AddPlanFailure::NoTarget;
  }
  plan.TargetPath = plan.TargetDir + L"\\" + platform::ExtractFileName(plan.Source.File);

  std::wstring line;
  switch (kind) {
    case ItemKind::FileSystemPlugin: line = FsLineOf(newModel, row, registeredPath); break;
    case ItemKind::PackerPlugin: line = At(newModel.PackerPluginLines, row); break;
    case ItemKind::ListerPlugin: line = At(newModel.ListerPluginLines, row); break;
    default: line = At(newModel.ContentPluginLines, row); break;
  }
  const std::wstring registered =
      plan.TargetDir + L"\\" + RegisteredName(line, kind, registeredPath);
  plan.Registration = MakeRegistration(my, newModel, kind, row, line, registered);
  return AddPlanFailure::None;
}

}  // namespace orvelle
