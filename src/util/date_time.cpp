#include "util/date_time.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace orvelle {

namespace {

constexpr int64_t kMsPerDay = 86400000;

// Days since 1.1.1970 of a proleptic Gregorian date, and back; exact for
// every date a FILETIME can hold.
int64_t DaysFromCivil(int y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int>(yoe + era * 400) + (m <= 2);
}

// 30 December 1899, the zero of date-time values, in days since 1.1.1970.
const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);

}  // namespace

double SystemTimeToDateTime(const SYSTEMTIME& st) {
  int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) - kEpochOffset;
  int64_t ms = ((st.wHour * 60 + st.wMinute) * 60 + st.wSecond) * 1000LL + st.wMilliseconds;
  return static_cast<double>(days) + static_cast<double>(ms) / kMsPerDay;
}

SYSTEMTIME DateTimeToSystemTime(double dateTime) {
  // Rounded to the millisecond: the fraction of a double does not hold the
  // milliseconds exactly, and 12:00:00.000 must not come back as 11:59:59.999.
  int64_t total = std::llround(dateTime * kMsPerDay);
  int64_t days = total >= 0 ? total / kMsPerDay : -((-total + kMsPerDay - 1) / kMsPerDay);
  int64_t ms = total - days * kMsPerDay;
  int y;
  unsigned m, d;
  CivilFromDays(days + kEpochOffset, y, m, d);
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(y);
  st.wMonth = static_cast<WORD>(m);
  st.wDay = static_cast<WORD>(d);
  // 1.1.1900 was a Monday; 30.12.1899 a Saturday.
  st.wDayOfWeek = static_cast<WORD>(((days % 7) + 7 + 6) % 7);
  st.wHour = static_cast<WORD>(ms / 3600000);
  st.wMinute = static_cast<WORD>(ms / 60000 % 60);
  st.wSecond = static_cast<WORD>(ms / 1000 % 60);
  st.wMilliseconds = static_cast<WORD>(ms % 1000);
  return st;
}

double FileTimeToLocalDateTime(const FILETIME& fileTime) {
  FILETIME local{};
  SYSTEMTIME st{};
  if (!::FileTimeToLocalFileTime(&fileTime, &local) || !::FileTimeToSystemTime(&local, &st)) {
    return 0;
  }
  return SystemTimeToDateTime(st);
}

double Now() {
  SYSTEMTIME st{};
  ::GetLocalTime(&st);
  return SystemTimeToDateTime(st);
}

std::wstring FormatDateTime(double dateTime) {
  SYSTEMTIME st = DateTimeToSystemTime(dateTime);
  wchar_t text[32];
  std::swprintf(text, sizeof(text) / sizeof(text[0]), L"%02u.%02u.%04u %02u:%02u:%02u",
                st.wDay, st.wMonth, st.wYear, st.wHour, st.wMinute, st.wSecond);
  return text;
}

}  // namespace orvelle
