#include "tree/status_dates.h"

#include <cstdio>

namespace orvelle {

CalendarDay StatusDay(std::wstring_view status) {
  std::wstring s(status);
  if (s != L"=") {
    if (size_t p = s.find(L'='); p != std::wstring::npos) s.erase(p, 1);
  }
  if (s == L">" || s == L"*>" || s == L">*") return {4, 8, 1983};
  if (s == L"<" || s == L"<!" || s == L"!<") return {23, 4, 1985};
  if (s == L"*") return {20, 8, 1983};
  if (s == L"!") return {21, 8, 1983};
  if (s == L"=") return {22, 8, 1983};
  if (s.empty()) return {23, 8, 1983};
  if (s.size() == 1) return {};
  return {19, 8, 1983};
}

std::wstring FormatDay(const CalendarDay& day) {
  wchar_t buffer[16];
  std::swprintf(buffer, 16, L"%02d.%02d.%04d", day.day, day.month, day.year);
  return buffer;
}

FILETIME StatusDate(std::wstring_view status) {
  FILETIME result{};
  CalendarDay day = StatusDay(status);
  if (day.year == 0) return result;
  SYSTEMTIME local{};
  local.wYear = static_cast<WORD>(day.year);
  local.wMonth = static_cast<WORD>(day.month);
  local.wDay = static_cast<WORD>(day.day);
  local.wHour = 12;
  SYSTEMTIME utc{};
  if (!::TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc)) utc = local;
  ::SystemTimeToFileTime(&utc, &result);
  return result;
}

}  // namespace orvelle
