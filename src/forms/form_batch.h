// The dialog of "Add all" and "Update all": what the step will do, one
// check box per plugin (all ticked when it opens; the user may untick
// some), for an update a drop-down list of the ways every ticked plugin
// offers, and the buttons to go ahead or cancel. Pressing the button with
// nothing ticked says so and keeps the dialog open.
#pragma once

#include "forms/dialog.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvelle {

struct BatchDialogInput {
  std::wstring caption;
  std::wstring label;                // above the list
  std::vector<std::wstring> items;   // one check box each
  std::wstring okText;               // the button that goes ahead
  // Updates: the label of the list of ways, and for a set of ticked items
  // the ways they all offer (texts and values), the first chosen. Empty:
  // no list.
  std::wstring waysLabel;
  std::function<std::vector<std::pair<std::wstring, int>>(const std::vector<bool>& ticked)> ways;
  FontSpec font;
};

struct BatchDialogChoice {
  std::vector<bool> ticked;
  int way = -1;  // the value of the chosen way; -1 without a list
};

class TFormBatchForm : public TDialog {
 public:
  explicit TFormBatchForm(BatchDialogInput input);
  const BatchDialogChoice& Choice() const { return choice_; }

 protected:
  std::wstring Caption() const override { return input_.caption; }
  FontSpec Font() const override { return input_.font; }
  std::vector<ControlSpec> Controls() const override;
  DWORD Style() const override;
  void OnInit() override;
  bool OnCommand(int id, int code) override;

 private:
  void Layout();
  std::vector<bool> Ticked() const;
  void FillWays();

  BatchDialogInput input_;
  BatchDialogChoice choice_;
  std::vector<int> wayValues_;
};

// Shows the dialog modally; nullopt when cancelled.
std::optional<BatchDialogChoice> ShowBatchDialog(HWND owner, const BatchDialogInput& input);

}  // namespace orvelle
