#include "support/fixture_pair.h"

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvelle::test {

namespace {

std::wstring EnvironmentValue(const wchar_t* name) {
  DWORD size = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (size == 0) return {};
  std::wstring value(size, L'\0');
  value.resize(::GetEnvironmentVariableW(name, value.data(), size));
  return value;
}

std::wstring ModuleFile() {
  std::wstring path(32768, L'\0');
  path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

std::runtime_error Failure(const char* what, const std::wstring& path) {
  int n = ::WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n > 0 ? n - 1 : 0), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, path.c_str(), -1, utf8.data(), n, nullptr, nullptr);
  return std::runtime_error(std::string(what) + ": " + utf8);
}

void CreateFolders(const std::wstring& dir) {
  for (size_t i = 3; i <= dir.size(); ++i) {
    if (i == dir.size() || dir[i] == L'\\') ::CreateDirectoryW(dir.substr(0, i).c_str(), nullptr);
  }
}

void CopyTree(const std::wstring& from, const std::wstring& to) {
  CreateFolders(to);
  WIN32_FIND_DATAW data{};
  HANDLE find = ::FindFirstFileW((from + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) throw Failure("cannot list", from);
  do {
    std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      CopyTree(from + L"\\" + name, to + L"\\" + name);
    } else if (!::CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), FALSE)) {
      ::FindClose(find);
      throw Failure("cannot copy", from + L"\\" + name);
    }
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
}

std::wstring BuiltOrSelf(const std::wstring& fileName) {
  std::wstring built = PairBinaryDir() + L"\\bin\\" + fileName;
  if (::GetFileAttributesW(built.c_str()) != INVALID_FILE_ATTRIBUTES) return built;
  return ModuleFile();
}

std::wstring SourceOf(const std::string& kind) {
  const bool is64 = sizeof(void*) == 8;
  if (kind == "host") return BuiltOrSelf(is64 ? L"tchost64.exe" : L"tchost.exe");
  if (kind == "plugin") return BuiltOrSelf(is64 ? L"Orvelle.wfx64" : L"Orvelle.wfx");
  throw std::runtime_error("unknown binary source in binaries.txt: " + kind);
}

}  // namespace

std::wstring PairSourceDir() { return EnvironmentValue(L"ORVELLE_SOURCE_DIR"); }

std::wstring PairBinaryDir() {
  std::wstring dir = EnvironmentValue(L"ORVELLE_BINARY_DIR");
  if (!dir.empty()) return dir;
  std::wstring exe = ModuleFile();  // <build>\bin\orvelle_tests.exe
  std::wstring bin = exe.substr(0, exe.find_last_of(L'\\'));
  return bin.substr(0, bin.find_last_of(L'\\'));
}

void PreparePairInstallation(const std::wstring& side, const std::wstring& targetDir) {
  std::wstring pairDir = PairSourceDir() + L"\\fixtures\\pair";
  CopyTree(pairDir + L"\\" + side, targetDir);
  std::ifstream manifest(std::filesystem::path(pairDir + L"\\binaries.txt"));
  if (!manifest) throw Failure("cannot read", pairDir + L"\\binaries.txt");
  std::string prefix(side.begin(), side.end());
  prefix += "/";
  for (std::string line; std::getline(manifest, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t blank = line.find(' ');
    if (blank == std::string::npos) continue;
    std::string path = line.substr(blank + 1);
    if (path.rfind(prefix, 0) != 0) continue;
    std::wstring relative(path.begin() + static_cast<ptrdiff_t>(prefix.size()), path.end());
    for (wchar_t& c : relative) {
      if (c == L'/') c = L'\\';
    }
    std::wstring target = targetDir + L"\\" + relative;
    CreateFolders(target.substr(0, target.find_last_of(L'\\')));
    std::wstring source = SourceOf(line.substr(0, blank));
    if (!::CopyFileW(source.c_str(), target.c_str(), FALSE)) throw Failure("cannot copy to", target);
  }
}

}  // namespace orvelle::test
