#include "forms/text_view.h"

#include "tree/translation.h"
#include "tree/vars_conts.h"

namespace orvelle {

std::wstring WithCrLf(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\r' || c == L'\n') {
      if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      out += L"\r\n";
    } else {
      out += c;
    }
  }
  return out;
}

TextView BuildTextView(const TextCompareInput& input, const Appearance& look) {
  TextView view;
  view.header[0] = L" " + input.title;
  view.header[2] = input.status;
  view.description = WithCrLf(input.description);
  view.newText = WithCrLf(input.newText);
  view.myText = WithCrLf(input.myText);
  view.descriptionBack = view.newBack = view.myBack = look.backColor;
  const COLORREF greyed = ::GetSysColor(COLOR_BTNFACE);
  if (input.status == L"*") {
    view.header[1] = Tr(texts::kNewSide);
    view.myBack = greyed;
  } else if (input.status == L"!") {
    view.header[3] = Tr(texts::kMySide);
    view.newBack = greyed;
  } else {
    view.header[1] = Tr(texts::kNewSide);
    view.header[3] = Tr(texts::kMySide);
  }
  view.textColor = SignColor(input.status, look.foreColor);
  return view;
}

}  // namespace orvelle
