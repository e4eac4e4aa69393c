// A temporary installation for the configuration reader tests: a program
// folder with its main menu, and the model of it.
#pragma once

#include "platform/strings.h"
#include "tc/configuration_reader.h"
#include "tc/ttc.h"
#include "tc_test_helpers.h"

#include <gtest/gtest.h>

namespace orvelle::test {

class ConfigurationTest : public ::testing::Test {
 protected:
  ConfigurationTest() : model_(ModelIn(dir_.Path())) {
    WriteTextFile(dir_ / L"LANGUAGE\\WCMD_ENG.MNU",
                  L"POPUP \"&Files\"\n  MENUITEM \"&Quit\\tAlt+F4\", cm_Exit\nEND_POPUP\n");
  }

  // Writes the configuration file and loads it.
  bool Load(std::wstring_view ini, Encoding encoding = Encoding::Ansi) {
    WriteTextFile(model_.IniFile, ini, encoding);
    return LoadConfiguration(model_);
  }

  // The lower-cased full path of a file of the program folder, as the
  // plugin lists hold it.
  std::wstring Lower(std::wstring_view relative) const {
    return platform::LowerCase(dir_ / relative);
  }
  std::wstring Touch(std::wstring_view relative) const {
    TouchFile(dir_ / relative);
    return Lower(relative);
  }

  TempDir dir_;
  TTC model_;
};

}  // namespace orvelle::test
