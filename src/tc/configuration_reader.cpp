#include "tc/configuration_reader.h"

#include "platform/fs.h"
#include "platform/message_box.h"
#include "platform/strings.h"
#include "tc/configuration_sections.h"
#include "tc/expand_variables.h"
#include "tc/ini_line.h"
#include "tc/menu_reader.h"
#include "tc/ttc.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "util/text_file.h"

namespace orvelle {

namespace {

struct SectionState {
  std::wstring header;
  int slot = 0;
  bool active = false;          // entries of this section are read
  bool redirected = false;      // the section came from another file: the rest is skipped
  bool redirectKey = false;     // an explicit "redirectsection" was met
  bool wantsAlternate = false;  // "redirectsection=1" before "alternateuserini" took effect
};

bool AlternateInForce(const TTC& m) { return !platform::EqualsNoCase(m.IniFile, m.MainIniFile); }

// Sections that follow the "alternateuserini" file without being told.
bool FollowsAlternate(int slot) {
  return slot == kSlotColors || slot == kSlotSearches || slot == kSlotDirMenu ||
         slot == kSlotUser || slot == kSlotFont;
}

class Reader {
 public:
  Reader(TTC& model, std::wstring fileName, bool redirectMode, std::wstring section)
      : m_(model), file_(std::move(fileName)), redirect_(redirectMode), wanted_(std::move(section)) {}

  bool Run() {
    std::optional<TextDocument> doc = LoadTextFile(file_);
    if (!doc) {
      platform::ShowError(Tr(texts::kConfigurationNotOpened) + (L"\n" + file_));
      return false;
    }
    for (const std::wstring& raw : doc->lines) {
      std::wstring line = platform::Trim(raw);
      if (line.empty() || line[0] == L';') continue;
      if (line[0] == L'[') {
        if (!EndSection()) return false;
        StartSection(line);
      } else if (state_.active && !state_.redirected && !Entry(line, raw)) {
        return false;
      }
    }
    return EndSection();
  }

 private:
  void StartSection(const std::wstring& line) {
    state_ = SectionState();
    state_.header = SectionHeaderOf(line);
    state_.slot = TrackedSlotOf(m_, state_.header);
    state_.active = !redirect_ || state_.header == wanted_;
    if (!state_.active) return;
    if (redirect_) ClearSection(m_, state_.slot);
    if (state_.slot != 0) m_.SectionFile[static_cast<size_t>(state_.slot)] = file_;
  }

  // Reads the current section from another file instead of this one.
  bool RedirectTo(const std::wstring& file) {
    state_.redirected = true;
    if (state_.slot != 0) m_.SectionFile[static_cast<size_t>(state_.slot)] = file;
    return LoadConfiguration(m_, file, true, state_.header);
  }

  bool Entry(const std::wstring& line, const std::wstring& raw) {
    std::wstring key, value;
    if (!SplitIniEntry(line, key, value)) return true;
    if (state_.slot == kSlotConfiguration && key == L"alternateuserini") {
      return redirect_ || AlternateUserIni(value);
    }
    if (state_.slot != 0 && key == L"redirectsection") {
      return redirect_ || RedirectSection(value);
    }
    if (state_.slot != 0) ReadSectionEntry(m_, state_.slot, key, value, raw);
    return true;
  }

  bool AlternateUserIni(const std::wstring& value) {
    std::wstring file = CanonicalPath(ExpandVariables(m_, value, true));
    if (!platform::FileExists(file)) return true;
    m_.MainIniFile = m_.IniFile;
    m_.IniFile = file;
    if (state_.wantsAlternate && AlternateInForce(m_)) return RedirectTo(m_.IniFile);
    return true;
  }

  bool RedirectSection(const std::wstring& value) {
    state_.redirectKey = true;
    if (value == L"0") return true;
    if (value == L"1") {
      if (AlternateInForce(m_)) return RedirectTo(m_.IniFile);
      state_.wantsAlternate = true;
      return true;
    }
    // A redirect to a missing file is ignored: the section is read here.
    std::wstring file = CanonicalPath(ExpandVariables(m_, value, true));
    if (!platform::FileExists(file)) return true;
    return RedirectTo(file);
  }

  bool EndSection() {
    if (redirect_ || !state_.active || state_.redirectKey || state_.redirected) return true;
    if (!AlternateInForce(m_) || !FollowsAlternate(state_.slot)) return true;
    if (platform::EqualsNoCase(file_, m_.IniFile)) return true;
    state_.redirected = true;
    return LoadConfiguration(m_, m_.IniFile, true, state_.header);
  }

  TTC& m_;
  const std::wstring file_;  // copies: a redirect may name IniFile, which a read can change
  const bool redirect_;
  const std::wstring wanted_;
  SectionState state_;
};

bool IsAbsolutePath(const std::wstring& path) {
  return path.find(L':') != std::wstring::npos || path.rfind(L"\\\\", 0) == 0;
}

// The main menu file: as configured, else in the LANGUAGE folder, else the
// English one there. A relative name is never tried against the current
// directory of the host process, which means nothing for the configuration.
// When there is none, MissingMainMenu names the file the host would use and
// the menu stays empty: a user may have deleted or renamed it, and the rest
// of the installation is still worth comparing.
bool SettleMainMenuFile(TTC& m) {
  std::wstring configured = ExpandVariables(m, m.ConfigPaths.mainmenu, false);
  std::wstring languageDir = m.ProgramDir() + L"LANGUAGE\\";
  for (const std::wstring& candidate :
       {IsAbsolutePath(configured) ? configured : std::wstring(), languageDir + configured,
        languageDir + L"WCMD_ENG.MNU"}) {
    if (!candidate.empty() && platform::FileExists(candidate)) {
      m.ConfigPaths.mainmenu = candidate;
      m.MissingMainMenu.clear();
      return true;
    }
  }
  m.MissingMainMenu = IsAbsolutePath(configured) ? configured
                      : configured.empty()       ? languageDir + L"WCMD_ENG.MNU"
                                                 : languageDir + configured;
  m.ConfigPaths.mainmenu.clear();
  return false;
}

void SettleLanguageFile(TTC& m) {
  if (m.ConfigPaths.languageini.empty()) return;
  std::wstring language = ExpandVariables(m, m.ConfigPaths.languageini, false);
  if (!IsAbsolutePath(language) || !platform::FileExists(language)) {
    language = m.ProgramDir() + L"LANGUAGE\\" + language;
  }
  m.ConfigPaths.languageini = language;
}

void SettleIconLibrary(TTC& m) {
  std::wstring library;
  if (!m.ConfigPaths.iconlib.empty()) library = ExpandVariables(m, m.ConfigPaths.iconlib, true);
  m.ConfigPaths.iconlib =
      !library.empty() && platform::FileExists(library) ? library : m.ExeFile;
}

// Appends a row for the "64" file beside each plugin registered with its
// 32-bit name; the host loads that one when it runs as a 64-bit program.
// The twin keeps its original's registration line, extensions, flags and
// detect string, so that every row keeps its line.
void AddPluginTwins(TTC& m) {
  for (size_t i = 0, n = m.FsPluginFiles.size(); i < n; ++i) {
    if (!platform::FileExists(m.FsPluginFiles[i] + L"64")) continue;
    m.FsPluginFiles.push_back(m.FsPluginFiles[i] + L"64");
    m.FsPluginNames.push_back(m.FsPluginNames[i] + L"64");
    m.FsPluginKeys.push_back(m.FsPluginKeys[i] + L"64");
    m.FsPluginLines.emplace_back();
  }
  for (size_t i = 0, n = m.PackerPluginFiles.size(); i < n; ++i) {
    if (!platform::FileExists(m.PackerPluginFiles[i] + L"64")) continue;
    m.PackerPluginFiles.push_back(m.PackerPluginFiles[i] + L"64");
    m.PackerPluginNames.push_back(m.PackerPluginNames[i] + L"64");
    m.PackerPluginExtensions.push_back(m.PackerPluginExtensions[i]);
    m.PackerPluginFlags.push_back(m.PackerPluginFlags[i]);
    m.PackerPluginLines.push_back(m.PackerPluginLines[i]);
  }
  auto numbered = [](std::vector<std::wstring>& files, std::vector<std::wstring>& names,
                     std::vector<std::wstring>& detect, std::vector<std::wstring>& lines) {
    for (size_t i = 0, n = files.size(); i < n; ++i) {
      if (files[i].empty() || !platform::FileExists(files[i] + L"64")) continue;
      files.push_back(files[i] + L"64");
      names.push_back(names[i] + L"64");
      detect.push_back(detect[i]);
      lines.push_back(lines[i]);
    }
  };
  numbered(m.ListerPluginFiles, m.ListerPluginNames, m.ListerPluginDetect, m.ListerPluginLines);
  numbered(m.ContentPluginFiles, m.ContentPluginNames, m.ContentPluginDetect,
           m.ContentPluginLines);
}

// Drops every row whose file is missing from all lists of its group,
// keeping the order of the others.
void RemoveRowsWithoutFile(std::vector<std::wstring>& files,
                           std::initializer_list<std::vector<std::wstring>*> others) {
  std::vector<bool> keep(files.size());
  for (size_t i = 0; i < files.size(); ++i) {
    keep[i] = !files[i].empty() && platform::FileExists(files[i]);
  }
  auto compact = [&keep](std::vector<std::wstring>& list) {
    size_t kept = 0;
    for (size_t i = 0; i < list.size(); ++i) {
      if (i < keep.size() && !keep[i]) continue;
      if (kept != i) list[kept] = std::move(list[i]);
      ++kept;
    }
    list.resize(kept);
  };
  compact(files);
  for (std::vector<std::wstring>* list : others) compact(*list);
}

void RemoveMissingPlugins(TTC& m) {
  RemoveRowsWithoutFile(m.PackerPluginFiles, {&m.PackerPluginNames, &m.PackerPluginExtensions,
                                              &m.PackerPluginFlags, &m.PackerPluginLines});
  RemoveRowsWithoutFile(m.ListerPluginFiles,
                        {&m.ListerPluginNames, &m.ListerPluginDetect, &m.ListerPluginLines});
  RemoveRowsWithoutFile(m.ContentPluginFiles,
                        {&m.ContentPluginNames, &m.ContentPluginDetect, &m.ContentPluginLines});
  RemoveRowsWithoutFile(m.FsPluginFiles, {&m.FsPluginNames, &m.FsPluginKeys, &m.FsPluginLines});
}

void SettleColours(TTC& m) {
  // An empty colour (a redirected section that left it unset) is not set either.
  auto unset = [](const std::wstring& c) { return c.empty() || c == kColorNotSet; };
  if (unset(m.ForeColor)) m.ForeColor = L"-16777208";  // COLOR_WINDOWTEXT as a system colour
  if (unset(m.BackColor)) m.BackColor = L"-16777211";  // COLOR_WINDOW
  if (unset(m.BackColor2)) m.BackColor2 = m.BackColor;
}

// Sections that follow the "alternateuserini" file and appeared nowhere are
// read from it; then every slot still empty names the file in force, where
// the host would create the section.
bool ReadAlternateOnlySections(TTC& m) {
  if (AlternateInForce(m)) {
    for (int slot : {kSlotSearches, kSlotUser, kSlotDirMenu, kSlotColors, kSlotFont}) {
      std::wstring& file = m.SectionFile[static_cast<size_t>(slot)];
      if (!file.empty()) continue;
      file = m.IniFile;
      std::wstring header = slot == kSlotFont ? platform::LowerCase(m.FontSection)
                            : slot == kSlotSearches ? L"[searches]"
                            : slot == kSlotUser     ? L"[user]"
                            : slot == kSlotDirMenu  ? L"[dirmenu]"
                                                    : L"[colors]";
      if (!LoadConfiguration(m, m.IniFile, true, header)) return false;
    }
  }
  for (int slot = 1; slot < kSlotCount; ++slot) {
    std::wstring& file = m.SectionFile[static_cast<size_t>(slot)];
    if (file.empty()) file = m.IniFile;
  }
  return true;
}

// The host keeps its fonts in [AllResolutions] when ResolutionSpecific=0,
// and its files list that section before [Configuration]: the choice is
// made before the pass that reads the fonts.
void ChooseFontSection(TTC& m, const std::wstring& file) {
  std::optional<TextDocument> doc = LoadTextFile(file);
  std::wstring value;
  if (doc && FindIniValue(doc->lines, L"[configuration]", L"resolutionspecific", value) &&
      value == L"0") {
    m.FontSection = L"[allresolutions]";
  }
}

}  // namespace

bool LoadConfiguration(TTC& model, const std::wstring& fileName, bool redirectMode,
                       const std::wstring& section) {
  return Reader(model, fileName, redirectMode, section).Run();
}

bool LoadConfiguration(TTC& model) {
  if (model.MainIniFile.empty()) model.MainIniFile = model.IniFile;
  const std::wstring file = model.IniFile;
  ChooseFontSection(model, file);
  if (!LoadConfiguration(model, file, false, std::wstring())) return false;
  if (!ReadAlternateOnlySections(model)) return false;

  if (SettleMainMenuFile(model)) {
    model.ProgramPaths.push_back(
        platform::LowerCase(ExpandVariables(model, model.ConfigPaths.mainmenu, true)));
  }
  SettleLanguageFile(model);
  if (!model.ConfigPaths.languageini.empty()) {
    model.ProgramPaths.push_back(
        platform::LowerCase(ExpandVariables(model, model.ConfigPaths.languageini, true)));
  }
  SettleIconLibrary(model);
  AddPluginTwins(model);
  RemoveMissingPlugins(model);
  SettleColours(model);
  const std::wstring& language = model.ConfigPaths.languageini;
  model.LanguageIniFile =
      language.size() >= 3 ? language.substr(0, language.size() - 3) + L"ini" : std::wstring();
  return ReadMainMenu(model);
}

}  // namespace orvelle
