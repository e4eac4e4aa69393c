// The entries of the comparison that start an operation on My installation.
//
// Opening an entry dispatches on its flags (an information dialog first,
// then Action: 1 delete, 2 add, 3 update). The comparison marks:
//
// - Plugin folders (WFX, WCX, WLX, WDX): every plugin that My installation
//   registers gets an entry "Delete" at the end of its folder (Action 1,
//   ActionKind the plugin kind 1-4, ActionIndex its row in My model's list of
//   that kind), whose comment says what opening it does. None where both
//   installations use the very same file (deleting it would break the New
//   installation too) and none for this plugin's own registration. Every
//   plugin that both installations register from different files whose
//   files differ (the plugin file, or anything in its directory when that
//   is not shared with other plugins) also gets an entry "Update" after it
//   (Action 3, ActionKind the kind, ActionIndex its row in My model's list
//   of that kind), again none for the very same file and none for this
//   plugin itself. Every plugin that only the New installation registers
//   gets an entry "Add" instead (Action 2, ActionKind the kind, ActionIndex
//   its row in New model's list of that kind). Each entry's comment says
//   what opening it does. A delete marks the folder's "Directory" and
//   "Update" entries as well, an add its "Directory" entry.
// - The plugin folders and "Plugins" itself: "Add all" (Action 4) and
//   "Update all" (Action 5) at their end when any plugin below can be added
//   or updated, their comment counting them; see operations/batch_operation.h.
// - "Applications": the entries of "Non executable", "Package exclude" and
//   "Package include" that My installation has are themselves the action
//   entries (Action 1, ActionKind 5, 6, 7, ActionIndex the row in My model's
//   command-target lists). Enter still shows their information first; the
//   host's delete key deletes them. Again none for the very same file.
#pragma once

#include "compare/compare_context.h"

#include <string>

namespace orvelle {

// Runs after the comparison (not after a cancelled one): adds and marks the
// action entries described above.
void AddActionEntries(CompareContext& ctx, const std::wstring& ownPluginFile);

}  // namespace orvelle
