// The smallest installation of the host the plugin can read (wincmd.ini, the
// command list, the English main menu), and the environment the host gives
// its own process.
#pragma once

#include "support/test_paths.h"

#include <string>
#include <string_view>

namespace orvelle::test {

// The files of a readable installation, for CreateInstallation. Its
// configuration keeps itself in the program directory (UseIniInProgramDir=7)
// and has extraIni after its [Configuration] section.
InstallationSpec MiniInstallationSpec(const std::wstring& hostFile = {},
                                      std::string_view extraIni = {});

// Sets an environment variable of the own process for the object's lifetime.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::wstring name, const std::wstring& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::wstring name_;
  std::wstring old_;
  bool had_ = false;
};

}  // namespace orvelle::test
