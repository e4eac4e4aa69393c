// Removing every place of My installation's configuration that starts a
// command file, so that deleting the file leaves no menu item, button or
// start-menu entry pointing at nothing.
//
// Matching: a command calls the file when the command-target reader would
// find it there, that is when ParseCommandText gives a file target equal
// (without regard to case) to the file's full path. The same rules serve the
// comparison's "Applications" lists, so what the delete removes is what the
// user saw listed. Parameters, captions and icons take no part: every
// reference to the file goes, whatever it passes.
//
// Where, each in the file the installation keeps it in:
// - the start menu, "[user]" (the section slot): entries "menuN", "cmdN",
//   "paramN", "pathN"... whose "cmdN" calls the file;
// - the directory menu, "[dirmenu]": entries whose "cmdN" calls the file;
// - every button bar of the installation, its "[Buttonbar]" sections:
//   buttons whose "cmdN" calls the file, with all their keys;
// - the main menu file: MENUITEM lines whose command calls the file.
// The host reads numbered entries up to the first missing number, so the
// entries behind a removed one are renumbered down (and a bar's
// "Buttoncount" lowered); the records say how to undo that.
#pragma once

#include <string>

namespace orvelle {

class EditPlan;
class TTC;

// Whether a command text of the configuration starts the file.
bool CommandCallsFile(const TTC& my, const std::wstring& command, const std::wstring& file);

// Plans the removal of every reference to file. Codes as the removal
// primitives: 0 something removed, 1 nothing calls the file, 2 a file that
// should be searched could not be read (then nothing may be applied).
int RemoveCommandReferences(EditPlan& plan, const TTC& my, const std::wstring& file);

}  // namespace orvelle
