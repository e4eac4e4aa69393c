#include "tree/translation.h"

#include "platform/strings.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"
#include "tree/vars_conts.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace orvelle::texts {
namespace {

// English again after each test: the shown translation is process-wide.
class Translations : public testing::Test {
 protected:
  void TearDown() override { ShowTranslation(nullptr); }
};

using namespace std::string_literals;

// UTF-16 LE bytes of the text, with or without the mark.
std::string Utf16(std::wstring_view text, bool mark) {
  std::string bytes = mark ? "\xFF\xFE" : "";
  for (wchar_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

std::string Utf8(std::wstring_view text) { return platform::AnsiFromWide(std::wstring(text), CP_UTF8); }

std::vector<std::filesystem::path> ShippedLanguageFiles() {
  std::vector<std::filesystem::path> files;
  const std::filesystem::path dir = test::SourceFile(L"lang");
  if (!std::filesystem::is_directory(dir)) return files;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() == L".lng") files.push_back(entry.path());
  }
  return files;
}

// A text glued to a name or to another text ("Restore " + file name) must
// keep its blank, or the two run together in that language.
TEST_F(Translations, EveryShippedFileTranslatesEveryKeyAndKeepsItsBlanks) {
  const std::vector<std::filesystem::path> files = ShippedLanguageFiles();
  std::vector<std::wstring> names;
  for (const auto& file : files) names.push_back(file.filename().wstring());
  for (const wchar_t* expected : {L"Orvelle_DEU.lng", L"Orvelle_RUS.lng", L"Orvelle_CHN.lng"}) {
    EXPECT_NE(std::find(names.begin(), names.end(), expected), names.end()) << expected;
  }
  for (const auto& file : files) {
    SCOPED_TRACE(file.filename().string());
    std::shared_ptr<const Translation> t = LoadTranslation(file.wstring());
    ASSERT_TRUE(t);
    EXPECT_FALSE(t->Name().empty());
    for (const TextKey& key : TranslatableTexts()) {
      const wchar_t* text = t->Find(key.english);
      ASSERT_NE(text, nullptr) << "no " << platform::AnsiFromWide(key.name, CP_UTF8);
      const std::wstring_view english = key.english, translated = text;
      EXPECT_EQ(english.front() == L' ', translated.front() == L' ') << Utf8(key.name);
      EXPECT_EQ(english.back() == L' ', translated.back() == L' ') << Utf8(key.name);
    }
    EXPECT_EQ(t->Count(), TranslatableTexts().size());
  }
}

// The tree's folder and entry names are what saved searches, colour
// filters and the users' habits match: no language renames them.
TEST_F(Translations, FolderAndEntryNamesAreNotTranslatable) {
  for (const wchar_t* name :
       {kBackupFolder, kMainUnit, kFiles, kCommands, kIcons, kVersion, kExeModified, kPluginsGroup,
        kApplicationsGroup, kNonExecutable, kPackageExclude, kPackageInclude, kWfx, kDirectory,
        kAddEntry, kDeleteEntry, kUpdateEntry, kAbout, kWarning, kError, kReportHtml,
        kUnknownBuild, kSettingsBackupName}) {
    for (const TextKey& key : TranslatableTexts()) {
      EXPECT_NE(key.english, name) << Utf8(name);
    }
  }
  ShowTranslation(LoadTranslation(test::SourceFile(L"lang\\Orvelle_DEU.lng")));
  EXPECT_STREQ(Tr(kBackupFolder), L"Backup");
  EXPECT_STREQ(Tr(kDeleteQuestion), L"Löschen?");
}

// Two lines for one constant, or one key for two, would make a language
// file's line ambiguous.
TEST(TranslatableTexts, NameEachConstantOnceUnderItsOwnKey) {
  const std::span<const TextKey> keys = TranslatableTexts();
  for (size_t i = 0; i < keys.size(); ++i) {
    for (size_t j = i + 1; j < keys.size(); ++j) {
      EXPECT_NE(keys[i].english, keys[j].english) << Utf8(keys[i].name);
      EXPECT_NE(_wcsicmp(keys[i].name, keys[j].name), 0) << Utf8(keys[i].name);
    }
  }
}

TEST(LanguageFileFor, TakesTheLanguageOfTheHostsLanguageFile) {
  const struct {
    const wchar_t* languageIni;
    const wchar_t* file;
  } cases[] = {
      {L"", L""},
      {L"WCMD_ENG.LNG", L""},
      {L"WCMD_DEU.LNG", L"Orvelle_DEU.lng"},
      {L"wcmd_rus.lng", L"Orvelle_RUS.lng"},
      {L"c:\\Program Files\\totalcmd\\LANGUAGE\\WCMD_CHN.LNG", L"Orvelle_CHN.lng"},
      {L"D:/tc/language/Wcmd_Chn.lng", L"Orvelle_CHN.lng"},
      {L"  WCMD_DEU.LNG  ", L"Orvelle_DEU.lng"},
      {L"WCMD_DEU", L"Orvelle_DEU.lng"},
      {L"WCMD_FRA.LNG", L"Orvelle_FRA.lng"},  // no such file: English, see the load test
      {L"deutsch.lng", L"Orvelle_DEUTSCH.lng"},
      {L"WCMD_.LNG", L"Orvelle_WCMD_.lng"},
      {L"WCMD_D*U.LNG", L""},
      {L"WCMD_DE U.LNG", L""},
      {L"c:\\tc\\language\\", L""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LanguageFileFor(c.languageIni), c.file) << Utf8(c.languageIni);
  }
}

TEST_F(Translations, ParsesTheFileForms) {
  const struct {
    const char* what;
    std::string bytes;
    const wchar_t* deleteQuestion;  // what Find(kDeleteQuestion) gives, or nullptr
  } cases[] = {
      {"UTF-8 with its mark", "\xEF\xBB\xBF[Texts]\r\nDeleteQuestion=L\xC3\xB6schen?\r\n", L"Löschen?"},
      {"UTF-8 without a mark, LF", "[Texts]\nDeleteQuestion=L\xC3\xB6schen?\n", L"Löschen?"},
      {"UTF-16 with its mark", Utf16(L"[Texts]\r\nDeleteQuestion=\u0423\u0434?\r\n", true),
       L"\u0423\u0434?"},
      {"UTF-16 without a mark is no text", Utf16(L"[Texts]\nDeleteQuestion=x\n", false), nullptr},
      {"keys in any case, blanks around them", "[texts]\n  deletequestion =Weg?\n", L"Weg?"},
      {"a key outside [Texts]", "[Language]\nDeleteQuestion=Weg?\n", nullptr},
      {"an empty value", "[Texts]\nDeleteQuestion=\n", nullptr},
      {"bytes that are not UTF-8", "[Texts]\nDeleteQuestion=L\xF6schen?\n", nullptr},
      {"a control character", "[Texts]\nDeleteQuestion=We\0g?\n"s, nullptr},
      {"a comment line", "[Texts]\n;DeleteQuestion=Weg?\n", nullptr},
      {"no equals sign", "[Texts]\nDeleteQuestion Weg?\n", nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Translation t = Translation::FromBytes(c.bytes);
    const wchar_t* found = t.Find(kDeleteQuestion);
    if (c.deleteQuestion == nullptr) {
      EXPECT_EQ(found, nullptr);
    } else {
      ASSERT_NE(found, nullptr);
      EXPECT_EQ(std::wstring(found), c.deleteQuestion);
    }
  }
}

TEST_F(Translations, AValueKeepsItsBlanksAndADamagedOneLeavesTheOthers) {
  Translation t = Translation::FromBytes(
      "[Language]\nName= Deutsch \nFont=Segoe UI, ,Tahoma\n[Texts]\nRestoreFilePrefix="
      "Wiederherstellen \nDeleted=GEL\xD6SCHT!\nUnknownKey=x\nAdded=HINZUGEF\xC3\x9CGT!\n");
  EXPECT_STREQ(t.Find(kRestoreFilePrefix), L"Wiederherstellen ");
  EXPECT_EQ(t.Find(kDeleted), nullptr);
  EXPECT_STREQ(t.Find(kAdded), L"HINZUGEFÜGT!");
  EXPECT_EQ(t.Count(), 2u);
  EXPECT_EQ(t.Name(), L"Deutsch");
  EXPECT_EQ(t.Fonts(), (std::vector<std::wstring>{L"Segoe UI", L"Tahoma"}));
}

TEST_F(Translations, MissingHugeOrEmptyFilesGiveNoTranslation) {
  test::TempDir dir;
  test::WriteBytes(dir / L"empty.lng", "");
  test::WriteBytes(dir / L"nothing.lng", "[Texts]\nNoSuchKey=x\n");
  std::string huge = "[Texts]\nDeleteQuestion=Weg?\n";
  huge.resize(2 * 1024 * 1024, ';');
  test::WriteBytes(dir / L"huge.lng", huge);
  test::CreateDirectories(dir / L"folder.lng");
  for (const wchar_t* name : {L"missing.lng", L"empty.lng", L"nothing.lng", L"huge.lng", L"folder.lng"}) {
    EXPECT_EQ(LoadTranslation(dir / name), nullptr) << Utf8(name);
  }
}

TEST_F(Translations, TrShowsTheTranslationAndEnglishForTheRest) {
  const wchar_t* other = L"not a constant of the table";
  EXPECT_EQ(Tr(kDeleteQuestion), kDeleteQuestion);
  auto german = std::make_shared<Translation>(
      Translation::FromBytes("[Texts]\nDeleteQuestion=L\xC3\xB6schen?\n"));
  ShowTranslation(german);
  EXPECT_STREQ(Tr(kDeleteQuestion), L"Löschen?");
  EXPECT_EQ(Tr(kRestoreQuestion), kRestoreQuestion) << "a key the file lacks";
  EXPECT_EQ(Tr(other), other);
  EXPECT_EQ(Tr(nullptr), nullptr);

  // A text handed out stays valid when another language is shown, and an
  // equal translation shown again is the one kept.
  const wchar_t* handedOut = Tr(kDeleteQuestion);
  ShowTranslation(std::make_shared<Translation>(Translation::FromBytes("[Texts]\nDeleteQuestion=Weg?\n")));
  EXPECT_STREQ(Tr(kDeleteQuestion), L"Weg?");
  EXPECT_STREQ(handedOut, L"Löschen?");
  ShowTranslation(std::make_shared<Translation>(*german));
  EXPECT_EQ(Tr(kDeleteQuestion), handedOut);
  ShowTranslation(nullptr);
  EXPECT_EQ(Tr(kDeleteQuestion), kDeleteQuestion);
}

}  // namespace
}  // namespace orvelle::texts
