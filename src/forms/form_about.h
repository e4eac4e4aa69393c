// The About dialog: the plugin's name, version, author, address and
// copyright.
#pragma once

#include "forms/dialog.h"

namespace orvelle {

class TFormAboutForm : public TDialog {
 protected:
  std::wstring Caption() const override;
  FontSpec Font() const override { return FontForShownTexts({L"Tahoma", 8, false}); }
  std::vector<ControlSpec> Controls() const override;
  DWORD Style() const override;
  void OnInit() override;
};

void ShowAbout(HWND owner);

}  // namespace orvelle
