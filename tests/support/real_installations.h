// Real users' configurations from the fixtures, laid out as installations:
// each with a stand-in library (and a settings file and a readme beside it)
// at every path it registers, in a folder of its own or in a given program
// folder (a harness's installation).
//
// Absolute paths on "D:" are laid out there only when the test runner has
// mapped that drive to a folder of its own (scripts/wine-run.sh does, in the
// build's Wine prefix, and marks it with kTestDriveMark); otherwise those
// plugins are left out and Skipped() names them.
#pragma once

#include "support/temp_dir.h"
#include "support/tree_snapshot.h"
#include "tc/item_kind.h"
#include "tc/ttc.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace orvelle::test {

inline constexpr wchar_t kTestDriveMark[] = L"D:\\orvelle-test-drive";

struct FixtureFile {
  const wchar_t* source;  // below fixtures\ of the source tree
  const wchar_t* target;  // below the program folder
};

struct RealInstallation {
  const char* name;
  const wchar_t* ini;  // the configuration, with the name its owner gave it
  std::vector<FixtureFile> files;
};

std::vector<RealInstallation> RealInstallations();

inline constexpr ItemKind kPluginKinds[] = {ItemKind::FileSystemPlugin, ItemKind::PackerPlugin,
                                            ItemKind::ListerPlugin, ItemKind::ContentPlugin};

// What the files of an installation register, kind by kind: the path each
// registration line names, as the plugin reads it.
std::map<ItemKind, std::set<std::wstring>> Registrations(const TTC& model,
                                                         const std::vector<std::wstring>& files);

// One real installation laid out.
class LaidOut {
 public:
  // In a folder of its own (its program folder "TC" below it).
  explicit LaidOut(const RealInstallation& source);
  // Into programDir, an installation folder that exists: the configuration
  // replaces the one there (keeping that file's name when it has one).
  LaidOut(const RealInstallation& source, const std::wstring& programDir);
  ~LaidOut();
  LaidOut(const LaidOut&) = delete;
  LaidOut& operator=(const LaidOut&) = delete;

  // The model with the environment the host gives itself. The host names
  // its configuration in lower case, while the file keeps its owner's
  // spelling.
  TTC EmptyModel() const;
  // The model as the plugin reads it.
  TTC Model() const;

  // Everything of the installation: its folder and what it has on D:.
  std::vector<TreeSnapshot> Snapshot() const;
  static std::wstring Differences(const std::vector<TreeSnapshot>& before,
                                  const std::vector<TreeSnapshot>& after);

  // Every registration of the settings files names a file (or its 64-bit
  // file, which a 64-bit host loads in its place); the paths that do not.
  std::vector<std::wstring> RegistrationsWithoutFile() const;
  bool Registers(ItemKind kind, const std::wstring& path) const;

  const std::wstring& ProgramDir() const { return program_; }
  const std::wstring& IniName() const { return iniName_; }
  const std::set<std::wstring>& Skipped() const { return skipped_; }
  // What lies outside the program folder (the folders on D:).
  const std::vector<std::wstring>& DriveFolders() const { return driveFolders_; }

 private:
  void LayOut(const RealInstallation& source);
  void PlaceStandIn(const std::wstring& path);

  std::string name_;
  std::unique_ptr<TempDir> dir_;
  std::wstring root_;  // what Snapshot() takes besides the drive folders
  std::wstring program_, iniName_;
  std::vector<std::wstring> settingsFiles_;
  std::vector<std::wstring> driveFolders_;
  std::set<std::wstring> skipped_;
};

}  // namespace orvelle::test
