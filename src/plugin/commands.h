// What opening, copying out and deleting an entry does.
#pragma once

#include "plugin/state.h"

#include <string>

namespace orvelle {

// 0 done, 1 error or busy. "open" opens the entry; "properties" shows the
// entry's dialog, when it has one, and starts nothing; every other verb is
// accepted and ignored.
int ExecuteEntry(PluginState& state, const std::wstring& remoteName, const std::wstring& verb);

// A host file result. An entry that stands for no file gives a text file
// describing it (the report entries: the whole report), in any folder. A
// compared file is copied only when a content folder (or nothing) was
// listed: My installation's, else the New one's; "not found" when neither
// exists, "exists" for an existing local name without the overwrite flag,
// "not supported" for a resume, "aborted" (the partial copy deleted) when
// the user stops it, a read or write error when the copy fails. A move never
// removes the source. In an ordinary folder a compared file (or a name not in
// the tree) is not copied, and the directories the host made for it are
// removed again.
int GetEntryFile(PluginState& state, const std::wstring& remoteName, const std::wstring& localName,
                 int copyFlags);

// The host's delete key: an entry that carries a delete action is deleted
// (the host has asked already, so no second question). True only when the
// item was deleted; any other entry, a done one included, is left alone and
// gives false, so that the host reports it.
bool DeleteEntry(PluginState& state, const std::wstring& remoteName);

}  // namespace orvelle
