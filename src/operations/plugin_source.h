// Where a plugin that the New installation registers lies, and how much of
// it may be carried over into My installation: its folder as a whole when
// that is the plugin's own, otherwise only its own files (tc/plugin_scope.h
// holds the rule).
#pragma once

#include "platform/fs.h"
#include "tc/plugin_scope.h"

#include <optional>
#include <string>
#include <vector>

namespace orvelle {

class TTC;

struct PluginSource {
  std::wstring File;  // the plugin file as spelt on disk (the registered one, else its twin)
  std::wstring Dir;   // its folder as spelt on disk, without trailing backslash
  bool OwnFolder = false;           // Dir is copied whole
  std::vector<std::wstring> Files;  // otherwise: the file names taken from Dir (those that exist)
};

// around: the surroundings of the two models when known already (a batch
// gathers them once), else gathered here.
// The source of a plugin by the path its registration names (expanded):
// that file, or its "64" twin when only that one exists (a 64-bit host
// loads it in its place). nullopt when neither exists, the path is no plain
// full path, or it names a folder.
std::optional<PluginSource> LocatePluginSource(const std::wstring& registeredPath,
                                               const TTC& newModel, const TTC& my,
                                               const std::wstring& ownPluginFile,
                                               const PluginSurroundings* around = nullptr,
                                               platform::PathSpelling* spelling = nullptr);

}  // namespace orvelle
