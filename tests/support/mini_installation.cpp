#include "support/mini_installation.h"

#include "support/temp_dir.h"

#include <windows.h>

namespace orvelle::test {

void WriteMiniInstallation(const std::wstring& dir, const std::wstring& programToCopy,
                           std::string_view extraIni) {
  const std::wstring program = dir + L"\\totalcmd.exe";
  if (programToCopy.empty()) {
    WriteBytes(program, "MZ");
  } else {
    ::CopyFileW(programToCopy.c_str(), program.c_str(), FALSE);
  }
  WriteBytes(dir + L"\\wincmd.ini",
             "[Configuration]\r\nUseIniInProgramDir=7\r\n" + std::string(extraIni));
  WriteBytes(dir + L"\\TOTALCMD.INC",
             "[_______File_______]=0\r\ncm_Exit=24340;Exit\r\ncm_List=903;List file\r\n");
  ::CreateDirectoryW((dir + L"\\LANGUAGE").c_str(), nullptr);
  WriteBytes(dir + L"\\LANGUAGE\\WCMD_ENG.MNU",
             "POPUP \"&Files\"\r\n  MENUITEM \"E&xit\", cm_Exit\r\nEND_POPUP\r\n");
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
