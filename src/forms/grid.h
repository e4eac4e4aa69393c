// A small read-only grid: rows of cells, each with its own text, colours and
// frame, drawn on one line in the font it is given. The dialogs compute what
// it shows (GridData); the window only paints that, and answers the query
// message of grid_protocol.h so that tests read exactly what is drawn.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace orvelle {

enum class CellAlign { Left, Center, Right };

struct GridCell {
  std::wstring text;
  COLORREF textColor = 0;
  COLORREF backColor = RGB(255, 255, 255);
  bool framed = false;
};

struct GridData {
  int rows = 0;
  int columns = 0;
  std::vector<GridCell> cells;  // row by row
  std::vector<CellAlign> align;  // one per column
  COLORREF frameColor = 0;

  GridData() = default;
  GridData(int rowCount, int columnCount);
  GridCell& At(int row, int column) { return cells[static_cast<size_t>(row * columns + column)]; }
  const GridCell& At(int row, int column) const {
    return cells[static_cast<size_t>(row * columns + column)];
  }
};

// Registers the grid's window class for the module that holds this code;
// true when it is (or already was) registered.
bool RegisterGridClass();
// Takes the class back when the library is unloaded. The system keeps a
// library's classes after it is gone: one registered by this copy would
// send the next copy's grids (loaded at another address, or the same) to a
// window procedure that is no longer there.
void UnregisterGridClass();

// Hands the grid its content and geometry (pixels); the window copies them.
void SetGridContent(HWND grid, const GridData& data, const std::vector<int>& columnWidths,
                    int rowHeight);

// Room between a cell's edge and its text, and the frame's inset from the
// cell's sides, both at 96 dots per inch.
inline constexpr int kCellPadding = 3;
inline constexpr int kFrameInset = 4;

}  // namespace orvelle
