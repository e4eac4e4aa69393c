// The host's main window: a top-level window of class "TTOTAL_CMD" that the
// plugin finds in its own process and sends its re-read requests to.
#pragma once

#include "platform/handle.h"

#include <windows.h>

namespace tchost {

// WM_USER+51 with a command number in wParam; 540 re-reads the source panel.
inline constexpr UINT kHostCommandMessage = WM_USER + 51;
inline constexpr WPARAM kCommandRereadSource = 540;

// Dispatches every message already queued for the calling thread.
void PumpPendingMessages();

class HostWindow {
 public:
  // Registers the class and creates the (hidden) window. Returns false when
  // Windows refuses.
  bool Create();
  HWND handle() const { return window_.get(); }

  // True once the window has received WM_CLOSE.
  bool closeRequested() const { return closeRequested_; }

  void PumpPending() { PumpPendingMessages(); }
  // Dispatches messages for that long, or until WM_CLOSE arrives.
  void PumpFor(double seconds);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

  orvelle::platform::unique_hwnd window_;
  int rereadCount_ = 0;
  bool closeRequested_ = false;
};

}  // namespace tchost
