// The host's main window: a top-level window of class "TTOTAL_CMD" that the
// plugin finds in its own process and sends its re-read requests to.
#pragma once

#include "options.h"
#include "platform/handle.h"

#include <windows.h>

#include <functional>

namespace tchost {

// WM_USER+51 with a command number in wParam; 540 re-reads the source panel.
inline constexpr UINT kHostCommandMessage = WM_USER + 51;
inline constexpr WPARAM kCommandRereadSource = 540;

// Sent to the host window by the watcher thread: run the harness command
// that lParam points to, on the window's thread.
inline constexpr UINT kRunCommandMessage = WM_APP + 51;

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

  // What runs a command that kRunCommandMessage brings.
  void SetCommandHandler(std::function<void(const Command&)> handler) {
    commandHandler_ = std::move(handler);
  }
  // Dispatches messages for that long, or until WM_CLOSE arrives.
  void PumpFor(double seconds);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

  orvelle::platform::unique_hwnd window_;
  std::function<void(const Command&)> commandHandler_;
  int rereadCount_ = 0;
  bool closeRequested_ = false;
};

}  // namespace tchost
