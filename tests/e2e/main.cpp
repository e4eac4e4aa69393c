#include "support/fixture_pair.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <exception>
#include <string>

int wmain(int argc, wchar_t** argv) {
  // The demo builds its two installations as the tests do:
  //   orvelle_e2e.exe --prepare-pair SIDE FOLDER
  if (argc == 4 && std::wstring(argv[1]) == L"--prepare-pair") {
    try {
      orvelle::test::PreparePairInstallation(argv[2], argv[3]);
      return 0;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "cannot prepare the installation: %s\n", e.what());
      return 1;
    }
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
