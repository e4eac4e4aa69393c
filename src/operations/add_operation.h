// Carrying a plugin over from the New installation into My installation: its
// folder (or, when that is not its own, its file) is copied into My
// installation's folder for its kind and its registration is added to My
// configuration; opening its folder in "\Backup" undoes it.
//
// Order, so that no failure leaves a plugin registered without its files:
// plan (what is copied where, what is registered), the installed-item backup
// folder, then the copy on its own thread into a staging folder that is
// renamed to the plugin's folder when whole, and only then, back on the
// host's thread, the registration, its record written first. A copy or a
// registration that fails takes away what the add made. Every step records
// into the backup folder of the add that started it, and while a copy runs
// its record names what it makes, so that even a copy cut off by the host
// closing leaves nothing no record knows.
//
// The entries: while the copy runs, the "Add" entry and the "Directory"
// entry say "Copying..."; at its end "Directory" says whether the files
// are in place, "Add" what became of the registration, and the plugin's
// folder whether the plugin was added. A done entry starts nothing.
#pragma once

#include "operations/add_plan.h"
#include "operations/background_copy.h"
#include "util/directory_copy.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvelle {

class TBackup;
class TTC;
class VirtualTree;
struct OperationContext;

// The adds whose copy was started and not yet completed. Used on the host's
// thread only.
class PendingAdds {
 public:
  // Whether a copy of an add whose backup folder is folder still runs (or
  // has ended and is not yet completed).
  bool Holds(const std::wstring& folder) const;
  bool Empty() const { return adds_.empty(); }
  // The copies started so far that have not been completed, oldest first.
  std::vector<std::shared_ptr<BackgroundCopy>> Copies() const;

  // Called on each copy's thread before each file (tests hold a copy with it).
  std::function<bool(const std::wstring& sourceFile)> CopyHook;

  // A tree entry, known by its index and its full path (a rebuilt tree may
  // hold another entry at that index).
  struct EntryRef {
    int Index = -1;
    std::wstring Path;
  };
  struct Add {
    std::shared_ptr<BackgroundCopy> Copy;
    AddPlan Plan;
    std::wstring Folder;  // the add's backup folder, with a trailing backslash
    std::vector<std::wstring> Made;  // folders above the target the add created
    EntryRef Action, Directory, PluginFolder;
  };

 private:
  friend bool StartAdd(OperationContext&, PendingAdds&, int, std::function<void()>);
  friend bool CompleteAdds(VirtualTree&, const TTC*, PendingAdds&);

  std::vector<Add> adds_;
};

// The add that opening the action entry at index starts ("Add?" first).
// notify is handed to a copy to ask the host, from the copy's thread, to
// list its panel again. True when the plugin was added, or its copy started.
bool StartAdd(OperationContext& ctx, PendingAdds& pending, int index,
              std::function<void()> notify);

enum class AddNowOutcome {
  Added,
  Copied,             // the files stand in place, the registration is to come
  AlreadyRegistered,  // an equal copy stands and the registration too: nothing changed
  Stopped,            // the control stopped the copy (nothing left behind)
  CopyFailed,         // nothing left behind
  BackupFailed,       // nothing changed
  RegisterFailed,     // the copy was taken away again
};

// An add whose files stand in place (or needed no copy), waiting for its
// registration.
struct CopiedAdd {
  const AddPlan* Plan = nullptr;
  std::wstring Folder;             // its installed-item folder of backup
  std::vector<std::wstring> Made;  // the folders made above its copy, outermost first
};

struct AddNowResult {
  AddNowOutcome Outcome = AddNowOutcome::CopyFailed;
  std::wstring RenamedTo;  // Added under another key than New's (file-system plugins)
  CopiedAdd Copied;        // Copied: what RegisterCopiedPlugins takes
};

// The first half of an add plan carried out at once on the calling thread,
// by the same steps as the add on its own thread: a new installed-item
// folder of backup (a part of its batch when one is open), the copy into a
// staging folder (control's hook before each file, which may stop it), the
// folder put in place, each recorded first. listed: ListTree of the source
// folder when the caller made it already. Copied, or a failure that left
// My installation and the store as they were.
AddNowResult CopyPluginNow(const AddPlan& plan, TBackup& backup, const CopyControl& control,
                           const TreeListing* listed = nullptr);

// The second half: registers the copied plugins, each configuration file
// read and replaced once for all of them, each one's record written in its
// folder first. One result per add (Added, AlreadyRegistered or
// RegisterFailed, whose copy and folder are taken away again). The plans
// must outlive the call. proceed, when given, is asked before each record is
// written (the host's display is told meanwhile); false from it stops the
// registrations, which then all fail.
std::vector<AddNowResult> RegisterCopiedPlugins(const TTC& my, const std::vector<CopiedAdd>& adds,
                                                const std::function<bool()>& proceed = {});

// Completes the adds whose copy has ended: registers each copied plugin in
// my (none: the copy is taken back), writes its records, sets the comments
// of the entries still in the tree. True when any add was completed.
bool CompleteAdds(VirtualTree& tree, const TTC* my, PendingAdds& pending);

}  // namespace orvelle
