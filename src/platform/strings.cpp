#include "platform/strings.h"

namespace orvelle::platform {

std::wstring WideFromAnsi(std::string_view text, UINT codePage) {
  if (text.empty()) return {};
  int n = ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) {
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
  }
  return out;
}

std::string AnsiFromWide(std::wstring_view text, UINT codePage) {
  if (text.empty()) return {};
  int n = ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) {
    ::WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out.data(), n,
                          nullptr, nullptr);
  }
  return out;
}

std::wstring LowerCase(std::wstring_view text) {
  std::wstring out(text);
  if (!out.empty()) ::CharLowerBuffW(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

std::wstring UpperCase(std::wstring_view text) {
  std::wstring out(text);
  if (!out.empty()) ::CharUpperBuffW(out.data(), static_cast<DWORD>(out.size()));
  return out;
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
  return a.size() == b.size() && LowerCase(a) == LowerCase(b);
}

std::wstring Trim(std::wstring_view text) {
  size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring_view::npos) return {};
  size_t last = text.find_last_not_of(L" \t");
  return std::wstring(text.substr(first, last - first + 1));
}

}  // namespace orvelle::platform
