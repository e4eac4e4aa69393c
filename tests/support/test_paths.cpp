#include "support/test_paths.h"

#include "support/process_runner.h"
#include "support/temp_dir.h"

#include "platform/fs.h"
#include "platform/strings.h"

#include <windows.h>

#include <stdexcept>

namespace orvelle::test {
namespace {

std::wstring Variable(const wchar_t* name) {
  wchar_t value[32768];
  DWORD n = ::GetEnvironmentVariableW(name, value, static_cast<DWORD>(std::size(value)));
  if (n == 0 || n >= std::size(value)) return {};
  return platform::ExcludeTrailingBackslash(std::wstring(value, n));
}

std::wstring OwnProgramDir() {
  wchar_t path[MAX_PATH * 4] = {};
  DWORD n = ::GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  return platform::ExtractFileDir(std::wstring(path, n));
}

[[noreturn]] void Fail(const std::wstring& what, const std::wstring& path) {
  throw std::runtime_error(platform::AnsiFromWide(what + L": " + path, CP_UTF8));
}

}  // namespace

std::wstring SourceDir() {
  std::wstring dir = Variable(L"ORVELLE_SOURCE_DIR");
  if (!dir.empty()) return dir;
  std::wstring candidate = platform::ExtractFileDir(platform::ExtractFileDir(BinaryDir()));
  if (platform::FileExists(candidate + L"\\CMakeLists.txt") &&
      platform::DirectoryExists(candidate + L"\\src")) {
    return candidate;
  }
  return {};
}

std::wstring BinaryDir() {
  std::wstring dir = Variable(L"ORVELLE_BINARY_DIR");
  return dir.empty() ? platform::ExtractFileDir(OwnProgramDir()) : dir;
}

std::wstring BuiltFile(const std::wstring& fileName) {
  return BinaryDir() + L"\\bin\\" + fileName;
}

std::wstring OtherBinaryDir() {
  std::wstring dir = Variable(L"ORVELLE_OTHER_BINARY_DIR");
  if (!dir.empty()) return dir;
  return platform::ExtractFilePath(BinaryDir()) + (sizeof(void*) == 8 ? L"32" : L"64");
}

std::wstring OtherBuiltFile(const std::wstring& fileName) {
  return OtherBinaryDir() + L"\\bin\\" + fileName;
}

std::wstring Installation::CommandLine(const std::wstring& arguments) const {
  return QuoteArg(exe) + (arguments.empty() ? L"" : L" " + arguments);
}

Installation CreateInstallation(const std::wstring& dir, const InstallationSpec& spec) {
  Installation inst;
  inst.dir = platform::ExcludeTrailingBackslash(dir);
  inst.exe = inst.dir + L"\\" + spec.exeName;
  inst.ini = inst.dir + L"\\wincmd.ini";
  if (!CreateDirectories(inst.dir)) Fail(L"cannot create the folder", inst.dir);
  if (!spec.hostFile.empty() && !::CopyFileW(spec.hostFile.c_str(), inst.exe.c_str(), FALSE)) {
    Fail(L"cannot copy " + spec.hostFile + L" to", inst.exe);
  }
  if (!spec.pluginFile.empty()) {
    std::wstring pluginDir = spec.pluginSubdir.empty() ? inst.dir
                                                       : inst.dir + L"\\" + spec.pluginSubdir;
    if (!CreateDirectories(pluginDir)) Fail(L"cannot create the folder", pluginDir);
    inst.pluginPath = pluginDir + L"\\" + platform::ExtractFileName(spec.pluginFile);
    if (!::CopyFileW(spec.pluginFile.c_str(), inst.pluginPath.c_str(), FALSE)) {
      Fail(L"cannot copy " + spec.pluginFile + L" to", inst.pluginPath);
    }
  }
  if (spec.wincmdIni) WriteBytes(inst.ini, *spec.wincmdIni);
  for (const auto& [relative, bytes] : spec.files) WriteBytes(inst.dir + L"\\" + relative, bytes);
  return inst;
}

}  // namespace orvelle::test
