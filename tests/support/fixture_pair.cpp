#include "support/fixture_pair.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "support/file_times.h"
#include "support/pe_resources.h"
#include "support/temp_dir.h"
#include "support/test_paths.h"

#include <windows.h>
#include <imagehlp.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace orvelle::test {

namespace {

[[noreturn]] void Fail(const std::wstring& what, const std::wstring& path) {
  throw std::runtime_error(platform::AnsiFromWide(what + L": " + path, CP_UTF8));
}

void CopyTree(const std::wstring& from, const std::wstring& to) {
  if (!CreateDirectories(to)) Fail(L"cannot create", to);
  for (const platform::FileEntry& entry : platform::EnumFiles(from + L"\\*")) {
    std::wstring source = from + L"\\" + entry.name;
    std::wstring target = to + L"\\" + entry.name;
    if (entry.IsDirectory()) {
      CopyTree(source, target);
    } else if (!::CopyFileW(source.c_str(), target.c_str(), FALSE)) {
      Fail(L"cannot copy", source);
    }
  }
}

std::wstring OwnProgram() {
  std::wstring path(32768, L'\0');
  path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  return path;
}

std::wstring BuiltOrSelf(const std::wstring& fileName) {
  std::wstring built = BuiltFile(fileName);
  return platform::FileExists(built) ? built : OwnProgram();
}

// "1.2.3.4" -> {1, 2, 3, 4}.
std::array<WORD, 4> ParseVersion(const std::wstring& text) {
  std::array<WORD, 4> version{};
  size_t part = 0;
  for (wchar_t c : text) {
    if (c == L'.') {
      if (++part == version.size()) break;
    } else if (c >= L'0' && c <= L'9') {
      version[part] = static_cast<WORD>(version[part] * 10 + (c - L'0'));
    }
  }
  return version;
}

// Group i has a colour of its own; the same index gives the same images in
// every file, so that the comparison finds them equal. Group `other` (1-based,
// 0 for none) gets a colour no other group has.
std::vector<std::vector<IconImage>> IconGroups(int count, int other) {
  std::vector<std::vector<IconImage>> groups;
  for (int i = 0; i < count; ++i) {
    COLORREF colour = i + 1 == other ? RGB(1, 2, 3)
                                     : RGB((i * 40) % 256, 255 - (i * 30) % 256, (i * 70) % 256);
    groups.push_back({MakeIconImage(16, 32, colour), MakeIconImage(32, 32, colour)});
  }
  return groups;
}

// Makes one binary of the manifest: SOURCE is "host", "plugin" or
// "program", then optionally ",version=a.b.c.d" (a version record written
// into the copy) and ",icons=N" (N icon groups replacing its icons).
// `host` is the harness to copy for a "host" line (empty: the build's).
// The pair's programs stand for genuine builds: after their resources are
// written, their header checksum is set as a linker sets it, with the
// system's own image function, so that "EXE modified" finds them unchanged.
void SetHeaderChecksum(const std::wstring& file) {
  DWORD stored = 0, computed = 0;
  if (::MapFileAndCheckSumW(file.c_str(), &stored, &computed) != CHECKSUM_SUCCESS) {
    Fail(L"cannot compute the checksum of", file);
  }
  if (stored == computed) return;
  std::string bytes = ReadBytes(file);
  uint32_t peOffset = 0;
  if (bytes.size() < 0x40) Fail(L"no PE file:", file);
  std::memcpy(&peOffset, bytes.data() + 0x3c, 4);
  const size_t at = size_t{peOffset} + 24 + 64;
  if (at + 4 > bytes.size()) Fail(L"no PE file:", file);
  std::memcpy(bytes.data() + at, &computed, 4);
  WriteBytes(file, bytes);
}

void MakeBinary(const std::wstring& source, const std::wstring& target, std::wstring host) {
  std::wstring kind = source.substr(0, source.find(L','));
  const bool is64 = sizeof(void*) == 8;
  if (host.empty()) host = BuiltOrSelf(is64 ? L"tchost64.exe" : L"tchost.exe");
  if (kind == L"program") {
    CopyProgramFile(target);
  } else if (kind == L"host" || kind == L"plugin") {
    std::wstring file = kind == L"host" ? host
                                        : BuiltOrSelf(is64 ? L"Orvelle.wfx64" : L"Orvelle.wfx");
    if (!::CopyFileW(file.c_str(), target.c_str(), FALSE)) Fail(L"cannot copy to", target);
  } else {
    Fail(L"unknown binary source in binaries.txt", source);
  }
  int icons = 0, otherIcon = 0;
  for (size_t at = source.find(L','); at != std::wstring::npos; at = source.find(L',', at + 1)) {
    std::wstring option = source.substr(at + 1, source.find(L',', at + 1) - at - 1);
    if (option.rfind(L"version=", 0) == 0) {
      std::wstring text = option.substr(8);
      std::array<WORD, 4> version = ParseVersion(text);
      WriteVersionResource(target, version, version,
                           {{L"FileVersion", text}, {L"ProductVersion", text},
                            {L"OriginalFilename", platform::ExtractFileName(target)}});
    } else if (option.rfind(L"icons=", 0) == 0) {
      icons = _wtoi(option.c_str() + 6);
    } else if (option.rfind(L"other-icon=", 0) == 0) {
      otherIcon = _wtoi(option.c_str() + 11);
    } else {
      Fail(L"unknown option in binaries.txt", source);
    }
  }
  if (icons > 0) WriteIconResource(target, IconGroups(icons, otherIcon));
  SetHeaderChecksum(target);
}

void SetTreeTimes(const std::wstring& dir, const FILETIME& time) {
  for (const platform::FileEntry& entry : platform::EnumFiles(dir + L"\\*")) {
    std::wstring path = dir + L"\\" + entry.name;
    if (entry.IsDirectory()) SetTreeTimes(path, time);
    SetLastWriteTime(path, time);
  }
}

// Lines of a manifest of the pair that belong to one side: the text before
// the first blank and the path after it, made a full path below targetDir.
std::vector<std::pair<std::wstring, std::wstring>> ManifestLines(const std::wstring& file,
                                                                  const std::wstring& side,
                                                                  const std::wstring& targetDir) {
  std::ifstream manifest{std::filesystem::path(file)};
  if (!manifest) Fail(L"cannot read", file);
  std::vector<std::pair<std::wstring, std::wstring>> lines;
  std::wstring prefix = side + L"/";
  for (std::string bytes; std::getline(manifest, bytes);) {
    if (!bytes.empty() && bytes.back() == '\r') bytes.pop_back();
    std::wstring line = platform::Trim(platform::WideFromAnsi(bytes, CP_UTF8));
    if (line.empty() || line[0] == L'#') continue;
    size_t blank = line.find(L' ');
    if (blank == std::wstring::npos) continue;
    std::wstring path = line.substr(blank + 1);
    if (path.rfind(prefix, 0) != 0) continue;
    std::wstring target = targetDir + L"\\" + path.substr(prefix.size());
    for (wchar_t& c : target) {
      if (c == L'/') c = L'\\';
    }
    lines.emplace_back(line.substr(0, blank), target);
  }
  return lines;
}

}  // namespace

void PreparePairInstallation(const std::wstring& side, const std::wstring& targetDir,
                             const std::wstring& mainProgram) {
  std::wstring pairDir = SourceFile(L"fixtures\\pair");
  CopyTree(pairDir + L"\\" + side, targetDir);
  const std::wstring ownProgram = platform::LowerCase(targetDir + L"\\totalcmd.exe");
  for (const auto& [source, target] :
       ManifestLines(pairDir + L"\\binaries.txt", side, targetDir)) {
    if (!CreateDirectories(platform::ExtractFileDir(target))) Fail(L"cannot create", target);
    MakeBinary(source, target, platform::LowerCase(target) == ownProgram ? mainProgram : L"");
  }
  SetTreeTimes(targetDir, FixedTime());
  for (const auto& [days, target] : ManifestLines(pairDir + L"\\times.txt", side, targetDir)) {
    SetLastWriteTime(target, FixedTime(_wtoi(days.c_str()) * 24LL * 60));
  }
  // Both installations register a plugin through this variable; the New
  // model takes My installation's environment, so both name the very file.
  if (side == L"my") {
    ::SetEnvironmentVariableW(kPairSharedVariable, (targetDir + L"\\shared").c_str());
  }
}

}  // namespace orvelle::test
