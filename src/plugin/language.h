// The language the plugin speaks: the one of My installation, from its
// LanguageIni setting and the language files beside the plugin.
#pragma once

#include "plugin/state.h"

#include <string>

namespace orvelle {

// Reads the language file that a LanguageIni value asks for from the
// plugin's folder and shows the plugin's texts in it; English when there is
// no value, no file for it, or the file holds nothing usable.
void ChooseLanguage(PluginState& state, const std::wstring& languageIni);
// The same from My installation's model, once a build has read it.
void ChooseLanguage(PluginState& state, const TTC& my);
// The same at the plugin's start, before any build: the LanguageIni of the
// own process's configuration file (COMMANDER_INI), so that the backup
// folder and the first question already speak it. Nothing is said when
// that file cannot be read: the build reads it again and tells.
void ChooseLanguageAtStart(PluginState& state);

}  // namespace orvelle
