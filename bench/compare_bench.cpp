// Makes the installation pair that bench/compare.sh compares: ROOT\my and
// ROOT\new, each with a configuration that registers PLUGINS plugins of the
// four kinds, every plugin in a directory of its own with FILES files (in
// three folder levels). Most files are equal; some differ in their last byte,
// some in their first, some in size; a few files and plugins exist on one
// side only. The content is pseudo-random and the same on every run.
//   compare_bench ROOT TOTAL_MIB PLUGINS FILES
// Prints "files N" and "bytes N" (both sides together).
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

uint64_t Mix(uint64_t x) {
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdull;
  x ^= x >> 33;
  x *= 0xc4ceb9fe1a85ec53ull;
  return x ^ (x >> 33);
}

void Fill(std::vector<unsigned char>& buffer, uint64_t seed) {
  uint64_t state = Mix(seed) | 1;
  for (size_t i = 0; i < buffer.size(); ++i) {
    if (i % 8 == 0) {
      state ^= state << 13;
      state ^= state >> 7;
      state ^= state << 17;
    }
    buffer[i] = static_cast<unsigned char>(state >> (8 * (i % 8)));
  }
}

bool MakeFolders(const std::wstring& path) {
  for (size_t i = 3; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == L'\\') {
      ::CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
    }
  }
  return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

struct Totals {
  uint64_t files = 0;
  uint64_t bytes = 0;
};

bool Write(const std::wstring& path, const void* data, size_t size, Totals& totals) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fwprintf(stderr, L"cannot write %ls\n", path.c_str());
    return false;
  }
  DWORD written = 0;
  bool ok = size == 0 || ::WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr);
  ::CloseHandle(file);
  ++totals.files;
  totals.bytes += size;
  return ok && written == size;
}

bool WriteText(const std::wstring& path, const std::string& text, Totals& totals) {
  return Write(path, text.data(), text.size(), totals);
}

const char* const kKinds[] = {"wfx", "wcx", "wlx", "wdx"};

std::string PluginName(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "p%03d", i);
  return name;
}

// Which side registers plugin i: 0 both, 1 only New, 2 only My.
int PluginSides(int i) { return i % 50 == 7 ? 1 : i % 50 == 17 ? 2 : 0; }

std::string Configuration(int plugins, bool isNew) {
  std::string wfx, wcx, wlx, wdx;
  int wlxCount = 0, wdxCount = 0;
  for (int i = 0; i < plugins; ++i) {
    int sides = PluginSides(i);
    if ((sides == 1 && !isNew) || (sides == 2 && isNew)) continue;
    std::string name = PluginName(i);
    const char* kind = kKinds[i % 4];
    std::string path = "%COMMANDER_PATH%\\plugins\\" + std::string(kind) + "\\" + name + "\\" +
                       name + "." + kind;
    switch (i % 4) {
      case 0: wfx += name + "=" + path + "\r\n"; break;
      case 1: {
        // Some packer plugins gain capabilities in the New installation.
        std::string flags = isNew && i % 3 == 0 ? "95" : "31";
        wcx += "e" + name + "=" + flags + "," + path + "\r\n";
        wcx += "f" + name + "=4," + path + "\r\n";
        break;
      }
      case 2: {
        std::string n = std::to_string(wlxCount++);
        wlx += n + "=" + path + "\r\n" + n + "_detect=EXT=\"" + name + "\"\r\n";
        break;
      }
      default: {
        std::string n = std::to_string(wdxCount++);
        wdx += n + "=" + path + "\r\n" + n + "_detect=EXT=\"" + name + "\"\r\n";
        break;
      }
    }
  }
  return "[Configuration]\r\nUseIniInProgramDir=7\r\nMainmenu=WCMD_ENG.MNU\r\n"
         "[FileSystemPlugins]\r\n" + wfx + "[PackerPlugins]\r\n" + wcx +
         "[ListerPlugins]\r\n" + wlx + "[ContentPlugins]\r\n" + wdx;
}

bool WriteInstallation(const std::wstring& dir, int plugins, bool isNew, Totals& totals) {
  if (!MakeFolders(dir + L"\\LANGUAGE")) return false;
  return WriteText(dir + L"\\wincmd.ini", Configuration(plugins, isNew), totals) &&
         WriteText(dir + L"\\TOTALCMD.INC",
                   "[_File_operations]\r\ncm_Exit=24340;Exit the program\r\n", totals) &&
         WriteText(dir + L"\\LANGUAGE\\WCMD_ENG.MNU",
                   "POPUP \"&Files\"\r\n  MENUITEM \"E&xit\", cm_Exit\r\nEND_POPUP\r\n", totals);
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// The files of plugin i: the plugin file, then data files in three levels.
bool WritePlugin(const std::wstring& root, int i, int files, uint64_t meanSize, Totals& totals) {
  std::string name = PluginName(i);
  std::wstring relative =
      L"plugins\\" + Wide(kKinds[i % 4]) + L"\\" + Wide(name);
  const std::wstring levels[] = {L"", L"\\data", L"\\data\\deep"};
  int sides = PluginSides(i);
  const bool onNew = sides != 2, onMy = sides != 1;
  for (const std::wstring& level : levels) {
    if (onNew && !MakeFolders(root + L"\\new\\" + relative + level)) return false;
    if (onMy && !MakeFolders(root + L"\\my\\" + relative + level)) return false;
  }
  std::vector<unsigned char> content;
  for (int j = 0; j < files; ++j) {
    uint64_t h = Mix(static_cast<uint64_t>(i) * 100003u + static_cast<uint64_t>(j));
    uint64_t size = meanSize / 2 + h % (meanSize + 1);
    std::wstring file = j == 0 ? levels[0] + L"\\" + Wide(name) + L"." + Wide(kKinds[i % 4])
                               : levels[j % 3] + L"\\f" + std::to_wstring(j) + L".bin";
    content.resize(static_cast<size_t>(size));
    Fill(content, h);
    int variant = static_cast<int>((h >> 20) % 1000);
    bool newHas = onNew && !(variant >= 970 && variant < 985);
    bool myHas = onMy && !(variant >= 985);
    if (myHas && !Write(root + L"\\my\\" + relative + file, content.data(),
                        content.size(), totals)) {
      return false;
    }
    if (!newHas) continue;
    if (variant < 40 && !content.empty()) {
      content.back() ^= 0xFF;  // differs in the last byte
    } else if (variant < 60 && !content.empty()) {
      content.front() ^= 0xFF;  // differs in the first byte
    } else if (variant < 70) {
      content.resize(content.size() + 1024);  // differs in size
    }
    if (!Write(root + L"\\new\\" + relative + file, content.data(), content.size(),
               totals)) {
      return false;
    }
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 5) {
    std::fwprintf(stderr, L"usage: compare_bench ROOT TOTAL_MIB PLUGINS FILES\n");
    return 2;
  }
  std::wstring root = argv[1];
  uint64_t totalBytes = static_cast<uint64_t>(_wtoi64(argv[2])) << 20;
  int plugins = _wtoi(argv[3]);
  int files = _wtoi(argv[4]);
  if (plugins < 1 || files < 1) return 2;
  uint64_t meanSize = totalBytes / 2 / static_cast<uint64_t>(plugins) / static_cast<uint64_t>(files);

  Totals totals;
  if (!WriteInstallation(root + L"\\my", plugins, false, totals) ||
      !WriteInstallation(root + L"\\new", plugins, true, totals)) {
    return 1;
  }
  for (int i = 0; i < plugins; ++i) {
    if (!WritePlugin(root, i, files, meanSize, totals)) return 1;
  }
  std::printf("files %llu\nbytes %llu\n", static_cast<unsigned long long>(totals.files),
              static_cast<unsigned long long>(totals.bytes));
  return 0;
}
