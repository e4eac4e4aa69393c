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
#include "user_watcher.h"

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
  PrintErrorLine(text);
  ::TerminateProcess(::GetCurrentProcess(), info->ExceptionRecord->ExceptionCode);
  return EXCEPTION_EXECUTE_HANDLER;
}

int RunPlugin(const Options& options, const std::wstring& ownDir, HostWindow& window) {
  std::wstring pluginPath =
      options.pluginFile ? FullPath(*options.pluginFile) : ownDir + L"\\" + ORVELLE_PLUGIN_FILE;
  SetCallbackSettings({options.printProgress, options.cancelAt});
  // Watching from the start: a plugin may ask something while it loads.
  UserWatcher watcher(options.answers, window.handle());
  LoadedPlugin plugin;
  std::wstring error;
  if (!LoadPlugin(pluginPath, plugin, error)) {
    PrintErrorLine(L"tchost: " + error);
    return kExitPlugin;
  }
  plugin.api.FsInit(kPluginNumber, &ProgressCallback, &LogCallback, &RequestCallback);
  CommandRunner runner(plugin.api, window, plugin.module);
  LARGE_INTEGER frequency{}, start{}, end{};
  ::QueryPerformanceFrequency(&frequency);
  int number = 0;
  for (const Command& command : options.commands) {
    ::QueryPerformanceCounter(&start);
    runner.Run(command);
    ::QueryPerformanceCounter(&end);
    ++number;
    if (options.printTimes) {
      wchar_t line[64];
      swprintf(line, std::size(line), L"time %d %.6f", number,
               static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
      PrintErrorLine(line);
    }
  }
  window.PumpPending();
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
  try {
    return tchost::Main(std::vector<std::wstring>(argv + 1, argv + argc));
  } catch (const std::exception& e) {
    tchost::PrintErrorLine(L"tchost: failed: " +
                           std::wstring(e.what(), e.what() + std::strlen(e.what())));
  } catch (...) {
    tchost::PrintErrorLine(L"tchost: failed");
  }
  return 4;
}
