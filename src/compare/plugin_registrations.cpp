#include "compare/plugin_registrations.h"

#include "tc/ttc.h"
#include "util/text_helpers.h"

#include "platform/fs.h"
#include "platform/strings.h"

#include <map>
#include <unordered_set>

namespace orvelle {

namespace {

// The model's lists of one kind, row by row.
struct KindLists {
  const std::vector<std::wstring>& files;
  const std::vector<std::wstring>& lines;
  const std::vector<std::wstring>* detect = nullptr;
  const std::vector<std::wstring>* extensions = nullptr;
  const std::vector<std::wstring>* flags = nullptr;
};

KindLists ListsOf(const TTC& m, PluginKind kind) {
  switch (kind) {
    case PluginKind::Wfx: return {m.FsPluginFiles, m.FsPluginLines};
    case PluginKind::Wcx:
      return {m.PackerPluginFiles, m.PackerPluginLines, nullptr, &m.PackerPluginExtensions,
              &m.PackerPluginFlags};
    case PluginKind::Wlx: return {m.ListerPluginFiles, m.ListerPluginLines, &m.ListerPluginDetect};
    case PluginKind::Wdx:
      return {m.ContentPluginFiles, m.ContentPluginLines, &m.ContentPluginDetect};
  }
  return {m.FsPluginFiles, m.FsPluginLines};
}

const std::wstring& At(const std::vector<std::wstring>& list, size_t i) {
  static const std::wstring kEmpty;
  return i < list.size() ? list[i] : kEmpty;
}

bool EndsWith64(std::wstring_view s) { return s.size() >= 2 && s.substr(s.size() - 2) == L"64"; }

// The path part of a registration line, as written.
std::wstring WrittenPath(PluginKind kind, std::wstring_view line) {
  size_t eq = line.find(L'=');
  std::wstring_view value = eq == std::wstring_view::npos ? line : line.substr(eq + 1);
  if (kind == PluginKind::Wcx) {
    size_t comma = value.find(L',');
    value = comma == std::wstring_view::npos ? std::wstring_view() : value.substr(comma + 1);
  }
  return platform::Trim(value);
}

// A file-system plugin's name is the key of its line, as written.
std::wstring WrittenKey(std::wstring_view line) {
  size_t eq = line.find(L'=');
  return eq == std::wstring_view::npos ? std::wstring() : platform::Trim(line.substr(0, eq));
}

// The row whose file the reader found "64" beside: files[row] without "64".
int OriginalOf(const std::vector<std::wstring>& files, size_t row) {
  const std::wstring& file = files[row];
  if (!EndsWith64(file)) return -1;
  std::wstring_view original = std::wstring_view(file).substr(0, file.size() - 2);
  for (size_t j = 0; j < files.size(); ++j) {
    if (j != row && platform::EqualsNoCase(files[j], original)) return static_cast<int>(j);
  }
  return -1;
}

std::vector<std::wstring> SplitList(const std::wstring& text) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L';', start);
    if (end == std::wstring::npos) end = text.size();
    parts.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

void FillPackerExtensions(PluginRegistration& r, const std::wstring& extensions,
                          const std::wstring& flags) {
  std::vector<std::wstring> exts = SplitList(extensions);
  std::vector<std::wstring> numbers = SplitList(flags);
  for (size_t i = 0; i < exts.size(); ++i) {
    if (exts[i].empty()) continue;
    long long value = 0;
    if (i >= numbers.size() || !ParseDecimal(numbers[i], value, 0, 0x7FFFFFFF)) value = 0;
    r.Extensions.push_back(platform::LowerCase(exts[i]));
    r.Flags.push_back(value);
  }
}

// A row that has lost its line (the 64-bit file that a 64-bit host loads for
// a registered 32-bit name that has no file of its own): its path written as
// a configuration of this installation would write it.
std::wstring WrittenFromFile(const TTC& model, const std::wstring& file) {
  const std::wstring programDir = platform::LowerCase(model.ProgramDir());
  const std::wstring lower = platform::LowerCase(file);
  if (programDir.empty() || !lower.starts_with(programDir)) return file;
  return L"%COMMANDER_PATH%\\" + file.substr(programDir.size());
}

}  // namespace

std::vector<PluginRegistration> PluginRegistrations(const TTC& model, PluginKind kind) {
  KindLists lists = ListsOf(model, kind);
  std::vector<PluginRegistration> rows;
  std::unordered_set<std::wstring> seen;
  for (size_t i = 0; i < lists.files.size(); ++i) {
    PluginRegistration r;
    r.File = lists.files[i];
    if (r.File.empty()) continue;
    std::wstring line = At(lists.lines, i);
    int original = OriginalOf(lists.files, i);
    if (line.empty() && original >= 0) line = At(lists.lines, static_cast<size_t>(original));
    r.Value = WrittenPath(kind, line);
    if (r.Value.empty()) r.Value = WrittenFromFile(model, r.File);
    // The reader's twin rows repeat (or lack) their original's line.
    const bool twin = EndsWith64(platform::LowerCase(r.File)) &&
                      !EndsWith64(platform::LowerCase(r.Value));
    if (twin) r.Value += L"64";
    if (!seen.insert(platform::LowerCase(r.Value)).second) continue;

    if (kind == PluginKind::Wfx) {
      r.Name = WrittenKey(line);
      if (!r.Name.empty() && twin) r.Name += L"64";
      if (r.Name.empty()) r.Name = At(model.FsPluginKeys, i);
    } else {
      r.Name = platform::ExtractFileName(r.Value);
    }
    if (r.Name.empty()) r.Name = platform::ExtractFileName(r.File);
    if (lists.detect) r.Detect = At(*lists.detect, i);
    if (lists.extensions) FillPackerExtensions(r, At(*lists.extensions, i), At(*lists.flags, i));
    rows.push_back(std::move(r));
  }
  return rows;
}

int FindRegistration(const std::vector<PluginRegistration>& rows, std::wstring_view value) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (platform::EqualsNoCase(rows[i].Value, value)) return static_cast<int>(i);
  }
  return -1;
}

std::wstring TwinValue(std::wstring_view value) {
  if (EndsWith64(value)) return std::wstring(value.substr(0, value.size() - 2));
  return std::wstring(value) + L"64";
}

void MarkNameClashes(std::vector<PluginRegistration>& newRows,
                     const std::vector<PluginRegistration>& myRows) {
  for (PluginRegistration& n : newRows) {
    for (const PluginRegistration& m : myRows) {
      if (!platform::EqualsNoCase(n.Name, m.Name)) continue;
      if (!platform::EqualsNoCase(n.Value, m.Value)) n.Name += L"*";
      break;
    }
  }
}

std::set<std::wstring> SharedPluginDirectories(const TTC& model,
                                               const std::vector<std::wstring>& moreFiles) {
  // directory -> the plugins in it, a "64" twin folded onto its original
  std::map<std::wstring, std::set<std::wstring>> plugins;
  for (const auto* files : {&model.FsPluginFiles, &model.PackerPluginFiles,
                            &model.ListerPluginFiles, &model.ContentPluginFiles, &moreFiles}) {
    for (const std::wstring& file : *files) {
      if (file.empty()) continue;
      std::wstring lower = platform::LowerCase(file);
      std::wstring key = EndsWith64(lower) ? lower.substr(0, lower.size() - 2) : lower;
      plugins[platform::ExtractFilePath(lower)].insert(key);
    }
  }
  std::set<std::wstring> shared;
  for (const auto& [dir, files] : plugins) {
    if (files.size() > 1) shared.insert(dir);
  }
  return shared;
}

}  // namespace orvelle
