// Date-time values: days since 30 December 1899, time as the fraction.
#pragma once

#include <windows.h>

#include <string>

namespace orvelle {

double FileTimeToLocalDateTime(const FILETIME& fileTime);
double SystemTimeToDateTime(const SYSTEMTIME& st);
SYSTEMTIME DateTimeToSystemTime(double dateTime);
double Now();  // local time
// "dd.mm.yyyy hh:mm:ss": the first ten characters are the date.
std::wstring FormatDateTime(double dateTime);

}  // namespace orvelle
