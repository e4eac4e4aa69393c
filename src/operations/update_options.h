// The ways of bringing a plugin of My installation up to date from the New
// installation's copy of it, as the Update dialog offers them.
//
// A replaces the plugin's folder whole; B and C copy the files that New has
// newer (by last-write time) or that My lacks, through the whole tree or the
// top level only; D and E copy every file of New over My's, the same two
// ways. Files that only My has stay in B to E.
//
// Replacing a folder whole makes sense only where the folder is the
// plugin's own on both sides (tc/plugin_scope.h): no option A otherwise.
// Where New's folder is not the plugin's own only the top level is offered
// (C and E): its subfolders belong to others.
#pragma once

#include <string>
#include <vector>

namespace orvelle {

class TTC;

enum class UpdateOption { ReplaceDirectory, UpdateTree, UpdateTopLevel, CopyTree, CopyTopLevel };

struct UpdateChoice {
  UpdateOption Option;
  std::wstring Text;  // what the dialog's list shows
};

// The text of an option, with the last names of the two plugin folders:
// "Replace whole directory: \ftp -> \ftp" and the like.
std::wstring UpdateOptionText(UpdateOption option, const std::wstring& newDirName,
                              const std::wstring& myDirName);

// The options for a plugin whose files are newFile and myFile, in the order
// the list shows them (the first is chosen when it opens).
std::vector<UpdateChoice> OfferedUpdateOptions(const TTC& my, const TTC& newModel,
                                               const std::wstring& myFile,
                                               const std::wstring& newFile,
                                               const std::wstring& ownPluginFile);

// Whether an option works through subfolders (B, D) or on the top level only.
bool IsTopLevelOnly(UpdateOption option);
// Whether an option copies a file only when New's is newer or My lacks it.
bool CopiesOnlyNewer(UpdateOption option);

}  // namespace orvelle
