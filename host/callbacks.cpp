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

int Progress(const std::wstring& source, const std::wstring& target, int percentDone) {
  int call = ++g_progressCalls;
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
