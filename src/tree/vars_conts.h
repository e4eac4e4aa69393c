// Every text the user sees, in one table: the English texts. Code shows one
// as Tr(texts::kName) (tree/translation.h); it is translated once the key
// table in tree/translation.cpp names it, and English until then.
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
// Followed by the other program's path.
inline constexpr wchar_t kCanNotReadCommandLine[] =
    L"Can not read the command line of another Total Commander, and its wincmd.ini was not "
    L"found elsewhere! Compare in 64-bit Total Commander, or run the other one in 32-bit:";
// My installation's configuration out of reach (each followed by the files
// concerned).
inline constexpr wchar_t kCommanderIniNotDetected[] = L"%COMMANDER_INI% not detected in ";
inline constexpr wchar_t kCommanderIniDoesNotExist[] = L" does not exist for ";
inline constexpr wchar_t kConfigurationNotOpened[] = L"Configuration file can not be opened:";
inline constexpr wchar_t kInformation[] = L"Information";
inline constexpr wchar_t kWarning[] = L"Warning";
inline constexpr wchar_t kError[] = L"Error";
inline constexpr wchar_t kBackupFolder[] = L"Backup";
inline constexpr wchar_t kSettingsBackupLabel[] = L" - backup TCs settings on first start plugin";
inline constexpr wchar_t kDeletedLabel[] = L" - deleted";
inline constexpr wchar_t kInstalledLabel[] = L" - installed";
inline constexpr wchar_t kSettingsBackupName[] = L"Total Commander";
inline constexpr wchar_t kBackupFolderInfo[] =
    L"What the plugin changed in My installation: open an entry to put it back";

// Deleting from My installation and restoring from "\Backup".
inline constexpr wchar_t kDeleteEntry[] = L"Delete";
inline constexpr wchar_t kUpdateEntry[] = L"Update";
inline constexpr wchar_t kDeleteEntryInfo[] =
    L"Open: remove it from My installation with its registration (kept in \\Backup)";
inline constexpr wchar_t kDeleteQuestion[] = L"Delete?";
inline constexpr wchar_t kDeleted[] = L"DELETED!";
inline constexpr wchar_t kNotDeleted[] = L"ERROR! NOT DELETED!";
inline constexpr wchar_t kDeletedOnlyFile[] = L"DELETED! Cant replace directory! Only file!";
inline constexpr wchar_t kDeletedFilesKept[] =
    L"DELETED! Files kept: another plugin kind still registers them!";
inline constexpr wchar_t kCantPrepareBackup[] = L"Cant prepare for backup!";
inline constexpr wchar_t kAlreadyMissing[] = L"Necessary string(s) already missing!";
inline constexpr wchar_t kDeleteWfxError[] = L"Error: delete WFX from TC settings!";
inline constexpr wchar_t kDeleteWcxError[] = L"Error: delete WCX from TC settings!";
inline constexpr wchar_t kDeleteWlxError[] = L"Error: delete WLX from TC settings!";
inline constexpr wchar_t kDeleteWdxError[] = L"Error: delete WDX from TC settings!";
inline constexpr wchar_t kDeleteNonExecutableError[] =
    L"Error: delete not executable file (command) from TC settings!";
inline constexpr wchar_t kDeletePackageExcludeError[] =
    L"Error: delete package exclude file (command) from TC settings!";
inline constexpr wchar_t kDeletePackageIncludeError[] =
    L"Error: delete package include file (command) from TC settings!";
inline constexpr wchar_t kRestoreQuestion[] = L"Restore?";
inline constexpr wchar_t kRestoreFilePrefix[] = L"Restore ";
inline constexpr wchar_t kRestored[] = L"Restored!";
inline constexpr wchar_t kNotRestored[] = L"ERROR! NOT RESTORED!";
inline constexpr wchar_t kNothingLeftToTakeOut[] =
    L"Nothing left to take out: neither the plugin's lines nor its files are in My installation";
inline constexpr wchar_t kCantRenameFile[] = L"Cant rename file!";
inline constexpr wchar_t kCantRenameDirectory[] = L"Cant rename directory!";

// The dialogs: File Compare, Text Compare and About.
inline constexpr wchar_t kFileCompareCaption[] = L"File Compare Information";
inline constexpr wchar_t kTextCompareCaption[] = L"Text Compare Information";
inline constexpr wchar_t kAboutCaption[] = L"About plugin";
inline constexpr wchar_t kClose[] = L"Close";
inline constexpr wchar_t kRunNew[] = L"Run New";
inline constexpr wchar_t kRunMy[] = L"Run My";
inline constexpr wchar_t kOpenMyDirectory[] =
    L"Open My file directory in destination panel after close this window";
inline constexpr wchar_t kFileIsMissing[] = L"File is missing!";
inline constexpr wchar_t kCreationDate[] = L" Creation Date";
inline constexpr wchar_t kLastModifDate[] = L" Last Modif. Date";
inline constexpr wchar_t kLastAccessDate[] = L" Last Access Date";
inline constexpr wchar_t kFileSize[] = L" File Size";
inline constexpr wchar_t kMd5Summ[] = L" MD5 summ";
inline constexpr wchar_t kSignatureRow[] = L" Signature";
inline constexpr wchar_t kFileVersionNumber[] = L" File Version Number";
inline constexpr wchar_t kProductVersionNumber[] = L" Product Version Number";
inline constexpr wchar_t kFileVersionRow[] = L" File Version";
inline constexpr wchar_t kProductVersionRow[] = L" Product Version";
inline constexpr wchar_t kFileDescription[] = L" File Description";
inline constexpr wchar_t kComments[] = L" Comments";
inline constexpr wchar_t kCompanyName[] = L" Company Name";
inline constexpr wchar_t kLegalCopyright[] = L" Legal Copyright";
inline constexpr wchar_t kLegalTrademarks[] = L" Legal Trademarks";
inline constexpr wchar_t kProductName[] = L" Product Name";
inline constexpr wchar_t kOriginalFileName[] = L" Original File Name";
inline constexpr wchar_t kInternalName[] = L" Internal Name";
inline constexpr wchar_t kPrivateBuild[] = L" Private Build";
inline constexpr wchar_t kSpecialBuild[] = L" Special Build";
inline constexpr wchar_t kNameLabel[] = L"Name";
inline constexpr wchar_t kVersionLabel[] = L"Version";
inline constexpr wchar_t kAuthorLabel[] = L"Author";
inline constexpr wchar_t kEMailLabel[] = L"E-Mail";
inline constexpr wchar_t kCopyrightLabel[] = L"Copyright";
inline constexpr wchar_t kAuthor[] = L"The Orvelle developers";
inline constexpr wchar_t kEMail[] = L"orvelle@example.org";
inline constexpr wchar_t kCopyright[] = L"(c) 2026 The Orvelle developers";

// Updating a plugin of My installation from the New one.
inline constexpr wchar_t kUpdateEntryInfo[] =
    L"Open: bring its files up to date from the New installation (old files kept in \\Backup)";
inline constexpr wchar_t kUpdateCaption[] = L"Update";
inline constexpr wchar_t kUpdateTypeLabel[] = L"Type of phisical file replace";
inline constexpr wchar_t kUpdateButton[] = L"Update";
inline constexpr wchar_t kCancel[] = L"Cancel";
inline constexpr wchar_t kReplaceWholeDirectory[] = L"Replace whole directory";
inline constexpr wchar_t kUpdateOldFiles[] = L"Update old files and copy new files";
inline constexpr wchar_t kCopyWithReplace[] = L"Copy with replace all files";
inline constexpr wchar_t kWithoutDirectories[] = L"without directories";
inline constexpr wchar_t kUpdated[] = L"UPDATED!";
inline constexpr wchar_t kUpdateSuccessful[] = L"Update successfull!";
// After kUpdateSuccessful when the file manager has the plugin loaded.
inline constexpr wchar_t kUpdateAfterRestart[] =
    L"The file manager has the old version loaded: the new one takes effect when the file "
    L"manager is restarted.";
// Each followed by ":", a line break and the folders concerned.
inline constexpr wchar_t kDirectoryDeleteError[] = L"Directory delete Error";
inline constexpr wchar_t kDirectoryCopyError[] = L"Directory copy Error";
// A roll-back that could not put everything back: where things stand now.
inline constexpr wchar_t kRollBackFailed[] =
    L"The update failed and could not be undone wholly. Put back by hand:";
inline constexpr wchar_t kStandsAt[] = L"Stands at ";
inline constexpr wchar_t kBelongsAt[] = L", it belongs at ";
inline constexpr wchar_t kFolderHoldsLink[] =
    L"Not updated: My plugin's folder holds a link, which only \"Replace whole directory\" may drop";
inline constexpr wchar_t kNothingToUpdate[] =
    L"Nothing to update: no file of the New installation is newer or missing in My one!";

// The first start's changes to My installation's settings, when they could
// not be made safely (each followed by the file or folder concerned).
inline constexpr wchar_t kSettingsBackupFailed[] =
    L"TC settings not changed: backup failed in ";
inline constexpr wchar_t kSettingsFileNotExact[] =
    L"TC settings not changed: text can not be read back exactly (damaged file?): ";
inline constexpr wchar_t kSettingsFileNotWritten[] =
    L"Saved searches and colour filters not written: ";

// Carrying a plugin over from the New installation, and taking it back out.
inline constexpr wchar_t kAddEntry[] = L"Add";
inline constexpr wchar_t kAddEntryInfo[] =
    L"Open: carry it over into My installation with its registration (undone in \\Backup)";
inline constexpr wchar_t kAddQuestion[] = L"Add?";
inline constexpr wchar_t kAdded[] = L"ADDED!";
inline constexpr wchar_t kNotAdded[] = L"ERROR! NOT ADDED!";
// "ADDED! Registered as " + the name + the reason.
inline constexpr wchar_t kAddedAs[] = L"ADDED! Registered as \"";
inline constexpr wchar_t kAddedAsReason[] = L"\": its own name is another plugin's in My installation";
inline constexpr wchar_t kAddedOnlyFile[] =
    L"ADDED! Only file: its folder is not the plugin's own!";
inline constexpr wchar_t kCopying[] = L"Copying...";
inline constexpr wchar_t kInternalPluginError[] = L"INTERNAL PLUGIN ERROR!";
inline constexpr wchar_t kBadSourceDirectory[] = L"ERROR! NOT ADDED! Bad source directory!";
inline constexpr wchar_t kSimilarDirectoryExists[] = L"Similar directory already exists!";
inline constexpr wchar_t kAlreadyExists[] = L"Necessary string(s) already exists!";
inline constexpr wchar_t kAddWfxError[] = L"Error: Add WFX to TC settings!";
inline constexpr wchar_t kAddWcxError[] = L"Error: Add WCX to TC settings!";
inline constexpr wchar_t kAddWlxError[] = L"Error: Add WLX to TC settings!";
inline constexpr wchar_t kAddWdxError[] = L"Error: Add WDX to TC settings!";
inline constexpr wchar_t kAddNonExecutableError[] =
    L"Error: Add not executable file (command) to TC settings!";
inline constexpr wchar_t kAddPackageExcludeError[] =
    L"Error: Add package exclude file (command) to TC settings!";
inline constexpr wchar_t kAddPackageIncludeError[] =
    L"Error: Add package include file (command) to TC settings!";
inline constexpr wchar_t kStillCopying[] =
    L"The plugin is still being copied: undo the add once it has ended!";

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
// What a program file's own evidence says, in the comment of "EXE modified"
// and in the file dialog's " Signature" row.
inline constexpr wchar_t kSigned[] = L"signed";
inline constexpr wchar_t kSignatureBroken[] = L"does not verify";
inline constexpr wchar_t kSignatureUnchecked[] = L"not verified";
inline constexpr wchar_t kUnsigned[] = L"unsigned";
inline constexpr wchar_t kChecksumMatches[] = L"checksum matches";
inline constexpr wchar_t kChecksumDiffers[] = L"checksum differs";
inline constexpr wchar_t kNoChecksum[] = L"no checksum";
inline constexpr wchar_t kNotAProgram[] = L"no program file";
inline constexpr wchar_t kCannotBeRead[] = L"cannot be read";
inline constexpr wchar_t kNoSignature[] = L"none";
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
// Where an application is started from, in its entry's comment (each
// followed by the menu path or the bar's name).
inline constexpr wchar_t kFromMainMenu[] = L"Main menu: ";
inline constexpr wchar_t kFromButtonBar[] = L"Button bar ";
inline constexpr wchar_t kFromStartMenu[] = L"Start menu: ";
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
inline constexpr wchar_t kOnlyPluginFiles[] = L"[Only the plugin's own files compared]";
inline constexpr wchar_t kLinkNotFollowed[] = L"Link to a folder, not followed";
inline constexpr wchar_t kFolderTooDeep[] = L"Folders nested too deep, not compared:";
inline constexpr wchar_t kSameFile[] = L"WARNING! The same file!";
inline constexpr wchar_t kFileMissing[] = L"File missing:";
inline constexpr wchar_t kFolderUnreadable[] = L"Folder can not be read:";
inline constexpr wchar_t kMySide[] = L"My";
inline constexpr wchar_t kNewSide[] = L"New";

// The reports' headings, and the signs in words (reports and entry texts).
inline constexpr wchar_t kSignNewer[] = L"New is newer";
inline constexpr wchar_t kSignOlder[] = L"New is older";
inline constexpr wchar_t kSignDifferent[] = L"different";
inline constexpr wchar_t kSignOnlyNew[] = L"only in the New installation";
inline constexpr wchar_t kSignOnlyMy[] = L"only in My installation";
inline constexpr wchar_t kSignEqual[] = L"equal";
inline constexpr wchar_t kSignChangedByPlugin[] = L"changed by the plugin";
inline constexpr wchar_t kSignSameFile[] = L"the very same file in both installations";
inline constexpr wchar_t kSignUnknownBuild[] = L"not a known build of its version";
inline constexpr wchar_t kSignNotCompared[] = L"not compared";
inline constexpr wchar_t kSignNothingCompared[] = L"nothing compared";
inline constexpr wchar_t kSignHolds[] = L"holds: ";
inline constexpr wchar_t kSignOther[] = L"sign ";
inline constexpr wchar_t kReportHeading[] = L"Comparison of two installations";
inline constexpr wchar_t kReportTitle[] = L": comparison report";
inline constexpr wchar_t kReportProgramFile[] = L"Program file";
inline constexpr wchar_t kReportVersion[] = L"Version";
inline constexpr wchar_t kReportConfiguration[] = L"Configuration";
inline constexpr wchar_t kReportVersionOf[] = L"version";
inline constexpr wchar_t kReportConfigurationOf[] = L"configuration";
inline constexpr wchar_t kReportNewInstallation[] = L"New installation";
inline constexpr wchar_t kReportMyInstallation[] = L"My installation";
inline constexpr wchar_t kReportMade[] = L"Made ";
inline constexpr wchar_t kReportBy[] = L" by ";
inline constexpr wchar_t kReportNote[] = L"Note";
inline constexpr wchar_t kReportSigns[] = L"Signs";
inline constexpr wchar_t kReportSummary[] = L"Summary";
inline constexpr wchar_t kReportSummaryOfSigns[] = L"entries of each sign in each folder";
inline constexpr wchar_t kReportFolder[] = L"Folder";
inline constexpr wchar_t kReportAll[] = L"All";
inline constexpr wchar_t kReportDifferences[] = L"Differences";
inline constexpr wchar_t kReportNoDifference[] = L"The two installations do not differ.";

// What copying an entry out gives: the text file that describes it.
inline constexpr wchar_t kEntryMissing[] = L"missing";
inline constexpr wchar_t kEntryFolderSize[] = L"folder";
inline constexpr wchar_t kEntryBytes[] = L" bytes";
inline constexpr wchar_t kEntryFile[] = L"File";
inline constexpr wchar_t kEntrySize[] = L"Size";
inline constexpr wchar_t kEntryLastWritten[] = L"Last written";
inline constexpr wchar_t kEntryFileVersion[] = L"File version";
inline constexpr wchar_t kEntryProductVersion[] = L"Product version";
inline constexpr wchar_t kEntryDigest[] = L"MD5 digest";
inline constexpr wchar_t kEntryText[] = L"Text";
inline constexpr wchar_t kKindAbout[] = L"About the plugin";
inline constexpr wchar_t kKindMessage[] = L"Message";
inline constexpr wchar_t kKindBackupFolder[] = L"Backup folder";
inline constexpr wchar_t kKindBackup[] = L"Backup";
inline constexpr wchar_t kKindComparedText[] = L"Compared text";
inline constexpr wchar_t kKindComparedFileFolder[] = L"Compared file with its folder";
inline constexpr wchar_t kKindComparedFile[] = L"Compared file";
inline constexpr wchar_t kKindDeleteAction[] = L"Delete action";
inline constexpr wchar_t kKindAddAction[] = L"Add action";
inline constexpr wchar_t kKindUpdateAction[] = L"Update action";
inline constexpr wchar_t kKindFolder[] = L"Folder";
inline constexpr wchar_t kKindEntry[] = L"Entry";
inline constexpr wchar_t kOpensAbout[] = L"shows the About dialog.";
inline constexpr wchar_t kOpensRestoreDeleted[] =
    L"asks \"Restore?\", then puts the deleted item back into My installation.";
inline constexpr wchar_t kOpensRestoreInstalled[] =
    L"asks \"Restore?\", then takes what was added out of My installation again.";
inline constexpr wchar_t kOpensRestoreSettings[] =
    L"asks \"Restore?\", then puts this settings file back.";
inline constexpr wchar_t kOpensFileCompare[] =
    L"shows the File Compare Information dialog: both files side by side.";
inline constexpr wchar_t kOpensTextCompare[] =
    L"shows the Text Compare Information dialog: both texts side by side.";
inline constexpr wchar_t kOpensDone[] = L"nothing more: it was done (";
inline constexpr wchar_t kOpensDoneEnd[] = L").";
inline constexpr wchar_t kOpensDelete[] =
    L"asks \"Delete?\", then removes it from My installation with its registration "
    L"(kept in \\Backup).";
inline constexpr wchar_t kOpensAdd[] =
    L"asks \"Add?\", then copies the plugin into My installation and registers it "
    L"(recorded in \\Backup).";
inline constexpr wchar_t kOpensUpdate[] =
    L"shows the Update dialog: the ways to replace My installation's files by the New "
    L"installation's.";
inline constexpr wchar_t kOpensFolder[] = L"lists its ";
inline constexpr wchar_t kOpensFolderEnd[] = L" entries.";
inline constexpr wchar_t kOpensNothing[] = L"nothing: this text is all there is to it.";
inline constexpr wchar_t kEntryEntries[] = L"Entries";
inline constexpr wchar_t kEntryKind[] = L"Kind";
inline constexpr wchar_t kEntrySign[] = L"Sign";
inline constexpr wchar_t kEntryComment[] = L"Comment";
inline constexpr wchar_t kEntryTextSign[] = L"Text sign";
inline constexpr wchar_t kEntryOpening[] = L"Opening it (Enter)";

// The comparison as a report, in the root.
inline constexpr wchar_t kReportHtml[] = L"Report.html";
inline constexpr wchar_t kReportText[] = L"Report.txt";
inline constexpr wchar_t kReportHtmlInfo[] =
    L"The whole comparison as a web page: open it in the browser, copy it out to keep it";
inline constexpr wchar_t kReportTextInfo[] =
    L"The whole comparison as plain text, for a forum post";
inline constexpr wchar_t kReportNotWritten[] = L"The report could not be written:";
inline constexpr wchar_t kReportNotOpened[] = L"No program opened the report:";

}  // namespace orvelle::texts

// Carrying several plugins over, or updating or deleting several, as one
// change with one backup folder.
namespace orvelle::texts {

inline constexpr wchar_t kAddAllEntry[] = L"Add all";
inline constexpr wchar_t kUpdateAllEntry[] = L"Update all";
// "Add all: " + count + kPluginsOfNew.
inline constexpr wchar_t kAddAllInfoPrefix[] = L"Add all: ";
inline constexpr wchar_t kPluginsOfNew[] = L" plugins of the New installation";
inline constexpr wchar_t kOnePluginOfNew[] = L" plugin of the New installation";
// "Update all: " + count + kPluginsDiffering.
inline constexpr wchar_t kUpdateAllInfoPrefix[] = L"Update all: ";
inline constexpr wchar_t kPluginsDiffering[] = L" plugins whose files differ";
inline constexpr wchar_t kOnePluginDiffering[] = L" plugin whose files differ";
inline constexpr wchar_t kAddAllCaption[] = L"Add all";
inline constexpr wchar_t kUpdateAllCaption[] = L"Update all";
inline constexpr wchar_t kAddAllLabel[] =
    L"These plugins of the New installation will be carried over into My installation, as one "
    L"change that one restore in \\Backup undoes. Untick those to leave out:";
inline constexpr wchar_t kUpdateAllLabel[] =
    L"These plugins of My installation will be updated from the New installation, as one change "
    L"that one restore in \\Backup undoes. Untick those to leave out:";
inline constexpr wchar_t kUpdateAllOptionLabel[] = L"For every ticked plugin:";
inline constexpr wchar_t kAddAllButton[] = L"Add";
inline constexpr wchar_t kUpdateAllButton[] = L"Update";
inline constexpr wchar_t kCopyWithReplaceAll[] = L"Copy with replace all files";
// The name of a batch's folder in \Backup.
inline constexpr wchar_t kAddAllBackupName[] = L"Add all";
inline constexpr wchar_t kUpdateAllBackupName[] = L"Update all";
inline constexpr wchar_t kDeleteSelectionBackupName[] = L"Delete selection";
inline constexpr wchar_t kUndoBackupName[] = L"Undo";
// The comment of a batch's folder in \Backup: date + label + count + kPluginsCount.
inline constexpr wchar_t kBatchInstalledLabel[] = L" - installed ";
inline constexpr wchar_t kBatchUpdatedLabel[] = L" - updated ";
inline constexpr wchar_t kBatchDeletedLabel[] = L" - deleted ";
inline constexpr wchar_t kPluginsCount[] = L" plugins";
inline constexpr wchar_t kOnePluginCount[] = L" plugin";
// The result of a batch, on its entry.
inline constexpr wchar_t kBatchAddedPrefix[] = L"ADDED! Plugins: ";
inline constexpr wchar_t kBatchUpdatedPrefix[] = L"UPDATED! Plugins: ";
inline constexpr wchar_t kBatchCancelled[] =
    L"Cancelled: nothing was changed, My installation is as it was.";
// Followed by the plugin's name and the reason.
inline constexpr wchar_t kBatchFailed[] =
    L"Nothing was changed, My installation is as it was. This plugin could not be carried out: ";
inline constexpr wchar_t kBatchRollBackFailed[] =
    L"The change failed and could not be undone wholly: open its entry in \\Backup to put the "
    L"rest back. The plugin that failed: ";
inline constexpr wchar_t kBatchNothingChosen[] = L"No plugin is ticked.";
inline constexpr wchar_t kBatchNothingChanged[] =
    L"Nothing to do: the ticked plugins are as new as the New installation's.";

}  // namespace orvelle::texts
