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

// UTF-8 lines of standard output not written yet; guarded by OutputLock.
std::string& Pending() {
  static std::string pending;
  return pending;
}
constexpr size_t kFlushAt = 1 << 20;

void WriteBytes(HANDLE out, const std::string& bytes) {
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    DWORD written = 0;
    if (!::WriteFile(out, data, static_cast<DWORD>(left), &written, nullptr) || written == 0) return;
    data += written;
    left -= written;
  }
}

// With OutputLock held.
void WritePending() {
  std::string& pending = Pending();
  if (pending.empty()) return;
  HANDLE out = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (out != nullptr && out != INVALID_HANDLE_VALUE) WriteBytes(out, pending);
  pending.clear();
}

// Whether a standard handle is a console; with OutputLock held. Asked once
// per handle: under Wine each question is a call to the server, which for
// every line of a large listing costs more than the plugin's work for it.
bool IsConsole(HANDLE out) {
  static HANDLE known[2] = {};
  static bool console[2] = {};
  static int count = 0;
  for (int i = 0; i < count; ++i) {
    if (known[i] == out) return console[i];
  }
  DWORD mode = 0;
  const bool result = ::GetConsoleMode(out, &mode) != 0;
  if (count < 2) {
    known[count] = out;
    console[count++] = result;
  }
  return result;
}

void WriteLine(DWORD which, std::wstring_view line) {
  std::wstring text(line);
  text += L'\n';
  std::lock_guard<std::mutex> guard(OutputLock());
  HANDLE out = ::GetStdHandle(which);
  if (out == nullptr || out == INVALID_HANDLE_VALUE) return;
  if (IsConsole(out)) {
    DWORD written = 0;
    ::WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    return;
  }
  // A pipe or a file: UTF-8 bytes.
  std::string bytes = orvelle::platform::AnsiFromWide(text, CP_UTF8);
  if (which != STD_OUTPUT_HANDLE) {
    WriteBytes(out, bytes);
    return;
  }
  Pending() += bytes;
  if (Pending().size() >= kFlushAt) WritePending();
}

}  // namespace

void PrintLine(std::wstring_view line) { WriteLine(STD_OUTPUT_HANDLE, line); }
void PrintErrorLine(std::wstring_view line) { WriteLine(STD_ERROR_HANDLE, line); }

void FlushOutput(bool crashing) {
  std::unique_lock<std::mutex> guard(OutputLock(), std::defer_lock);
  if (crashing) {
    // The crash may have come while this very thread held the lock.
    for (int attempt = 0; attempt < 50 && !guard.try_lock(); ++attempt) ::Sleep(10);
    if (!guard.owns_lock()) return;
  } else {
    guard.lock();
  }
  WritePending();
}

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
