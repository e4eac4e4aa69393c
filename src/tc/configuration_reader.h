// Reading an installation's configuration (wincmd.ini, its "alternateuserini"
// file and the files its sections are redirected to) into the model.
#pragma once

#include <string>

namespace orvelle {

class TTC;

// Reads model.IniFile (MainIniFile is set to it when empty), follows the
// redirects, then settles the main menu, language and icon library files,
// adds the 64-bit twins of the plugins, drops plugins whose file is missing,
// fills the colour defaults and reads the main menu. False, after a message
// box, when a configuration file cannot be opened or no main menu file is
// found.
bool LoadConfiguration(TTC& model);

// One pass over fileName. With redirectMode only the section named by
// section (a lower-cased header) is read, replacing what the model held of
// it. Used by LoadConfiguration for redirects; false (after the message)
// when a file cannot be opened.
bool LoadConfiguration(TTC& model, const std::wstring& fileName, bool redirectMode,
                       const std::wstring& section);

}  // namespace orvelle
