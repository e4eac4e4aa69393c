#include "support/child_process.h"

#include <gtest/gtest.h>

int wmain(int argc, wchar_t** argv) {
  // Tests that read another process start this program as that process.
  if (auto exitCode = orvelle::test::RunChildModeIfAsked(argc, argv)) return *exitCode;
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
