// What belongs to a plugin: its own folder as a whole, or only its own files.
//
// Every operation that copies, moves or replaces a plugin (add, delete,
// update, their undo) and the comparison's "Directory" folder ask this one
// rule; none has a rule of its own. Configurations are not ours and plugins
// lie anywhere: "c:\users\me\downloads\x.wlx", "c:\tc\x.wfx",
// "d:\tools\x.wfx" beside other programs. So a folder is the plugin's own
// only when nothing in it belongs to anything else, and when in doubt it is
// not:
//
// - it has a name of its own below a drive or share, is no junction or link,
//   and is readable;
// - it is not, and does not hold, a system or profile folder (Windows, the
//   program folders, the user's profile and its Desktop, Documents,
//   Downloads, Pictures, Music, Videos, application data), either
//   installation's program folder, configuration folder, plugin folders
//   ("plugins", "wfx", "wcx", "wlx", "wdx" folders hold plugins, never are
//   one) or this plugin's own folder;
// - no file that either installation uses lies anywhere below it, other than
//   the plugin file and its 32/64-bit twin: no other plugin, no program that
//   a menu, button or association starts, no configuration file;
// - it lies where plugins are kept: directly in or below a "plugins" folder
//   of either installation (beside the program, beside the configuration,
//   or the configured plugin base folder), or in a folder that holds the
//   folders of at least two registered plugins ("d:\tcplugins\wfx\a",
//   "d:\tcplugins\wfx\b");
// - the files directly in it are the plugin's kind of files: none is another
//   plugin's module, nor plainly somebody else's (documents, photos, music
//   and video, archives, programs) unless it carries the plugin's base name.
//
// Otherwise the plugin's files are the plugin file, its twin and the files
// beside it that carry its base name ("x.ini", "x.lng", "x64.wdx"), except
// such files that are plainly not a plugin's or that an installation uses
// for something else.
#pragma once

#include "platform/known_folders.h"
#include "tc/item_kind.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace orvelle {

class TTC;

// What the plugin's folder holds, as read from disk.
struct FolderListing {
  bool Readable = false;  // listed whole
  bool IsLink = false;    // a junction or a symbolic link to a folder
  std::vector<std::wstring> Files;  // names of the files directly in it
};

// The rule's answer for one plugin file.
struct PluginScope {
  std::wstring File;  // the plugin file as given
  std::wstring Dir;   // its folder, without trailing backslash
  bool WholeFolder = false;
  // When not WholeFolder: the names of the plugin's files in Dir, the plugin
  // file first, then its twin, then the base-name files. From a folder that
  // could not be listed only the plugin file and its twin, which may not
  // exist.
  std::vector<std::wstring> Files;

  bool operator==(const PluginScope&) const = default;
};

// The installations around the plugins, gathered once for many questions.
// All paths lower-cased, without trailing backslash.
struct PluginSurroundings {
  std::set<std::wstring> UsedFiles;           // every file either installation uses
  std::vector<std::wstring> SystemTrees;      // nothing inside is a plugin's own
  std::vector<std::wstring> Kept;             // neither these nor what holds them
  std::vector<std::wstring> Containers;       // folders the installations keep plugins in
  std::vector<std::wstring> PluginsFolders;   // where plugins are kept
  std::map<std::wstring, std::set<std::wstring>> PluginFoldersIn;  // parent -> plugin folders
};

// ownPluginFile: this plugin's file (may be empty). Either model may be null.
PluginSurroundings GatherSurroundings(const TTC* my, const TTC* newModel,
                                      const std::wstring& ownPluginFile,
                                      const platform::SystemFolders& system);

// The rule, on what the disk said about the plugin file's folder.
PluginScope DecidePluginScope(const std::wstring& pluginFile, const FolderListing& listing,
                              const PluginSurroundings& around);

// The same, listing the folder on disk.
PluginScope PluginScopeOf(const std::wstring& pluginFile, const PluginSurroundings& around);
PluginScope PluginScopeOf(const std::wstring& pluginFile, const TTC* my, const TTC* newModel,
                          const std::wstring& ownPluginFile);

// Whether dir (any case, with or without trailing backslash) lies where
// plugins are kept (see above) and is no system folder, drive root or
// folder of the installations that holds more than one plugin's own.
bool IsPluginFolderPlace(const std::wstring& dir, const PluginSurroundings& around);

// The folder into which an add puts a plugin of the kind (lower-cased,
// without trailing backslash): the folder My installation keeps that kind's
// plugins in when that lies where plugins are kept, else
// "<My program folder>\plugins\<kind>". Never a drive root nor a folder
// elsewhere.
std::wstring AddFolderForKind(const TTC& my, ItemKind kind, const PluginSurroundings& around);

// Every file an installation uses: its plugins and their twins, what its
// menus, bars and associations start, its program and configuration files.
std::vector<std::wstring> FilesInUse(const TTC& model);

// The plugin file of the other bitness beside file: "x.wfx" <-> "x.wfx64".
std::wstring PluginTwinOf(const std::wstring& file);

}  // namespace orvelle
