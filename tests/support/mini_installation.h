// The smallest installation of the host the plugin can read: a program file,
// wincmd.ini, the command list and the English main menu, in one folder.
#pragma once

#include <string>
#include <string_view>

namespace orvelle::test {

// Writes the installation's files into dir (which must exist). The program
// file is a copy of programToCopy when given, else a placeholder. The
// configuration keeps itself in the program directory (UseIniInProgramDir=7)
// and adds extraIni after its [Configuration] section.
void WriteMiniInstallation(const std::wstring& dir, const std::wstring& programToCopy = {},
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
