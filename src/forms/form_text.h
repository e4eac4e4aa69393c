// The Text Compare Information dialog: an entry's title and description
// over the New and My installations' texts, coloured by their sign.
#pragma once

#include "forms/dialog.h"
#include "forms/text_view.h"

namespace orvelle {

class TFormTextForm : public TDialog {
 public:
  TFormTextForm(TextCompareInput input, Appearance look);

 protected:
  std::wstring Caption() const override;
  FontSpec Font() const override { return look_.windowFont; }
  std::vector<ControlSpec> Controls() const override;
  void OnInit() override;
  HBRUSH OnControlColor(HDC dc, HWND control) override;

 private:
  void Layout();
  int TextHeight(HFONT font, const std::wstring& text, int width) const;

  TextCompareInput input_;
  Appearance look_;
  TextView view_;
  unique_hfont gridFont_;
};

void ShowTextCompare(HWND owner, const TextCompareInput& input, const Appearance& look);

}  // namespace orvelle
