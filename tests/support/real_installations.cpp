#include "support/real_installations.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "support/minimal_dll.h"
#include "tc/button_bars.h"
#include "tc/command_targets.h"
#include "tc/configuration_reader.h"
#include "tc/expand_variables.h"
#include "tc/menu_reader.h"
#include "tc/plugin_directories.h"
#include "tc/principal_dirs.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvelle::test {

namespace {

using Lines = std::vector<std::wstring>;

const wchar_t* RegistrationSection(ItemKind kind) {
  switch (kind) {
    case ItemKind::FileSystemPlugin: return L"[filesystemplugins]";
    case ItemKind::PackerPlugin: return L"[packerplugins]";
    case ItemKind::ListerPlugin: return L"[listerplugins]";
    default: return L"[contentplugins]";
  }
}

bool TestDriveMapped() { return platform::FileExists(kTestDriveMark); }

bool OnProgramDrive(const std::wstring& path, const std::wstring& programDir) {
  return platform::LowerCase(path.substr(0, 2)) == platform::LowerCase(programDir.substr(0, 2));
}

}  // namespace

std::vector<RealInstallation> RealInstallations() {
  return {
      {"chchoiw-TC (UTF-16, non-ASCII names, .wfx64 and .wcx64 registrations)",
       L"real-world\\chchoiw-TC\\WinCMD.ini",
       {{L"real-world\\chchoiw-TC\\VERTICAL.BAR", L"VERTICAL.BAR"}}},
      {"hulucc-totalcmd (GBK, absolute D: paths)", L"real-world\\hulucc-totalcmd\\wincmd.ini",
       {{L"real-world\\hulucc-totalcmd\\WCMD_ENG.MNU", L"LANGUAGE\\WCMD_ENG.MNU"}}},
      {"turboBasic (every plugin section redirected, markers, one file of three kinds)",
       L"real-world\\turboBasic-totalcommander\\wincmd.ini",
       {{L"real-world\\turboBasic-totalcommander\\Plugins.ini", L"ini\\Plugins.ini"},
        {L"real-world\\turboBasic-totalcommander\\UserCmd.ini", L"UserCmd.ini"}}},
      {"pozitronik-TCConfig (redirected to missing files)",
       L"real-world\\pozitronik-TCConfig\\wincmd.ini",
       {{L"real-world\\pozitronik-TCConfig\\WCMD_RUS_EXT.MNU", L"LANGUAGE\\WCMD_RUS_EXT.MNU"}}},
      {"wulmer-totalcmd (blanks around =, LF)", L"real-world\\wulmer-totalcmd\\wincmd.ini", {}},
      {"taurit (UTF-8 with BOM, absolute d: paths, markers only)",
       L"real-world\\taurit-TotalCommander\\wincmd.ini", {}},
      {"path forms (%COMMANDER_INI%\\.., slashes, relative, .., 64-bit only, several kinds)",
       L"path-forms\\Wincmd.ini", {}},
  };
}

std::map<ItemKind, std::set<std::wstring>> Registrations(const TTC& model, const Lines& files) {
  std::map<ItemKind, std::set<std::wstring>> found;
  for (const std::wstring& file : files) {
    std::optional<TextDocument> doc = LoadTextFile(file);
    if (!doc) continue;
    std::wstring section;
    for (const std::wstring& line : doc->lines) {
      const std::wstring trimmed = platform::Trim(line);
      if (trimmed.empty() || trimmed[0] == L';') continue;
      if (trimmed[0] == L'[') {
        section = platform::LowerCase(trimmed.substr(0, trimmed.find(L']') + 1));
        continue;
      }
      for (ItemKind kind : kPluginKinds) {
        if (section != RegistrationSection(kind)) continue;
        const size_t eq = trimmed.find(L'=');
        if (eq == std::wstring::npos) continue;
        const std::wstring key = platform::Trim(trimmed.substr(0, eq));
        std::wstring value = trimmed.substr(eq + 1);
        if (kind == ItemKind::PackerPlugin) {
          const size_t comma = value.find(L',');
          if (comma == std::wstring::npos) continue;
          value = value.substr(comma + 1);
        }
        const bool numbered = kind == ItemKind::ListerPlugin || kind == ItemKind::ContentPlugin;
        if (numbered && (key.empty() || key.find_first_not_of(L"0123456789") != std::wstring::npos)) {
          continue;
        }
        if (platform::LowerCase(key) == L"redirectsection" || platform::Trim(value).empty()) {
          continue;
        }
        found[kind].insert(ConfiguredPath(model, value));
      }
    }
  }
  return found;
}

LaidOut::LaidOut(const RealInstallation& source)
    : name_(source.name), dir_(std::make_unique<TempDir>()) {
  root_ = dir_->Path();
  program_ = *dir_ / L"TC";
  CreateDirectories(program_);
  LayOut(source);
}

LaidOut::LaidOut(const RealInstallation& source, const std::wstring& programDir)
    : name_(source.name), root_(programDir), program_(programDir) {
  LayOut(source);
}

LaidOut::~LaidOut() {
  for (const std::wstring& folder : driveFolders_) DeleteTree(folder);
}

void LaidOut::LayOut(const RealInstallation& source) {
  const std::wstring iniSource = SourceFile(L"fixtures\\" + std::wstring(source.ini));
  iniName_ = platform::ExtractFileName(iniSource);
  // A configuration there already keeps its file (and name): the host of a
  // harness finds it by that name.
  const std::wstring existing = platform::PathAsOnDisk(program_ + L"\\wincmd.ini");
  if (!existing.empty() && platform::FileExists(existing)) {
    iniName_ = platform::ExtractFileName(existing);
  }
  WriteBytes(program_ + L"\\" + iniName_, ReadBytes(iniSource));
  settingsFiles_.push_back(program_ + L"\\" + iniName_);
  for (const FixtureFile& file : source.files) {
    const std::wstring target = program_ + L"\\" + file.target;
    CreateDirectories(platform::ExtractFileDir(target));
    WriteBytes(target, ReadBytes(SourceFile(L"fixtures\\" + std::wstring(file.source))));
    settingsFiles_.push_back(target);
  }
  const TTC model = EmptyModel();
  for (const auto& [kind, paths] : Registrations(model, settingsFiles_)) {
    for (const std::wstring& path : paths) PlaceStandIn(path);
  }
}

TTC LaidOut::EmptyModel() const {
  TTC model(program_ + L"\\totalcmd.exe");
  model.IniFile = model.MainIniFile = program_ + L"\\wincmd.ini";
  model.EnvNames = {L"COMMANDER_PATH", L"COMMANDER_INI"};
  model.EnvValues = {program_, model.IniFile};
  return model;
}

TTC LaidOut::Model() const {
  TTC model = EmptyModel();
  for (bool (*read)(TTC&) : {static_cast<bool (*)(TTC&)>(LoadConfiguration), ReadButtonBarFiles,
                             ReadMainMenu, ReadCommandTargets, ReadPrincipalDirectories,
                             SettlePluginDirectories}) {
    EXPECT_TRUE(read(model)) << name_;
  }
  return model;
}

std::vector<TreeSnapshot> LaidOut::Snapshot() const {
  std::vector<TreeSnapshot> trees{SnapshotTree(root_)};
  for (const std::wstring& folder : driveFolders_) trees.push_back(SnapshotTree(folder));
  return trees;
}

std::wstring LaidOut::Differences(const std::vector<TreeSnapshot>& before,
                                  const std::vector<TreeSnapshot>& after) {
  std::wstring out;
  for (size_t i = 0; i < before.size() && i < after.size(); ++i) {
    out += DescribeDifferences(before[i], after[i]);
  }
  return out;
}

Lines LaidOut::RegistrationsWithoutFile() const {
  Lines missing;
  for (const auto& [kind, paths] : Registrations(EmptyModel(), settingsFiles_)) {
    for (const std::wstring& path : paths) {
      if (skipped_.count(path)) continue;
      if (!platform::FileExists(path) && !platform::FileExists(path + L"64")) {
        missing.push_back(path);
      }
    }
  }
  return missing;
}

bool LaidOut::Registers(ItemKind kind, const std::wstring& path) const {
  auto all = Registrations(EmptyModel(), settingsFiles_);
  return all[kind].count(path) > 0;
}

void LaidOut::PlaceStandIn(const std::wstring& path) {
  if (!OnProgramDrive(path, program_)) {
    if (!TestDriveMapped() || !platform::LowerCase(path).starts_with(L"d:\\")) {
      skipped_.insert(path);
      return;
    }
    const std::wstring top = path.substr(0, path.find(L'\\', 3));
    if (std::find(driveFolders_.begin(), driveFolders_.end(), top) == driveFolders_.end()) {
      // A folder left by an earlier run that was cut off goes first.
      DeleteTree(top);
      driveFolders_.push_back(top);
    }
  }
  const std::wstring dir = platform::ExtractFileDir(path);
  CreateDirectories(dir);
  WriteBytes(path, MinimalDll());
  std::wstring base = platform::ExtractFileName(path);
  base = base.substr(0, base.rfind(L'.'));
  WriteBytes(dir + L"\\" + base + L".ini",
             "[" + platform::AnsiFromWide(base, CP_UTF8) + "]\r\nSetting=1\r\n");
  WriteBytes(dir + L"\\readme.txt", "A stand-in for a plugin.\r\n");
}

}  // namespace orvelle::test
