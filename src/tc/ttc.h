// The model of one installation of the host: where it lives, its environment,
// what its configuration registers (plugins, searches, colours, menus, user
// commands), its internal command list, icons, plugin directories and the
// files its menus and button bars launch. Two instances exist while the
// plugin works: My installation's (the hosting process) and the New
// installation's (the other running host). The readers in this folder fill
// it; the comparison and the operations read its lists side by side.
//
// Lists are parallel where their names say so (same index, same row). Paths
// read from a configuration are expanded (see ExpandVariables) and, where the
// comment says so, lower-cased; look-ups by name are case-insensitive.
#pragma once

#include "platform/handle.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace orvelle {

// Section slots: the file in which each tracked section was last read. The
// slot numbers are shared with the editors and the backup store.
enum SectionSlot : int {
  kSlotIniFile = 0,  // the configuration file in force, held in TTC::IniFile
  kSlotFileSystemPlugins = 1,
  kSlotPackerPlugins = 2,
  kSlotListerPlugins = 3,
  kSlotContentPlugins = 4,
  kSlotSearches = 5,
  kSlotUser = 6,
  kSlotDirMenu = 7,
  kSlotConfiguration = 8,
  kSlotColors = 9,
  kSlotPacker = 10,
  kSlotExtensions = 11,
  kSlotFont = 12,  // the section named by TTC::FontSection
  kSlotCount = 13
};

// The [Configuration] values the model keeps. All but `version` are stored
// expanded (without making them absolute); after a top-level read `mainmenu`
// and `languageini` hold the files actually found and `iconlib` the icon
// library in force (ExeFile when the configured one is missing).
struct TConfigPaths {
  std::wstring comparetool, drivelib, editor, iconlib, languageini, mainmenu, pluginbasedir,
      version, viewer, colorfilters;
};

// The [Packer] keys, in the order of TTC::PackerCommands.
inline constexpr std::array<const wchar_t*, 7> kPackerKeys = {L"zip", L"unzip", L"ace", L"arj",
                                                              L"lha", L"rar", L"uc2"};

inline constexpr wchar_t kDefaultFontName[] = L"Microsoft Sans Serif";
inline constexpr int kDefaultFontSize = 8;
inline constexpr wchar_t kColorNotSet[] = L"-1";

class TTC {
 public:
  // All lists empty, the defaults in place (font section of the primary
  // screen, fonts, colours "-1").
  explicit TTC(std::wstring exeFile);
  TTC(TTC&&) noexcept = default;
  TTC& operator=(TTC&&) noexcept = default;
  TTC(const TTC&) = delete;
  TTC& operator=(const TTC&) = delete;
  ~TTC() = default;

  // The directory of ExeFile with a trailing backslash ("c:\tc\").
  std::wstring ProgramDir() const;
  // The file of a section slot; slot 0 is IniFile.
  const std::wstring& SlotFile(int slot) const;
  // The default font section of this screen: "[W x H (8x16)]", or
  // "(10x20)" when the display has 120 logical pixels per inch.
  static std::wstring ScreenFontSection();

  // --- identity and files
  std::wstring ExeFile;      // full path of the main program file
  std::wstring IniFile;      // configuration file in force (slot 0)
  std::wstring MainIniFile;  // configuration file located for the installation;
                             // differs from IniFile when "alternateuserini" is in force
  // Slots 1-12 (index 0 is unused: slot 0 is IniFile). After a top-level
  // read a slot whose section appeared nowhere holds IniFile, the file in
  // which the host would create the section.
  std::array<std::wstring, kSlotCount> SectionFile;
  HANDLE ProcessHandle = nullptr;  // New installation only; not owned
  std::vector<std::wstring> EnvNames, EnvValues;

  // --- [Configuration]
  TConfigPaths ConfigPaths;
  std::wstring LanguageIniFile;  // the language file with "ini" for its last three characters

  // --- fonts (index 0: panel font keys "fontname"..., index 1: the "...window" keys)
  std::wstring FontSection;
  std::array<std::wstring, 2> FontNames{kDefaultFontName, kDefaultFontName};
  std::array<int, 2> FontSizes{kDefaultFontSize, kDefaultFontSize};
  std::array<bool, 2> FontWeightFlags{true, true};  // false when the weight is "400"

  // --- [Colors]
  std::wstring ForeColor = kColorNotSet, BackColor = kColorNotSet, BackColor2 = kColorNotSet;
  std::vector<std::wstring> ColorFilters, ColorFilterColors;  // index N-1 for ColorFilterN

  // --- [searches], one row per saved search; names lower-cased
  std::vector<std::wstring> SearchNames, SearchFor, SearchIn, SearchText, SearchFlags,
      SearchPlugin;

  // --- [DirMenu], index N-1 for menuN / cmdN
  std::vector<std::wstring> DirMenuNames, DirMenuCommands;

  // --- [Packer], in the order of kPackerKeys
  std::array<std::wstring, 7> PackerCommands;

  // --- [PackerPlugins]: one row per plugin file (path expanded, lower-cased);
  // Extensions and Flags hold "rar;zip;" and "69;0;"; Lines the first line
  // that registered the plugin, as written.
  std::vector<std::wstring> PackerPluginFiles, PackerPluginExtensions, PackerPluginFlags,
      PackerPluginNames, PackerPluginLines;

  // --- [Extensions]
  std::vector<std::wstring> ExtensionKeys, ExtensionCommands;

  // --- [ListerPlugins] / [ContentPlugins]: Lines hold the entry's line from
  // its "=" on, as written; Detect the "N_detect" value.
  std::vector<std::wstring> ListerPluginFiles, ListerPluginNames, ListerPluginDetect,
      ListerPluginLines;
  std::vector<std::wstring> ContentPluginFiles, ContentPluginNames, ContentPluginDetect,
      ContentPluginLines;

  // --- [FileSystemPlugins]: keys lower-cased; Lines the whole line as written
  // (empty for the 64-bit twins found beside a registered file).
  std::vector<std::wstring> FsPluginKeys, FsPluginFiles, FsPluginNames, FsPluginLines;

  // --- [user] (the host's start menu), index N-1; UserLines gathers the
  // entry's lines, each followed by a line feed, as written.
  std::vector<std::wstring> UserMenus, UserCommands, UserParams, UserPaths, UserLines;

  // Every program, packer and plugin path the configuration names, expanded
  // and lower-cased, in reading order.
  std::vector<std::wstring> ProgramPaths;
  // File names of the executables in the program directory (My installation).
  std::vector<std::wstring> MainExecutables;

  // --- button bars: full paths, lower-cased, sorted, no duplicates
  std::vector<std::wstring> BarFiles;

  // --- program identity
  std::wstring ProgramVersion;  // "FileVersion" string, else "ProductVersion"
  std::wstring ProgramDigest;   // MD5 of ExeFile

  // --- WCMICONS.INC: command number -> index among the WCMICONS.DLL icons
  std::vector<int> IconNumbers, IconIndexes;

  // --- icons of the icon library (or ExeFile) and of WCMICONS.DLL, one per
  // icon group in resource order; the fingerprint is the CRC-32 of the
  // chosen image's data. MainIcon is the first library icon (owned by
  // IconLibHandles), null when there is none.
  HICON MainIcon = nullptr;
  std::vector<platform::unique_hicon> IconLibHandles;
  std::vector<uint32_t> IconLibFingerprints;
  std::vector<platform::unique_hicon> WcmIconHandles;
  std::vector<uint32_t> WcmIconFingerprints;

  // --- main menu: MenuPaths holds the open submenus, each followed by " -> "
  std::vector<std::wstring> MenuPaths, MenuCaptions, MenuCommands;

  // --- TOTALCMD.INC; CommandCategoryOf indexes CommandCategories
  std::vector<std::wstring> CommandCategories, CommandNames, CommandNumbers, CommandDescriptions;
  std::vector<int> CommandCategoryOf;
  // The command list's path when it could not be read (the lists are then
  // empty, which is no statement about the program's commands).
  std::wstring MissingCommandList;
  // The main menu file's path when none could be found or read (the menu
  // lists are then empty, and what the menu starts goes uncompared).
  std::wstring MissingMainMenu;

  // --- plugin directories: lower-cased, with a trailing backslash
  std::wstring PluginRoot, WfxDir, WlxDir, WcxDir, WdxDir, AppDir;

  // --- command targets of the main menu, the button bars and the start menu:
  // one row each. Types: "N" existing non-executable file, "I" existing
  // executable inside the program directory, "E" any other program or file,
  // "C" a user-defined command ("em_..."). Occurrences: "1" for the first row
  // of a name (compared without regard to case), "2" for the second...
  std::vector<std::wstring> TargetNames, TargetPaths, TargetSources, TargetTypes,
      TargetOccurrences;

  // --- directories that hold the program, its programs and plugins:
  // lower-cased, without trailing backslash, sorted, no duplicates
  std::vector<std::wstring> PrincipalDirs;
};

}  // namespace orvelle
