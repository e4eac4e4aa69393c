#include "plugin/build_steps.h"

#include "plugin/state.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(BuildSteps, ProgressTotalCountsThePluginsAndTargetsOfBothInstallations) {
  PluginState state;
  EXPECT_EQ(CountProgressSteps(state), 0);
  state.MyModel = std::make_unique<TTC>(L"c:\\my\\totalcmd.exe");
  state.MyModel->FsPluginFiles = {L"a", L"b"};
  state.MyModel->PackerPluginFiles = {L"c"};
  state.MyModel->TargetNames = {L"d", L"e", L"f"};
  state.NewModel = std::make_unique<TTC>(L"c:\\new\\totalcmd.exe");
  state.NewModel->ListerPluginFiles = {L"g"};
  state.NewModel->ContentPluginFiles = {L"h", L"i"};
  state.NewModel->TargetNames = {L"j"};
  EXPECT_EQ(CountProgressSteps(state), 10);
}

}  // namespace
}  // namespace orvelle
