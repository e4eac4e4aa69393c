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

}  // namespace

void SetCallbackSettings(const CallbackSettings& settings) { g_settings = settings; }

int __stdcall ProgressCallback(int pluginNr, char* sourceName, char* targetName,
                               int percentDone) noexcept {
  try {
    int call = ++g_progressCalls;
    bool cancel = call == g_settings.cancelAt;
    if (g_settings.printProgress || cancel) {
      std::wstring line = L"progress " + Quoted(TextOf(sourceName)) + L" " +
                          Quoted(TextOf(targetName)) + L" " + std::to_wstring(percentDone);
      if (cancel) line += L" -> cancel";
      PrintLine(line);
    }
    // The host's progress display keeps its windows alive meanwhile.
    PumpPendingMessages();
    return cancel ? 1 : 0;
  } catch (...) {
    return 0;
  }
}

void __stdcall LogCallback(int pluginNr, int msgType, char* logString) noexcept {
  try {
    PrintLine(L"log " + std::to_wstring(msgType) + L" " + Quoted(TextOf(logString)));
  } catch (...) {
  }
}

// The harness has no user to type text: every request is cancelled.
BOOL __stdcall RequestCallback(int pluginNr, int requestType, char* customTitle,
                               char* customText, char* returnedText, int maxlen) noexcept {
  try {
    PrintLine(L"request " + std::to_wstring(requestType) + L" " + Quoted(TextOf(customTitle)) +
              L" " + Quoted(TextOf(customText)) + L" -> cancel");
  } catch (...) {
  }
  return FALSE;
}

}  // namespace tchost
