// What updating one plugin of My installation from the New one will touch,
// decided before anything changes.
//
// The update never reaches beyond the plugin. My plugin's folder is rebuilt
// as a whole only when it is the plugin's own by the rule a delete uses
// (inside My installation's folders, not a principal directory, holding
// nothing else either installation uses). A plugin kept in a shared folder
// ("c:\tools\x.wfx") has only its own files replaced there: the plugin file
// and its 32/64-bit twin, each where both installations have it. On the
// New side the whole folder is a source only when it is that plugin's own
// too; otherwise only New's plugin file and its twin are taken.
#pragma once

#include "operations/update_options.h"
#include "tc/item_kind.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace orvelle {

class TTC;

struct UpdatePlan {
  UpdateOption Option = UpdateOption::CopyTree;
  std::wstring MyFile, NewFile;  // the plugin files, as spelt on disk
  std::wstring MyDir, NewDir;    // their folders, without trailing backslash
  // My's folder is rebuilt beside it and swapped in whole; otherwise only
  // MyNames (the plugin file and its twin, those that exist) are replaced.
  bool WholeDirectory = false;
  std::vector<std::wstring> MyNames;
  // New's folder is a source as a whole; otherwise only NewNames, New's
  // plugin file and its twin (those that exist), which are also what a
  // plugin in a shared folder of My installation is matched with.
  bool NewWhole = false;
  std::vector<std::wstring> NewNames;
  // Module files the host may have loaded: never freed, only told about
  // (the new version takes effect at the host's next start).
  std::vector<std::wstring> Modules;
};

// The plan for the plugin at myRow of My model's list of the kind and at
// newRow of New model's. nullopt when the rows name no plugin file, My's
// folder is missing, New's plugin file is missing or names no plain full
// path, one plugin folder lies inside the other (or both are one), or the
// plugin is this plugin itself.
std::optional<UpdatePlan> PlanUpdate(const TTC& my, const TTC& newModel, ItemKind kind,
                                     size_t myRow, size_t newRow, UpdateOption option,
                                     const std::wstring& ownPluginFile);

// One name of a folder level, as the merge sees it.
struct LevelItem {
  std::wstring Name;
  bool IsFolder = false;
  FILETIME LastWrite{};
};

enum class MergeAction {
  CopyFile,    // New's file takes the place of My's entry of that name, or joins
  CopyFolder,  // New's folder, with all it holds, likewise
  Descend,     // a folder both have: merged level by level
};

struct MergeStep {
  MergeAction Action;
  std::wstring NewName;
  std::wstring MyName;  // My's entry of that name (any case); empty when My lacks it
  bool MyIsFolder = false;
};

// What option does at one level, New's items against My's (names compared
// without regard to case). B and C copy a file that My lacks or holds older
// (by last-write time); D and E copy every file. Only B and D go into
// folders: one My lacks is copied whole, one both have is merged. A name that
// is a file on one side and a folder on the other is New's item's place
// (My's is kept in the backup). My's items that New lacks are no step: they
// stay. Option A is no merge (the folder is replaced) and gives no step.
std::vector<MergeStep> PlanMergeLevel(UpdateOption option, const std::vector<LevelItem>& newItems,
                                      const std::vector<LevelItem>& myItems);

}  // namespace orvelle
