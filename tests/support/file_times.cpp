#include "support/file_times.h"

#include "platform/handle.h"
#include "platform/strings.h"
#include "support/time_values.h"

#include <stdexcept>

namespace orvelle::test {

FILETIME FixedTime(long long minutes) {
  SYSTEMTIME st = SystemTimeOf(2020, 6, 1, 12);
  FILETIME ft{};
  ::SystemTimeToFileTime(&st, &ft);
  ULARGE_INTEGER t{};
  t.LowPart = ft.dwLowDateTime;
  t.HighPart = ft.dwHighDateTime;
  t.QuadPart += static_cast<ULONGLONG>(minutes * 60 * 10'000'000);
  return FILETIME{t.LowPart, t.HighPart};
}

void SetLastWriteTime(const std::wstring& path, const FILETIME& time) {
  platform::unique_hfile file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file || !::SetFileTime(file.get(), nullptr, nullptr, &time)) {
    throw std::runtime_error(platform::AnsiFromWide(L"cannot date " + path, CP_UTF8));
  }
}

}  // namespace orvelle::test
