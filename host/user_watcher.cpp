#include "user_watcher.h"

#include "dialog_reader.h"
#include "host_window.h"
#include "output.h"
#include "panel_view.h"
#include "window_capture.h"

#include <mutex>
#include <string>

namespace tchost {
namespace {

// Windows opened on the host's thread wake the watcher at once, and it
// looks often while windows come and go. Otherwise it looks only now and
// then (for windows of other threads): each look asks the system about every
// window on the screen, which slows the plugin it watches.
constexpr DWORD kPollMilliseconds = 50;
constexpr DWORD kIdlePollMilliseconds = 500;
constexpr ULONGLONG kBusyMs = 1000;  // looking often after a window opened
// How long a dialog may take to handle a press or to close after Escape.
constexpr ULONGLONG kCommandTimeoutMs = 30000;
constexpr ULONGLONG kCloseTimeoutMs = 10000;
// The static control that holds a message box's text.
constexpr int kMessageBoxTextId = 0xFFFF;

struct ButtonName {
  int id;
  const wchar_t* name;
};
constexpr ButtonName kButtons[] = {
    {IDOK, L"ok"},         {IDCANCEL, L"cancel"}, {IDABORT, L"abort"},
    {IDRETRY, L"retry"},   {IDIGNORE, L"ignore"}, {IDYES, L"yes"},
    {IDNO, L"no"},         {IDTRYAGAIN, L"try again"}, {IDCONTINUE, L"continue"},
};

std::wstring ButtonNameOf(int id) {
  for (const ButtonName& b : kButtons) {
    if (b.id == id) return b.name;
  }
  return L"button " + std::to_wstring(id);
}

HANDLE WakeEvent() {
  static const HANDLE wake = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  return wake;
}

LRESULT CALLBACK WakeOnWindow(int code, WPARAM wParam, LPARAM lParam) {
  if (code == HCBT_CREATEWND || code == HCBT_ACTIVATE) ::SetEvent(WakeEvent());
  return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

int ButtonIdOf(Answer answer) {
  switch (answer) {
    case Answer::Yes: return IDYES;
    case Answer::No: return IDNO;
    case Answer::Ok: return IDOK;
    case Answer::Cancel: return IDCANCEL;
  }
  return IDCANCEL;
}

std::wstring WindowText(HWND window) {
  if (window == nullptr) return {};
  // Reads the stored text without sending WM_GETTEXT: the window's thread
  // may be busy, and this thread must never wait for it.
  wchar_t buffer[4096];
  int n = ::InternalGetWindowText(window, buffer, static_cast<int>(std::size(buffer)));
  return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

// A standard dialog with the text control of a message box and at least one
// of its buttons.
bool IsMessageBox(HWND window) {
  if (ClassOf(window) != L"#32770") return false;
  if (::GetDlgItem(window, kMessageBoxTextId) == nullptr) return false;
  for (const ButtonName& b : kButtons) {
    if (::GetDlgItem(window, b.id) != nullptr) return true;
  }
  return false;
}

int DefaultButton(HWND box) {
  DWORD_PTR result = 0;
  if (::SendMessageTimeoutW(box, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 1000, &result) &&
      HIWORD(result) == DC_HASDEFID && ::GetDlgItem(box, LOWORD(result)) != nullptr) {
    return LOWORD(result);
  }
  for (const ButtonName& b : kButtons) {
    HWND button = ::GetDlgItem(box, b.id);
    if (button != nullptr && (::GetWindowLongW(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON) {
      return b.id;
    }
  }
  for (const ButtonName& b : kButtons) {
    if (::GetDlgItem(box, b.id) != nullptr) return b.id;
  }
  return IDCANCEL;
}

struct Candidates {
  DWORD processId;
  HWND hostWindow;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM param) noexcept {
  auto* c = reinterpret_cast<Candidates*>(param);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid == c->processId && window != c->hostWindow && ::IsWindowVisible(window)) {
    try {
      if (ClassOf(window) != kPanelClassName) c->windows.push_back(window);
    } catch (...) {
      return FALSE;
    }
  }
  return TRUE;
}

bool IsCheckBox(HWND control) {
  const LONG_PTR type = ::GetWindowLongPtrW(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
         type == BS_AUTO3STATE;
}

void CALLBACK CommandDone(HWND, UINT, ULONG_PTR data, LRESULT) noexcept {
  *reinterpret_cast<bool*>(data) = true;
}

std::mutex& PlayingLock() {
  static std::mutex lock;
  return lock;
}

}  // namespace

namespace {
std::atomic<LONGLONG> g_firstDialogEnd{0};
}  // namespace

LONGLONG TakeFirstDialogEnd() { return g_firstDialogEnd.exchange(0); }

void WaitForUser() { std::lock_guard<std::mutex> wait(PlayingLock()); }

UserWatcher::UserWatcher(WatcherSettings settings, HWND hostWindow)
    : settings_(std::move(settings)), hostWindow_(hostWindow) {
  // Made on the host's thread, where the plugin opens its windows.
  hook_ = ::SetWindowsHookExW(WH_CBT, &WakeOnWindow, nullptr, ::GetCurrentThreadId());
  thread_ = std::thread([this] { Run(); });
}

UserWatcher::~UserWatcher() {
  stop_ = true;
  ::SetEvent(WakeEvent());
  if (thread_.joinable()) thread_.join();
  if (hook_) ::UnhookWindowsHookEx(hook_);
}

void UserWatcher::Run() noexcept {
  ULONGLONG busyUntil = ::GetTickCount64() + kBusyMs;
  while (!stop_) {
    try {
      Poll();
    } catch (...) {
      PrintErrorLine(L"tchost: the message box watcher failed");
    }
    const DWORD wait = ::GetTickCount64() < busyUntil ? kPollMilliseconds : kIdlePollMilliseconds;
    if (::WaitForSingleObject(WakeEvent(), wait) == WAIT_OBJECT_0) {
      busyUntil = ::GetTickCount64() + kBusyMs;
    }
  }
}

std::vector<HWND> UserWatcher::VisibleWindows() const {
  Candidates found{::GetCurrentProcessId(), hostWindow_, {}};
  ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found.windows;
}

void UserWatcher::Poll() {
  std::erase_if(handled_, [](HWND w) { return !::IsWindow(w); });
  for (HWND window : VisibleWindows()) {
    if (handled_.count(window) != 0 || !::IsWindow(window)) continue;
    if (IsMessageBox(window)) {
      AnswerMessageBox(window);
    } else if (ClassOf(window) == L"#32770") {
      handled_.insert(window);
      PlayDialog(window);
      continue;
    } else if (::GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) {
      CloseWindow(window);
    } else {
      continue;  // tool tips, menus and the like are not for the user to answer
    }
    handled_.insert(window);
  }
}

bool UserWatcher::AnswerMessageBoxes() {
  bool any = false;
  std::erase_if(handled_, [](HWND w) { return !::IsWindow(w); });
  for (HWND window : VisibleWindows()) {
    if (handled_.count(window) != 0 || !IsMessageBox(window)) continue;
    AnswerMessageBox(window);
    handled_.insert(window);
    any = true;
  }
  return any;
}

void UserWatcher::AnswerMessageBox(HWND box) {
  std::wstring line = L"msgbox " + Quoted(WindowText(box)) + L" " +
                      Quoted(WindowText(::GetDlgItem(box, kMessageBoxTextId))) + L" -> ";
  int id = 0;
  if (nextAnswer_ < settings_.answers.size()) {
    const size_t n = nextAnswer_++;
    if (n < settings_.answerCommands.size() && settings_.answerCommands[n]) {
      // The box stays open meanwhile: the host's thread runs the command
      // from inside the box's message loop.
      handled_.insert(box);
      RunOnHostThread(*settings_.answerCommands[n]);
    }
    Answer answer = settings_.answers[n];
    id = ButtonIdOf(answer);
    if (::GetDlgItem(box, id) != nullptr) {
      line += AnswerName(answer);
    } else {
      id = DefaultButton(box);
      line += AnswerName(answer) + L" (no such button), default (" + ButtonNameOf(id) + L")";
    }
  } else {
    id = DefaultButton(box);
    line += L"default (" + ButtonNameOf(id) + L")";
  }
  PrintLine(line);
  ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(box, id)));
}

// A window of the plugin's own that is not a dialog: the user looks at it
// and closes it, as with its close box.
void UserWatcher::CloseWindow(HWND window) {
  PrintLine(L"window " + Quoted(WindowText(window)) + L" -> close");
  ::PostMessageW(window, WM_CLOSE, 0, 0);
}

// Sends message to window with a callback rather than waiting for it: what
// it starts may open a message box, which this thread has to answer before
// it ends. Peeking lets Windows call CommandDone on this thread.
void UserWatcher::SendAndAnswer(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  bool done = false;
  if (!::SendMessageCallbackW(window, message, wParam, lParam, &CommandDone,
                              reinterpret_cast<ULONG_PTR>(&done))) {
    return;
  }
  const ULONGLONG deadline = ::GetTickCount64() + kCommandTimeoutMs;
  while (!done && ::GetTickCount64() < deadline) {
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
    if (!done) {
      AnswerMessageBoxes();
      ::Sleep(20);
    }
  }
}

void UserWatcher::RunOnHostThread(const Command& command) {
  SendAndAnswer(hostWindow_, kRunCommandMessage, 0, reinterpret_cast<LPARAM>(&command));
}

void UserWatcher::SendCommand(HWND dialog, WPARAM wParam, LPARAM lParam) {
  SendAndAnswer(dialog, WM_COMMAND, wParam, lParam);
}

std::wstring UserWatcher::Press(HWND dialog, const std::wstring& text) {
  const std::wstring name = L"press " + Quoted(text);
  // "untick:TEXT": the check box of that text is cleared, then clicked.
  if (text.starts_with(L"untick:")) {
    const std::wstring box = text.substr(7);
    for (HWND control : DialogControls(dialog)) {
      if (ClassOf(control) != L"Button" || ControlText(control) != box || !IsCheckBox(control)) {
        continue;
      }
      if (!::IsWindowEnabled(control)) return name + L" (disabled)";
      DWORD_PTR ignored = 0;
      ::SendMessageTimeoutW(control, BM_SETCHECK, BST_UNCHECKED, 0, SMTO_ABORTIFHUNG, 2000,
                            &ignored);
      SendCommand(dialog, MAKEWPARAM(::GetDlgCtrlID(control), BN_CLICKED),
                  reinterpret_cast<LPARAM>(control));
      return name;
    }
    return name + L" (not found)";
  }
  for (HWND control : DialogControls(dialog)) {
    if (ClassOf(control) != L"Button" || ControlText(control) != text) continue;
    if (!::IsWindowEnabled(control)) return name + L" (disabled)";
    if (IsCheckBox(control)) {
      DWORD_PTR ignored = 0;
      ::SendMessageTimeoutW(control, BM_SETCHECK, BST_CHECKED, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    }
    const int id = ::GetDlgCtrlID(control);
    SendCommand(dialog, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control));
    return name;
  }
  // Not a button: an entry of a drop-down list.
  for (HWND control : DialogControls(dialog)) {
    if (ClassOf(control) != L"ComboBox") continue;
    DWORD_PTR index = 0;
    if (!::SendMessageTimeoutW(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG, 2000,
                               &index) ||
        static_cast<LRESULT>(index) == CB_ERR) {
      continue;
    }
    if (!::IsWindowEnabled(control)) return name + L" (disabled)";
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(control, CB_SETCURSEL, index, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
    const int id = ::GetDlgCtrlID(control);
    SendCommand(dialog, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
    return name;
  }
  return name + L" (not found)";
}

void UserWatcher::PlayDialog(HWND dialog) {
  std::lock_guard<std::mutex> playing(PlayingLock());
  const size_t number = ++dialogCount_;
  // The dialog's thread is in its message loop once it answers: the dialog
  // is filled and shown.
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(dialog, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
  if (!settings_.captureDir.empty()) {
    RepaintWindow(dialog);
    ::Sleep(300);
    const std::wstring file = settings_.captureDir + L"\\dialog-" + std::to_wstring(number) + L".bmp";
    if (!CaptureWindow(dialog, file)) PrintErrorLine(L"tchost: cannot capture " + file);
  }
  for (const std::wstring& line : DescribeDialog(dialog)) PrintLine(line);

  std::wstring action;
  auto add = [&](const std::wstring& step) { action += (action.empty() ? L"" : L", ") + step; };
  if (number <= settings_.presses.size()) {
    for (const std::wstring& text : settings_.presses[number - 1]) {
      if (!::IsWindow(dialog)) break;
      add(Press(dialog, text));
    }
  }
  if (::IsWindow(dialog)) {
    // Escape as the user types it: the dialog manager turns it into IDCANCEL.
    ::PostMessageW(dialog, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    ::PostMessageW(dialog, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    add(L"escape");
    const ULONGLONG deadline = ::GetTickCount64() + kCloseTimeoutMs;
    while (::IsWindow(dialog) && ::GetTickCount64() < deadline) {
      AnswerMessageBoxes();
      ::Sleep(20);
    }
    if (::IsWindow(dialog)) {
      add(L"still open, close");
      ::PostMessageW(dialog, WM_CLOSE, 0, 0);
    }
  }
  LARGE_INTEGER now{};
  ::QueryPerformanceCounter(&now);
  LONGLONG none = 0;
  g_firstDialogEnd.compare_exchange_strong(none, now.QuadPart);
  PrintLine(L"end dialog -> " + action);
}

}  // namespace tchost
