// Each comparison sign is shown as a fixed last-write date, so that the
// host's own date columns, sorting, saved searches and colour filters can
// group entries by sign. The saved searches name local calendar days; the
// listing reports local noon of that day, so that the day is right in every
// time zone and daylight-saving changes cannot move it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace orvelle {

struct CalendarDay {
  int day = 0, month = 0, year = 0;  // all 0: no date (file time 0)
  bool operator==(const CalendarDay&) const = default;
};

// The calendar day of a sign: after removing its first "=" (unless the sign
// is exactly "="), ">" "*>" ">*" 04.08.1983, "<" "<!" "!<" 23.04.1985,
// "*" 20.08.1983, "!" 21.08.1983, "=" 22.08.1983, empty 23.08.1983, any
// other two or more characters 19.08.1983, any other single character none.
CalendarDay StatusDay(std::wstring_view status);

// The day as the text the saved searches use ("dd.mm.yyyy").
std::wstring FormatDay(const CalendarDay& day);

// Local noon of the sign's day in the machine's time zone, as a UTC file
// time; zero for a sign without a day.
FILETIME StatusDate(std::wstring_view status);

}  // namespace orvelle
