// Progress of a comparison, shown in the host's own progress display through
// the callback it handed over; the same callback tells whether the user
// pressed cancel.
#pragma once

#include <functional>
#include <string>

namespace orvelle {

// (source, target, percent) -> 1 when the user cancelled.
using ProgressCallbackFn =
    std::function<int(const std::wstring& source, const std::wstring& target, int percent)>;

struct ProgressState {
  std::wstring ProgressTitle;
  int ProgressStep = 0;
  int ProgressTotal = 9999;
  bool Cancelled = false;
  ProgressCallbackFn Callback;  // empty: nothing is shown, nothing cancels
};

void StartProgress(ProgressState& progress, const std::wstring& title);
void SetProgressTitle(ProgressState& progress, const std::wstring& title);
void SetProgressTotal(ProgressState& progress, int total);
// Reports one step: percent = step / total * 100, rounded half to even, not
// clamped; a callback answer of 1 sets Cancelled.
void ReportProgress(ProgressState& progress);
// Shows the title and percentage again without counting a step, so that a
// long step keeps the host's display (and its cancel button) alive; a
// callback answer of 1 sets Cancelled.
void RefreshProgress(ProgressState& progress);

}  // namespace orvelle
