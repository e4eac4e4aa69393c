#include "util/line_ends.h"

#include <algorithm>
#include <cstdint>

namespace orvelle {

namespace {

// Beyond this many cells the changed middle is taken as one run: the
// editors change a few sections of a file, never most of a large one.
constexpr size_t kMaxCells = size_t{4} << 20;

std::wstring EndOf(const TextDocument& doc, size_t i) {
  return i < doc.lineEnds.size() ? doc.lineEnds[i] : std::wstring();
}

}  // namespace

void CarryLineEnds(TextDocument& doc, const TextDocument& before,
                   std::vector<LineWithEnd> inserted, std::vector<LineWithEnd>* dropped) {
  const std::vector<std::wstring>& a = before.lines;
  const std::vector<std::wstring>& b = doc.lines;
  std::vector<std::wstring> ends(b.size());
  size_t prefix = 0;
  while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix]) {
    ends[prefix] = EndOf(before, prefix);
    ++prefix;
  }
  size_t suffix = 0;
  while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
         a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix]) {
    ends[b.size() - 1 - suffix] = EndOf(before, a.size() - 1 - suffix);
    ++suffix;
  }
  const size_t n = a.size() - prefix - suffix;
  const size_t m = b.size() - prefix - suffix;

  // Which lines of the middle stay: a longest common subsequence.
  std::vector<std::pair<size_t, size_t>> kept;  // (old, new), ascending
  if (n > 0 && m > 0 && (n + 1) * (m + 1) <= kMaxCells) {
    std::vector<uint32_t> len((n + 1) * (m + 1), 0);
    auto at = [&](size_t i, size_t j) -> uint32_t& { return len[i * (m + 1) + j]; };
    for (size_t i = n; i-- > 0;) {
      for (size_t j = m; j-- > 0;) {
        at(i, j) = a[prefix + i] == b[prefix + j] ? at(i + 1, j + 1) + 1
                                                  : std::max(at(i + 1, j), at(i, j + 1));
      }
    }
    for (size_t i = 0, j = 0; i < n && j < m;) {
      if (a[prefix + i] == b[prefix + j]) {
        kept.emplace_back(prefix + i, prefix + j);
        ++i;
        ++j;
      } else if (at(i + 1, j) >= at(i, j + 1)) {
        ++i;
      } else {
        ++j;
      }
    }
  }
  kept.emplace_back(prefix + n, prefix + m);  // closes the last run

  auto takeInserted = [&](const std::wstring& text) -> std::wstring {
    for (auto it = inserted.begin(); it != inserted.end(); ++it) {
      if (it->Text == text) {
        std::wstring end = std::move(it->End);
        inserted.erase(it);
        return end;
      }
    }
    return {};
  };
  size_t i = prefix, j = prefix;
  for (const auto& [ki, kj] : kept) {
    // The run of changed lines before this kept pair: old [i, ki), new [j, kj).
    const size_t oldCount = ki - i, newCount = kj - j;
    const size_t paired = std::min(oldCount, newCount);
    for (size_t k = 0; k < paired; ++k) ends[kj - 1 - k] = EndOf(before, ki - 1 - k);
    for (size_t k = j; k < kj - paired; ++k) ends[k] = takeInserted(b[k]);
    if (dropped) {
      for (size_t k = i; k < ki - paired; ++k) dropped->push_back({a[k], EndOf(before, k)});
    }
    if (ki < prefix + n) ends[kj] = EndOf(before, ki);
    i = ki + 1;
    j = kj + 1;
  }
  doc.lineEnds = std::move(ends);
}

}  // namespace orvelle
