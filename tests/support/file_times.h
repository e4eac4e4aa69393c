// Fixed last-write times for test files whose dates a comparison shows.
#pragma once

#include <windows.h>

#include <string>

namespace orvelle::test {

// 1 June 2020, 12:00 UTC, moved by `minutes`: noon lies far from midnight in
// every time zone, so the local date of such a time is the same everywhere.
FILETIME FixedTime(long long minutes = 0);

// Sets the last-write time of a file or folder. Throws std::runtime_error
// when it cannot.
void SetLastWriteTime(const std::wstring& path, const FILETIME& time);

}  // namespace orvelle::test
