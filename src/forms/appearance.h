// How the dialogs look: My installation's fonts and colours, and the colour
// each comparison sign is drawn in.
#pragma once

#include "platform/handle.h"
#include "tc/ttc.h"

#include <windows.h>

#include <string>

namespace orvelle {

struct FontSpec {
  std::wstring name;
  int points = 8;
  bool bold = false;
};

struct Appearance {
  FontSpec panelFont;   // the file panels' font: the grids
  FontSpec windowFont;  // the dialogs' own font
  COLORREF foreColor = 0;
  COLORREF backColor = 0;
  COLORREF backColor2 = 0;
};

// A colour value of the configuration: a decimal blue-green-red value, or a
// system colour reference (0xFF0000nn, written as a negative number) that is
// resolved with GetSysColor. Anything else, "-1" and out-of-range values give
// the system colour `fallbackIndex`.
COLORREF ResolveColor(const std::wstring& value, int fallbackIndex);

// My installation's fonts and colours; a missing model gives the host's
// defaults (window text on window background).
Appearance AppearanceOf(const TTC* my);

// The font to show the shown language's texts in: `configured` when it has
// a glyph for each of their characters (always, in English or a language
// file that names no fonts); else the first font the language file names
// that is installed and has them; else `configured`, size and weight kept.
FontSpec FontForShownTexts(const FontSpec& configured);

// The text colour of a row by its sign; a sign outside the known set takes
// foreColor.
COLORREF SignColor(const std::wstring& sign, COLORREF foreColor);

namespace detail {
inline void DeleteFontOf(HFONT font) noexcept { ::DeleteObject(font); }
}  // namespace detail
using unique_hfont = platform::unique_any<platform::null_traits<HFONT, detail::DeleteFontOf>>;

// A GDI font for that description at the given pixel density.
unique_hfont CreateFontFor(const FontSpec& font, int dpi);

}  // namespace orvelle
