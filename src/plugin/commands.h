// What opening, copying out and deleting an entry does.
#pragma once

#include "plugin/state.h"

#include <string>

namespace orvelle {

// 0 done (every verb but "open" is accepted and ignored), 1 error or busy.
int ExecuteEntry(PluginState& state, const std::wstring& remoteName, const std::wstring& verb);

// A host file result. In an ordinary folder nothing is copied and the
// directories the host made for the virtual folders are removed again. In a
// content folder (or before any listing) the entry's file is copied: My
// installation's, else the New one's; "not found" when neither exists,
// "exists" for an existing local name without the overwrite flag, "not
// supported" for a resume, "aborted" (the partial copy deleted) when the
// user stops it, a read or write error when the copy fails. A move never
// removes the source.
int GetEntryFile(PluginState& state, const std::wstring& remoteName, const std::wstring& localName,
                 int copyFlags);

// The host's delete key: an entry that carries a delete action is deleted
// (the host has asked already, so no second question). True only when the
// item was deleted; any other entry, a done one included, is left alone and
// gives false, so that the host reports it.
bool DeleteEntry(PluginState& state, const std::wstring& remoteName);

}  // namespace orvelle
