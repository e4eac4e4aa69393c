#include "forms/form_about.h"

#include "tree/translation.h"
#include "tree/vars_conts.h"

#include <algorithm>

namespace orvelle {

namespace {

// Lengths at 96 dots per inch.
constexpr int kMinClientWidth = 249;
constexpr int kMinClientHeight = 99;
constexpr int kMargin = 8;
constexpr int kColumnGap = 8;
constexpr int kRowGap = 3;
constexpr int kFirstLabelId = 100;

struct AboutLine {
  const wchar_t* label;
  const wchar_t* value;
};
constexpr AboutLine kLines[] = {
    {texts::kNameLabel, texts::kPluginName},   {texts::kVersionLabel, texts::kPluginVersion},
    {texts::kAuthorLabel, texts::kAuthor},     {texts::kEMailLabel, texts::kEMail},
    {texts::kCopyrightLabel, texts::kCopyright},
};
constexpr int kLineCount = static_cast<int>(std::size(kLines));

}  // namespace

std::wstring TFormAboutForm::Caption() const { return Tr(texts::kAboutCaption); }

DWORD TFormAboutForm::Style() const { return WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME; }

std::vector<ControlSpec> TFormAboutForm::Controls() const {
  std::vector<ControlSpec> controls;
  for (int i = 0; i < kLineCount; ++i) {
    controls.push_back({L"Static", std::wstring(Tr(kLines[i].label)) + L":", kFirstLabelId + 2 * i,
                        SS_RIGHT | SS_NOPREFIX});
    controls.push_back({L"Static", kLines[i].value, kFirstLabelId + 2 * i + 1, SS_LEFT | SS_NOPREFIX});
  }
  return controls;
}

void TFormAboutForm::OnInit() {
  HFONT font = DialogFont();
  int labelWidth = 0, valueWidth = 0;
  for (const AboutLine& line : kLines) {
    labelWidth = std::max(labelWidth, TextWidth(font, std::wstring(Tr(line.label)) + L":"));
    valueWidth = std::max(valueWidth, TextWidth(font, line.value));
  }
  labelWidth += Scale(4);
  valueWidth += Scale(4);
  const int rowHeight = LineHeight(font) + Scale(2);
  const int margin = Scale(kMargin);
  const int contentWidth = labelWidth + Scale(kColumnGap) + valueWidth;
  const int contentHeight = kLineCount * rowHeight + (kLineCount - 1) * Scale(kRowGap);
  const int clientWidth = std::max(Scale(kMinClientWidth), contentWidth + 2 * margin);
  const int clientHeight = std::max(Scale(kMinClientHeight), contentHeight + 2 * margin);
  const int x = (clientWidth - contentWidth) / 2;
  int y = (clientHeight - contentHeight) / 2;
  for (int i = 0; i < kLineCount; ++i) {
    Place(kFirstLabelId + 2 * i, x, y, labelWidth, rowHeight);
    Place(kFirstLabelId + 2 * i + 1, x + labelWidth + Scale(kColumnGap), y, valueWidth, rowHeight);
    y += rowHeight + Scale(kRowGap);
  }
  SetClientSize(clientWidth, clientHeight);
  CenterOnScreen();
}

void ShowAbout(HWND owner) {
  TFormAboutForm form;
  form.ShowModal(owner);
}

}  // namespace orvelle
