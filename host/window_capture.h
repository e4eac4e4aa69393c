// Pictures of what is on the screen: a window's rectangle copied from the
// screen (what the X server under Wine really shows) into a 24-bit BMP file.
#pragma once

#include <windows.h>

#include <string>

namespace tchost {

// Has the window and its controls painted anew (for a window of another
// thread: sent to that thread, which must be in its message loop).
void RepaintWindow(HWND window);

// Writes the window's rectangle as it appears on the screen to `path`.
// Under Wine a window's drawing reaches the screen only while its thread
// handles messages: repaint it and let its thread run a moment first. False
// when the window is gone or the file cannot be written.
bool CaptureWindow(HWND window, const std::wstring& path);

}  // namespace tchost
