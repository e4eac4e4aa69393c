// The directories in which an installation keeps its plugins and programs.
#pragma once

#include <string>
#include <vector>

namespace orvelle {

class TTC;

// The directory that holds a file's own directory, with a trailing
// backslash: "c:\tc\plugins\wfx\ftp\ftp.wfx" -> "c:\tc\plugins\wfx\".
// Empty when the path has no such level.
std::wstring GrandparentDirectory(const std::wstring& path);

// The text met most often among the non-empty entries; a tie goes to the one
// met first. Empty when there is none.
std::wstring MostCommon(const std::vector<std::wstring>& texts);

// PluginRoot and the kind directories WfxDir, WlxDir, WcxDir, WdxDir from
// "pluginbasedir", else from where most plugins of each kind live (default
// program directory + "Plugins\"), and AppDir from where most command
// targets live (default PluginRoot + "exe\"). All lower-cased, with a
// trailing backslash. Always true.
bool SettlePluginDirectories(TTC& model);

}  // namespace orvelle
