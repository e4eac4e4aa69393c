// What the Text Compare Information dialog shows for an entry that compares
// two texts: the header, the three texts, their colours and which side is
// greyed because it has no text.
#pragma once

#include "forms/appearance.h"

#include <windows.h>

#include <array>
#include <string>

namespace orvelle {

struct TextCompareInput {
  std::wstring title;
  std::wstring description;
  std::wstring status;  // the text pair's sign
  std::wstring newText;
  std::wstring myText;
};

struct TextView {
  std::array<std::wstring, 4> header;
  std::wstring description;
  std::wstring newText;  // line breaks as CR LF, as an edit control shows them
  std::wstring myText;
  COLORREF textColor = 0;  // of all three texts
  COLORREF descriptionBack = 0;
  COLORREF newBack = 0;
  COLORREF myBack = 0;
};

TextView BuildTextView(const TextCompareInput& input, const Appearance& look);

// Every lone CR or LF becomes CR LF.
std::wstring WithCrLf(const std::wstring& text);

}  // namespace orvelle
