// The version comparisons: pure functions of the records and strings.
#include "util/version_info.h"

#include <string_view>
#include <vector>

namespace orvelle {

namespace {

const wchar_t kEqual[] = L"=";
const wchar_t kGreater[] = L">";
const wchar_t kLess[] = L"<";
const wchar_t kDifferent[] = L"<>";

std::wstring PresenceSign(bool hasA, bool hasB) {
  if (hasA && hasB) return kEqual;
  if (hasA) return L"*";
  if (hasB) return L"!";
  return {};
}

// Separators become dots, blanks go, and every letter (any character above
// "9") starts a part of its own: "1,2 b" -> "1.2.b".
std::wstring NormaliseVersion(std::wstring_view text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L' ') continue;
    if (c == L',' || c == L':' || c == L';') c = L'.';
    if (c > L'9') out += L'.';
    out += c;
  }
  return out;
}

// The weight of a part, sum of value(c) * 10^(characters after c), with a
// digit worth its code + 255 and any other character its code. Values reach
// 65790, so the weight of a long part outgrows every machine integer; it is
// kept as a little-endian number of 32-bit limbs.
std::vector<uint32_t> PartWeight(std::wstring_view part) {
  std::vector<uint32_t> limbs;
  for (wchar_t c : part) {
    uint64_t carry = (c >= L'0' && c <= L'9') ? c + 255u : static_cast<uint32_t>(c);
    for (uint32_t& limb : limbs) {
      uint64_t v = static_cast<uint64_t>(limb) * 10 + carry;
      limb = static_cast<uint32_t>(v);
      carry = v >> 32;
    }
    if (carry != 0) limbs.push_back(static_cast<uint32_t>(carry));
  }
  while (!limbs.empty() && limbs.back() == 0) limbs.pop_back();
  return limbs;
}

int CompareWeights(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = a.size(); i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

// Compares two parts that differ: the shorter is padded on the left with
// blanks, then the weights decide (equal weights are possible and give 0).
int CompareParts(std::wstring a, std::wstring b) {
  if (a.size() < b.size()) a.insert(0, b.size() - a.size(), L' ');
  if (b.size() < a.size()) b.insert(0, a.size() - b.size(), L' ');
  return CompareWeights(PartWeight(a), PartWeight(b));
}

// Splits off the part before the first dot; a string without one (only the
// empty string, once each is dot-terminated) gives an empty part.
std::wstring TakePart(std::wstring& rest) {
  size_t dot = rest.find(L'.');
  if (dot == std::wstring::npos) return {};
  std::wstring part = rest.substr(0, dot);
  rest.erase(0, dot + 1);
  return part;
}

// -1, 0 or 1: the order of two version strings, part by part.
int CompareVersionOrder(std::wstring_view textA, std::wstring_view textB) {
  std::wstring a = NormaliseVersion(textA);
  std::wstring b = NormaliseVersion(textB);
  // Every string is dot-terminated, so that a string without any dot ("8")
  // is one part and not an empty one.
  if (a.empty() || a.back() != L'.') a += L'.';
  if (b.empty() || b.back() != L'.') b += L'.';
  while (!a.empty() || !b.empty()) {
    std::wstring partA = TakePart(a);
    std::wstring partB = TakePart(b);
    if (partA != partB) return CompareParts(std::move(partA), std::move(partB));
  }
  return 0;
}

const std::array<WORD, 4>& Numbers(const TPJVersionInfo& info, bool useProduct) {
  return useProduct ? info.productVersion : info.fileVersion;
}

const std::wstring& Text(const TPJVersionInfo& info, bool useProduct) {
  return useProduct ? info.productVersionText : info.fileVersionText;
}

}  // namespace

std::wstring DottedVersion(const std::array<WORD, 4>& version) {
  return std::to_wstring(version[0]) + L"." + std::to_wstring(version[1]) + L"." +
         std::to_wstring(version[2]) + L"." + std::to_wstring(version[3]);
}

std::wstring CompareVersionNumbers(const std::optional<TPJVersionInfo>& a,
                                   const std::optional<TPJVersionInfo>& b, bool useProduct) {
  std::wstring sign = PresenceSign(a.has_value(), b.has_value());
  std::array<WORD, 4> va{}, vb{};
  if (a) va = Numbers(*a, useProduct);
  if (b) vb = Numbers(*b, useProduct);
  if (va == std::array<WORD, 4>{} && vb == std::array<WORD, 4>{}) return {};
  for (size_t i = 0; i < 4; ++i) {
    if (va[i] != vb[i]) return va[i] > vb[i] ? kGreater : kLess;
  }
  return sign;
}

std::wstring CompareVersionTexts(const std::wstring& a, const std::wstring& b) {
  if (a.empty() && b.empty()) return {};
  int order = CompareVersionOrder(a, b);
  return order > 0 ? kGreater : order < 0 ? kLess : kEqual;
}

std::wstring CompareVersionStrings(const std::optional<TPJVersionInfo>& a,
                                   const std::optional<TPJVersionInfo>& b, bool useProduct) {
  std::wstring sign = PresenceSign(a.has_value(), b.has_value());
  std::wstring ta = a ? Text(*a, useProduct) : std::wstring();
  std::wstring tb = b ? Text(*b, useProduct) : std::wstring();
  if (ta.empty() && tb.empty()) return {};
  int order = CompareVersionOrder(ta, tb);
  return order > 0 ? kGreater : order < 0 ? kLess : sign;
}

FileVerdict CompareVersionRecords(const std::optional<TPJVersionInfo>& a,
                                  const std::optional<TPJVersionInfo>& b) {
  struct Step {
    std::wstring sign;
    int kind;
    const wchar_t* label;
    std::wstring valueA, valueB;
    const wchar_t* separatorA;  // between the old and the new detail when
    const wchar_t* separatorB;  // the directions conflict
  };
  auto text = [](const std::optional<TPJVersionInfo>& info, bool useProduct) {
    return info ? Text(*info, useProduct) : std::wstring();
  };
  auto dotted = [](const std::optional<TPJVersionInfo>& info, bool useProduct) {
    return DottedVersion(info ? Numbers(*info, useProduct) : std::array<WORD, 4>{});
  };
  const Step steps[] = {
      {CompareVersionStrings(a, b, true), 6, L"Product Version", text(a, true), text(b, true),
       L"", L""},
      {CompareVersionStrings(a, b, false), 5, L"File Version", text(a, false), text(b, false),
       L" ", L" "},
      {CompareVersionNumbers(a, b, true), 4, L"Product Version Number", dotted(a, true),
       dotted(b, true), L"", L""},
      {CompareVersionNumbers(a, b, false), 3, L"File Version Number", dotted(a, false),
       dotted(b, false), L" ", L""},
  };

  FileVerdict v;
  v.sign = kEqual;
  for (const Step& step : steps) {
    if (step.sign.empty() || step.sign == kEqual) continue;
    // Once two comparisons point in opposite directions the verdict stays
    // "<>": a later agreeing comparison does not undo the conflict.
    if (step.sign == kGreater) {
      v.sign = v.sign == kLess || v.sign == kDifferent ? kDifferent : kGreater;
    } else if (step.sign == kLess) {
      v.sign = v.sign == kGreater || v.sign == kDifferent ? kDifferent : kLess;
    } else if (v.sign == kEqual) {
      v.sign = step.sign;  // "*" or "!": a string only one side has
    }
    v.kind = step.kind;
    if (v.sign != kDifferent) {
      v.kindText = step.label;
      v.detailA = step.valueA;
      v.detailB = step.valueB;
    } else {
      v.kindText += std::wstring(L" | ") + step.label;
      v.detailA += step.separatorA + step.valueA;
      v.detailB += step.separatorB + step.valueB;
    }
  }
  v.result = v.sign != kEqual;
  return v;
}

}  // namespace orvelle
