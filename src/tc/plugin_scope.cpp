#include "tc/plugin_scope.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/command_text.h"
#include "tc/ttc.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace orvelle {

namespace {

std::wstring Lower(const std::wstring& path) {
  return platform::LowerCase(platform::ExcludeTrailingBackslash(path));
}

// A full path (drive or share) without "." or ".." steps: a relative or
// dotted one names another folder than it seems to.
bool IsPlainPath(const std::wstring& path) {
  const bool drive = path.size() >= 3 && path[1] == L':' && path[2] == L'\\' &&
                     ((path[0] >= L'a' && path[0] <= L'z') || (path[0] >= L'A' && path[0] <= L'Z'));
  const bool share = path.size() > 2 && path[0] == L'\\' && path[1] == L'\\' && path[2] != L'?' &&
                     path[2] != L'.';
  if ((!drive && !share) || path.find(L'/') != std::wstring::npos) return false;
  size_t start = drive ? 3 : 2;
  while (start <= path.size()) {
    size_t end = path.find(L'\\', start);
    if (end == std::wstring::npos) end = path.size();
    const std::wstring_view step = std::wstring_view(path).substr(start, end - start);
    if (step == L"." || step == L"..") return false;
    start = end + 1;
  }
  return true;
}

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

bool Inside(const std::wstring& dir, const std::wstring& tree) {
  return !tree.empty() && (dir == tree || dir.starts_with(tree + L"\\"));
}

// dir is other or holds it.
bool IsOrHolds(const std::wstring& dir, const std::wstring& other) { return Inside(other, dir); }

void AddFolder(std::vector<std::wstring>& list, const std::wstring& path) {
  if (path.empty()) return;
  const std::wstring lower = Lower(path);
  if (std::find(list.begin(), list.end(), lower) == list.end()) list.push_back(lower);
}

std::wstring StemOf(const std::wstring& lowerName) {
  return lowerName.substr(0, lowerName.find(L'.'));
}

// "x.ini", "x.lng", "x64.wdx", "x.wfx64" for the plugin file "x.wfx".
bool CarriesBaseName(const std::wstring& lowerName, const std::wstring& lowerPluginName) {
  const std::wstring stem = StemOf(lowerName);
  const std::wstring base = StemOf(lowerPluginName);
  if (stem.empty() || base.empty()) return false;
  if (stem == base || stem == base + L"64") return true;
  return base.size() > 2 && base.ends_with(L"64") && stem == base.substr(0, base.size() - 2);
}

bool IsPluginModule(const std::wstring& lowerName) {
  std::wstring ext = platform::ExtractFileExt(lowerName);
  if (ext.ends_with(L"64")) ext.resize(ext.size() - 2);
  return ext == L".wfx" || ext == L".wcx" || ext == L".wlx" || ext == L".wdx";
}

// Files no plugin ships as its own: documents, photos, music and video,
// archives, programs, a file manager's configuration. Pictures a plugin
// draws with (".bmp", ".png", ".ico", ".gif") and its texts (".txt",
// ".ini", ".chm", ".htm") are not among them.
bool IsPlainlyForeign(const std::wstring& lowerName) {
  static constexpr std::array<std::wstring_view, 62> kForeign = {
      // documents
      L".doc", L".docx", L".docm", L".dot", L".dotx", L".odt", L".ods", L".odp", L".xls",
      L".xlsx", L".xlsm", L".ppt", L".pptx", L".pdf", L".epub", L".djvu", L".pages", L".numbers",
      // photos
      L".jpg", L".jpeg", L".jpe", L".heic", L".heif", L".webp", L".tif", L".tiff", L".raw",
      L".cr2", L".cr3", L".nef", L".arw", L".dng", L".orf", L".psd",
      // music and video
      L".mp3", L".m4a", L".aac", L".wav", L".flac", L".ogg", L".wma", L".mp4", L".m4v", L".mkv",
      L".avi", L".mov", L".wmv", L".mpg", L".mpeg", L".webm",
      // archives and disk images
      L".zip", L".rar", L".7z", L".tar", L".gz", L".tgz", L".bz2", L".xz", L".iso",
      // programs
      L".exe", L".com", L".msi"};
  if (lowerName == L"wincmd.ini") return true;
  const std::wstring ext = platform::ExtractFileExt(lowerName);
  return !ext.empty() && std::find(kForeign.begin(), kForeign.end(), ext) != kForeign.end();
}

bool IsContainerName(const std::wstring& lowerDir) {
  const std::wstring name = platform::ExtractFileName(lowerDir);
  for (const wchar_t* container : {L"plugins", L"wfx", L"wcx", L"wlx", L"wdx"}) {
    if (name == container) return true;
  }
  return false;
}

// A file that the installations use for something else lies in (or below)
// lowerDir.
bool HoldsUsedFile(const std::wstring& lowerDir, const std::wstring& lowerFile,
                   const PluginSurroundings& around) {
  const std::wstring prefix = lowerDir + L"\\";
  const std::wstring twin = PluginTwinOf(lowerFile);
  for (auto it = around.UsedFiles.lower_bound(prefix);
       it != around.UsedFiles.end() && it->starts_with(prefix); ++it) {
    if (*it != lowerFile && *it != twin) return true;
  }
  return false;
}

bool IsOwnFolder(const std::wstring& lowerFile, const std::wstring& lowerDir,
                 const FolderListing& listing, const PluginSurroundings& around) {
  if (!listing.Readable || listing.IsLink) return false;
  if (!IsPlainPath(lowerDir + L"\\") || DepthBelowRoot(lowerDir) == 0) return false;
  if (IsContainerName(lowerDir)) return false;
  for (const std::wstring& tree : around.SystemTrees) {
    if (Inside(lowerDir, tree) || IsOrHolds(lowerDir, tree)) return false;
  }
  for (const auto* list : {&around.Kept, &around.Containers}) {
    for (const std::wstring& kept : *list) {
      if (IsOrHolds(lowerDir, kept)) return false;
    }
  }
  if (HoldsUsedFile(lowerDir, lowerFile, around)) return false;
  if (!IsPluginFolderPlace(platform::ExtractFileDir(lowerDir), around)) return false;
  const std::wstring pluginName = platform::ExtractFileName(lowerFile);
  return std::none_of(listing.Files.begin(), listing.Files.end(), [&](const std::wstring& name) {
    const std::wstring lower = platform::LowerCase(name);
    return !CarriesBaseName(lower, pluginName) && (IsPluginModule(lower) || IsPlainlyForeign(lower));
  });
}

std::vector<std::wstring> OwnFiles(const std::wstring& file, const std::wstring& lowerDir,
                                   const FolderListing& listing,
                                   const PluginSurroundings& around) {
  const std::wstring name = platform::ExtractFileName(file);
  const std::wstring lowerName = platform::LowerCase(name);
  const std::wstring lowerTwin = PluginTwinOf(lowerName);
  std::vector<std::wstring> files{name};
  if (!listing.Readable) {
    files.push_back(PluginTwinOf(name));
    return files;
  }
  std::vector<std::wstring> others;
  for (const std::wstring& entry : listing.Files) {
    const std::wstring lower = platform::LowerCase(entry);
    if (lower == lowerName) continue;
    if (lower == lowerTwin) {
      files.push_back(entry);
    } else if (CarriesBaseName(lower, lowerName) && !IsPlainlyForeign(lower) &&
               around.UsedFiles.count(lowerDir + L"\\" + lower) == 0) {
      others.push_back(entry);
    }
  }
  std::sort(others.begin(), others.end(), [](const std::wstring& a, const std::wstring& b) {
    return platform::LowerCase(a) < platform::LowerCase(b);
  });
  files.insert(files.end(), others.begin(), others.end());
  return files;
}

const std::wstring& KindFolderOf(const TTC& m, ItemKind kind) {
  switch (kind) {
    case ItemKind::PackerPlugin: return m.WcxDir;
    case ItemKind::ListerPlugin: return m.WlxDir;
    case ItemKind::ContentPlugin: return m.WdxDir;
    default: return m.WfxDir;
  }
}

const wchar_t* KindName(ItemKind kind) {
  switch (kind) {
    case ItemKind::PackerPlugin: return L"wcx";
    case ItemKind::ListerPlugin: return L"wlx";
    case ItemKind::ContentPlugin: return L"wdx";
    default: return L"wfx";
  }
}

void GatherModel(const TTC& m, PluginSurroundings& around) {
  for (const std::wstring& used : FilesInUse(m)) {
    if (!used.empty()) around.UsedFiles.insert(Lower(used));
  }
  const std::wstring programDir = Lower(m.ProgramDir());
  AddFolder(around.Kept, programDir);
  AddFolder(around.Kept, platform::ExtractFileDir(m.ExeFile));
  for (const std::wstring* folder :
       {&m.PluginRoot, &m.WfxDir, &m.WlxDir, &m.WcxDir, &m.WdxDir, &m.AppDir}) {
    AddFolder(around.Containers, *folder);
  }
  for (const std::wstring& dir : m.PrincipalDirs) AddFolder(around.Containers, dir);
  std::vector<std::wstring> configs{m.IniFile, m.MainIniFile};
  for (int slot = 1; slot < kSlotCount; ++slot) configs.push_back(m.SlotFile(slot));
  for (const std::wstring& config : configs) {
    if (config.empty()) continue;
    AddFolder(around.Kept, platform::ExtractFileDir(config));
    if (config == m.IniFile || config == m.MainIniFile) {
      AddFolder(around.PluginsFolders, platform::ExtractFileDir(config) + L"\\plugins");
    }
  }
  if (!programDir.empty()) AddFolder(around.PluginsFolders, programDir + L"\\plugins");
  if (!m.ConfigPaths.pluginbasedir.empty() && IsPlainPath(m.PluginRoot)) {
    AddFolder(around.PluginsFolders, m.PluginRoot);
  }
  for (const std::vector<std::wstring>* files :
       {&m.FsPluginFiles, &m.PackerPluginFiles, &m.ListerPluginFiles, &m.ContentPluginFiles}) {
    for (const std::wstring& file : *files) {
      if (file.empty()) continue;
      const std::wstring dir = Lower(platform::ExtractFileDir(file));
      around.PluginFoldersIn[platform::ExtractFileDir(dir)].insert(dir);
    }
  }
}

}  // namespace

std::wstring PluginTwinOf(const std::wstring& file) {
  if (file.size() > 2 && file.ends_with(L"64")) return file.substr(0, file.size() - 2);
  return file + L"64";
}

std::vector<std::wstring> FilesInUse(const TTC& m) {
  std::vector<std::wstring> used;
  for (const auto* list : {&m.FsPluginFiles, &m.PackerPluginFiles, &m.ListerPluginFiles,
                           &m.ContentPluginFiles}) {
    for (const std::wstring& file : *list) {
      if (file.empty()) continue;
      used.push_back(file);
      used.push_back(PluginTwinOf(file));  // the host of the other bitness loads it
    }
  }
  for (const auto* list : {&m.TargetPaths, &m.ProgramPaths, &m.BarFiles}) {
    used.insert(used.end(), list->begin(), list->end());
  }
  for (const std::wstring& command : m.ExtensionCommands) {
    ParsedCommand parsed = ParseCommandText(m, command);
    if (parsed.kind == CommandKind::File) used.push_back(parsed.target);
  }
  for (const std::wstring* file :
       {&m.ExeFile, &m.IniFile, &m.MainIniFile, &m.ConfigPaths.editor, &m.ConfigPaths.viewer,
        &m.ConfigPaths.comparetool, &m.ConfigPaths.iconlib, &m.ConfigPaths.mainmenu,
        &m.ConfigPaths.languageini}) {
    used.push_back(*file);
  }
  for (int slot = 1; slot < kSlotCount; ++slot) used.push_back(m.SlotFile(slot));
  return used;
}

PluginSurroundings GatherSurroundings(const TTC* my, const TTC* newModel,
                                      const std::wstring& ownPluginFile,
                                      const platform::SystemFolders& system) {
  PluginSurroundings around;
  for (const std::wstring& tree : system.Trees) AddFolder(around.SystemTrees, tree);
  for (const std::wstring& shared : system.Shared) AddFolder(around.Kept, shared);
  for (const TTC* model : {my, newModel}) {
    if (model) GatherModel(*model, around);
  }
  if (!ownPluginFile.empty()) AddFolder(around.Kept, platform::ExtractFileDir(ownPluginFile));
  return around;
}

bool IsPluginFolderPlace(const std::wstring& dir, const PluginSurroundings& around) {
  const std::wstring lower = Lower(dir);
  if (lower.empty() || !IsPlainPath(lower + L"\\")) return false;
  for (const std::wstring& tree : around.SystemTrees) {
    if (Inside(lower, tree) || IsOrHolds(lower, tree)) return false;
  }
  for (const std::wstring& folder : around.PluginsFolders) {
    if (Inside(lower, folder)) return true;
  }
  // A folder of the user's own that holds plugins side by side; a drive, a
  // system or profile folder holds everything side by side.
  if (DepthBelowRoot(lower) == 0) return false;
  for (const std::wstring& kept : around.Kept) {
    if (IsOrHolds(lower, kept)) return false;
  }
  const auto it = around.PluginFoldersIn.find(lower);
  return it != around.PluginFoldersIn.end() && it->second.size() >= 2;
}

PluginScope DecidePluginScope(const std::wstring& pluginFile, const FolderListing& listing,
                              const PluginSurroundings& around) {
  PluginScope scope;
  scope.File = pluginFile;
  scope.Dir = platform::ExcludeTrailingBackslash(platform::ExtractFileDir(pluginFile));
  const std::wstring lowerDir = Lower(scope.Dir);
  scope.WholeFolder = IsOwnFolder(platform::LowerCase(pluginFile), lowerDir, listing, around);
  if (!scope.WholeFolder) scope.Files = OwnFiles(pluginFile, lowerDir, listing, around);
  return scope;
}

PluginScope PluginScopeOf(const std::wstring& pluginFile, const PluginSurroundings& around) {
  FolderListing listing;
  const std::wstring dir = platform::ExcludeTrailingBackslash(platform::ExtractFileDir(pluginFile));
  if (const std::optional<platform::FileEntry> entry = platform::GetFileEntry(dir)) {
    listing.IsLink = (entry->attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    DWORD error = 0;
    for (const platform::FileEntry& e :
         platform::EnumFiles(platform::LongPathForm(dir + L"\\") + L"*", &error)) {
      if (!e.IsDirectory()) listing.Files.push_back(e.name);
    }
    listing.Readable = error == 0 && entry->IsDirectory();
  }
  return DecidePluginScope(pluginFile, listing, around);
}

PluginScope PluginScopeOf(const std::wstring& pluginFile, const TTC* my, const TTC* newModel,
                          const std::wstring& ownPluginFile) {
  return PluginScopeOf(pluginFile, GatherSurroundings(my, newModel, ownPluginFile,
                                                      platform::GetSystemFolders()));
}

std::wstring AddFolderForKind(const TTC& my, ItemKind kind, const PluginSurroundings& around) {
  const std::wstring settled = Lower(KindFolderOf(my, kind));
  if (!settled.empty() && DepthBelowRoot(settled) > 0 && IsPluginFolderPlace(settled, around)) {
    return settled;
  }
  const std::wstring programDir = Lower(my.ProgramDir());
  if (programDir.empty() || !IsPlainPath(programDir + L"\\")) return {};
  return programDir + L"\\plugins\\" + KindName(kind);
}

}  // namespace orvelle
