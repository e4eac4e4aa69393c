#include "output.h"

#include "platform/strings.h"

#include <windows.h>

#include <mutex>

namespace tchost {
namespace {

std::mutex& OutputLock() {
  static std::mutex lock;
  return lock;
}

void WriteLine(DWORD which, std::wstring_view line) {
  std::wstring text(line);
  text += L'\n';
  std::lock_guard<std::mutex> guard(OutputLock());
  HANDLE out = ::GetStdHandle(which);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  if (::GetConsoleMode(out, &mode)) {
    DWORD written = 0;
    ::WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  // A pipe or a file: UTF-8 bytes. WriteFile does not buffer, so nothing is
  // left behind when the process ends or crashes.
  std::string bytes = orvelle::platform::AnsiFromWide(text, CP_UTF8);
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    DWORD written = 0;
    if (!::WriteFile(out, data, static_cast<DWORD>(left), &written, nullptr) || written == 0) return;
    data += written;
    left -= written;
  }
}

}  // namespace

void PrintLine(std::wstring_view line) { WriteLine(STD_OUTPUT_HANDLE, line); }
void PrintErrorLine(std::wstring_view line) { WriteLine(STD_ERROR_HANDLE, line); }

std::wstring OneLine(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'\t') {
      out += L"\\t";
    } else if (c == L'\r' || c == L'\n') {
      if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      out += L"\\n";
    } else {
      out += c;
    }
  }
  return out;
}

std::wstring Quoted(std::wstring_view text) { return L"\"" + OneLine(text) + L"\""; }

}  // namespace tchost
