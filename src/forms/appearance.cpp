#include "forms/appearance.h"

#include "tree/translation.h"
#include "util/text_helpers.h"

#include <algorithm>
#include <cwchar>
#include <cwctype>
#include <vector>

namespace orvelle {

namespace {
// A configuration value that names a system colour: the high byte is 0xFF,
// the low byte the COLOR_ index.
constexpr long long kSystemColorFlag = 0xFF000000LL;
// The characters of the shown texts that a Latin font may lack, each once.
std::wstring CharactersToShow() {
  std::wstring chars;
  for (const texts::TextKey& key : texts::TranslatableTexts()) {
    for (const wchar_t* c = Tr(key.english); *c != L'\0'; ++c) {
      // Surrogates have no glyph index of their own.
      if (*c < 0x80 || (*c >= 0xD800 && *c <= 0xDFFF)) continue;
      if (chars.find(*c) == std::wstring::npos) chars += *c;
    }
  }
  return chars;
}

bool SameFace(const wchar_t* a, const std::wstring& b) {
  return std::equal(b.begin(), b.end(), a, a + std::wcslen(a),
                    [](wchar_t x, wchar_t y) { return std::towlower(x) == std::towlower(y); });
}

// Whether the font of that name draws every character itself; a font that
// the system substitutes for a missing one counts only when exact is false.
bool HasGlyphs(const std::wstring& face, const std::wstring& chars, bool exact) {
  HDC dc = ::GetDC(nullptr);
  if (dc == nullptr) return false;
  unique_hfont font = CreateFontFor({face, 10, false}, 96);
  HGDIOBJ old = ::SelectObject(dc, font.get());
  wchar_t actual[LF_FACESIZE] = {};
  ::GetTextFaceW(dc, LF_FACESIZE, actual);
  bool has = !exact || SameFace(actual, face);
  if (has) {
    std::vector<WORD> glyphs(chars.size());
    has = ::GetGlyphIndicesW(dc, chars.c_str(), static_cast<int>(chars.size()), glyphs.data(),
                             GGI_MARK_NONEXISTING_GLYPHS) == chars.size() &&
          std::none_of(glyphs.begin(), glyphs.end(), [](WORD g) { return g == 0xFFFF; });
  }
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  return has;
}

}  // namespace

FontSpec FontForShownTexts(const FontSpec& configured) {
  std::shared_ptr<const texts::Translation> shown = texts::ShownTranslation();
  if (!shown || shown->Fonts().empty()) return configured;
  const std::wstring chars = CharactersToShow();
  if (chars.empty() || HasGlyphs(configured.name, chars, false)) return configured;
  for (const std::wstring& face : shown->Fonts()) {
    if (HasGlyphs(face, chars, true)) return {face, configured.points, configured.bold};
  }
  return configured;
}

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
  a.panelFont = FontForShownTexts({my->FontNames[0], my->FontSizes[0], my->FontWeightFlags[0]});
  a.windowFont = FontForShownTexts({my->FontNames[1], my->FontSizes[1], my->FontWeightFlags[1]});
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
