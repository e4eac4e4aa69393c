// Where a plugin that the New installation registers lies, and how much of
// it may be carried over into My installation.
//
// The New installation's configuration is not ours: it may register a
// plugin as "c:\x.wfx", or from its program folder, or from a folder that
// holds the system, a whole installation or other programs. Copying "the
// plugin's folder" there would copy a drive or an installation into My
// plugins. So a folder is copied whole only when it is the plugin's own:
// a folder with a name of its own below a drive or share, no link, not in
// the system's tree, and neither one of these nor above one: a system
// folder, either installation's program folder, its plugin folders and the
// folders above its plugins' folders, the folder of either installation's
// configuration files, the folder of this plugin. Otherwise only the
// plugin's file and its 32/64-bit twin are carried over.
#pragma once

#include "platform/known_folders.h"

#include <optional>
#include <string>
#include <vector>

namespace orvelle {

class TTC;

struct PluginSource {
  std::wstring File;  // the plugin file as spelt on disk (the registered one, else its twin)
  std::wstring Dir;   // its folder as spelt on disk, without trailing backslash
  bool OwnFolder = false;           // Dir is copied whole
  std::vector<std::wstring> Files;  // otherwise: the file names taken from Dir
};

// The source of a plugin by the path its registration names (expanded):
// that file, or its "64" twin when only that one exists (a 64-bit host
// loads it in its place). nullopt when neither exists, the path is no plain
// full path, or it names a folder.
std::optional<PluginSource> LocatePluginSource(const std::wstring& registeredPath,
                                               const TTC& newModel, const TTC& my,
                                               const std::wstring& ownPluginFile);

// Whether dir (any case, with or without a trailing backslash) is a
// plugin's own folder by the rule above.
bool IsOwnPluginFolder(const std::wstring& dir, const TTC& newModel, const TTC& my,
                       const std::wstring& ownPluginFile,
                       const platform::SystemFolders& systemFolders);

// The plugin file of the other bitness beside file: "x.wfx" <-> "x.wfx64".
std::wstring PluginTwinOf(const std::wstring& file);

}  // namespace orvelle
