#include "platform/message_box.h"

#include <mutex>
#include <utility>

namespace orvelle::platform {

namespace {
const wchar_t kCaption[] = L"Orvelle";

std::mutex& HandlerMutex() {
  static std::mutex m;
  return m;
}
MessageBoxHandler& Handler() {
  static MessageBoxHandler h;
  return h;
}
}  // namespace

int ShowMessage(const std::wstring& text, UINT flags) {
  MessageBoxHandler handler;
  {
    std::lock_guard lock(HandlerMutex());
    handler = Handler();
  }
  if (handler) return handler(text, flags);
  return ::MessageBoxW(nullptr, text.c_str(), kCaption, flags | MB_TASKMODAL);
}

void ShowError(const std::wstring& text) { ShowMessage(text, MB_OK | MB_ICONERROR); }

void ShowInformation(const std::wstring& text) { ShowMessage(text, MB_OK | MB_ICONINFORMATION); }

bool AskYesNo(const std::wstring& text) {
  return ShowMessage(text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  std::lock_guard lock(HandlerMutex());
  return std::exchange(Handler(), std::move(handler));
}

}  // namespace orvelle::platform
