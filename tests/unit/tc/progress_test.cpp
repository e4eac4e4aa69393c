#include "tc/progress.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvelle {
namespace {

struct Recorder {
  std::vector<int> percents;
  std::vector<std::wstring> targets;
  int cancelAt = -1;  // index of the report that answers "cancel"

  ProgressCallbackFn Callback() {
    return [this](const std::wstring& source, const std::wstring& target, int percent) {
      EXPECT_EQ(source, L"Orvelle");
      targets.push_back(target);
      percents.push_back(percent);
      return static_cast<int>(percents.size()) - 1 == cancelAt ? 1 : 0;
    };
  }
};

// As the tree driver starts a build: one report at once, then the first item
// counts as step 0 again.
void StartAsTheDriverDoes(ProgressState& progress, int total) {
  StartProgress(progress, L"Comparison... wait a minute...");
  ReportProgress(progress);
  --progress.ProgressStep;
  SetProgressTotal(progress, total);
}

TEST(Progress, PercentOfStepsRoundedHalfToEvenAndNotClamped) {
  struct Case {
    int total;
    int step;
    int percent;
  };
  const Case cases[] = {
      {200, 0, 0},   {200, 100, 50}, {8, 1, 12},     {8, 3, 38},
      {200, 1, 0},   {3, 2, 67},     {100, 150, 150}, {9999, 9999, 100},
  };
  for (const Case& c : cases) {
    Recorder recorder;
    ProgressState progress;
    progress.Callback = recorder.Callback();
    progress.ProgressTotal = c.total;
    progress.ProgressStep = c.step;
    ReportProgress(progress);
    ASSERT_EQ(recorder.percents.size(), 1u);
    EXPECT_EQ(recorder.percents[0], c.percent) << c.step << "/" << c.total;
    EXPECT_EQ(progress.ProgressStep, c.step + 1);
  }
}

TEST(Progress, BuildStartsAtZeroAndTheFirstItemIsStepZeroAgain) {
  Recorder recorder;
  ProgressState progress;
  progress.Callback = recorder.Callback();
  StartAsTheDriverDoes(progress, 200);
  SetProgressTitle(progress, L"Plugins: WFX");
  for (int i = 0; i < 101; ++i) ReportProgress(progress);
  ASSERT_EQ(recorder.percents.size(), 102u);
  EXPECT_EQ(recorder.percents[0], 0);
  EXPECT_EQ(recorder.targets[0], L"Comparison... wait a minute...");
  EXPECT_EQ(recorder.percents[1], 0);
  EXPECT_EQ(recorder.percents[101], 50) << "the 101st item";
  EXPECT_EQ(recorder.targets[101], L"Plugins: WFX");
}

TEST(Progress, CancelAnswerSticksUntilTheNextStart) {
  Recorder recorder;
  recorder.cancelAt = 2;
  ProgressState progress;
  progress.Callback = recorder.Callback();
  StartAsTheDriverDoes(progress, 10);
  ReportProgress(progress);
  EXPECT_FALSE(progress.Cancelled);
  ReportProgress(progress);
  EXPECT_TRUE(progress.Cancelled);
  ReportProgress(progress);
  EXPECT_TRUE(progress.Cancelled);
  StartProgress(progress, L"again");
  EXPECT_FALSE(progress.Cancelled);
  EXPECT_EQ(progress.ProgressStep, 0);
  EXPECT_EQ(progress.ProgressTotal, 9999);
}

TEST(Progress, WithoutACallbackNothingIsShownAndNothingCancels) {
  ProgressState progress;
  StartAsTheDriverDoes(progress, 0);
  ReportProgress(progress);
  EXPECT_FALSE(progress.Cancelled);
  EXPECT_EQ(progress.ProgressStep, 1);
}

}  // namespace
}  // namespace orvelle
