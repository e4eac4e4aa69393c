// The grids of the compare dialogs as data: which text, colours and frame
// each cell gets. Pure functions, so that tests check exactly what is drawn.
#pragma once

#include "forms/appearance.h"
#include "forms/grid.h"

#include <array>
#include <string>
#include <vector>

namespace orvelle {

// One row of a compare grid: label, New's value, sign, My's value, and
// whether the sign decided the verdict (its cell gets a frame).
struct CompareRow {
  std::wstring label;
  std::wstring newValue;
  std::wstring sign;
  std::wstring myValue;
  bool framed = false;
};

// Column 1 (New) right-aligned toward the sign, the sign centred, the label
// and My's value left-aligned.
std::vector<CellAlign> CompareAlignment();

// The one-row header: button-face background, the foreground colour of the
// panels.
GridData HeaderGrid(const std::array<std::wstring, 4>& header, const Appearance& look);

// Rows in their sign's colour on alternating backgrounds: BackColor on even
// rows and BackColor2 on odd ones, or the other way round with
// secondOnEven. The frame is drawn in the panels' foreground colour.
GridData CompareGrid(const std::vector<CompareRow>& rows, const Appearance& look,
                     bool secondOnEven);

}  // namespace orvelle
