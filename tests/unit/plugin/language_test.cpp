// Which language a build shows, from My installation's language setting and
// the language files beside the plugin.
#include "plugin/language.h"

#include "platform/strings.h"
#include "plugin/state.h"
#include "support/temp_dir.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(ChooseLanguage, FollowsMyInstallationsLanguageSetting) {
  test::TempDir pluginDir;
  for (const wchar_t* name : {L"Orvelle_DEU.lng", L"Orvelle_RUS.lng", L"Orvelle_CHN.lng"}) {
    test::WriteBytes(pluginDir / name, test::ReadBytes(test::SourceFile(std::wstring(L"lang\\") + name)));
  }
  // A file that holds nothing usable counts as none.
  test::WriteBytes(pluginDir / L"Orvelle_XXX.lng", "\xFF\xFE\x00\xD8garbage");
  const struct {
    const wchar_t* languageIni;
    const wchar_t* deleteQuestion;
  } cases[] = {
      {L"", L"Delete?"},
      {L"c:\\tc\\LANGUAGE\\WCMD_ENG.LNG", L"Delete?"},
      {L"c:\\tc\\LANGUAGE\\WCMD_DEU.LNG", L"Löschen?"},
      {L"c:\\tc\\language\\wcmd_rus.lng", L"Удалить?"},
      {L"WCMD_CHN.LNG", L"删除吗？"},
      {L"c:\\tc\\LANGUAGE\\WCMD_FRA.LNG", L"Delete?"},
      {L"c:\\tc\\LANGUAGE\\WCMD_XXX.LNG", L"Delete?"},
      // After a language, English again: nothing of the last one stays.
      {L"", L"Delete?"},
  };
  PluginState state;
  state.Identity.PluginDir = pluginDir.Path() + L"\\";
  TTC my(L"c:\\tc\\totalcmd.exe");
  for (const auto& c : cases) {
    SCOPED_TRACE(platform::AnsiFromWide(c.languageIni, CP_UTF8));
    my.ConfigPaths.languageini = c.languageIni;
    ChooseLanguage(state, my);
    EXPECT_EQ(std::wstring(Tr(texts::kDeleteQuestion)), c.deleteQuestion);
    EXPECT_EQ(state.Language == nullptr, std::wstring(c.deleteQuestion) == L"Delete?");
  }
  texts::ShowTranslation(nullptr);
}

// Before any build: the own configuration file's setting, read quietly.
TEST(ChooseLanguage, AtTheStartReadsTheOwnConfigurationFile) {
  test::TempDir dir;
  test::WriteBytes(dir / L"Orvelle_RUS.lng", test::ReadBytes(test::SourceFile(L"lang\\Orvelle_RUS.lng")));
  test::WriteBytes(dir / L"wincmd.ini", "[Configuration]\r\nLanguageIni = %COMMANDER_PATH%\\Language\\wcmd_rus.lng\r\n");
  PluginState state;
  state.Identity.PluginDir = dir.Path() + L"\\";
  state.Identity.CommanderIniPath = dir / L"wincmd.ini";
  ChooseLanguageAtStart(state);
  EXPECT_EQ(std::wstring(Tr(texts::kDeleteQuestion)), L"Удалить?");
  for (const wchar_t* ini : {L"", L"c:\\nowhere\\wincmd.ini"}) {
    state.Identity.CommanderIniPath = ini;
    ChooseLanguageAtStart(state);
    EXPECT_EQ(Tr(texts::kDeleteQuestion), texts::kDeleteQuestion);
  }
}

}  // namespace
}  // namespace orvelle
