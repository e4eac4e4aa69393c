#include "plugin/host_text.h"

#include "platform/strings.h"

#include <algorithm>
#include <cstring>

namespace orvelle {

namespace {

// The ANSI form of text; characters without a letter of their own in the
// code page become the default character. A code page that takes no such
// flag (UTF-8 as the system's ANSI code page) converts without it.
std::string ExactAnsi(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  DWORD flags = WC_NO_BEST_FIT_CHARS;
  int n = ::WideCharToMultiByte(CP_ACP, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) {
    flags = 0;
    n = ::WideCharToMultiByte(CP_ACP, flags, text.data(), size, nullptr, 0, nullptr, nullptr);
  }
  if (n <= 0) return {};
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_ACP, flags, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

// The length of text without a high surrogate left alone at its end.
size_t WholeCharacters(std::wstring_view text, size_t length) {
  if (length > 0 && length < text.size() && IS_HIGH_SURROGATE(text[length - 1])) --length;
  return length;
}

template <typename Record>
void FillRecord(const ListedEntry& entry, Record* data) {
  if (data == nullptr) return;
  std::memset(data, 0, sizeof(*data));
  data->dwFileAttributes = entry.attributes;
  data->ftLastWriteTime = entry.lastWrite;
  data->nFileSizeHigh = entry.sizeHigh;
  data->nFileSizeLow = entry.sizeLow;
  CopyToHost(entry.name, data->cFileName, static_cast<int>(std::size(data->cFileName)));
}

}  // namespace

std::wstring FromHost(const char* text) {
  return text == nullptr ? std::wstring() : platform::WideFromAnsi(text);
}

std::wstring FromHost(const wchar_t* text) { return text == nullptr ? std::wstring() : text; }

void CopyToHost(std::wstring_view text, char* buffer, int capacity) {
  if (buffer == nullptr || capacity < 1) return;
  const size_t room = static_cast<size_t>(capacity) - 1;
  std::string ansi = ExactAnsi(text);
  if (ansi.size() > room) {
    // The longest beginning of the text whose ANSI form fits: a double-byte
    // character is never cut in two.
    size_t fits = 0, tooLong = text.size();
    while (tooLong - fits > 1) {
      const size_t middle = (fits + tooLong) / 2;
      if (ExactAnsi(text.substr(0, middle)).size() <= room) {
        fits = middle;
      } else {
        tooLong = middle;
      }
    }
    ansi = ExactAnsi(text.substr(0, WholeCharacters(text, fits)));
  }
  std::memcpy(buffer, ansi.data(), ansi.size());
  buffer[ansi.size()] = '\0';
}

void CopyToHost(std::wstring_view text, wchar_t* buffer, int capacity) {
  if (buffer == nullptr || capacity < 1) return;
  const size_t n = WholeCharacters(text, std::min(text.size(), static_cast<size_t>(capacity) - 1));
  std::copy_n(text.data(), n, buffer);
  buffer[n] = L'\0';
}

void FillFindData(const ListedEntry& entry, WIN32_FIND_DATAA* data) { FillRecord(entry, data); }
void FillFindData(const ListedEntry& entry, WIN32_FIND_DATAW* data) { FillRecord(entry, data); }

}  // namespace orvelle
