#include "tree/status_dates.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace orvelle {
namespace {

TEST(StatusDates, EachSignHasTheDayOfItsSavedSearch) {
  struct Case {
    const wchar_t* status;
    const wchar_t* day;  // empty: no date
  };
  for (Case c : {Case{L">", L"04.08.1983"}, Case{L"*>", L"04.08.1983"}, Case{L">*", L"04.08.1983"},
                 Case{L"<", L"23.04.1985"}, Case{L"<!", L"23.04.1985"}, Case{L"!<", L"23.04.1985"},
                 Case{L"*", L"20.08.1983"}, Case{L"*=", L"20.08.1983"}, Case{L"!", L"21.08.1983"},
                 Case{L"=", L"22.08.1983"}, Case{L"", L"23.08.1983"}, Case{L"<>", L"19.08.1983"},
                 Case{L"*!", L"19.08.1983"}, Case{L"!*", L"19.08.1983"},
                 Case{L"!*<=>", L"19.08.1983"}, Case{L"?", L""}}) {
    CalendarDay day = StatusDay(c.status);
    EXPECT_EQ(day.year == 0 ? std::wstring() : FormatDay(day), c.day) << c.status;
  }
}

TEST(StatusDates, ReportLocalNoonOfTheDay) {
  // Run again by CTest under other time zones; make sure the zone took.
  if (const char* bias = std::getenv("ORVELLE_EXPECT_TZ_BIAS")) {
    TIME_ZONE_INFORMATION zone{};
    GetTimeZoneInformation(&zone);
    ASSERT_EQ(zone.Bias, std::atol(bias));
  }
  for (const wchar_t* status : {L">", L"<", L"*", L"!", L"=", L"", L"<>"}) {
    FILETIME utc = StatusDate(status);
    SYSTEMTIME utcTime{}, local{};
    ASSERT_TRUE(FileTimeToSystemTime(&utc, &utcTime));
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &utcTime, &local));
    CalendarDay day = StatusDay(status);
    EXPECT_EQ(local.wDay, day.day) << status;
    EXPECT_EQ(local.wMonth, day.month) << status;
    EXPECT_EQ(local.wYear, day.year) << status;
    EXPECT_EQ(local.wHour, 12) << status;
  }
  FILETIME none = StatusDate(L"?");
  EXPECT_EQ(none.dwHighDateTime, 0u);
  EXPECT_EQ(none.dwLowDateTime, 0u);
}

}  // namespace
}  // namespace orvelle
