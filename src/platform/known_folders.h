// The folders of the system itself, which no plugin owns.
#pragma once

#include <string>
#include <vector>

namespace orvelle::platform {

struct SystemFolders {
  // Everything below these belongs to the system.
  std::vector<std::wstring> Trees;
  // These hold the system's or the users' own folders side by side: none of
  // them, and nothing above them, is one program's folder.
  std::vector<std::wstring> Shared;
};

// The Windows folder (a tree) and the system folder, the program folders
// (both bitnesses), the folder of data for all users, the user's profile,
// the folder that holds the profiles, and the user's own folders (Desktop,
// Documents, Downloads, Pictures, Music, Videos, application data) (shared). Lower-cased, without trailing
// backslash; a folder the system does not name is left out.
SystemFolders GetSystemFolders();

// The full path of a path (".." and "." steps resolved against the current
// folder as Windows does); the path itself when it cannot be resolved.
std::wstring FullPathName(const std::wstring& path);

}  // namespace orvelle::platform
