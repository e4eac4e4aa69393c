#include "callbacks.h"

#include "host_window.h"
#include "output.h"
#include "platform/strings.h"

#include <atomic>
#include <string>

namespace tchost {
namespace {

CallbackSettings g_settings;
std::atomic<int> g_progressCalls{0};

std::wstring TextOf(const char* text) {
  return text == nullptr ? std::wstring() : orvelle::platform::WideFromAnsi(text);
}

std::wstring TextOf(const wchar_t* text) { return text == nullptr ? std::wstring() : text; }

// The longest time between two progress calls of the current command (how
// long the host's display stood still), in performance-counter ticks.
LONGLONG g_lastCall = 0;
LONGLONG g_longestGap = 0;
int g_commandCalls = 0;

int Progress(const std::wstring& source, const std::wstring& target, int percentDone) {
  int call = ++g_progressCalls;
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  if (g_lastCall != 0 && now.QuadPart - g_lastCall > g_longestGap) {
    g_longestGap = now.QuadPart - g_lastCall;
  }
  g_lastCall = now.QuadPart;
  ++g_commandCalls;
  bool cancel = call == g_settings.cancelAt;
  if (g_settings.printProgress || cancel) {
    std::wstring line = L"progress " + Quoted(source) + L" " + Quoted(target) + L" " +
                        std::to_wstring(percentDone);
    if (cancel) line += L" -> cancel";
    PrintLine(line);
  }
  // The host's progress display keeps its windows alive meanwhile.
  PumpPendingMessages();
  return cancel ? 1 : 0;
}

void Log(int msgType, const std::wstring& text) {
  PrintLine(L"log " + std::to_wstring(msgType) + L" " + Quoted(text));
}

// The harness has no user to type text: every request is cancelled.
void Request(int requestType, const std::wstring& title, const std::wstring& text) {
  PrintLine(L"request " + std::to_wstring(requestType) + L" " + Quoted(title) + L" " +
            Quoted(text) + L" -> cancel");
}

}  // namespace

void SetCallbackSettings(const CallbackSettings& settings) { g_settings = settings; }

ProgressGap TakeProgressGap() {
  LARGE_INTEGER frequency{};
  ::QueryPerformanceFrequency(&frequency);
  ProgressGap gap{static_cast<double>(g_longestGap) / static_cast<double>(frequency.QuadPart),
                  g_commandCalls};
  g_lastCall = 0;
  g_longestGap = 0;
  g_commandCalls = 0;
  return gap;
}

int __stdcall ProgressCallback(int pluginNr, char* sourceName, char* targetName,
                               int percentDone) noexcept {
  try {
    return Progress(TextOf(sourceName), TextOf(targetName), percentDone);
  } catch (...) {
    return 0;
  }
}

void __stdcall LogCallback(int pluginNr, int msgType, char* logString) noexcept {
  try {
    Log(msgType, TextOf(logString));
  } catch (...) {
  }
}

BOOL __stdcall RequestCallback(int pluginNr, int requestType, char* customTitle,
                               char* customText, char* returnedText, int maxlen) noexcept {
  try {
    Request(requestType, TextOf(customTitle), TextOf(customText));
  } catch (...) {
  }
  return FALSE;
}

int __stdcall ProgressCallbackW(int pluginNr, WCHAR* sourceName, WCHAR* targetName,
                                int percentDone) noexcept {
  try {
    return Progress(TextOf(sourceName), TextOf(targetName), percentDone);
  } catch (...) {
    return 0;
  }
}

void __stdcall LogCallbackW(int pluginNr, int msgType, WCHAR* logString) noexcept {
  try {
    Log(msgType, TextOf(logString));
  } catch (...) {
  }
}

BOOL __stdcall RequestCallbackW(int pluginNr, int requestType, WCHAR* customTitle,
                                WCHAR* customText, WCHAR* returnedText, int maxlen) noexcept {
  try {
    Request(requestType, TextOf(customTitle), TextOf(customText));
  } catch (...) {
  }
  return FALSE;
}

}  // namespace tchost
