// The least work carrying plugins over can do on this platform: copy every
// file of a tree into a new tree with the system's copy function
// (CopyFileW), folders made as they come. Nothing else: no plan, no staging
// folder, no registration, no backup records. Run under the same Wine as
// the plugin, on the same files, it is what "Add all" is measured against.
//   copy_floor_bench SOURCE_ROOT TARGET_ROOT
// Prints "seconds S", "files N" and "bytes N".
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Totals {
  uint64_t files = 0;
  uint64_t bytes = 0;
};

bool CopyTree(const std::wstring& source, const std::wstring& target, Totals& totals) {
  std::vector<std::pair<std::wstring, std::wstring>> pending{{source, target}};
  while (!pending.empty()) {
    const auto [from, to] = pending.back();
    pending.pop_back();
    if (!::CreateDirectoryW(to.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
      std::fwprintf(stderr, L"cannot make %ls\n", to.c_str());
      return false;
    }
    WIN32_FIND_DATAW data;
    HANDLE find = ::FindFirstFileW((from + L"\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) continue;
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        pending.emplace_back(from + L"\\" + name, to + L"\\" + name);
        continue;
      }
      if (!::CopyFileW((from + L"\\" + name).c_str(), (to + L"\\" + name).c_str(), TRUE)) {
        std::fwprintf(stderr, L"cannot copy %ls\n", (from + L"\\" + name).c_str());
        ::FindClose(find);
        return false;
      }
      ++totals.files;
      totals.bytes += (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fwprintf(stderr, L"usage: copy_floor_bench SOURCE_ROOT TARGET_ROOT\n");
    return 1;
  }
  LARGE_INTEGER frequency{}, start{}, end{};
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&start);
  Totals totals;
  const bool copied = CopyTree(argv[1], argv[2], totals);
  ::QueryPerformanceCounter(&end);
  if (!copied) return 1;
  std::wprintf(L"seconds %.6f\nfiles %llu\nbytes %llu\n",
               static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart,
               static_cast<unsigned long long>(totals.files),
               static_cast<unsigned long long>(totals.bytes));
  return 0;
}
