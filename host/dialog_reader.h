// Reads a dialog of the plugin the way a person sees it: its caption, each
// child control in tab order with its text and state, and every cell of its
// grids with the text, colours and frame the grid draws. Runs on the
// watcher's thread; every message to the dialog's thread has a timeout.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tchost {

// The lines of the dump without the closing "end dialog" line:
//   dialog "CAPTION"
//     control CLASS "TEXT" [disabled] [checked] [clipped]
//     cell GRID ROW COL "TEXT" fg=N bg=N [framed] [clipped]
std::vector<std::wstring> DescribeDialog(HWND dialog);

// The text of a window through WM_GETTEXT (an edit control keeps its own),
// with a timeout; empty when the window does not answer.
std::wstring ControlText(HWND control);

// The visible child controls of a dialog in tab order.
std::vector<HWND> DialogControls(HWND dialog);

// Whether the control's text does not fit its rectangle in its font.
bool TextClipped(HWND control);

std::wstring ClassOf(HWND window);

}  // namespace tchost
