#include "forms/compare_grids.h"

namespace orvelle {

std::vector<CellAlign> CompareAlignment() {
  return {CellAlign::Left, CellAlign::Right, CellAlign::Center, CellAlign::Left};
}

GridData HeaderGrid(const std::array<std::wstring, 4>& header, const Appearance& look) {
  GridData grid(1, 4);
  grid.align = CompareAlignment();
  grid.frameColor = look.foreColor;
  for (int c = 0; c < 4; ++c) {
    GridCell& cell = grid.At(0, c);
    cell.text = header[static_cast<size_t>(c)];
    cell.textColor = look.foreColor;
    cell.backColor = ::GetSysColor(COLOR_BTNFACE);
  }
  return grid;
}

GridData CompareGrid(const std::vector<CompareRow>& rows, const Appearance& look,
                     bool secondOnEven) {
  GridData grid(static_cast<int>(rows.size()), 4);
  grid.align = CompareAlignment();
  grid.frameColor = look.foreColor;
  for (int r = 0; r < grid.rows; ++r) {
    const CompareRow& row = rows[static_cast<size_t>(r)];
    const bool even = r % 2 == 0;
    const COLORREF back = even != secondOnEven ? look.backColor : look.backColor2;
    const COLORREF text = SignColor(row.sign, look.foreColor);
    const std::wstring* values[4] = {&row.label, &row.newValue, &row.sign, &row.myValue};
    for (int c = 0; c < 4; ++c) {
      GridCell& cell = grid.At(r, c);
      cell.text = *values[c];
      cell.textColor = text;
      cell.backColor = back;
      cell.framed = c == 2 && row.framed;
    }
  }
  return grid;
}

}  // namespace orvelle
