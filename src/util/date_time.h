// Date-time values: days since 30 December 1899, time as the fraction.
#pragma once

#include <windows.h>

#include <string>

namespace orvelle {

// A file time (UTC) as local date-time, milliseconds included; 0 when the
// system cannot convert it.
double FileTimeToLocalDateTime(const FILETIME& fileTime);
double SystemTimeToDateTime(const SYSTEMTIME& st);
// Rounded to the millisecond.
SYSTEMTIME DateTimeToSystemTime(double dateTime);
double Now();  // local time
// "dd.mm.yyyy hh:mm:ss": the first ten characters are the date.
std::wstring FormatDateTime(double dateTime);

}  // namespace orvelle
