// One plugin file may be registered under several kinds: an archive plugin
// that is also a lister and a content plugin, a lister that also serves as a
// content plugin. Deleting it under one kind takes only that kind's lines;
// its files stay where they are while another kind still registers them (or
// anything in a folder the delete would move), so that no registration is
// left pointing at nothing. Deleting it under its last kind then moves the
// files as usual; restoring any of these deletes puts back exactly what
// that one took.
#pragma once

#include "operations/delete_plan.h"

namespace orvelle {

class TTC;

// Whether a plugin kind other than the plan's registers, in My installation,
// a file the plan would move: one of its files, their 32/64-bit twins, or a
// file inside a folder it moves.
bool OtherKindRegistersMovedFiles(const TTC& my, const DeletePlan& plan);

// Takes the moves out of a plugin's delete plan when another kind still
// registers them (FilesKept then tells so); other plans stay as they are.
void KeepFilesAnotherKindRegisters(const TTC& my, DeletePlan& plan);

}  // namespace orvelle
