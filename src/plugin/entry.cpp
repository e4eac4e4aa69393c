#include "plugin/entry.h"

#include "platform/strings.h"
#include "plugin/language.h"
#include "tree/vars_conts.h"

namespace orvelle {

namespace {
struct WindowSearch {
  DWORD processId;
  const std::wstring* className;
  HWND found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM param) noexcept {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return TRUE;
  wchar_t name[201] = {};
  ::GetClassNameW(window, name, 201);
  if (*search->className != name) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

ProgressCallbackFn HostProgress(int pluginNumber, host::ProgressProc progress) {
  if (progress == nullptr) return {};
  return [pluginNumber, progress](const std::wstring& source, const std::wstring& target,
                                  int percent) {
    std::string a = platform::AnsiFromWide(source);
    std::string b = platform::AnsiFromWide(target);
    return progress(pluginNumber, a.data(), b.data(), percent);
  };
}

ProgressCallbackFn HostProgress(int pluginNumber, host::ProgressProcW progress) {
  if (progress == nullptr) return {};
  return [pluginNumber, progress](const std::wstring& source, const std::wstring& target,
                                  int percent) {
    // The callback takes writable buffers: copies, never the caller's text.
    std::wstring a = source;
    std::wstring b = target;
    return progress(pluginNumber, a.data(), b.data(), percent);
  };
}

HWND FindProcessWindow(DWORD processId, const std::wstring& className) {
  WindowSearch search{processId, &className, nullptr};
  ::EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
  return ::IsWindow(search.found) ? search.found : nullptr;
}

void InitPlugin(PluginState& state, int pluginNumber, ProgressCallbackFn progress) {
  state.Host.PluginNumber = pluginNumber;
  state.Host.ProgressCallback = progress;
  state.Progress.Callback = std::move(progress);
  state.Host.HostWindow = FindProcessWindow(state.Identity.OwnProcessId, L"TTOTAL_CMD");
  HDC screen = ::GetDC(nullptr);
  state.Identity.LargeFonts = screen != nullptr && ::GetDeviceCaps(screen, LOGPIXELSX) == 120;
  if (screen != nullptr) ::ReleaseDC(nullptr, screen);
  ChooseLanguageAtStart(state);
}

std::wstring DefaultRootName() { return texts::kPluginName; }

}  // namespace orvelle
