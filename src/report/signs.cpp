#include "report/signs.h"

#include "tree/translation.h"
#include "tree/vars_conts.h"

#include <cstdio>

namespace orvelle {

namespace {

std::wstring_view WordsOf(std::wstring_view sign, bool done) {
  if (sign == L">") return Tr(texts::kSignNewer);
  if (sign == L"<") return Tr(texts::kSignOlder);
  if (sign == L"<>") return Tr(texts::kSignDifferent);
  if (sign == L"*") return Tr(texts::kSignOnlyNew);
  if (sign == L"!") return Tr(texts::kSignOnlyMy);
  if (sign == L"=") return Tr(texts::kSignEqual);
  if (sign == L"*!") {
    return done ? Tr(texts::kSignChangedByPlugin) : Tr(texts::kSignSameFile);
  }
  if (sign == L"!*") return Tr(texts::kSignUnknownBuild);
  if (sign == L"?") return Tr(texts::kSignNotCompared);
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
  if (status.empty()) return Tr(texts::kSignNothingCompared);
  std::wstring_view whole = WordsOf(status, done);
  if (!whole.empty()) return std::wstring(whole);
  // A folder's summary: its signs one by one ("<>" read as one sign).
  std::wstring out = Tr(texts::kSignHolds);
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
  return first ? std::wstring(Tr(texts::kSignOther)) + std::wstring(status) : out;
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
