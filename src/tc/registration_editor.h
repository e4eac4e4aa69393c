// Removing a plugin's registration from My installation's configuration:
// one primitive per plugin kind, each working on the file in which the
// installation keeps that section (its section slot, so a section redirected
// to another file is edited there). They plan into an EditPlan; applying it
// writes the records and the files.
//
// Matching. A registration line names a plugin by a path; the path is
// expanded the way the configuration reader expands it and compared, without
// regard to case, with the plugin's registered path (RegisteredPluginPath).
// So the whole file name takes part ("view.wlx" is not "preview.wlx"), and
// two plugins of one name in different folders stay apart. Comment lines are
// no registrations and stay.
#pragma once

#include "tc/item_kind.h"

#include <string>
#include <vector>

namespace orvelle {

class EditPlan;
class TTC;

// Result codes of the primitives.
enum RemovalCode : int {
  kRemovalDone = 0,       // at least one line removed (in the plan)
  kRemovalNothing = 1,    // no line registers the plugin
  kRemovalFileError = 2,  // a file could not be read, or the entry has no decimal number
};

// The plugin files of a kind's rows, or null for a kind that is no plugin.
const std::vector<std::wstring>* PluginFilesOf(const TTC& model, ItemKind kind);

// The path (expanded, lower-cased) that the registration lines of a plugin
// row of the model name. A "64" row that the reader added beside a
// registered plugin shares its original's registration, so it gives the
// original's path.
std::wstring RegisteredPluginPath(const TTC& model, ItemKind kind, size_t row);

// Every "[filesystemplugins]" line registering the path, whatever its name.
int RemoveFsPluginLine(EditPlan& plan, const TTC& my, const std::wstring& registeredPath);
// Every "[packerplugins]" line (one per extension) registering the path.
int RemovePackerPluginLines(EditPlan& plan, const TTC& my, const std::wstring& registeredPath);
// Every numbered entry of "[listerplugins]" naming the path, with its detect
// line; the entries behind it are renumbered so that the host's sequence
// stays without gaps. An entry line naming the path whose number is not a
// decimal number fails the removal (nothing planned).
int RemoveListerPluginEntry(EditPlan& plan, const TTC& my, const std::wstring& registeredPath);
// The same for "[contentplugins]"; then the first saved search that uses the
// plugin (a "_plugin" line whose value names the plugin's file name before
// its first "." followed by ".") is removed with all its lines.
int RemoveContentPluginEntry(EditPlan& plan, const TTC& my, const std::wstring& registeredPath);

// The primitive of the kind.
int RemovePluginRegistration(EditPlan& plan, const TTC& my, ItemKind kind,
                             const std::wstring& registeredPath);

// Whether one line of the kind's section registers the plugin at
// registeredPath (expanded, lower-cased): a file-system entry by its value,
// a packer entry by the path after its flags, a lister or content entry by
// the value of its numbered key (never its detect line). Comments,
// headers and lines without "=" register nothing.
bool LineRegistersPath(const TTC& my, ItemKind kind, const std::wstring& line,
                       const std::wstring& registeredPath);

// Whether a saved search's plugin condition names the plugin base name
// (lower-cased) as "base." at its start or after a character that cannot be
// part of a name (a quote, a blank, a bracket, an operator).
bool SearchValueNamesPlugin(const std::wstring& value, const std::wstring& base);

}  // namespace orvelle
