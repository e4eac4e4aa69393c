// The Update dialog: the ways of replacing a plugin's files, in a drop-down
// list, and the buttons "Update" and "Cancel". Pressing "Update" hands the
// chosen entry to the caller, which carries it out; the dialog closes when
// that succeeded and stays open (the caller has said why) when not.
#pragma once

#include "forms/dialog.h"

#include <functional>
#include <string>
#include <vector>

namespace orvelle {

struct UpdateDialogInput {
  std::wstring itemName;              // put before the caption when given
  std::vector<std::wstring> options;  // the list's entries; the first is chosen
  FontSpec font;                      // My installation's window font
};

// Called with the index of the chosen entry; true closes the dialog.
using UpdateHandler = std::function<bool(int option)>;

class TFormUpdateForm : public TDialog {
 public:
  TFormUpdateForm(UpdateDialogInput input, UpdateHandler onUpdate);

 protected:
  std::wstring Caption() const override;
  FontSpec Font() const override { return input_.font; }
  std::vector<ControlSpec> Controls() const override;
  DWORD Style() const override;
  void OnInit() override;
  bool OnCommand(int id, int code) override;

 private:
  void Layout();

  UpdateDialogInput input_;
  UpdateHandler onUpdate_;
};

// Shows the dialog modally; true when an update was carried out.
bool ShowUpdateDialog(HWND owner, const UpdateDialogInput& input, const UpdateHandler& onUpdate);

}  // namespace orvelle
