#include "tc/configuration_sections.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/expand_variables.h"
#include "tc/ini_line.h"
#include "tc/ttc.h"
#include "util/text_helpers.h"

#include <algorithm>
#include <array>

namespace orvelle {

namespace {

using List = std::vector<std::wstring>;

const std::array<const wchar_t*, 12> kTrackedSections = {
    L"[filesystemplugins]", L"[packerplugins]", L"[listerplugins]", L"[contentplugins]",
    L"[searches]",          L"[user]",          L"[dirmenu]",       L"[configuration]",
    L"[colors]",            L"[packer]",        L"[extensions]",    nullptr};  // 12: FontSection

void PadTo(size_t count, std::initializer_list<List*> lists) {
  for (List* list : lists) {
    if (list->size() < count) list->resize(count);
  }
}

std::wstring PluginPath(const TTC& model, const std::wstring& value) {
  return ConfiguredPath(model, value);
}

// A 64-bit host registers a plugin by its 32-bit name and loads the "64"
// file beside it, which may be the only one there; the row stays until the
// twins have been added, and the missing-file step then drops the 32-bit row.
bool PluginExists(const std::wstring& path) {
  return platform::FileExists(path) || platform::FileExists(path + L"64");
}

void ReadConfigurationEntry(TTC& m, const std::wstring& key, const std::wstring& value) {
  TConfigPaths& c = m.ConfigPaths;
  struct Field {
    const wchar_t* key;
    std::wstring* target;
  };
  const Field fields[] = {{L"comparetool", &c.comparetool}, {L"drivelib", &c.drivelib},
                          {L"editor", &c.editor},           {L"iconlib", &c.iconlib},
                          {L"languageini", &c.languageini}, {L"mainmenu", &c.mainmenu},
                          {L"pluginbasedir", &c.pluginbasedir}, {L"viewer", &c.viewer},
                          {L"colorfilters", &c.colorfilters}};
  if (key == L"version") {
    c.version = value;
    return;
  }
  for (const Field& f : fields) {
    if (key == f.key) {
      *f.target = ExpandVariables(m, value, false);
      return;
    }
  }
  if (key == L"resolutionspecific" && value == L"0") m.FontSection = L"[allresolutions]";
}

void ReadColorsEntry(TTC& m, const std::wstring& key, const std::wstring& value) {
  if (key == L"forecolor") {
    m.ForeColor = value;
  } else if (key == L"backcolor") {
    m.BackColor = value;
  } else if (key == L"backcolor2") {
    m.BackColor2 = value;
  } else if (key.rfind(L"colorfilter", 0) == 0) {
    std::wstring_view rest = std::wstring_view(key).substr(11);
    bool isColor = rest.size() > 5 && rest.substr(rest.size() - 5) == L"color";
    if (isColor) rest.remove_suffix(5);
    int n = 0;
    if (!ParseKeyNumber(rest, 1, n)) return;
    PadTo(static_cast<size_t>(n), {&m.ColorFilters, &m.ColorFilterColors});
    (isColor ? m.ColorFilterColors : m.ColorFilters)[n - 1] = value;
  }
}

void ReadSearchesEntry(TTC& m, const std::wstring& key, const std::wstring& value) {
  // The field names hold no "_", the search names may: split at the last one.
  size_t split = key.rfind(L'_');
  if (split == std::wstring::npos || split == 0) return;
  std::wstring name = key.substr(0, split);
  std::wstring field = key.substr(split + 1);
  List* column = field == L"searchfor"     ? &m.SearchFor
                 : field == L"searchin"    ? &m.SearchIn
                 : field == L"searchtext"  ? &m.SearchText
                 : field == L"searchflags" ? &m.SearchFlags
                 : field == L"plugin"      ? &m.SearchPlugin
                                           : nullptr;
  if (!column) return;
  auto it = std::find(m.SearchNames.begin(), m.SearchNames.end(), name);
  size_t row = static_cast<size_t>(it - m.SearchNames.begin());
  if (it == m.SearchNames.end()) {
    m.SearchNames.push_back(name);
    PadTo(m.SearchNames.size(),
          {&m.SearchFor, &m.SearchIn, &m.SearchText, &m.SearchFlags, &m.SearchPlugin});
  }
  (*column)[row] = value;
}

void ReadDirMenuEntry(TTC& m, const std::wstring& key, const std::wstring& value) {
  int n = 0;
  bool isMenu = ParseNumberedKey(key, L"menu", 1, n);
  if (!isMenu && !ParseNumberedKey(key, L"cmd", 1, n)) return;
  PadTo(static_cast<size_t>(n), {&m.DirMenuNames, &m.DirMenuCommands});
  (isMenu ? m.DirMenuNames : m.DirMenuCommands)[n - 1] = value;
}

void ReadPackerEntry(TTC& m, const std::wstring& key, const std::wstring& value) {
  for (size_t i = 0; i < kPackerKeys.size(); ++i) {
    if (key != kPackerKeys[i]) continue;
    m.PackerCommands[i] = value;
    if (value.empty()) return;
    std::wstring path = platform::LowerCase(ExpandVariables(m, value, true));
    size_t options = path.find(L" -");
    m.ProgramPaths.push_back(options == std::wstring::npos ? path : path.substr(0, options));
    return;
  }
}

void ReadPackerPluginEntry(TTC& m, const std::wstring& key, const std::wstring& value,
                           const std::wstring& rawLine) {
  size_t comma = value.find(L',');
  if (comma == std::wstring::npos) return;
  std::wstring flags = platform::Trim(value.substr(0, comma));
  if (flags.empty()) flags = L"0";
  std::wstring path = PluginPath(m, platform::Trim(value.substr(comma + 1)));
  if (!PluginExists(path)) return;
  auto it = std::find(m.PackerPluginFiles.begin(), m.PackerPluginFiles.end(), path);
  size_t row = static_cast<size_t>(it - m.PackerPluginFiles.begin());
  if (it == m.PackerPluginFiles.end()) {
    m.PackerPluginFiles.push_back(path);
    m.ProgramPaths.push_back(path);
    m.PackerPluginNames.push_back(platform::ExtractFileName(path));
    m.PackerPluginExtensions.emplace_back();
    m.PackerPluginFlags.emplace_back();
    m.PackerPluginLines.push_back(rawLine);
  }
  m.PackerPluginExtensions[row] += key + L";";
  m.PackerPluginFlags[row] += flags + L";";
}

void ReadExtensionsEntry(TTC& m, const std::wstring& key, const std::wstring& value) {
  if (key.empty()) return;
  m.ExtensionKeys.push_back(key);
  size_t caret = value.find(L" ^");
  m.ExtensionCommands.push_back(caret == std::wstring::npos ? std::wstring()
                                                            : value.substr(0, caret));
}

struct NumberedPluginLists {
  List& files;
  List& names;
  List& detect;
  List& lines;
};

void ReadNumberedPluginEntry(TTC& m, NumberedPluginLists l, const std::wstring& key,
                             const std::wstring& value, const std::wstring& rawLine) {
  size_t underscore = key.find(L'_');
  int n = 0;
  if (underscore != std::wstring::npos) {
    if (key.substr(underscore + 1) != L"detect") return;
    if (!ParseKeyNumber(std::wstring_view(key).substr(0, underscore), 0, n)) return;
    PadTo(static_cast<size_t>(n) + 1, {&l.files, &l.names, &l.detect, &l.lines});
    l.detect[n] = value;
    return;
  }
  if (!ParseKeyNumber(key, 0, n)) return;
  PadTo(static_cast<size_t>(n) + 1, {&l.files, &l.names, &l.detect, &l.lines});
  l.files[n] = PluginPath(m, value);
  l.names[n] = platform::ExtractFileName(l.files[n]);
  l.lines[n] = rawLine.substr(rawLine.find(L'='));
  m.ProgramPaths.push_back(l.files[n]);
}

void ReadFileSystemPluginEntry(TTC& m, const std::wstring& key, const std::wstring& value,
                               const std::wstring& rawLine) {
  std::wstring path = PluginPath(m, value);
  if (!PluginExists(path)) return;
  m.FsPluginKeys.push_back(key);
  m.FsPluginFiles.push_back(path);
  m.ProgramPaths.push_back(path);
  m.FsPluginNames.push_back(platform::ExtractFileName(path));
  m.FsPluginLines.push_back(rawLine);
}

void ReadUserEntry(TTC& m, const std::wstring& key, const std::wstring& value,
                   const std::wstring& rawLine) {
  struct Field {
    const wchar_t* prefix;
    List* list;
  };
  const Field fields[] = {{L"menu", &m.UserMenus},
                          {L"cmd", &m.UserCommands},
                          {L"param", &m.UserParams},
                          {L"path", &m.UserPaths}};
  for (const Field& f : fields) {
    int n = 0;
    if (!ParseNumberedKey(key, f.prefix, 1, n)) continue;
    PadTo(static_cast<size_t>(n),
          {&m.UserMenus, &m.UserCommands, &m.UserParams, &m.UserPaths, &m.UserLines});
    (*f.list)[n - 1] = value;
    m.UserLines[n - 1] += rawLine + L"\n";
    return;
  }
}

void ReadFontEntry(TTC& m, const std::wstring& key, const std::wstring& value) {
  for (size_t i = 0; i < 2; ++i) {
    std::wstring suffix = i == 0 ? L"" : L"window";
    if (key == L"fontname" + suffix) {
      m.FontNames[i] = value;
    } else if (key == L"fontsize" + suffix) {
      long long size = 0;
      if (ParseDecimal(value, size, -32768, 32767)) m.FontSizes[i] = static_cast<int>(size);
    } else if (key == L"fontweight" + suffix) {
      m.FontWeightFlags[i] = value != L"400";
    }
  }
}

}  // namespace

int TrackedSlotOf(const TTC& model, std::wstring_view header) {
  for (size_t i = 0; i < kTrackedSections.size(); ++i) {
    if (kTrackedSections[i] && header == kTrackedSections[i]) return static_cast<int>(i) + 1;
  }
  if (header == platform::LowerCase(model.FontSection)) return kSlotFont;
  return 0;
}

void ReadSectionEntry(TTC& model, int slot, const std::wstring& key, const std::wstring& value,
                      const std::wstring& rawLine) {
  switch (slot) {
    case kSlotFileSystemPlugins:
      ReadFileSystemPluginEntry(model, key, value, rawLine);
      break;
    case kSlotPackerPlugins:
      ReadPackerPluginEntry(model, key, value, rawLine);
      break;
    case kSlotListerPlugins:
      ReadNumberedPluginEntry(model,
                              {model.ListerPluginFiles, model.ListerPluginNames,
                               model.ListerPluginDetect, model.ListerPluginLines},
                              key, value, rawLine);
      break;
    case kSlotContentPlugins:
      ReadNumberedPluginEntry(model,
                              {model.ContentPluginFiles, model.ContentPluginNames,
                               model.ContentPluginDetect, model.ContentPluginLines},
                              key, value, rawLine);
      break;
    case kSlotSearches:
      ReadSearchesEntry(model, key, value);
      break;
    case kSlotUser:
      ReadUserEntry(model, key, value, rawLine);
      break;
    case kSlotDirMenu:
      ReadDirMenuEntry(model, key, value);
      break;
    case kSlotConfiguration:
      ReadConfigurationEntry(model, key, value);
      break;
    case kSlotColors:
      ReadColorsEntry(model, key, value);
      break;
    case kSlotPacker:
      ReadPackerEntry(model, key, value);
      break;
    case kSlotExtensions:
      ReadExtensionsEntry(model, key, value);
      break;
    case kSlotFont:
      ReadFontEntry(model, key, value);
      break;
    default:
      break;
  }
}

void ClearSection(TTC& m, int slot) {
  auto clear = [](std::initializer_list<List*> lists) {
    for (List* l : lists) l->clear();
  };
  switch (slot) {
    case kSlotFileSystemPlugins:
      clear({&m.FsPluginKeys, &m.FsPluginFiles, &m.FsPluginNames, &m.FsPluginLines});
      break;
    case kSlotPackerPlugins:
      clear({&m.PackerPluginFiles, &m.PackerPluginExtensions, &m.PackerPluginFlags,
             &m.PackerPluginNames, &m.PackerPluginLines});
      break;
    case kSlotListerPlugins:
      clear({&m.ListerPluginFiles, &m.ListerPluginNames, &m.ListerPluginDetect,
             &m.ListerPluginLines});
      break;
    case kSlotContentPlugins:
      clear({&m.ContentPluginFiles, &m.ContentPluginNames, &m.ContentPluginDetect,
             &m.ContentPluginLines});
      break;
    case kSlotSearches:
      clear({&m.SearchNames, &m.SearchFor, &m.SearchIn, &m.SearchText, &m.SearchFlags,
             &m.SearchPlugin});
      break;
    case kSlotUser:
      clear({&m.UserMenus, &m.UserCommands, &m.UserParams, &m.UserPaths, &m.UserLines});
      break;
    case kSlotDirMenu:
      clear({&m.DirMenuNames, &m.DirMenuCommands});
      break;
    case kSlotConfiguration:
      m.ConfigPaths = TConfigPaths();
      break;
    case kSlotColors:
      // Back to "not set", so that the defaults apply when the redirected
      // file does not set a colour.
      m.ForeColor = m.BackColor = m.BackColor2 = kColorNotSet;
      clear({&m.ColorFilters, &m.ColorFilterColors});
      break;
    case kSlotPacker:
      m.PackerCommands = {};
      break;
    case kSlotExtensions:
      clear({&m.ExtensionKeys, &m.ExtensionCommands});
      break;
    case kSlotFont:
      m.FontNames = {kDefaultFontName, kDefaultFontName};
      m.FontSizes = {kDefaultFontSize, kDefaultFontSize};
      m.FontWeightFlags = {true, true};
      break;
    default:
      break;
  }
}

}  // namespace orvelle
