// How a program in the same process reads the dialogs' grids: the window
// class and one registered message that answers the grid's size and each
// cell's text, colours, frame and place. The harness uses it to show what a
// dialog draws; header only, so that the harness needs nothing else of the
// plugin.
#pragma once

#include <windows.h>

namespace orvelle::grid {

inline constexpr wchar_t kClassName[] = L"OrvelleGrid";
// RegisterWindowMessageW of this name gives the query message.
inline constexpr wchar_t kQueryMessageName[] = L"OrvelleGridQuery";

// wParam of the query message.
inline constexpr WPARAM kQuerySize = 0;  // result: MAKELRESULT(rows, columns)
inline constexpr WPARAM kQueryCell = 1;  // lParam: CellQuery*, result 1 when the cell exists

struct CellQuery {
  int row = 0;
  int column = 0;
  // Filled by the grid: the text (cut to fit, always terminated), the text
  // and background colours, the frame, the cell's rectangle in the grid's
  // client coordinates, and whether the text is wider than the room the
  // cell gives it.
  wchar_t text[1024] = {};
  COLORREF textColor = 0;
  COLORREF backColor = 0;
  BOOL framed = FALSE;
  RECT rect = {};
  BOOL clipped = FALSE;
};

}  // namespace orvelle::grid
