#include "tc/ini_line.h"

#include "platform/strings.h"
#include "util/text_helpers.h"

namespace orvelle {

bool SplitIniEntry(std::wstring_view line, std::wstring& key, std::wstring& value) {
  size_t eq = line.find(L'=');
  if (eq == std::wstring_view::npos) return false;
  key = platform::LowerCase(platform::Trim(line.substr(0, eq)));
  value = platform::Trim(line.substr(eq + 1));
  return true;
}

bool FindIniValue(const std::vector<std::wstring>& lines, std::wstring_view section,
                  std::wstring_view key, std::wstring& value) {
  bool inSection = false;
  std::wstring k, v;
  for (const std::wstring& raw : lines) {
    std::wstring line = platform::Trim(raw);
    if (line.empty() || line[0] == L';') continue;
    if (line[0] == L'[') {
      inSection = SectionHeaderOf(line) == section;
      continue;
    }
    if (inSection && SplitIniEntry(line, k, v) && k == key) {
      value = v;
      return true;
    }
  }
  return false;
}

bool ParseKeyNumber(std::wstring_view digits, int minValue, int& number) {
  // Only plain digits: a sign or blank inside a key makes it another key.
  if (digits.empty() || digits.size() > 5) return false;
  for (wchar_t c : digits) {
    if (c < L'0' || c > L'9') return false;
  }
  long long n = 0;
  if (!ParseDecimal(digits, n, minValue, 99999)) return false;
  number = static_cast<int>(n);
  return true;
}

bool ParseNumberedKey(std::wstring_view key, std::wstring_view prefix, int minValue, int& number) {
  if (key.size() <= prefix.size() || key.substr(0, prefix.size()) != prefix) return false;
  return ParseKeyNumber(key.substr(prefix.size()), minValue, number);
}

}  // namespace orvelle
