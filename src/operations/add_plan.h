// What carrying one plugin over from the New installation into My
// installation will copy and register, decided before anything changes.
//
// The plugin goes into My installation's folder for its kind (the folder My
// keeps that kind's plugins in, else "<program folder>\plugins\<kind>":
// AddFolderForKind), into a folder named after its own (or after the plugin
// file, when its folder is not its own and only its files go): a folder of that name that holds an equal
// copy is used as it is; one that holds something else is left alone and
// the first free "name (2)", "name (3)"... is taken instead. Its
// registration is New's, with the path of its new place, written with
// "%COMMANDER_PATH%" when that lies in My installation's program folder.
#pragma once

#include "operations/plugin_source.h"
#include "tc/item_kind.h"
#include "tc/plugin_scope.h"
#include "tc/registration_writer.h"

#include <string>

namespace orvelle {

class TTC;

struct AddPlan {
  ItemKind Kind = ItemKind::None;
  PluginSource Source;
  std::wstring TargetDir;   // the plugin's folder in My installation
  std::wstring TargetPath;  // the plugin file there: the installed item
  bool CopyNeeded = true;   // false: TargetDir holds an equal copy already
  RegistrationLines Registration;
};

enum class AddPlanFailure {
  None,
  NoItem,     // no such plugin row in the New model
  BadSource,  // the plugin file is missing, or its path or folder name unusable
  NoTarget,   // My installation has no usable folder for the kind
};

// The plan for the row of New's list of that kind. Reads the file system
// (what exists, what is equal), changes nothing.
// around: the two models' surroundings when gathered already, and spelling
// the paths looked up already (a batch plans many plugins against the same
// models and folders).
AddPlanFailure PlanAdd(const TTC& my, const TTC& newModel, ItemKind kind, size_t row,
                       const std::wstring& ownPluginFile, AddPlan& plan,
                       const PluginSurroundings* around = nullptr,
                       platform::PathSpelling* spelling = nullptr);

// Whether a folder name may stand as one step of a path in My installation.
bool IsPlainFolderName(const std::wstring& name);

}  // namespace orvelle
