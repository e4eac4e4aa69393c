// A small file-system plugin with canned answers, for testing the host
// harness on its own: every behaviour of the harness (listing order and
// format, message-box answers, progress and cancel, re-read requests, window
// closing, crashes) can be triggered from here by a path or a verb.
//
// Folders: "\" (alpha.txt, café.txt, sub), "\sub" (inner, b.txt), "\sub\inner"
// (empty), "\env" (the host's variables as comments), "\ask" (a question
// first), "\progress" (a posted re-read request and five progress calls
// first), "\busy" (refused without an error code).
// FsExecuteFile paths: "\post", "\send" (re-read requests), "\background"
// (a re-read from another thread after 50 ms), "\boxes" (two message boxes),
// "\dialog" (a modal dialog), "\link" (answers "symlink" with "\sub"),
// "\crash"; verb "trace" makes every later entry point call log itself.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using ProgressProc = int(__stdcall*)(int, char*, char*, int);
using LogProc = void(__stdcall*)(int, int, char*);
using RequestProc = BOOL(__stdcall*)(int, int, char*, char*, char*, int);

struct RemoteInfo {
  DWORD SizeLow;
  DWORD SizeHigh;
  FILETIME LastWriteTime;
  int Attr;
};

struct FakeEntry {
  std::string name;
  DWORD attributes;
  unsigned long long size;
  FILETIME time;
  const char* sign;     // nullptr: no value
  const char* comment;  // nullptr: no value
};

int g_pluginNr = 0;
ProgressProc g_progress = nullptr;
LogProc g_log = nullptr;
HWND g_host = nullptr;
bool g_trace = false;
std::vector<FakeEntry> g_listing;
size_t g_next = 0;

void Trace(const std::string& text) {
  if (!g_trace || g_log == nullptr) return;
  std::string copy = text;
  g_log(g_pluginNr, 0, copy.data());
}

BOOL CALLBACK FindHost(HWND window, LPARAM) {
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  char name[64] = {};
  ::GetClassNameA(window, name, sizeof(name));
  if (pid == ::GetCurrentProcessId() && std::strcmp(name, "TTOTAL_CMD") == 0) {
    g_host = window;
    return FALSE;
  }
  return TRUE;
}

std::string Env(const char* name) {
  char value[1024] = {};
  DWORD n = ::GetEnvironmentVariableA(name, value, sizeof(value));
  return n == 0 || n >= sizeof(value) ? std::string("(unset)") : std::string(value, n);
}

constexpr FILETIME kEqualDate{0xEB860800, 0x01ACFBDB};  // 1983-08-21 21:00:00 UTC

int Progress(const char* target, int percent) {
  if (g_progress == nullptr) return 0;
  char source[] = "TestFS";
  std::string t = target;
  return g_progress(g_pluginNr, source, t.data(), percent);
}

std::vector<FakeEntry> Listing(const std::string& path) {
  if (path == "\\") {
    return {{"alpha.txt", FILE_ATTRIBUTE_ARCHIVE, 5000000000ULL, kEqualDate, "=", "Alpha file"},
            {"caf\xE9.txt", FILE_ATTRIBUTE_NORMAL, 7, {}, nullptr, "tab\there"},
            {"sub", FILE_ATTRIBUTE_DIRECTORY, 0, {}, "<>", nullptr}};
  }
  if (path == "\\sub") {
    return {{"inner", FILE_ATTRIBUTE_DIRECTORY, 0, {}, nullptr, nullptr},
            {"b.txt", FILE_ATTRIBUTE_NORMAL, 1, kEqualDate, "*", "line1\r\nline2"}};
  }
  if (path == "\\env") {
    static std::string values[3];
    values[0] = Env("COMMANDER_PATH");
    values[1] = Env("COMMANDER_INI");
    values[2] = g_host != nullptr ? "found" : "missing";
    return {{"COMMANDER_PATH", FILE_ATTRIBUTE_NORMAL, 0, {}, nullptr, values[0].c_str()},
            {"COMMANDER_INI", FILE_ATTRIBUTE_NORMAL, 0, {}, nullptr, values[1].c_str()},
            {"TTOTAL_CMD", FILE_ATTRIBUTE_NORMAL, 0, {}, nullptr, values[2].c_str()}};
  }
  if (path == "\\ask") {
    int answer = ::MessageBoxA(nullptr, "Repeat comparison?", "TestFS",
                               MB_YESNO | MB_DEFBUTTON2 | MB_ICONQUESTION | MB_TASKMODAL);
    return {{answer == IDYES ? "answered yes" : answer == IDNO ? "answered no" : "answered other",
             FILE_ATTRIBUTE_NORMAL, 0, {}, nullptr, nullptr}};
  }
  if (path == "\\progress") {
    // Handled by the host while its progress display is up.
    ::PostMessageW(g_host, WM_USER + 51, 540, 0);
    for (int step = 0; step < 5; ++step) {
      if (Progress("step", step * 25) == 1) {
        char name[32];
        std::snprintf(name, sizeof(name), "cancelled at %d", step + 1);
        return {{name, FILE_ATTRIBUTE_NORMAL, 0, {}, nullptr, nullptr}};
      }
    }
    return {{"done", FILE_ATTRIBUTE_NORMAL, 0, {}, nullptr, nullptr}};
  }
  return {};
}

void Fill(const FakeEntry& e, WIN32_FIND_DATAA* data) {
  std::memset(data, 0, sizeof(*data));
  data->dwFileAttributes = e.attributes;
  data->nFileSizeHigh = static_cast<DWORD>(e.size >> 32);
  data->nFileSizeLow = static_cast<DWORD>(e.size);
  data->ftLastWriteTime = e.time;
  std::snprintf(data->cFileName, sizeof(data->cFileName), "%s", e.name.c_str());
}

const FakeEntry* FindEntry(const std::string& fullPath) {
  static std::vector<FakeEntry> cache;
  size_t slash = fullPath.find_last_of('\\');
  if (slash == std::string::npos) return nullptr;
  std::string folder = slash == 0 ? "\\" : fullPath.substr(0, slash);
  if (folder != "\\" && folder != "\\sub" && folder != "\\env") return nullptr;
  cache = Listing(folder);
  for (const FakeEntry& e : cache) {
    if (e.name == fullPath.substr(slash + 1)) return &e;
  }
  return nullptr;
}

// The "\dialog" dialog: a label, two buttons (the second far too narrow for
// its text), a check box, a drop-down list and a disabled button. Escape
// ends it with presses * 100 + ticked * 10 + the chosen entry.
enum DialogControl { kLabel = 10, kPress, kNarrow, kTick, kChoice, kDisabled };
int g_presses = 0;

INT_PTR CALLBACK DialogProc(HWND dialog, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case WM_INITDIALOG:
      g_presses = 0;
      ::SendDlgItemMessageW(dialog, kChoice, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"First"));
      // Letters outside any ANSI code page: the harness reads and presses
      // them as they are.
      ::SendDlgItemMessageW(dialog, kChoice, CB_ADDSTRING, 0,
                            reinterpret_cast<LPARAM>(L"Second \u0394\u03B5\u03CD\u03C4\u03B5\u03C1\u03BF \u7B2C\u4E8C"));
      ::SendDlgItemMessageW(dialog, kChoice, CB_SETCURSEL, 0, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == kPress) ++g_presses;
      if (LOWORD(wParam) == IDCANCEL) {
        const int ticked = ::IsDlgButtonChecked(dialog, kTick) == BST_CHECKED ? 1 : 0;
        const int chosen = static_cast<int>(::SendDlgItemMessageW(dialog, kChoice, CB_GETCURSEL, 0, 0));
        ::EndDialog(dialog, g_presses * 100 + ticked * 10 + chosen);
      }
      return TRUE;
    case WM_CLOSE:
      ::EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

// Appends one item of a DLGTEMPLATE, DWORD-aligned, with a class atom.
WORD* AddItem(WORD* p, WORD atom, const wchar_t* text, WORD id, DWORD style, short x, short y,
              short cx, short cy) {
  p = reinterpret_cast<WORD*>((reinterpret_cast<ULONG_PTR>(p) + 3) & ~ULONG_PTR(3));
  auto* item = reinterpret_cast<DLGITEMTEMPLATE*>(p);
  item->style = style | WS_CHILD | WS_VISIBLE;
  item->x = x;
  item->y = y;
  item->cx = cx;
  item->cy = cy;
  item->id = id;
  p = reinterpret_cast<WORD*>(item + 1);
  *p++ = 0xFFFF;
  *p++ = atom;
  for (const wchar_t* c = text; *c; ++c) *p++ = static_cast<WORD>(*c);
  *p++ = 0;
  *p++ = 0;  // no creation data
  return p;
}

INT_PTR ShowDialog() {
  // A template in memory: a caption and six controls in tab order.
  alignas(4) WORD buffer[1024] = {};
  auto* t = reinterpret_cast<DLGTEMPLATE*>(buffer);
  t->style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
  t->cdit = 6;
  t->cx = 200;
  t->cy = 120;
  WORD* p = reinterpret_cast<WORD*>(t + 1);
  *p++ = 0;  // no menu
  *p++ = 0;  // the standard dialog class
  for (const wchar_t* c = L"Test Dialog"; *c; ++c) *p++ = static_cast<WORD>(*c);
  *p++ = 0;
  constexpr WORD kButton = 0x0080, kStatic = 0x0082, kComboBox = 0x0085;
  p = AddItem(p, kStatic, L"Label \u041C\u0435\u0442\u043A\u0430", kLabel, SS_LEFT, 5, 5, 100, 10);
  p = AddItem(p, kButton, L"Press me", kPress, BS_PUSHBUTTON | WS_TABSTOP, 5, 20, 60, 14);
  p = AddItem(p, kButton, L"Far too long a text for this button", kNarrow,
              BS_PUSHBUTTON | WS_TABSTOP, 70, 20, 30, 14);
  p = AddItem(p, kButton, L"Tick me", kTick, BS_AUTOCHECKBOX | WS_TABSTOP, 5, 40, 100, 10);
  p = AddItem(p, kComboBox, L"", kChoice, CBS_DROPDOWNLIST | WS_TABSTOP, 5, 55, 100, 60);
  AddItem(p, kButton, L"Disabled", kDisabled, BS_PUSHBUTTON | WS_DISABLED, 5, 75, 60, 14);
  return ::DialogBoxIndirectParamW(::GetModuleHandleW(nullptr), t, g_host, &DialogProc, 0);
}

}  // namespace

extern "C" {

__declspec(dllexport) int __stdcall FsInit(int pluginNr, ProgressProc progress, LogProc log,
                                           RequestProc) {
  g_pluginNr = pluginNr;
  g_progress = progress;
  g_log = log;
  ::EnumWindows(&FindHost, 0);
  return 0;
}

__declspec(dllexport) HANDLE __stdcall FsFindFirst(char* path, WIN32_FIND_DATAA* data) {
  Trace(std::string("FsFindFirst ") + path);
  if (std::strcmp(path, "\\busy") == 0) return INVALID_HANDLE_VALUE;  // last error untouched
  g_listing = Listing(path);
  g_next = 0;
  if (g_listing.empty()) {
    ::SetLastError(ERROR_NO_MORE_FILES);
    return INVALID_HANDLE_VALUE;
  }
  Fill(g_listing[g_next++], data);
  return reinterpret_cast<HANDLE>(1);
}

__declspec(dllexport) BOOL __stdcall FsFindNext(HANDLE, WIN32_FIND_DATAA* data) {
  Trace("FsFindNext");
  if (g_next >= g_listing.size()) return FALSE;
  Fill(g_listing[g_next++], data);
  return TRUE;
}

__declspec(dllexport) int __stdcall FsFindClose(HANDLE) {
  Trace("FsFindClose");
  return 0;
}

__declspec(dllexport) int __stdcall FsGetFile(char* remoteName, char* localName, int copyFlags,
                                              RemoteInfo* info) {
  Trace(std::string("FsGetFile ") + remoteName + " " + localName + " " +
        std::to_string(copyFlags));
  if (FindEntry(remoteName) == nullptr) return 2;  // not found
  if ((copyFlags & 1) == 0 && ::GetFileAttributesA(localName) != INVALID_FILE_ATTRIBUTES) {
    return 1;  // exists
  }
  if (Progress(localName, 50) == 1) return 5;  // aborted
  HANDLE file = ::CreateFileA(localName, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 4;  // write error
  std::string content = std::string("content of ") + remoteName;
  DWORD written = 0;
  ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  ::CloseHandle(file);
  return 0;
}

__declspec(dllexport) int __stdcall FsExecuteFile(HWND mainWin, char* remoteName, char* verb) {
  Trace(std::string("FsExecuteFile ") + remoteName + " " + verb);
  std::string path = remoteName;
  if (std::strcmp(verb, "trace") == 0) {
    g_trace = true;
    return 0;
  }
  if (mainWin != g_host) return 1;  // the host passes its main window
  if (path == "\\post") {
    ::PostMessageW(g_host, WM_USER + 51, 540, 0);
  } else if (path == "\\send") {
    ::SendMessageW(g_host, WM_USER + 51, 540, 0);
    ::SendMessageW(g_host, WM_USER + 51, 540, 0);
  } else if (path == "\\background") {
    HWND host = g_host;
    std::thread([host] {
      ::Sleep(50);
      ::SendMessageW(host, WM_USER + 51, 540, 0);
    }).detach();
  } else if (path == "\\boxes") {
    int first = ::MessageBoxA(nullptr, "First\r\nquestion", "TestFS", MB_OKCANCEL | MB_TASKMODAL);
    int second = ::MessageBoxA(nullptr, "Second", "TestFS",
                               MB_YESNOCANCEL | MB_DEFBUTTON3 | MB_TASKMODAL);
    return first * 100 + second;
  } else if (path == "\\dialog") {
    return static_cast<int>(ShowDialog());
  } else if (path == "\\link") {
    std::strcpy(remoteName, "\\sub");
    return -2;
  } else if (path == "\\crash") {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  } else if (FindEntry(path) == nullptr) {
    return 1;
  }
  return 0;
}

__declspec(dllexport) BOOL __stdcall FsDeleteFile(char* remoteName) {
  Trace(std::string("FsDeleteFile ") + remoteName);
  return std::strcmp(remoteName, "\\alpha.txt") == 0;
}

__declspec(dllexport) void __stdcall FsStatusInfo(char* remoteDir, int startEnd, int operation) {
  Trace("FsStatusInfo " + std::string(remoteDir) + " " + std::to_string(startEnd) + " " +
        std::to_string(operation));
}

__declspec(dllexport) int __stdcall FsExtractCustomIcon(char* remoteName, int flags,
                                                        HICON* icon) {
  Trace(std::string("FsExtractCustomIcon ") + remoteName + " " + std::to_string(flags));
  static HICON kept = ::LoadIconW(nullptr, IDI_APPLICATION);
  if (std::strcmp(remoteName, "\\alpha.txt") == 0) {
    *icon = kept;
    return 1;
  }
  if (std::strcmp(remoteName, "\\sub") == 0) {
    *icon = ::CopyIcon(kept);
    return 2;
  }
  return 0;
}

__declspec(dllexport) void __stdcall FsGetDefRootName(char* name, int maxlen) {
  std::snprintf(name, static_cast<size_t>(maxlen), "%s", "TestFS");
}

__declspec(dllexport) int __stdcall FsContentGetSupportedField(int index, char* name, char* units,
                                                               int maxlen) {
  static const char* kNames[] = {"Eq", "Comment"};
  if (index < 0 || index > 1) return 0;
  std::snprintf(name, static_cast<size_t>(maxlen), "%s", kNames[index]);
  std::snprintf(units, static_cast<size_t>(maxlen), "%s", index == 1 ? "a|b" : "");
  return 8;
}

__declspec(dllexport) int __stdcall FsContentGetValue(char* fileName, int field, int, void* value,
                                                      int maxlen, int flags) {
  Trace(std::string("FsContentGetValue ") + fileName + " " + std::to_string(field) + " " +
        std::to_string(flags));
  const FakeEntry* e = FindEntry(fileName);
  if (e == nullptr || field < 0 || field > 1) return -1;
  const char* text = field == 0 ? e->sign : e->comment;
  if (text == nullptr) return -1;
  std::snprintf(static_cast<char*>(value), static_cast<size_t>(maxlen), "%s", text);
  return 8;
}

__declspec(dllexport) BOOL __stdcall FsContentGetDefaultView(char* contents, char* headers,
                                                             char* widths, char* options,
                                                             int maxlen) {
  std::snprintf(contents, static_cast<size_t>(maxlen), "%s", "[=<fs>.Eq]\\n[=<fs>.Comment]");
  std::snprintf(headers, static_cast<size_t>(maxlen), "%s", "<>\\nComment");
  std::snprintf(widths, static_cast<size_t>(maxlen), "%s", "80,25,25,230");
  std::snprintf(options, static_cast<size_t>(maxlen), "%s", "-1|1");
  return TRUE;
}

}  // extern "C"
