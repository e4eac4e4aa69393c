#include "forms/appearance.h"

#include "util/text_helpers.h"

namespace orvelle {

namespace {
// A configuration value that names a system colour: the high byte is 0xFF,
// the low byte the COLOR_ index.
constexpr long long kSystemColorFlag = 0xFF000000LL;
}  // namespace

COLORREF ResolveColor(const std::wstring& value, int fallbackIndex) {
  long long number = 0;
  if (!ParseDecimal(value, number, -0x80000000LL, 0xFFFFFFFFLL) || number == -1) {
    return ::GetSysColor(fallbackIndex);
  }
  const unsigned long long bits = static_cast<unsigned long long>(number) & 0xFFFFFFFFULL;
  if ((bits & 0xFF000000ULL) == static_cast<unsigned long long>(kSystemColorFlag)) {
    const int index = static_cast<int>(bits & 0xFF);
    return index <= COLOR_MENUBAR ? ::GetSysColor(index) : ::GetSysColor(fallbackIndex);
  }
  if ((bits & 0xFF000000ULL) != 0) return ::GetSysColor(fallbackIndex);
  return static_cast<COLORREF>(bits);
}

Appearance AppearanceOf(const TTC* my) {
  Appearance a;
  if (my == nullptr) {
    a.panelFont = {kDefaultFontName, kDefaultFontSize, false};
    a.windowFont = a.panelFont;
    a.foreColor = ::GetSysColor(COLOR_WINDOWTEXT);
    a.backColor = a.backColor2 = ::GetSysColor(COLOR_WINDOW);
    return a;
  }
  a.panelFont = {my->FontNames[0], my->FontSizes[0], my->FontWeightFlags[0]};
  a.windowFont = {my->FontNames[1], my->FontSizes[1], my->FontWeightFlags[1]};
  a.foreColor = ResolveColor(my->ForeColor, COLOR_WINDOWTEXT);
  a.backColor = ResolveColor(my->BackColor, COLOR_WINDOW);
  // An unset second background repeats the first, as the host draws it.
  a.backColor2 = my->BackColor2 == kColorNotSet || my->BackColor2.empty()
                     ? a.backColor
                     : ResolveColor(my->BackColor2, COLOR_WINDOW);
  return a;
}

COLORREF SignColor(const std::wstring& sign, COLORREF foreColor) {
  if (sign == L">") return 16744527;
  if (sign == L"<" || sign == L"!") return 12632256;
  if (sign == L"<>") return 255;
  if (sign == L"*") return 48896;
  if (sign == L"=" || sign.empty()) return 0;
  return foreColor;
}

unique_hfont CreateFontFor(const FontSpec& font, int dpi) {
  // A size the configuration got wrong would give an invisible or a giant
  // font; keep it within what a panel can show.
  const int points = font.points < 4 ? 8 : font.points > 72 ? 72 : font.points;
  return unique_hfont(::CreateFontW(-::MulDiv(points, dpi, 72), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, FALSE,
                       FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, font.name.c_str()));
}

}  // namespace orvelle
