// Times FileMD5 over one file, best of three runs: prints "seconds S" and
// "digest D".
#include "util/digest.h"

#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fwprintf(stderr, L"usage: md5_bench FILE\n");
    return 2;
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  std::wstring digest;
  double seconds = 1e30;
  for (int run = 0; run < 3; ++run) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    digest = orvelle::FileMD5(argv[1]);
    QueryPerformanceCounter(&end);
    double s = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    if (s < seconds) seconds = s;
  }
  std::printf("seconds %.6f\n", seconds);
  std::printf("digest %ls\n", digest.c_str());
  return digest.empty() ? 1 : 0;
}
