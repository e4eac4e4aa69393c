#include "plugin/language.h"

#include "tc/ini_line.h"
#include "tc/ttc.h"
#include "tree/translation.h"
#include "util/text_file.h"

namespace orvelle {

void ChooseLanguage(PluginState& state, const std::wstring& languageIni) {
  const std::wstring file = texts::LanguageFileFor(languageIni);
  state.Language = file.empty() ? nullptr : texts::LoadTranslation(state.Identity.PluginDir + file);
  texts::ShowTranslation(state.Language);
}

void ChooseLanguage(PluginState& state, const TTC& my) {
  ChooseLanguage(state, my.ConfigPaths.languageini);
}

void ChooseLanguageAtStart(PluginState& state) {
  std::wstring languageIni;
  if (!state.Identity.CommanderIniPath.empty()) {
    if (std::optional<TextDocument> ini = LoadTextFile(state.Identity.CommanderIniPath)) {
      FindIniValue(ini->lines, L"[configuration]", L"languageini", languageIni);
    }
  }
  ChooseLanguage(state, languageIni);
}

}  // namespace orvelle
