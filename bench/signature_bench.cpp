// Times CheckProgramSignature over one program file, best of three runs:
// prints "seconds S" and "state N" (the SignatureState's number).
#include "util/program_signature.h"

#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fwprintf(stderr, L"usage: signature_bench FILE\n");
    return 2;
  }
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  orvelle::ProgramSignature result;
  double seconds = 1e30;
  for (int run = 0; run < 3; ++run) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    result = orvelle::CheckProgramSignature(argv[1]);
    QueryPerformanceCounter(&end);
    double s = static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart;
    if (s < seconds) seconds = s;
  }
  std::printf("seconds %.6f\n", seconds);
  std::printf("state %d\n", static_cast<int>(result.state));
  return 0;
}
