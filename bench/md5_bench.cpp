// Times FileMD5 over one file: prints "seconds S" and "digest D".
#include "util/digest.h"

#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fwprintf(stderr, L"usage: md5_bench FILE\n");
    return 2;
  }
  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  std::wstring digest = orvelle::FileMD5(argv[1]);
  QueryPerformanceCounter(&end);
  double seconds = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
  std::printf("seconds %.6f\n", seconds);
  std::printf("digest %ls\n", digest.c_str());
  return digest.empty() ? 1 : 0;
}
