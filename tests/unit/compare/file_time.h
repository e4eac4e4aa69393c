// Fixed last-write times for files that tests compare by date.
#pragma once

#include "platform/handle.h"

#include <windows.h>

#include <stdexcept>
#include <string>

namespace orvelle::test {

// Sets the file's last-write time to 1 June 2020, 12:00 UTC, plus minutes:
// far from midnight in any time zone, so that the local date is fixed.
inline void SetFileMinutes(const std::wstring& path, int minutes) {
  platform::unique_hfile file(::CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  SYSTEMTIME st{2020, 6, 1, 1, 12, 0, 0, 0};
  FILETIME ft{};
  ::SystemTimeToFileTime(&st, &ft);
  ULARGE_INTEGER t{};
  t.LowPart = ft.dwLowDateTime;
  t.HighPart = ft.dwHighDateTime;
  t.QuadPart += static_cast<ULONGLONG>(minutes) * 60 * 10'000'000;
  ft.dwLowDateTime = t.LowPart;
  ft.dwHighDateTime = t.HighPart;
  if (!file || !::SetFileTime(file.get(), nullptr, nullptr, &ft)) {
    throw std::runtime_error("cannot set the file time");
  }
}

}  // namespace orvelle::test
