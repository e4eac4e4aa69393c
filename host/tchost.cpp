// tchost: stands in for the host file manager. It sets up the process as the
// host does (environment, main window), loads the plugin through its exported
// entry points, and runs the commands of its command line, printing what the
// plugin answers and playing the user at its message boxes.
#include "callbacks.h"
#include "commands.h"
#include "host_window.h"
#include "options.h"
#include "output.h"
#include "plugin_api.h"
#include "plugin_calls.h"
#include "user_watcher.h"
#include "platform/strings.h"

#include <windows.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace tchost {
namespace {

constexpr int kExitUsage = 1;
constexpr int kExitPlugin = 2;
constexpr int kExitSetup = 3;
constexpr int kPluginNumber = 1;
// Set by --record for the harnesses this one starts (through the plugin's
// "Run" buttons or its request to open a folder in the other panel).
constexpr wchar_t kRecordVariable[] = L"TCHOST_RECORD";

std::wstring EnvironmentValue(const wchar_t* name) {
  DWORD n = ::GetEnvironmentVariableW(name, nullptr, 0);
  if (n == 0) return {};
  std::wstring value(n, L'\0');
  n = ::GetEnvironmentVariableW(name, value.data(), n);
  value.resize(n);
  return value;
}

// A harness started by another one that records: it appends
// "started COMMANDLINE in WORKING-DIR" to the file, prints the same line and
// does nothing else, as a running host would only show the folder it was
// asked for.
int RecordStart(const std::wstring& file) {
  // Asked for its length first: a working folder may be longer than MAX_PATH.
  std::wstring cwd(::GetCurrentDirectoryW(0, nullptr), L'\0');
  cwd.resize(::GetCurrentDirectoryW(static_cast<DWORD>(cwd.size()), cwd.data()));
  std::wstring line = L"started " + Quoted(::GetCommandLineW()) + L" in " + Quoted(cwd);
  PrintLine(line);
  std::string bytes = orvelle::platform::AnsiFromWide(line + L"\n", CP_UTF8);
  // Several harnesses may start at once: each appends its line whole.
  for (int attempt = 0; attempt < 100; ++attempt) {
    HANDLE out = ::CreateFileW(file.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      ::WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
      ::CloseHandle(out);
      return 0;
    }
    ::Sleep(50);
  }
  PrintErrorLine(L"tchost: cannot record to " + file);
  return kExitSetup;
}

std::wstring OwnDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  return path.substr(0, path.find_last_of(L'\\'));
}

std::wstring FullPath(const std::wstring& path) {
  DWORD n = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return path;
  std::wstring full(n, L'\0');
  n = ::GetFullPathNameW(path.c_str(), n, full.data(), nullptr);
  full.resize(n);
  return full;
}

// The host's own variables: its program directory and drive, and the
// configuration file it runs with.
void SetHostEnvironment(const Options& options, const std::wstring& ownDir) {
  ::SetEnvironmentVariableW(L"COMMANDER_PATH", ownDir.c_str());
  if (ownDir.size() >= 2 && ownDir[1] == L':') {
    ::SetEnvironmentVariableW(L"COMMANDER_DRIVE", ownDir.substr(0, 2).c_str());
  }
  std::wstring ini = options.iniFile ? *options.iniFile : ownDir + L"\\wincmd.ini";
  ::SetEnvironmentVariableW(L"COMMANDER_INI", ini.c_str());
}

// A crash inside the plugin ends the harness with the exception code as its
// exit status and a line on stderr, instead of starting a debugger.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* info) noexcept {
  wchar_t text[128];
  swprintf(text, std::size(text), L"tchost: unhandled exception 0x%08lX at %p",
           static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
           info->ExceptionRecord->ExceptionAddress);
  FlushOutput(true);
  PrintErrorLine(text);
  ::TerminateProcess(::GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

int RunPlugin(const Options& options, const std::wstring& ownDir, HostWindow& window) {
  std::wstring pluginPath =
      options.pluginFile ? FullPath(*options.pluginFile) : ownDir + L"\\" + ORVELLE_PLUGIN_FILE;
  SetCallbackSettings({options.printProgress, options.cancelAt});
  // Watching from the start: a plugin may ask something while it loads.
  UserWatcher watcher({options.answers, options.answerCommands, options.presses, options.captureDir},
                      window.handle());
  LoadedPlugin plugin;
  std::wstring error;
  if (!LoadPlugin(pluginPath, plugin, error)) {
    PrintErrorLine(L"tchost: " + error);
    return kExitPlugin;
  }
  // As the host: the wide interface when the plugin has it, unless told not to.
  PluginCalls calls(plugin.api, options.forceAnsi);
  calls.Init(kPluginNumber);
  CommandRunner runner(calls, window, plugin, pluginPath, options.captureDir);
  window.SetCommandHandler([&runner](const Command& command) { runner.Run(command); });
  LARGE_INTEGER frequency{}, start{}, end{};
  ::QueryPerformanceFrequency(&frequency);
  int number = 0;
  for (const Command& command : options.commands) {
    TakeProgressGap();
    TakeFirstDialogEnd();
    ::QueryPerformanceCounter(&start);
    runner.Run(command);
    ::QueryPerformanceCounter(&end);
    ++number;
    // The time is the plugin's and the harness's own work, without the
    // writing of the command's output.
    FlushOutput();
    if (options.printTimes) {
      wchar_t line[64];
      swprintf(line, std::size(line), L"time %d %.6f", number,
               static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
      PrintErrorLine(line);
      if (const LONGLONG dialogEnd = TakeFirstDialogEnd(); dialogEnd != 0) {
        swprintf(line, std::size(line), L"dialog %d %.6f", number,
                 static_cast<double>(dialogEnd - start.QuadPart) / frequency.QuadPart);
        PrintErrorLine(line);
      }
      const ProgressGap gap = TakeProgressGap();
      if (gap.calls > 0) {
        swprintf(line, std::size(line), L"progress %d calls %d longest-gap %.6f", number, gap.calls,
                 gap.longestSeconds);
        PrintErrorLine(line);
      }
    }
  }
  window.PumpPending();
  window.SetCommandHandler({});
  return 0;
}

int Main(const std::vector<std::wstring>& args) {
  std::wstring error;
  std::optional<Options> options = ParseOptions(args, error);
  if (!options) {
    PrintErrorLine(L"tchost: " + error);
    PrintErrorLine(L"tchost: --help shows the usage");
    return kExitUsage;
  }
  if (options->help) {
    PrintLine(UsageText());
    return 0;
  }
  if (options->recordFile.empty()) {
    const std::wstring record = EnvironmentValue(kRecordVariable);
    if (!record.empty()) return RecordStart(record);
  } else {
    ::SetEnvironmentVariableW(kRecordVariable, FullPath(options->recordFile).c_str());
  }
  std::wstring ownDir = OwnDirectory();
  SetHostEnvironment(*options, ownDir);
  HostWindow window;
  if (!window.Create()) {
    PrintErrorLine(L"tchost: cannot create the host window (error " +
                   std::to_wstring(::GetLastError()) + L")");
    return kExitSetup;
  }
  if (options->idleSeconds) {
    window.PumpFor(*options->idleSeconds);
    return 0;
  }
  return RunPlugin(*options, ownDir, window);
}

}  // namespace
}  // namespace tchost

int wmain(int argc, wchar_t** argv) {
  ::SetUnhandledExceptionFilter(&tchost::ReportCrash);
  // The host is aware of the screen's density: its windows and the plugin's
  // dialogs are drawn at the real size, not stretched.
  ::SetProcessDPIAware();
  int status = 4;
  try {
    status = tchost::Main(std::vector<std::wstring>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    tchost::PrintErrorLine(L"tchost: failed: " +
                           std::wstring(e.what(), e.what() + std::strlen(e.what())));
  } catch (...) {
    tchost::PrintErrorLine(L"tchost: failed");
  }
  tchost::FlushOutput();
  return status;
}
