#include "util/text_helpers.h"

#include <algorithm>
#include <limits>

namespace orvelle {

NumberedKey SplitNumberedKey(std::wstring_view line) {
  NumberedKey out;
  const size_t eq = line.find(L'=');
  if (eq == std::wstring_view::npos) {
    out.value = std::wstring(line);
    return out;
  }
  out.value = std::wstring(line.substr(eq));
  std::wstring_view key = line.substr(0, eq);
  size_t digits = key.size();
  while (digits > 0 && key[digits - 1] >= L'0' && key[digits - 1] <= L'9') --digits;
  out.key = std::wstring(key.substr(0, digits));
  out.number = std::wstring(key.substr(digits));
  return out;
}

size_t FirstPosOf(std::wstring_view a, std::wstring_view b, std::wstring_view s) {
  auto pos = [&](std::wstring_view what) {
    return what.empty() ? std::wstring_view::npos : s.find(what);
  };
  const size_t first = std::min(pos(a), pos(b));
  return first == std::wstring_view::npos ? 0 : first + 1;
}

std::wstring RemoveBlanks(std::wstring_view s) {
  std::wstring out;
  out.reserve(s.size());
  for (wchar_t c : s) {
    if (c != L' ' && c != L'\t') out += c;
  }
  return out;
}

std::wstring GroupDigits(std::wstring_view s) {
  std::wstring out;
  out.reserve(s.size() + s.size() / 3);
  for (size_t i = 0; i < s.size(); ++i) {
    const size_t fromRight = s.size() - i;
    if (i > 0 && fromRight % 3 == 0) out += L' ';
    out += s[i];
  }
  return out;
}

std::vector<std::wstring> DecomposeFlags(long long value, const std::vector<long long>& flagValues) {
  std::vector<std::wstring> out;
  if (value < 1) return out;
  std::vector<long long> flags = flagValues;
  std::sort(flags.begin(), flags.end());
  const bool bits = std::all_of(flags.begin(), flags.end(),
                                [](long long f) { return f > 0 && (f & (f - 1)) == 0; });
  // Bit flags are read bit by bit: a bit no flag stands for (a newer
  // capability) must not make the greedy sum take every smaller flag.
  std::vector<long long> taken;
  long long remainder = value;
  for (auto it = flags.rbegin(); it != flags.rend(); ++it) {
    const bool take = bits ? (value & *it) != 0 : (*it > 0 && *it <= remainder);
    if (!take) continue;
    taken.push_back(*it);
    remainder -= *it;
  }
  for (auto it = taken.rbegin(); it != taken.rend(); ++it) out.push_back(std::to_wstring(*it));
  return out;
}

bool ParseDecimal(std::wstring_view text, long long& out, long long minValue, long long maxValue) {
  size_t i = 0;
  size_t end = text.size();
  while (i < end && (text[i] == L' ' || text[i] == L'\t')) ++i;
  while (end > i && (text[end - 1] == L' ' || text[end - 1] == L'\t')) --end;
  bool negative = false;
  if (i < end && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  if (i == end) return false;
  // Accumulated as a negative number, which also holds the smallest value.
  long long value = 0;
  constexpr long long kMin = std::numeric_limits<long long>::min();
  for (; i < end; ++i) {
    if (text[i] < L'0' || text[i] > L'9') return false;
    const int digit = text[i] - L'0';
    if (value < (kMin + digit) / 10) return false;
    value = value * 10 - digit;
  }
  if (!negative) {
    if (value == kMin) return false;
    value = -value;
  }
  if (value < minValue || value > maxValue) return false;
  out = value;
  return true;
}

}  // namespace orvelle
