#include "support/mini_installation.h"

#include <windows.h>

namespace orvelle::test {

InstallationSpec MiniInstallationSpec(const std::wstring& hostFile, std::string_view extraIni) {
  InstallationSpec spec;
  spec.hostFile = hostFile;
  spec.wincmdIni = "[Configuration]\r\nUseIniInProgramDir=7\r\n" + std::string(extraIni);
  spec.files = {
      {L"TOTALCMD.INC",
       "[_______File_______]=0\r\ncm_Exit=24340;Exit\r\ncm_List=903;List file\r\n"},
      {L"LANGUAGE\\WCMD_ENG.MNU",
       "POPUP \"&Files\"\r\n  MENUITEM \"E&xit\", cm_Exit\r\nEND_POPUP\r\n"},
  };
  return spec;
}

ScopedEnvironment::ScopedEnvironment(std::wstring name, const std::wstring& value)
    : name_(std::move(name)) {
  DWORD n = ::GetEnvironmentVariableW(name_.c_str(), nullptr, 0);
  if (n > 0) {
    old_.resize(n);
    n = ::GetEnvironmentVariableW(name_.c_str(), old_.data(), n);
    old_.resize(n);
    had_ = true;
  }
  ::SetEnvironmentVariableW(name_.c_str(), value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
  ::SetEnvironmentVariableW(name_.c_str(), had_ ? old_.c_str() : nullptr);
}

}  // namespace orvelle::test
