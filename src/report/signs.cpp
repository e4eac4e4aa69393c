#include "report/signs.h"

#include <cstdio>

namespace orvelle {

namespace {

std::wstring_view WordsOf(std::wstring_view sign, bool done) {
  if (sign == L">") return L"New is newer";
  if (sign == L"<") return L"New is older";
  if (sign == L"<>") return L"different";
  if (sign == L"*") return L"only in the New installation";
  if (sign == L"!") return L"only in My installation";
  if (sign == L"=") return L"equal";
  if (sign == L"*!") {
    return done ? L"changed by the plugin" : L"the very same file in both installations";
  }
  if (sign == L"!*") return L"not a known build of its version";
  if (sign == L"?") return L"not compared";
  return {};
}

}  // namespace

int ReportSignColumn(std::wstring_view status) {
  for (size_t i = 0; i < kReportSigns.size(); ++i) {
    if (kReportSigns[i] == status) return static_cast<int>(i);
  }
  return -1;
}

std::wstring SignInWords(std::wstring_view status, bool done) {
  if (status.empty()) return L"nothing compared";
  std::wstring_view whole = WordsOf(status, done);
  if (!whole.empty()) return std::wstring(whole);
  // A folder's summary: its signs one by one ("<>" read as one sign).
  std::wstring out = L"holds: ";
  bool first = true;
  for (size_t i = 0; i < status.size(); ++i) {
    std::wstring_view sign = status.substr(i, 1);
    if (status.compare(i, 2, L"<>") == 0) sign = status.substr(i++, 2);
    std::wstring_view words = WordsOf(sign, false);
    if (words.empty()) continue;
    if (!first) out += L"; ";
    out += words;
    first = false;
  }
  return first ? std::wstring(L"sign ") + std::wstring(status) : out;
}

std::wstring SignHtmlColour(std::wstring_view sign) {
  // The colours of the comparison dialogs (the host's blue-green-red values
  // 16744527, 12632256, 255, 48896 and 0).
  unsigned bgr = 0;
  if (sign == L">") {
    bgr = 16744527;
  } else if (sign == L"<" || sign == L"!") {
    bgr = 12632256;
  } else if (sign == L"<>") {
    bgr = 255;
  } else if (sign == L"*") {
    bgr = 48896;
  }
  wchar_t text[8];
  std::swprintf(text, 8, L"#%02x%02x%02x", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
  return text;
}

}  // namespace orvelle
