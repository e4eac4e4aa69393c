// What deleting one item of My installation will move and remove, decided
// before anything changes.
//
// A plugin's folder goes as a whole only when it is the plugin's own
// (tc/plugin_scope.h); otherwise only the plugin's files go: the plugin
// file, its 32/64-bit twin and the files of its base name. A program inside
// the program directory ("Package include") takes its directory along only
// when that lies inside My installation's folders, is not one of its
// principal directories and holds nothing else that either installation
// uses. A document ("Non executable") goes alone; a program outside My
// installation ("Package exclude") stays where it is: only the references
// to it go.
#pragma once

#include "tc/item_kind.h"

#include <optional>
#include <string>
#include <vector>

namespace orvelle {

class TTC;

struct DeletePlan {
  ItemKind Kind = ItemKind::None;
  std::wstring File;            // the plugin or command file, as spelt on disk
  std::wstring RegisteredPath;  // plugins: the path their registration names, lower-cased
  bool WholeDirectory = false;  // the item's own directory goes
  bool FilesKept = false;       // another plugin kind still registers the files: none move
  std::vector<std::wstring> Moves;  // what goes into the backup folder, in this order
};

// The plan for the row of the model's list of that kind (the plugin lists,
// or for kinds 5-7 the command targets, whose type must match). nullopt when
// there is no such row.
std::optional<DeletePlan> PlanDelete(const TTC& my, const TTC* newModel, ItemKind kind,
                                     size_t row, const std::wstring& ownPluginFile);

// Whether a program's dir may be moved as a whole for the item whose files
// are itemFiles (by the rule above).
bool MayMoveDirectory(const TTC& my, const TTC* newModel, const std::wstring& dir,
                      const std::vector<std::wstring>& itemFiles,
                      const std::wstring& ownPluginFile);

}  // namespace orvelle
