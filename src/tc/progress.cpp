#include "tc/progress.h"

#include <cmath>

namespace orvelle {

void StartProgress(ProgressState& progress, const std::wstring& title) {
  progress.Cancelled = false;
  progress.ProgressStep = 0;
  progress.ProgressTotal = 9999;
  progress.ProgressTitle = title;
}

void SetProgressTitle(ProgressState& progress, const std::wstring& title) {
  progress.ProgressTitle = title;
}

void SetProgressTotal(ProgressState& progress, int total) { progress.ProgressTotal = total; }

namespace {
void CallProgress(ProgressState& progress) {
  double ratio = progress.ProgressTotal != 0
                     ? static_cast<double>(progress.ProgressStep) / progress.ProgressTotal
                     : 1.0;
  // nearbyint rounds halves to even in the default rounding mode.
  int percent = static_cast<int>(std::nearbyint(ratio * 100.0));
  if (progress.Callback &&
      progress.Callback(L"Orvelle", progress.ProgressTitle, percent) == 1) {
    progress.Cancelled = true;
  }
}
}  // namespace

void ReportProgress(ProgressState& progress) {
  CallProgress(progress);
  ++progress.ProgressStep;
}

void RefreshProgress(ProgressState& progress) { CallProgress(progress); }

}  // namespace orvelle
