#include "tree/translation.h"

#include "platform/fs.h"
#include "tree/vars_conts.h"
#include "util/text_codec.h"
#include "util/text_file.h"

#include <algorithm>
#include <atomic>
#include <cwctype>
#include <mutex>

namespace orvelle::texts {

namespace {

// The file's key is the constant's name without its leading "k".
#define ORVELLE_TEXT_KEY(constant) \
  TextKey { L"" #constant + 1, constant }

// The translatable texts, one line each: a constant of vars_conts.h becomes
// translatable by its line here and in the language files. The tree's
// folder and entry names are not here: saved searches, colour filters and
// users' habits match them in English.
constexpr TextKey kKeys[] = {
    ORVELLE_TEXT_KEY(kRepeatComparison),
    ORVELLE_TEXT_KEY(kComparisonTitle),
    ORVELLE_TEXT_KEY(kNotBuiltCompletely),
    ORVELLE_TEXT_KEY(kRunAnother),
    ORVELLE_TEXT_KEY(kCanNotOpenProcess),
    ORVELLE_TEXT_KEY(kCanNotReadCommandLine),
    ORVELLE_TEXT_KEY(kCommanderIniNotDetected),
    ORVELLE_TEXT_KEY(kCommanderIniDoesNotExist),
    ORVELLE_TEXT_KEY(kConfigurationNotOpened),
    ORVELLE_TEXT_KEY(kSettingsBackupLabel),
    ORVELLE_TEXT_KEY(kDeletedLabel),
    ORVELLE_TEXT_KEY(kInstalledLabel),
    ORVELLE_TEXT_KEY(kBackupFolderInfo),
    ORVELLE_TEXT_KEY(kDeleteEntryInfo),
    ORVELLE_TEXT_KEY(kDeleteQuestion),
    ORVELLE_TEXT_KEY(kDeleted),
    ORVELLE_TEXT_KEY(kNotDeleted),
    ORVELLE_TEXT_KEY(kDeletedOnlyFile),
    ORVELLE_TEXT_KEY(kDeletedFilesKept),
    ORVELLE_TEXT_KEY(kCantPrepareBackup),
    ORVELLE_TEXT_KEY(kAlreadyMissing),
    ORVELLE_TEXT_KEY(kDeleteWfxError),
    ORVELLE_TEXT_KEY(kDeleteWcxError),
    ORVELLE_TEXT_KEY(kDeleteWlxError),
    ORVELLE_TEXT_KEY(kDeleteWdxError),
    ORVELLE_TEXT_KEY(kDeleteNonExecutableError),
    ORVELLE_TEXT_KEY(kDeletePackageExcludeError),
    ORVELLE_TEXT_KEY(kDeletePackageIncludeError),
    ORVELLE_TEXT_KEY(kRestoreQuestion),
    ORVELLE_TEXT_KEY(kRestoreFilePrefix),
    ORVELLE_TEXT_KEY(kRestored),
    ORVELLE_TEXT_KEY(kNotRestored),
    ORVELLE_TEXT_KEY(kNothingLeftToTakeOut),
    ORVELLE_TEXT_KEY(kCantRenameFile),
    ORVELLE_TEXT_KEY(kCantRenameDirectory),
    ORVELLE_TEXT_KEY(kFileCompareCaption),
    ORVELLE_TEXT_KEY(kTextCompareCaption),
    ORVELLE_TEXT_KEY(kAboutCaption),
    ORVELLE_TEXT_KEY(kClose),
    ORVELLE_TEXT_KEY(kRunNew),
    ORVELLE_TEXT_KEY(kRunMy),
    ORVELLE_TEXT_KEY(kOpenMyDirectory),
    ORVELLE_TEXT_KEY(kFileIsMissing),
    ORVELLE_TEXT_KEY(kCreationDate),
    ORVELLE_TEXT_KEY(kLastModifDate),
    ORVELLE_TEXT_KEY(kLastAccessDate),
    ORVELLE_TEXT_KEY(kFileSize),
    ORVELLE_TEXT_KEY(kMd5Summ),
    ORVELLE_TEXT_KEY(kSignatureRow),
    ORVELLE_TEXT_KEY(kFileVersionNumber),
    ORVELLE_TEXT_KEY(kProductVersionNumber),
    ORVELLE_TEXT_KEY(kFileVersionRow),
    ORVELLE_TEXT_KEY(kProductVersionRow),
    ORVELLE_TEXT_KEY(kFileDescription),
    ORVELLE_TEXT_KEY(kComments),
    ORVELLE_TEXT_KEY(kCompanyName),
    ORVELLE_TEXT_KEY(kLegalCopyright),
    ORVELLE_TEXT_KEY(kLegalTrademarks),
    ORVELLE_TEXT_KEY(kProductName),
    ORVELLE_TEXT_KEY(kOriginalFileName),
    ORVELLE_TEXT_KEY(kInternalName),
    ORVELLE_TEXT_KEY(kPrivateBuild),
    ORVELLE_TEXT_KEY(kSpecialBuild),
    ORVELLE_TEXT_KEY(kNameLabel),
    ORVELLE_TEXT_KEY(kVersionLabel),
    ORVELLE_TEXT_KEY(kAuthorLabel),
    ORVELLE_TEXT_KEY(kEMailLabel),
    ORVELLE_TEXT_KEY(kCopyrightLabel),
    ORVELLE_TEXT_KEY(kUpdateEntryInfo),
    ORVELLE_TEXT_KEY(kUpdateCaption),
    ORVELLE_TEXT_KEY(kUpdateTypeLabel),
    ORVELLE_TEXT_KEY(kUpdateButton),
    ORVELLE_TEXT_KEY(kCancel),
    ORVELLE_TEXT_KEY(kReplaceWholeDirectory),
    ORVELLE_TEXT_KEY(kUpdateOldFiles),
    ORVELLE_TEXT_KEY(kCopyWithReplace),
    ORVELLE_TEXT_KEY(kWithoutDirectories),
    ORVELLE_TEXT_KEY(kUpdated),
    ORVELLE_TEXT_KEY(kUpdateSuccessful),
    ORVELLE_TEXT_KEY(kUpdateAfterRestart),
    ORVELLE_TEXT_KEY(kDirectoryDeleteError),
    ORVELLE_TEXT_KEY(kDirectoryCopyError),
    ORVELLE_TEXT_KEY(kRollBackFailed),
    ORVELLE_TEXT_KEY(kStandsAt),
    ORVELLE_TEXT_KEY(kBelongsAt),
    ORVELLE_TEXT_KEY(kFolderHoldsLink),
    ORVELLE_TEXT_KEY(kNothingToUpdate),
    ORVELLE_TEXT_KEY(kSettingsBackupFailed),
    ORVELLE_TEXT_KEY(kSettingsFileNotExact),
    ORVELLE_TEXT_KEY(kSettingsFileNotWritten),
    ORVELLE_TEXT_KEY(kAddEntryInfo),
    ORVELLE_TEXT_KEY(kAddQuestion),
    ORVELLE_TEXT_KEY(kAdded),
    ORVELLE_TEXT_KEY(kNotAdded),
    ORVELLE_TEXT_KEY(kAddedAs),
    ORVELLE_TEXT_KEY(kAddedAsReason),
    ORVELLE_TEXT_KEY(kAddedOnlyFile),
    ORVELLE_TEXT_KEY(kCopying),
    ORVELLE_TEXT_KEY(kInternalPluginError),
    ORVELLE_TEXT_KEY(kBadSourceDirectory),
    ORVELLE_TEXT_KEY(kSimilarDirectoryExists),
    ORVELLE_TEXT_KEY(kAlreadyExists),
    ORVELLE_TEXT_KEY(kAddWfxError),
    ORVELLE_TEXT_KEY(kAddWcxError),
    ORVELLE_TEXT_KEY(kAddWlxError),
    ORVELLE_TEXT_KEY(kAddWdxError),
    ORVELLE_TEXT_KEY(kAddNonExecutableError),
    ORVELLE_TEXT_KEY(kAddPackageExcludeError),
    ORVELLE_TEXT_KEY(kAddPackageIncludeError),
    ORVELLE_TEXT_KEY(kStillCopying),
    ORVELLE_TEXT_KEY(kOnlyExecutable),
    ORVELLE_TEXT_KEY(kYes),
    ORVELLE_TEXT_KEY(kNo),
    ORVELLE_TEXT_KEY(kSigned),
    ORVELLE_TEXT_KEY(kSignatureBroken),
    ORVELLE_TEXT_KEY(kSignatureUnchecked),
    ORVELLE_TEXT_KEY(kUnsigned),
    ORVELLE_TEXT_KEY(kChecksumMatches),
    ORVELLE_TEXT_KEY(kChecksumDiffers),
    ORVELLE_TEXT_KEY(kNoChecksum),
    ORVELLE_TEXT_KEY(kNotAProgram),
    ORVELLE_TEXT_KEY(kCannotBeRead),
    ORVELLE_TEXT_KEY(kNoSignature),
    ORVELLE_TEXT_KEY(kProgressMainFiles),
    ORVELLE_TEXT_KEY(kProgressCommands),
    ORVELLE_TEXT_KEY(kProgressIcons),
    ORVELLE_TEXT_KEY(kProgressWfx),
    ORVELLE_TEXT_KEY(kProgressWcx),
    ORVELLE_TEXT_KEY(kProgressWlx),
    ORVELLE_TEXT_KEY(kProgressWdx),
    ORVELLE_TEXT_KEY(kFromMainMenu),
    ORVELLE_TEXT_KEY(kFromButtonBar),
    ORVELLE_TEXT_KEY(kFromStartMenu),
    ORVELLE_TEXT_KEY(kWfxInfo),
    ORVELLE_TEXT_KEY(kWcxInfo),
    ORVELLE_TEXT_KEY(kWlxInfo),
    ORVELLE_TEXT_KEY(kWdxInfo),
    ORVELLE_TEXT_KEY(kOnlyPluginFiles),
    ORVELLE_TEXT_KEY(kLinkNotFollowed),
    ORVELLE_TEXT_KEY(kFolderTooDeep),
    ORVELLE_TEXT_KEY(kSameFile),
    ORVELLE_TEXT_KEY(kFileMissing),
    ORVELLE_TEXT_KEY(kFolderUnreadable),
    ORVELLE_TEXT_KEY(kMySide),
    ORVELLE_TEXT_KEY(kNewSide),
    ORVELLE_TEXT_KEY(kSignNewer),
    ORVELLE_TEXT_KEY(kSignOlder),
    ORVELLE_TEXT_KEY(kSignDifferent),
    ORVELLE_TEXT_KEY(kSignOnlyNew),
    ORVELLE_TEXT_KEY(kSignOnlyMy),
    ORVELLE_TEXT_KEY(kSignEqual),
    ORVELLE_TEXT_KEY(kSignChangedByPlugin),
    ORVELLE_TEXT_KEY(kSignSameFile),
    ORVELLE_TEXT_KEY(kSignUnknownBuild),
    ORVELLE_TEXT_KEY(kSignNotCompared),
    ORVELLE_TEXT_KEY(kSignNothingCompared),
    ORVELLE_TEXT_KEY(kSignHolds),
    ORVELLE_TEXT_KEY(kSignOther),
    ORVELLE_TEXT_KEY(kReportHeading),
    ORVELLE_TEXT_KEY(kReportTitle),
    ORVELLE_TEXT_KEY(kReportProgramFile),
    ORVELLE_TEXT_KEY(kReportVersion),
    ORVELLE_TEXT_KEY(kReportConfiguration),
    ORVELLE_TEXT_KEY(kReportVersionOf),
    ORVELLE_TEXT_KEY(kReportConfigurationOf),
    ORVELLE_TEXT_KEY(kReportNewInstallation),
    ORVELLE_TEXT_KEY(kReportMyInstallation),
    ORVELLE_TEXT_KEY(kReportMade),
    ORVELLE_TEXT_KEY(kReportBy),
    ORVELLE_TEXT_KEY(kReportNote),
    ORVELLE_TEXT_KEY(kReportSigns),
    ORVELLE_TEXT_KEY(kReportSummary),
    ORVELLE_TEXT_KEY(kReportSummaryOfSigns),
    ORVELLE_TEXT_KEY(kReportFolder),
    ORVELLE_TEXT_KEY(kReportAll),
    ORVELLE_TEXT_KEY(kReportDifferences),
    ORVELLE_TEXT_KEY(kReportNoDifference),
    ORVELLE_TEXT_KEY(kEntryMissing),
    ORVELLE_TEXT_KEY(kEntryFolderSize),
    ORVELLE_TEXT_KEY(kEntryBytes),
    ORVELLE_TEXT_KEY(kEntryFile),
    ORVELLE_TEXT_KEY(kEntrySize),
    ORVELLE_TEXT_KEY(kEntryLastWritten),
    ORVELLE_TEXT_KEY(kEntryFileVersion),
    ORVELLE_TEXT_KEY(kEntryProductVersion),
    ORVELLE_TEXT_KEY(kEntryDigest),
    ORVELLE_TEXT_KEY(kEntryText),
    ORVELLE_TEXT_KEY(kKindAbout),
    ORVELLE_TEXT_KEY(kKindMessage),
    ORVELLE_TEXT_KEY(kKindBackupFolder),
    ORVELLE_TEXT_KEY(kKindBackup),
    ORVELLE_TEXT_KEY(kKindComparedText),
    ORVELLE_TEXT_KEY(kKindComparedFileFolder),
    ORVELLE_TEXT_KEY(kKindComparedFile),
    ORVELLE_TEXT_KEY(kKindDeleteAction),
    ORVELLE_TEXT_KEY(kKindAddAction),
    ORVELLE_TEXT_KEY(kKindUpdateAction),
    ORVELLE_TEXT_KEY(kKindFolder),
    ORVELLE_TEXT_KEY(kKindEntry),
    ORVELLE_TEXT_KEY(kOpensAbout),
    ORVELLE_TEXT_KEY(kOpensRestoreDeleted),
    ORVELLE_TEXT_KEY(kOpensRestoreInstalled),
    ORVELLE_TEXT_KEY(kOpensRestoreSettings),
    ORVELLE_TEXT_KEY(kOpensFileCompare),
    ORVELLE_TEXT_KEY(kOpensTextCompare),
    ORVELLE_TEXT_KEY(kOpensDone),
    ORVELLE_TEXT_KEY(kOpensDoneEnd),
    ORVELLE_TEXT_KEY(kOpensDelete),
    ORVELLE_TEXT_KEY(kOpensAdd),
    ORVELLE_TEXT_KEY(kOpensUpdate),
    ORVELLE_TEXT_KEY(kOpensFolder),
    ORVELLE_TEXT_KEY(kOpensFolderEnd),
    ORVELLE_TEXT_KEY(kOpensNothing),
    ORVELLE_TEXT_KEY(kEntryEntries),
    ORVELLE_TEXT_KEY(kEntryKind),
    ORVELLE_TEXT_KEY(kEntrySign),
    ORVELLE_TEXT_KEY(kEntryComment),
    ORVELLE_TEXT_KEY(kEntryTextSign),
    ORVELLE_TEXT_KEY(kEntryOpening),
    ORVELLE_TEXT_KEY(kReportHtmlInfo),
    ORVELLE_TEXT_KEY(kReportTextInfo),
    ORVELLE_TEXT_KEY(kReportNotWritten),
    ORVELLE_TEXT_KEY(kReportNotOpened),
    ORVELLE_TEXT_KEY(kAddAllInfoPrefix),
    ORVELLE_TEXT_KEY(kPluginsOfNew),
    ORVELLE_TEXT_KEY(kOnePluginOfNew),
    ORVELLE_TEXT_KEY(kUpdateAllInfoPrefix),
    ORVELLE_TEXT_KEY(kPluginsDiffering),
    ORVELLE_TEXT_KEY(kOnePluginDiffering),
    ORVELLE_TEXT_KEY(kAddAllCaption),
    ORVELLE_TEXT_KEY(kUpdateAllCaption),
    ORVELLE_TEXT_KEY(kAddAllLabel),
    ORVELLE_TEXT_KEY(kUpdateAllLabel),
    ORVELLE_TEXT_KEY(kUpdateAllOptionLabel),
    ORVELLE_TEXT_KEY(kAddAllButton),
    ORVELLE_TEXT_KEY(kUpdateAllButton),
    ORVELLE_TEXT_KEY(kCopyWithReplaceAll),
    ORVELLE_TEXT_KEY(kBatchInstalledLabel),
    ORVELLE_TEXT_KEY(kBatchUpdatedLabel),
    ORVELLE_TEXT_KEY(kBatchDeletedLabel),
    ORVELLE_TEXT_KEY(kPluginsCount),
    ORVELLE_TEXT_KEY(kOnePluginCount),
    ORVELLE_TEXT_KEY(kBatchAddedPrefix),
    ORVELLE_TEXT_KEY(kBatchUpdatedPrefix),
    ORVELLE_TEXT_KEY(kBatchCancelled),
    ORVELLE_TEXT_KEY(kBatchFailed),
    ORVELLE_TEXT_KEY(kBatchRollBackFailed),
    ORVELLE_TEXT_KEY(kBatchNothingChosen),
    ORVELLE_TEXT_KEY(kBatchNothingChanged),
};

#undef ORVELLE_TEXT_KEY

// Larger than any language file could be (a few hundred short lines).
constexpr uint64_t kMaxLanguageFileSize = 1024 * 1024;

std::wstring_view Trimmed(std::wstring_view s) {
  const size_t first = s.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return {};
  const size_t last = s.find_last_not_of(L" \t");
  return s.substr(first, last - first + 1);
}

bool EqualsIgnoringCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

// A value shown to the user: no control characters (a NUL would cut it
// short, a line break would break a one-line comment) and no lone
// surrogates, which stand for bytes that were not UTF-8.
bool IsShowable(std::wstring_view value) {
  for (size_t i = 0; i < value.size(); ++i) {
    const wchar_t c = value[i];
    if (c < 0x20 || c == 0x7F) return false;
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= value.size() || value[i + 1] < 0xDC00 || value[i + 1] > 0xDFFF) return false;
      ++i;
    } else if (c >= 0xDC00 && c <= 0xDFFF) {
      return false;
    }
  }
  return true;
}

const TextKey* KeyNamed(std::wstring_view name) {
  for (const TextKey& key : kKeys) {
    if (EqualsIgnoringCase(name, key.name)) return &key;
  }
  return nullptr;
}

std::vector<std::wstring> FontList(std::wstring_view value) {
  std::vector<std::wstring> fonts;
  size_t start = 0;
  while (start <= value.size()) {
    size_t comma = value.find(L',', start);
    if (comma == std::wstring_view::npos) comma = value.size();
    std::wstring_view name = Trimmed(value.substr(start, comma - start));
    // LOGFONT holds 31 characters and its terminator.
    if (!name.empty() && name.size() < 32 && IsShowable(name)) fonts.emplace_back(name);
    start = comma + 1;
  }
  return fonts;
}

// Every translation ever shown: Tr() hands out pointers into them.
struct ShownTranslations {
  std::mutex lock;
  std::vector<std::shared_ptr<const Translation>> kept;
  std::shared_ptr<const Translation> current;
};

ShownTranslations& Shown() {
  // Never destroyed: a text may still be shown while the library unloads.
  static ShownTranslations* shown = new ShownTranslations;
  return *shown;
}

std::atomic<const Translation*> gActive{nullptr};

}  // namespace

std::span<const TextKey> TranslatableTexts() { return kKeys; }

Translation Translation::FromBytes(std::string_view bytes) {
  Translation t;
  TextDocument doc = DecodeText(bytes, CP_UTF8);
  std::wstring section;
  for (const std::wstring& line : doc.lines) {
    std::wstring_view view = line;
    const std::wstring_view trimmed = Trimmed(view);
    if (trimmed.empty() || trimmed.front() == L';') continue;
    if (trimmed.front() == L'[' && trimmed.back() == L']') {
      section = std::wstring(Trimmed(trimmed.substr(1, trimmed.size() - 2)));
      continue;
    }
    const size_t equals = view.find(L'=');
    if (equals == std::wstring_view::npos) continue;
    const std::wstring_view name = Trimmed(view.substr(0, equals));
    const std::wstring_view value = view.substr(equals + 1);
    if (value.empty() || !IsShowable(value)) continue;
    if (EqualsIgnoringCase(section, L"Texts")) {
      if (const TextKey* key = KeyNamed(name)) t.texts_[key->english] = std::wstring(value);
    } else if (EqualsIgnoringCase(section, L"Language")) {
      if (EqualsIgnoringCase(name, L"Name")) t.name_ = std::wstring(Trimmed(value));
      if (EqualsIgnoringCase(name, L"Font")) t.fonts_ = FontList(value);
    }
  }
  return t;
}

const wchar_t* Translation::Find(const wchar_t* english) const {
  auto it = texts_.find(english);
  return it == texts_.end() ? nullptr : it->second.c_str();
}

std::wstring LanguageFileFor(std::wstring_view languageIni) {
  std::wstring_view name = Trimmed(languageIni);
  const size_t slash = name.find_last_of(L"\\/:");
  if (slash != std::wstring_view::npos) name = name.substr(slash + 1);
  const size_t dot = name.rfind(L'.');
  if (dot != std::wstring_view::npos) name = name.substr(0, dot);
  constexpr std::wstring_view kHostPrefix = L"WCMD_";
  if (name.size() > kHostPrefix.size() &&
      EqualsIgnoringCase(name.substr(0, kHostPrefix.size()), kHostPrefix)) {
    name.remove_prefix(kHostPrefix.size());
  }
  std::wstring code;
  for (wchar_t c : name) {
    // The code becomes part of a file name: letters, digits, "_" and "-".
    if (!std::iswalnum(c) && c != L'_' && c != L'-') return {};
    code += static_cast<wchar_t>(std::towupper(c));
  }
  if (code.empty() || code == L"ENG") return {};
  return L"Orvelle_" + code + L".lng";
}

std::shared_ptr<const Translation> LoadTranslation(const std::wstring& path) {
  std::optional<platform::FileEntry> entry = platform::GetFileEntry(path);
  if (!entry || entry->IsDirectory() || entry->size > kMaxLanguageFileSize) return nullptr;
  std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes || bytes->size() > kMaxLanguageFileSize) return nullptr;
  auto translation = std::make_shared<Translation>(Translation::FromBytes(*bytes));
  if (translation->Count() == 0) return nullptr;
  return translation;
}

void ShowTranslation(std::shared_ptr<const Translation> translation) {
  ShownTranslations& shown = Shown();
  std::lock_guard<std::mutex> guard(shown.lock);
  if (translation) {
    auto same = std::find_if(shown.kept.begin(), shown.kept.end(),
                             [&](const auto& kept) { return *kept == *translation; });
    if (same != shown.kept.end()) {
      translation = *same;
    } else {
      shown.kept.push_back(translation);
    }
  }
  shown.current = translation;
  gActive.store(translation.get());
}

std::shared_ptr<const Translation> ShownTranslation() {
  ShownTranslations& shown = Shown();
  std::lock_guard<std::mutex> guard(shown.lock);
  return shown.current;
}

const wchar_t* Tr(const wchar_t* english) {
  const Translation* active = gActive.load();
  if (active == nullptr || english == nullptr) return english;
  const wchar_t* translated = active->Find(english);
  return translated ? translated : english;
}

}  // namespace orvelle::texts
