// Calendar values for tests that set or compare file times.
#pragma once

#include <windows.h>

namespace orvelle::test {

inline SYSTEMTIME SystemTimeOf(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0,
                               WORD second = 0, WORD milliseconds = 0) {
  SYSTEMTIME st{};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  st.wMilliseconds = milliseconds;
  return st;
}

}  // namespace orvelle::test
