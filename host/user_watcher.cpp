#include "user_watcher.h"

#include "output.h"

#include <string>

namespace tchost {
namespace {

constexpr DWORD kPollMilliseconds = 50;
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

std::wstring ClassOf(HWND window) {
  wchar_t buffer[256];
  int n = ::GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
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
      c->windows.push_back(window);
    } catch (...) {
      return FALSE;
    }
  }
  return TRUE;
}

}  // namespace

UserWatcher::UserWatcher(std::vector<Answer> answers, HWND hostWindow)
    : answers_(std::move(answers)), hostWindow_(hostWindow) {
  thread_ = std::thread([this] { Run(); });
}

UserWatcher::~UserWatcher() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void UserWatcher::Run() noexcept {
  while (!stop_) {
    try {
      Poll();
    } catch (...) {
      PrintErrorLine(L"tchost: the message box watcher failed");
    }
    ::Sleep(kPollMilliseconds);
  }
}

void UserWatcher::Poll() {
  std::erase_if(handled_, [](HWND w) { return !::IsWindow(w); });
  Candidates found{::GetCurrentProcessId(), hostWindow_, {}};
  ::EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&found));
  for (HWND window : found.windows) {
    if (handled_.count(window) != 0) continue;
    if (IsMessageBox(window)) {
      AnswerMessageBox(window);
    } else if (::GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) {
      CloseWindow(window);
    } else {
      continue;  // tool tips, menus and the like are not for the user to answer
    }
    handled_.insert(window);
  }
}

void UserWatcher::AnswerMessageBox(HWND box) {
  std::wstring line = L"msgbox " + Quoted(WindowText(box)) + L" " +
                      Quoted(WindowText(::GetDlgItem(box, kMessageBoxTextId))) + L" -> ";
  int id = 0;
  if (nextAnswer_ < answers_.size()) {
    Answer answer = answers_[nextAnswer_++];
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

// A dialog of the plugin's own (not a message box): the user looks at it and
// closes it, as with its close box.
void UserWatcher::CloseWindow(HWND window) {
  PrintLine(L"window " + Quoted(WindowText(window)) + L" -> close");
  ::PostMessageW(window, WM_CLOSE, 0, 0);
}

}  // namespace tchost
