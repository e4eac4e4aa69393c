// Every text the user sees, in one table.
#pragma once

namespace orvelle::texts {

inline constexpr wchar_t kPluginName[] = L"Orvelle";
inline constexpr wchar_t kPluginVersion[] = L"1.0.2.0";
inline constexpr wchar_t kAbout[] = L"About...";
inline constexpr wchar_t kRepeatComparison[] = L"Repeat comparison?";
inline constexpr wchar_t kComparisonTitle[] = L"Comparison... wait a minute...";
inline constexpr wchar_t kNotBuiltCompletely[] = L"Virtual tree was not build completely!";
inline constexpr wchar_t kRunAnother[] = L"First, run another Total Commander!";
inline constexpr wchar_t kCanNotOpenProcess[] =
    L"Can not open finded process! Run TC as Administrator or run another TC without "
    L"Administrator rights!";
inline constexpr wchar_t kInformation[] = L"Information";
inline constexpr wchar_t kWarning[] = L"Warning";
inline constexpr wchar_t kError[] = L"Error";
inline constexpr wchar_t kBackupFolder[] = L"Backup";
inline constexpr wchar_t kSettingsBackupLabel[] = L" - backup TCs settings on first start plugin";
inline constexpr wchar_t kDeletedLabel[] = L" - deleted";
inline constexpr wchar_t kInstalledLabel[] = L" - installed";
inline constexpr wchar_t kSettingsBackupName[] = L"Total Commander";
// The first start's changes to My installation's settings, when they could
// not be made safely (each followed by the file or folder concerned).
inline constexpr wchar_t kSettingsBackupFailed[] =
    L"TC settings not changed: backup failed in ";
inline constexpr wchar_t kSettingsFileNotExact[] =
    L"TC settings not changed: text can not be read back exactly (damaged file?): ";
inline constexpr wchar_t kSettingsFileNotWritten[] =
    L"Saved searches and colour filters not written: ";

// The comparison: group and folder names, fixed entries, progress labels.
inline constexpr wchar_t kMainUnit[] = L"Main unit";
inline constexpr wchar_t kFiles[] = L"Files";
inline constexpr wchar_t kCommands[] = L"Commands";
inline constexpr wchar_t kIcons[] = L"Icons";
inline constexpr wchar_t kVersion[] = L"Version";
inline constexpr wchar_t kExeModified[] = L"EXE modified";
inline constexpr wchar_t kWincmdIni[] = L"wincmd.ini";
inline constexpr wchar_t kOnlyExecutable[] = L"Only executable";
inline constexpr wchar_t kWcmIconsDll[] = L"WCMICONS.DLL";
inline constexpr wchar_t kWcmIconsInc[] = L"WCMICONS.INC";
inline constexpr wchar_t kUnknownBuild[] = L"?";
inline constexpr wchar_t kYes[] = L"Yes";
inline constexpr wchar_t kNo[] = L"No";
inline constexpr wchar_t kIconExtension[] = L".ico";
inline constexpr wchar_t kPluginsGroup[] = L"Plugins";
inline constexpr wchar_t kApplicationsGroup[] = L"Applications";
inline constexpr wchar_t kProgressMainFiles[] = L"Main unit: files";
inline constexpr wchar_t kProgressCommands[] = L"Main unit: commands";
inline constexpr wchar_t kProgressIcons[] = L"Main unit: icons";
inline constexpr wchar_t kProgressWfx[] = L"Plugins: WFX";
inline constexpr wchar_t kProgressWcx[] = L"Plugins: WCX";
inline constexpr wchar_t kProgressWlx[] = L"Plugins: WLX";
inline constexpr wchar_t kProgressWdx[] = L"Plugins: WDX";
inline constexpr wchar_t kNonExecutable[] = L"Non executable";
inline constexpr wchar_t kPackageExclude[] = L"Package exclude";
inline constexpr wchar_t kPackageInclude[] = L"Package include";

// Plugin folders and their entries.
inline constexpr wchar_t kWfx[] = L"WFX";
inline constexpr wchar_t kWcx[] = L"WCX";
inline constexpr wchar_t kWlx[] = L"WLX";
inline constexpr wchar_t kWdx[] = L"WDX";
inline constexpr wchar_t kWfxInfo[] = L"File system plugins";
inline constexpr wchar_t kWcxInfo[] = L"Arhiver plugins";
inline constexpr wchar_t kWlxInfo[] = L"Lister plugins";
inline constexpr wchar_t kWdxInfo[] = L"Content plugins";
inline constexpr wchar_t kDirectory[] = L"Directory";
inline constexpr wchar_t kDetect[] = L"Detect";
inline constexpr wchar_t kExtensions[] = L"Extensions";
inline constexpr wchar_t kSubdirectoriesNotCompared[] = L"[Subdirectories not compared]";
inline constexpr wchar_t kSameFile[] = L"WARNING! The same file!";
inline constexpr wchar_t kFileMissing[] = L"File missing:";
inline constexpr wchar_t kFolderUnreadable[] = L"Folder can not be read:";
inline constexpr wchar_t kMySide[] = L"My";
inline constexpr wchar_t kNewSide[] = L"New";

}  // namespace orvelle::texts
