#include "util/date_time.h"

#include "support/time_values.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvelle {
namespace {

using test::SystemTimeOf;

TEST(DateTime, CountsDaysFrom30December1899WithTimeAsFraction) {
  struct Case { SYSTEMTIME st; double value; };
  const Case cases[] = {
      {SystemTimeOf(1899, 12, 30), 0.0},
      {SystemTimeOf(1899, 12, 31, 12), 1.5},
      {SystemTimeOf(1900, 3, 1), 61.0},  // 1900 was no leap year
      {SystemTimeOf(2000, 1, 1, 6), 36526.25},
      {SystemTimeOf(2024, 2, 29, 18), 45351.75},
  };
  for (const Case& c : cases) {
    EXPECT_DOUBLE_EQ(SystemTimeToDateTime(c.st), c.value) << c.value;
  }
}

TEST(DateTime, RoundTripsToTheMillisecond) {
  for (SYSTEMTIME st : {SystemTimeOf(2023, 12, 31, 23, 59, 59, 999), SystemTimeOf(1980, 1, 1, 0, 0, 0, 1),
                        SystemTimeOf(2038, 1, 19, 3, 14, 7, 500), SystemTimeOf(2100, 2, 28, 12, 0, 0, 0)}) {
    SYSTEMTIME back = DateTimeToSystemTime(SystemTimeToDateTime(st));
    EXPECT_EQ(back.wYear, st.wYear);
    EXPECT_EQ(back.wMonth, st.wMonth);
    EXPECT_EQ(back.wDay, st.wDay);
    EXPECT_EQ(back.wHour, st.wHour);
    EXPECT_EQ(back.wMinute, st.wMinute);
    EXPECT_EQ(back.wSecond, st.wSecond);
    EXPECT_EQ(back.wMilliseconds, st.wMilliseconds);
  }
  EXPECT_EQ(DateTimeToSystemTime(SystemTimeToDateTime(SystemTimeOf(2024, 6, 3))).wDayOfWeek, 1);  // Monday
}

TEST(DateTime, FormatsDayMonthYearThenTime) {
  EXPECT_EQ(FormatDateTime(SystemTimeToDateTime(SystemTimeOf(2024, 3, 7, 9, 5, 4, 999))),
            L"07.03.2024 09:05:04");
  EXPECT_EQ(FormatDateTime(0.0), L"30.12.1899 00:00:00");
}

TEST(DateTime, FileTimeIsConvertedToLocalTime) {
  FILETIME utc{};
  ::GetSystemTimeAsFileTime(&utc);
  FILETIME local{};
  ASSERT_TRUE(::FileTimeToLocalFileTime(&utc, &local));
  SYSTEMTIME st{};
  ASSERT_TRUE(::FileTimeToSystemTime(&local, &st));
  EXPECT_DOUBLE_EQ(FileTimeToLocalDateTime(utc), SystemTimeToDateTime(st));
  // The same clock read through the local time: within a minute of it.
  EXPECT_LT(std::fabs(FileTimeToLocalDateTime(utc) - Now()), 1.0 / 1440);
}

}  // namespace
}  // namespace orvelle
