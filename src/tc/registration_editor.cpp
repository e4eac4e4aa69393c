#include "tc/registration_editor.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/edit_plan.h"
#include "tc/expand_variables.h"
#include "tc/ini_line.h"
#include "tc/ttc.h"

#include <cwctype>
#include <functional>
#include <set>

namespace orvelle {

namespace {

const std::wstring& At(const std::vector<std::wstring>& list, size_t i) {
  static const std::wstring kEmpty;
  return i < list.size() ? list[i] : kEmpty;
}

// A path as the configuration reader makes it of a registration value.
std::wstring ReadPath(const TTC& model, std::wstring_view value) {
  return ConfiguredPath(model, value);
}

// The value of an entry line ("key = value"), trimmed; false for other lines.
bool EntryValue(const std::wstring& line, std::wstring& key, std::wstring& value) {
  return IsEntryLine(line) && SplitIniEntry(platform::Trim(line), key, value);
}

// The path part of a packer plugin value "flags,path".
std::wstring PackerPath(const std::wstring& value) {
  size_t comma = value.find(L',');
  return comma == std::wstring::npos ? std::wstring() : value.substr(comma + 1);
}

// Whether a line of the section names the plugin under a key that is no
// entry number ("x=...", "1a=..."): the host's numbering could not be kept.
bool NamedWithoutNumber(const std::vector<std::wstring>& lines, const wchar_t* header,
                        const TTC& my, const std::wstring& registeredPath) {
  bool inSection = false;
  for (const std::wstring& line : lines) {
    if (IsSectionStart(line)) {
      inSection = SectionHeaderOf(platform::Trim(line)) == header;
      continue;
    }
    std::wstring key, value;
    if (inSection && EntryValue(line, key, value) && key.find(L'_') == std::wstring::npos &&
        !EntryNumberOf(line, EntryNumbering::Leading) && ReadPath(my, value) == registeredPath) {
      return true;
    }
  }
  return false;
}

// The 64-bit host keeps beside each plugin section a marker section
// ("[ListerPlugins64]") naming the entries it found a 64-bit file for: by
// number for lister and content plugins, by name for file-system plugins.
// It stands beside the section it marks, or in the configuration file in
// force when that section was redirected; a marker that is not kept in step
// would describe another plugin once the entries behind a removed one move.
using MarkerEdit = std::function<std::vector<RemovedGroup>(std::vector<std::wstring>&)>;

void KeepMarkersInStep(EditPlan& plan, const TTC& my, const std::wstring& sectionFile,
                       const MarkerEdit& edit) {
  std::vector<std::wstring> files{sectionFile};
  if (!platform::EqualsNoCase(my.IniFile, sectionFile)) files.push_back(my.IniFile);
  for (const std::wstring& file : files) {
    if (TextDocument* doc = plan.Document(file)) plan.AddRemoval(file, edit(doc->lines));
  }
}

std::wstring MarkerHeaderOf(const wchar_t* header) {
  std::wstring marker(header);
  marker.insert(marker.size() - 1, L"64");
  return marker;
}

int RemoveNumbered(EditPlan& plan, const TTC& my, int slot, const wchar_t* header,
                   const std::wstring& registeredPath) {
  const std::wstring file = my.SlotFile(slot);
  TextDocument* doc = plan.Document(file);
  if (!doc) return kRemovalFileError;
  if (NamedWithoutNumber(doc->lines, header, my, registeredPath)) return kRemovalFileError;
  auto groups = RemoveNumberedEntries(
      doc->lines, header, EntryNumbering::Leading, [&](const std::wstring& line) {
        std::wstring key, value;
        // Only the entry line names the plugin; its detect line goes with it.
        if (!EntryValue(line, key, value) || key.find(L'_') != std::wstring::npos) return false;
        return ReadPath(my, value) == registeredPath;
      });
  if (groups.empty()) return kRemovalNothing;
  std::vector<int> numbers;
  for (const RemovedGroup& group : groups) {
    numbers.insert(numbers.end(), group.RemovedNumbers.begin(), group.RemovedNumbers.end());
  }
  plan.AddRemoval(file, std::move(groups));
  const std::wstring marker = MarkerHeaderOf(header);
  KeepMarkersInStep(plan, my, file, [&](std::vector<std::wstring>& lines) {
    return RemoveMarkerEntries(lines, marker, numbers);
  });
  return kRemovalDone;
}

// The saved search whose plugin condition uses the content plugin: its name
// (lower-cased, as the reader keys searches), or empty.
std::wstring SearchUsingPlugin(const std::vector<std::wstring>& lines, const std::wstring& base) {
  bool inSearches = false;
  for (const std::wstring& line : lines) {
    if (IsSectionStart(line)) {
      inSearches = SectionHeaderOf(platform::Trim(line)) == L"[searches]";
      continue;
    }
    std::wstring key, value;
    if (!inSearches || !EntryValue(line, key, value)) continue;
    const size_t split = key.rfind(L'_');
    if (split == std::wstring::npos || split == 0 || key.substr(split + 1) != L"plugin") continue;
    if (SearchValueNamesPlugin(value, base)) return key.substr(0, split);
  }
  return {};
}

int RemoveSearchUsing(EditPlan& plan, const TTC& my, const std::wstring& registeredPath) {
  std::wstring base = platform::ExtractFileName(registeredPath);
  base = base.substr(0, base.find(L'.'));
  if (base.empty()) return kRemovalNothing;
  const std::wstring file = my.SlotFile(kSlotSearches);
  TextDocument* doc = plan.Document(file);
  if (!doc) return kRemovalFileError;
  const std::wstring name = SearchUsingPlugin(doc->lines, base);
  if (name.empty()) return kRemovalNothing;
  // The reader keys a search line by the text before its last "_": exactly
  // the lines of that search go, not those of others that merely hold its
  // name somewhere.
  auto groups = RemoveSectionLines(doc->lines, L"[searches]", [&](const std::wstring& line) {
    std::wstring key, value;
    if (!EntryValue(line, key, value)) return false;
    const size_t split = key.rfind(L'_');
    return split != std::wstring::npos && key.substr(0, split) == name;
  });
  if (groups.empty()) return kRemovalNothing;
  plan.AddRemoval(file, std::move(groups));
  return kRemovalDone;
}

}  // namespace

const std::vector<std::wstring>* PluginFilesOf(const TTC& model, ItemKind kind) {
  switch (kind) {
    case ItemKind::FileSystemPlugin: return &model.FsPluginFiles;
    case ItemKind::PackerPlugin: return &model.PackerPluginFiles;
    case ItemKind::ListerPlugin: return &model.ListerPluginFiles;
    case ItemKind::ContentPlugin: return &model.ContentPluginFiles;
    default: return nullptr;
  }
}

std::wstring RegisteredPluginPath(const TTC& model, ItemKind kind, size_t row) {
  std::wstring value;
  const std::vector<std::wstring>* files = nullptr;
  switch (kind) {
    case ItemKind::FileSystemPlugin: {
      const std::wstring& line = At(model.FsPluginLines, row);
      size_t eq = line.find(L'=');
      if (eq != std::wstring::npos) value = line.substr(eq + 1);
      files = &model.FsPluginFiles;
      break;
    }
    case ItemKind::PackerPlugin: {
      const std::wstring& line = At(model.PackerPluginLines, row);
      size_t eq = line.find(L'=');
      if (eq != std::wstring::npos) value = PackerPath(line.substr(eq + 1));
      files = &model.PackerPluginFiles;
      break;
    }
    case ItemKind::ListerPlugin:
    case ItemKind::ContentPlugin: {
      const bool lister = kind == ItemKind::ListerPlugin;
      const std::wstring& line = At(lister ? model.ListerPluginLines : model.ContentPluginLines, row);
      if (!line.empty()) value = line.substr(1);  // the line is kept from its "=" on
      files = lister ? &model.ListerPluginFiles : &model.ContentPluginFiles;
      break;
    }
    default:
      return {};
  }
  if (!platform::Trim(value).empty()) return ReadPath(model, value);
  // A "64" row without a line of its own: the registration names the file
  // without "64" (which need not exist: the host loads the "64" file).
  std::wstring file = platform::LowerCase(At(*files, row));
  if (file.size() > 2 && file.ends_with(L"64")) file.resize(file.size() - 2);
  return file;
}

int RemoveFsPluginLine(EditPlan& plan, const TTC& my, const std::wstring& registeredPath) {
  const std::wstring file = my.SlotFile(kSlotFileSystemPlugins);
  TextDocument* doc = plan.Document(file);
  if (!doc) return kRemovalFileError;
  auto groups = RemoveSectionLines(doc->lines, L"[filesystemplugins]", [&](const std::wstring& line) {
    std::wstring key, value;
    return EntryValue(line, key, value) && ReadPath(my, value) == registeredPath;
  });
  if (groups.empty()) return kRemovalNothing;
  // The names that register nothing any more lose their markers.
  std::set<std::wstring> names;
  for (const RemovedGroup& group : groups) {
    for (const RemovedLine& line : group.Lines) {
      std::wstring key, value;
      if (EntryValue(line.Text, key, value)) names.insert(key);
    }
  }
  bool inSection = false;
  for (const std::wstring& line : doc->lines) {
    std::wstring key, value;
    if (IsSectionStart(line)) {
      inSection = SectionHeaderOf(platform::Trim(line)) == L"[filesystemplugins]";
    } else if (inSection && EntryValue(line, key, value)) {
      names.erase(key);
    }
  }
  plan.AddRemoval(file, std::move(groups));
  if (names.empty()) return kRemovalDone;
  KeepMarkersInStep(plan, my, file, [&](std::vector<std::wstring>& lines) {
    return RemoveSectionLines(lines, L"[filesystemplugins64]", [&](const std::wstring& line) {
      std::wstring key, value;
      return EntryValue(line, key, value) && names.count(key) > 0;
    });
  });
  return kRemovalDone;
}

int RemovePackerPluginLines(EditPlan& plan, const TTC& my, const std::wstring& registeredPath) {
  const std::wstring file = my.SlotFile(kSlotPackerPlugins);
  TextDocument* doc = plan.Document(file);
  if (!doc) return kRemovalFileError;
  auto groups = RemoveSectionLines(doc->lines, L"[packerplugins]", [&](const std::wstring& line) {
    std::wstring key, value;
    if (!EntryValue(line, key, value)) return false;
    const std::wstring path = PackerPath(value);
    return !path.empty() && ReadPath(my, path) == registeredPath;
  });
  if (groups.empty()) return kRemovalNothing;
  plan.AddRemoval(file, std::move(groups));
  return kRemovalDone;
}

int RemoveListerPluginEntry(EditPlan& plan, const TTC& my, const std::wstring& registeredPath) {
  return RemoveNumbered(plan, my, kSlotListerPlugins, L"[listerplugins]", registeredPath);
}

int RemoveContentPluginEntry(EditPlan& plan, const TTC& my, const std::wstring& registeredPath) {
  const int code =
      RemoveNumbered(plan, my, kSlotContentPlugins, L"[contentplugins]", registeredPath);
  if (code != kRemovalDone) return code;
  return RemoveSearchUsing(plan, my, registeredPath) == kRemovalFileError ? kRemovalFileError
                                                                          : kRemovalDone;
}

int RemovePluginRegistration(EditPlan& plan, const TTC& my, ItemKind kind,
                             const std::wstring& registeredPath) {
  switch (kind) {
    case ItemKind::FileSystemPlugin: return RemoveFsPluginLine(plan, my, registeredPath);
    case ItemKind::PackerPlugin: return RemovePackerPluginLines(plan, my, registeredPath);
    case ItemKind::ListerPlugin: return RemoveListerPluginEntry(plan, my, registeredPath);
    case ItemKind::ContentPlugin: return RemoveContentPluginEntry(plan, my, registeredPath);
    default: return kRemovalNothing;
  }
}

bool LineRegistersPath(const TTC& my, ItemKind kind, const std::wstring& line,
                       const std::wstring& registeredPath) {
  std::wstring key, value;
  if (!EntryValue(line, key, value)) return false;
  switch (kind) {
    case ItemKind::FileSystemPlugin: return ReadPath(my, value) == registeredPath;
    case ItemKind::PackerPlugin: {
      const std::wstring path = PackerPath(value);
      return !path.empty() && ReadPath(my, path) == registeredPath;
    }
    case ItemKind::ListerPlugin:
    case ItemKind::ContentPlugin:
      return key.find(L'_') == std::wstring::npos &&
             EntryNumberOf(line, EntryNumbering::Leading).has_value() &&
             ReadPath(my, value) == registeredPath;
    default: return false;
  }
}

bool SearchValueNamesPlugin(const std::wstring& value, const std::wstring& base) {
  const std::wstring lower = platform::LowerCase(value);
  const std::wstring needle = base + L".";
  for (size_t at = lower.find(needle); at != std::wstring::npos; at = lower.find(needle, at + 1)) {
    if (at == 0) return true;
    const wchar_t before = lower[at - 1];
    if (!std::iswalnum(before) && before != L'_' && before != L'.') return true;
  }
  return false;
}

}  // namespace orvelle
