#include "host_window.h"

#include "output.h"

#include <string>

namespace tchost {
namespace {
constexpr wchar_t kClassName[] = L"TTOTAL_CMD";
}

bool HostWindow::Create() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &HostWindow::WindowProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kClassName;
  if (!::RegisterClassExW(&wc)) return false;
  window_.reset(::CreateWindowExW(0, kClassName, L"Total Commander (tchost)", WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 640, 480, nullptr, nullptr,
                                  wc.hInstance, this));
  return static_cast<bool>(window_);
}

LRESULT CALLBACK HostWindow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam,
                                        LPARAM lParam) noexcept {
  try {
    if (msg == WM_NCCREATE) {
      auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
      ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HostWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self != nullptr) {
      if (msg == kHostCommandMessage) {
        if (wParam == kCommandRereadSource) {
          PrintLine(L"reread " + std::to_wstring(++self->rereadCount_));
        } else {
          PrintLine(L"host command " + std::to_wstring(wParam) + L" " +
                    std::to_wstring(lParam));
        }
        return 0;
      }
      if (msg == kRunCommandMessage) {
        if (self->commandHandler_) {
          self->commandHandler_(*reinterpret_cast<const Command*>(lParam));
        }
        return 0;
      }
      if (msg == WM_CLOSE) {
        // Tests stop an idle harness this way; the window itself stays until
        // the harness ends, as the plugin may still hold its handle.
        self->closeRequested_ = true;
        return 0;
      }
    }
  } catch (...) {
    return 0;
  }
  return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

void PumpPendingMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

void HostWindow::PumpFor(double seconds) {
  ULONGLONG deadline = ::GetTickCount64() + static_cast<ULONGLONG>(seconds * 1000.0);
  PumpPending();
  while (!closeRequested_) {
    ULONGLONG now = ::GetTickCount64();
    if (now >= deadline) break;
    DWORD wait = static_cast<DWORD>(deadline - now);
    ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    PumpPending();
  }
}

}  // namespace tchost
