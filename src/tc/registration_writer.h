// Registering a plugin in My installation's configuration, and taking back
// exactly what such a registration added.
//
// The lines go into the file in which the installation keeps the kind's
// section (its section slot, so a redirected section is written where the
// host reads it): behind the section's last entry, or right after its
// header when it has none; a file without the section gets the header and
// the lines at its end. Lister and content plugins take the next free
// number (the host reads them from 0 up to the first gap), their detect
// line right behind the entry. The file keeps its encoding and line ends
// and is replaced through a temporary file, never left missing.
//
// What was added is handed back (AddedLines) so that it can be recorded
// before the file changes; taking it out again matches the lines as they
// were written, so lines the user added meanwhile stay.
#pragma once

#include "tc/item_kind.h"

#include <functional>
#include <string>
#include <vector>

namespace orvelle {

class EditPlan;
class TTC;

// The registration of one plugin.
struct RegistrationLines {
  ItemKind Kind = ItemKind::None;
  // As written: "name=path" (file system), "ext=flags,path" (packer, one per
  // extension); for lister and content plugins from the "=" or "_" on
  // ("=path", "_detect=..."), the number being given when they are added.
  std::vector<std::wstring> Lines;
  // The path they register, expanded and lower-cased: found in the section
  // already, nothing is added.
  std::wstring RegisteredPath;
};

// What one registration added to one file.
struct AddedLines {
  std::wstring File;
  std::wstring Header;       // the section, lower-cased ("[listerplugins]")
  bool HeaderAdded = false;  // the section itself was made
  std::vector<std::wstring> Lines;  // as written, numbered kinds with their number
  // The file was ANSI and became UTF-16 for lines its code page cannot hold;
  // taking them out again gives it back its ANSI bytes when all of the rest
  // fits.
  bool MadeWide = false;
};

// key, or the first of "key (2)", "key (3)"... that no entry of a section
// named header uses as its key (compared trimmed, in any letter case).
std::wstring FreeKeyFor(const std::vector<std::wstring>& lines, const std::wstring& header,
                        const std::wstring& key);

// The section of a plugin kind as the reader names it ("[filesystemplugins]")
// and as a new one is written ("[FileSystemPlugins]"); its section slot.
const wchar_t* SectionOf(ItemKind kind);
const wchar_t* NewSectionHeaderOf(ItemKind kind);
int SectionSlotOf(ItemKind kind);

// Whether the kind's section of lines registers the path already.
bool RegistersPath(const TTC& my, const std::vector<std::wstring>& lines,
                   const RegistrationLines& registration);

// Adds the registration to lines (see above); File of the result is left
// empty. A file-system plugin whose name another line of the section holds
// (in any letter case) is registered under the first free "name (2)",
// "name (3)"...: the host loads only the first plugin of a name.
AddedLines InsertRegistration(std::vector<std::wstring>& lines,
                              const RegistrationLines& registration);

enum RegisterCode : int {
  kRegisterDone = 0,
  kRegisterPresent = 1,    // registered already: nothing written
  kRegisterFileError = 2,  // the file could not be read or replaced, or record refused
};

// Registers the plugin in My installation's file of the kind's section.
// record is called with what will be added before the file is replaced;
// false from it stops the registration. added receives it on success.
using RecordAddedFn = std::function<bool(const AddedLines&)>;
int RegisterPlugin(const TTC& my, const RegistrationLines& registration,
                   const RecordAddedFn& record, AddedLines* added = nullptr);

// Several registrations, each file they go into read and replaced once
// (a batch of plugins would otherwise rewrite the configuration once per
// plugin). In order, as if registered one after another: a later one sees
// the lines of those before it. record gets each registration's index with
// what it adds, before its file is replaced; false from it stops the
// registrations of that file. One code per registration, as RegisterPlugin's;
// added (when given) receives what each one that was done added.
using RecordAddedAtFn = std::function<bool(size_t, const AddedLines&)>;
std::vector<int> RegisterPlugins(const TTC& my, const std::vector<RegistrationLines>& registrations,
                                 const RecordAddedAtFn& record,
                                 std::vector<AddedLines>* added = nullptr);

// Plans taking out what a registration added, into plan (so that the
// removal is recorded and can itself be undone): the lines as written, and
// a section the registration made when nothing else stands in it. A
// numbered entry that no longer has the number it got (one before it went)
// is found by its text behind the number and goes with its detect line, the
// entries behind it renumbered. Codes as the removers (registration_editor.h):
// 0 planned, 1 nothing of it is left, 2 the file cannot be read.
int RemoveAddedLines(EditPlan& plan, const AddedLines& added);

}  // namespace orvelle
