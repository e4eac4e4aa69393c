#include "tc/line_removal.h"

#include "platform/strings.h"
#include "tc/ini_line.h"
#include "tc/menu_reader.h"
#include "util/text_helpers.h"

#include <algorithm>
#include <map>
#include <set>

namespace orvelle {

namespace {

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

bool IsIniAnchor(std::wstring_view anchor) { return IsSectionStart(anchor); }

bool MatchesAnchor(const std::wstring& line, const std::wstring& anchor) {
  if (IsIniAnchor(anchor)) {
    return IsSectionStart(line) &&
           SectionHeaderOf(platform::Trim(line)) == SectionHeaderOf(platform::Trim(anchor));
  }
  return platform::Trim(line) == platform::Trim(anchor);
}

// Index of the occurrence-th line matching the anchor; npos when there is none.
size_t FindAnchor(const std::vector<std::wstring>& lines, const RemovedGroup& group) {
  int seen = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (MatchesAnchor(lines[i], group.Anchor) && ++seen == group.Occurrence) return i;
  }
  return std::wstring::npos;
}

// One past the last line that belongs to the group anchored at index anchor:
// up to the next header for a section, up to the END_POPUP that closes a
// submenu.
size_t GroupEnd(const std::vector<std::wstring>& lines, const RemovedGroup& group, size_t anchor) {
  if (group.Anchor.empty()) return lines.size();
  if (IsIniAnchor(group.Anchor)) {
    for (size_t i = anchor + 1; i < lines.size(); ++i) {
      if (IsSectionStart(lines[i])) return i;
    }
    return lines.size();
  }
  int depth = 0;
  for (size_t i = anchor + 1; i < lines.size(); ++i) {
    MenuLine line = ParseMenuLine(lines[i]);
    if (line.ClosesSubmenu) {
      if (depth == 0) return i;
      --depth;
    } else if (line.OpensSubmenu) {
      ++depth;
    }
  }
  return lines.size();
}

// The digits of the value of "key = 12": their position and length.
bool FindValueNumber(std::wstring_view line, size_t& start, size_t& length) {
  size_t eq = line.find(L'=');
  if (eq == std::wstring_view::npos) return false;
  size_t i = eq + 1;
  while (i < line.size() && IsBlank(line[i])) ++i;
  size_t end = i;
  while (end < line.size() && IsDigit(line[end])) ++end;
  if (end == i) return false;
  start = i;
  length = end - i;
  return true;
}

std::wstring KeyOf(std::wstring_view line) {
  std::wstring key, value;
  if (!SplitIniEntry(platform::Trim(line), key, value)) return {};
  return key;
}

// Adds delta to the count value of the line; false when it holds no count.
bool ShiftCount(std::wstring& line, int delta, int* newValue = nullptr) {
  size_t start = 0, length = 0;
  if (!FindValueNumber(line, start, length)) return false;
  int value = 0;
  if (!ParseKeyNumber(std::wstring_view(line).substr(start, length), 0, value)) return false;
  value = std::max(0, value + delta);
  line.replace(start, length, std::to_wstring(value));
  if (newValue) *newValue = value;
  return true;
}

// The number an entry had before the removal, from the one it has now.
int NumberBefore(int now, const std::vector<int>& removed) {
  for (int r : removed) {
    if (r <= now) ++now;
  }
  return now;
}

// The number an entry gets once the removed ones are gone.
int NumberAfter(int before, const std::set<int>& removed) {
  int below = 0;
  for (int r : removed) {
    if (r < before) ++below;
  }
  return before - below;
}

// Calls visit(index, occurrence) for the header line of every section named
// header, and visit(index, 0) for each line inside such a section.
template <typename Visit>
void ForEachSectionLine(const std::vector<std::wstring>& lines, std::wstring_view header,
                        Visit visit) {
  bool inside = false;
  int occurrence = 0;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (IsSectionStart(lines[i])) {
      inside = SectionHeaderOf(platform::Trim(lines[i])) == header;
      if (inside) visit(i, ++occurrence);
      continue;
    }
    if (inside) visit(i, 0);
  }
}

RemovedGroup GroupAt(const std::vector<std::wstring>& lines, size_t anchor, int occurrence) {
  RemovedGroup group;
  group.Anchor = lines[anchor];
  group.Occurrence = occurrence;
  group.AnchorLine = static_cast<int>(anchor) + 1;
  return group;
}

std::vector<RemovedGroup> NonEmpty(std::vector<RemovedGroup> groups) {
  groups.erase(std::remove_if(groups.begin(), groups.end(),
                              [](const RemovedGroup& g) { return g.Lines.empty(); }),
               groups.end());
  return groups;
}

}  // namespace

bool IsSectionStart(std::wstring_view line) {
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  return i < line.size() && line[i] == L'[';
}

bool IsEntryLine(std::wstring_view line) {
  std::wstring t = platform::Trim(line);
  return !t.empty() && t[0] != L';' && t[0] != L'[';
}

std::optional<int> EntryNumberOf(std::wstring_view line, EntryNumbering numbering) {
  if (numbering == EntryNumbering::None || !IsEntryLine(line)) return std::nullopt;
  const size_t eq = line.find(L'=');
  if (eq == std::wstring_view::npos) return std::nullopt;
  const std::wstring key = platform::Trim(line.substr(0, eq));
  std::wstring_view digits;
  if (numbering == EntryNumbering::Leading || numbering == EntryNumbering::Marker) {
    digits = std::wstring_view(key).substr(0, key.find(L'_'));
  } else {
    size_t start = key.size();
    while (start > 0 && IsDigit(key[start - 1])) --start;
    if (start == 0) return std::nullopt;  // a key of digits only names no entry here
    digits = std::wstring_view(key).substr(start);
  }
  int number = 0;
  if (!ParseKeyNumber(digits, 0, number)) return std::nullopt;
  return number;
}

std::wstring WithEntryNumber(std::wstring_view line, EntryNumbering numbering, int number) {
  std::wstring out(line);
  size_t start = 0, end = 0;
  if (numbering == EntryNumbering::Leading || numbering == EntryNumbering::Marker) {
    while (start < out.size() && IsBlank(out[start])) ++start;
    end = start;
    while (end < out.size() && IsDigit(out[end])) ++end;
  } else {
    end = out.find(L'=');
    if (end == std::wstring::npos) return out;
    while (end > 0 && IsBlank(out[end - 1])) --end;
    start = end;
    while (start > 0 && IsDigit(out[start - 1])) --start;
  }
  if (end > start) out.replace(start, end - start, std::to_wstring(number));
  return out;
}

std::vector<RemovedGroup> RemoveSectionLines(std::vector<std::wstring>& lines,
                                             std::wstring_view header, const LineSelector& select) {
  std::vector<RemovedGroup> groups;
  std::vector<bool> drop(lines.size(), false);
  ForEachSectionLine(lines, header, [&](size_t i, int occurrence) {
    if (occurrence > 0) {
      groups.push_back(GroupAt(lines, i, occurrence));
    } else if (IsEntryLine(lines[i]) && select(lines[i])) {
      groups.back().Lines.push_back({static_cast<int>(i) + 1, lines[i], {}});
      drop[i] = true;
    }
  });
  std::vector<std::wstring> kept;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!drop[i]) kept.push_back(std::move(lines[i]));
  }
  lines = std::move(kept);
  return NonEmpty(std::move(groups));
}

std::vector<RemovedGroup> RemoveNumberedEntries(std::vector<std::wstring>& lines,
                                                std::wstring_view header,
                                                EntryNumbering numbering,
                                                const LineSelector& select,
                                                std::wstring_view countKey) {
  // First the entries to remove, section by section.
  std::vector<RemovedGroup> groups;
  std::vector<std::set<int>> removed;
  std::vector<int> sectionOf(lines.size(), -1);
  ForEachSectionLine(lines, header, [&](size_t i, int occurrence) {
    if (occurrence > 0) {
      groups.push_back(GroupAt(lines, i, occurrence));
      groups.back().Numbering = numbering;
      removed.emplace_back();
      return;
    }
    sectionOf[i] = static_cast<int>(groups.size()) - 1;
    std::optional<int> number = EntryNumberOf(lines[i], numbering);
    if (number && select(lines[i])) removed.back().insert(*number);
  });

  // Then the lines: removed, renumbered, or kept as written.
  std::vector<std::wstring> kept;
  for (size_t i = 0; i < lines.size(); ++i) {
    const int s = sectionOf[i];
    if (s < 0 || removed[static_cast<size_t>(s)].empty()) {
      kept.push_back(std::move(lines[i]));
      continue;
    }
    RemovedGroup& group = groups[static_cast<size_t>(s)];
    const std::set<int>& gone = removed[static_cast<size_t>(s)];
    std::optional<int> number = EntryNumberOf(lines[i], numbering);
    if (number && gone.count(*number)) {
      group.Lines.push_back({static_cast<int>(i) + 1, lines[i], {}});
      continue;
    }
    std::wstring line = std::move(lines[i]);
    if (number) {
      const int after = NumberAfter(*number, gone);
      if (after != *number) line = WithEntryNumber(line, numbering, after);
    } else if (!countKey.empty() && KeyOf(line) == countKey) {
      size_t start = 0, length = 0;
      int count = 0;
      if (FindValueNumber(line, start, length) &&
          ParseKeyNumber(std::wstring_view(line).substr(start, length), 0, count)) {
        int delta = 0;
        for (int r : gone) delta += r <= count ? 1 : 0;
        if (delta > 0 && ShiftCount(line, -delta)) {
          group.CountKey = std::wstring(countKey);
          group.CountDelta += delta;
        }
      }
    }
    kept.push_back(std::move(line));
  }
  lines = std::move(kept);
  for (size_t g = 0; g < groups.size(); ++g) {
    groups[g].RemovedNumbers.assign(removed[g].begin(), removed[g].end());
  }
  return NonEmpty(std::move(groups));
}

std::vector<RemovedGroup> RemoveMarkerEntries(std::vector<std::wstring>& lines,
                                              std::wstring_view header,
                                              const std::vector<int>& removedNumbers) {
  if (removedNumbers.empty()) return {};
  const std::set<int> gone(removedNumbers.begin(), removedNumbers.end());
  std::vector<RemovedGroup> groups;
  std::vector<bool> touched;  // a marker of the section goes or moves
  std::vector<bool> drop(lines.size(), false);
  ForEachSectionLine(lines, header, [&](size_t i, int occurrence) {
    if (occurrence > 0) {
      groups.push_back(GroupAt(lines, i, occurrence));
      groups.back().Numbering = EntryNumbering::Marker;
      groups.back().RemovedNumbers = std::vector<int>(gone.begin(), gone.end());
      touched.push_back(false);
      return;
    }
    std::optional<int> number = EntryNumberOf(lines[i], EntryNumbering::Marker);
    if (!number) return;
    if (gone.count(*number)) {
      groups.back().Lines.push_back({static_cast<int>(i) + 1, lines[i]});
      drop[i] = true;
      touched.back() = true;
    } else if (const int after = NumberAfter(*number, gone); after != *number) {
      lines[i] = WithEntryNumber(lines[i], EntryNumbering::Marker, after);
      touched.back() = true;
    }
  });
  std::vector<std::wstring> kept;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!drop[i]) kept.push_back(std::move(lines[i]));
  }
  lines = std::move(kept);
  std::vector<RemovedGroup> out;
  for (size_t g = 0; g < groups.size(); ++g) {
    if (touched[g]) out.push_back(std::move(groups[g]));
  }
  return out;
}

std::vector<RemovedGroup> RemoveMenuItems(std::vector<std::wstring>& lines,
                                          const LineSelector& selectCommand) {
  struct Open {
    size_t index;
    int occurrence;
  };
  std::vector<Open> open;
  std::map<std::wstring, int> seen;    // trimmed popup text -> lines of it so far
  std::map<size_t, size_t> groupOf;    // anchor index (npos: none) -> group
  std::vector<RemovedGroup> groups;
  std::vector<std::wstring> kept;
  for (size_t i = 0; i < lines.size(); ++i) {
    MenuLine line = ParseMenuLine(lines[i]);
    if (line.IsItem && selectCommand(line.Command)) {
      const size_t anchor = open.empty() ? std::wstring::npos : open.back().index;
      auto [it, added] = groupOf.emplace(anchor, groups.size());
      if (added) {
        groups.push_back(open.empty() ? RemovedGroup{}
                                      : GroupAt(lines, anchor, open.back().occurrence));
      }
      groups[it->second].Lines.push_back({static_cast<int>(i) + 1, lines[i], {}});
      continue;
    }
    if (line.OpensSubmenu) {
      open.push_back({i, ++seen[platform::Trim(lines[i])]});
    } else if (line.ClosesSubmenu && !open.empty()) {
      open.pop_back();
    }
    // Copied, not moved: an open submenu's line is its group's anchor.
    kept.push_back(lines[i]);
  }
  lines = std::move(kept);
  return groups;
}

namespace {

// Renumbers the entries behind removed ones up again and raises the counts;
// no line moves.
void RestoreNumbering(std::vector<std::wstring>& lines, const RemovedGroup& group) {
  if (group.Anchor.empty() || (group.RemovedNumbers.empty() && group.CountDelta == 0)) return;
  const size_t anchor = FindAnchor(lines, group);
  if (anchor == std::wstring::npos) return;
  const size_t end = GroupEnd(lines, group, anchor);
  for (size_t i = anchor + 1; i < end; ++i) {
    std::optional<int> number = EntryNumberOf(lines[i], group.Numbering);
    if (number && !group.RemovedNumbers.empty()) {
      const int before = NumberBefore(*number, group.RemovedNumbers);
      if (before != *number) lines[i] = WithEntryNumber(lines[i], group.Numbering, before);
    } else if (!number && group.CountDelta != 0 && KeyOf(lines[i]) == group.CountKey) {
      ShiftCount(lines[i], group.CountDelta);
    }
  }
}

// Inserts the lines of the groups whose anchor is in the file, in the order
// they stood in, so that each one finds the lines above it in place.
void InsertLines(std::vector<std::wstring>& lines, const std::vector<const RemovedGroup*>& groups) {
  struct Pending {
    int lineNumber;
    const RemovedGroup* group;
    const std::wstring* text;
  };
  std::vector<Pending> pending;
  for (const RemovedGroup* group : groups) {
    for (const RemovedLine& line : group->Lines) pending.push_back({line.LineNumber, group, &line.Text});
  }
  std::stable_sort(pending.begin(), pending.end(),
                   [](const Pending& a, const Pending& b) { return a.lineNumber < b.lineNumber; });
  for (const Pending& p : pending) {
    size_t target = 0, end = lines.size();
    if (p.group->Anchor.empty()) {
      target = static_cast<size_t>(std::max(p.lineNumber - 1, 0));
    } else {
      const size_t anchor = FindAnchor(lines, *p.group);
      end = GroupEnd(lines, *p.group, anchor);
      target = anchor + static_cast<size_t>(std::max(p.lineNumber - p.group->AnchorLine, 1));
    }
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(std::min(target, end)), *p.text);
  }
}

int FirstEntryNumber(EntryNumbering numbering) {
  return numbering == EntryNumbering::Trailing ? 1 : 0;
}

// The entry numbers the section of a numbered group holds now.
std::set<int> NumbersIn(const std::vector<std::wstring>& lines, const RemovedGroup& group,
                        size_t anchor) {
  std::set<int> numbers;
  const size_t end = GroupEnd(lines, group, anchor);
  for (size_t i = anchor + 1; i < end; ++i) {
    if (std::optional<int> number = EntryNumberOf(lines[i], group.Numbering)) {
      numbers.insert(*number);
    }
  }
  return numbers;
}

bool RunsWithoutGap(const std::set<int>& numbers, int first) {
  int expected = first;
  for (int number : numbers) {
    if (number != expected++) return false;
  }
  return true;
}

// Numbers the section's entries from the first number up, in the order of
// their numbers; only the digits of the keys change.
void CloseGaps(std::vector<std::wstring>& lines, const RemovedGroup& group) {
  const size_t anchor = FindAnchor(lines, group);
  if (anchor == std::wstring::npos) return;
  const std::set<int> numbers = NumbersIn(lines, group, anchor);
  const int first = FirstEntryNumber(group.Numbering);
  if (RunsWithoutGap(numbers, first)) return;
  std::map<int, int> renumbered;
  int next = first;
  for (int number : numbers) renumbered[number] = next++;
  const size_t end = GroupEnd(lines, group, anchor);
  for (size_t i = anchor + 1; i < end; ++i) {
    std::optional<int> number = EntryNumberOf(lines[i], group.Numbering);
    if (number && renumbered[*number] != *number) {
      lines[i] = WithEntryNumber(lines[i], group.Numbering, renumbered[*number]);
    }
  }
}

// The lines of one numbered entry with its number taken out, sorted.
using EntryLines = std::vector<std::wstring>;

std::map<int, EntryLines> EntriesOf(const std::vector<std::wstring>& texts,
                                    EntryNumbering numbering) {
  std::map<int, EntryLines> entries;
  for (const std::wstring& text : texts) {
    if (std::optional<int> number = EntryNumberOf(text, numbering)) {
      entries[*number].push_back(platform::Trim(WithEntryNumber(text, numbering, 0)));
    }
  }
  for (auto& [number, entry] : entries) std::sort(entry.begin(), entry.end());
  return entries;
}

// Whether everything a group took out stands in its section or submenu
// again (a settings file restored from the first start's backup, or the
// same plugin added anew): each removed line (or, in a numbered section,
// each removed entry with all its lines, under whatever number) is there.
bool AlreadyBack(const std::vector<std::wstring>& lines, const RemovedGroup& group) {
  if (group.Anchor.empty() || group.Lines.empty()) return false;
  const size_t anchor = FindAnchor(lines, group);
  if (anchor == std::wstring::npos) return false;
  const size_t end = GroupEnd(lines, group, anchor);
  std::vector<std::wstring> present(lines.begin() + static_cast<std::ptrdiff_t>(anchor) + 1,
                                    lines.begin() + static_cast<std::ptrdiff_t>(end));
  std::vector<std::wstring> removed;
  for (const RemovedLine& line : group.Lines) removed.push_back(line.Text);
  if (group.Numbering == EntryNumbering::None) {
    std::multiset<std::wstring> left;
    for (const std::wstring& line : present) left.insert(platform::Trim(line));
    for (const std::wstring& line : removed) {
      auto it = left.find(platform::Trim(line));
      if (it == left.end()) return false;
      left.erase(it);
    }
    return true;
  }
  std::vector<EntryLines> standing;
  for (auto& [number, entry] : EntriesOf(present, group.Numbering)) standing.push_back(entry);
  for (const auto& [number, entry] : EntriesOf(removed, group.Numbering)) {
    auto it = std::find(standing.begin(), standing.end(), entry);
    if (it == standing.end()) return false;
    standing.erase(it);
  }
  return true;
}

}  // namespace

namespace {

// "[listerplugins]" of a marker group anchored at "[ListerPlugins64]".
std::wstring MarkedSectionOf(const RemovedGroup& group) {
  std::wstring header = SectionHeaderOf(platform::Trim(group.Anchor));
  if (header.size() > 4 && header.ends_with(L"64]")) header.erase(header.size() - 3, 2);
  return header;
}

}  // namespace

void Reinsert(std::vector<std::wstring>& lines, const std::vector<RemovedGroup>& allGroups) {
  // A group whose lines are back already is not put back a second time: a
  // plugin would be registered twice, a button or menu item doubled. Marker
  // lines ("3=1") all look alike: they are back when the entries they mark
  // are.
  std::vector<RemovedGroup> groups;
  std::set<std::wstring> sectionsBack;
  for (const RemovedGroup& group : allGroups) {
    if (group.Numbering == EntryNumbering::Marker) continue;
    if (AlreadyBack(lines, group)) {
      if (IsIniAnchor(group.Anchor)) sectionsBack.insert(SectionHeaderOf(platform::Trim(group.Anchor)));
    } else {
      groups.push_back(group);
    }
  }
  for (const RemovedGroup& group : allGroups) {
    if (group.Numbering == EntryNumbering::Marker && !sectionsBack.count(MarkedSectionOf(group))) {
      groups.push_back(group);
    }
  }
  // The host reads numbered entries up to the first missing number. A record
  // put back out of turn (an older removal from a section before a newer
  // one) counts entries that are still missing, and would leave a gap that
  // hides every entry behind it: a section that had no gap gets none.
  std::vector<const RemovedGroup*> keepWithoutGap;
  for (const RemovedGroup& group : groups) {
    if (group.Numbering == EntryNumbering::None || group.Numbering == EntryNumbering::Marker ||
        group.RemovedNumbers.empty()) {
      continue;
    }
    const size_t anchor = group.Anchor.empty() ? std::wstring::npos : FindAnchor(lines, group);
    if (anchor != std::wstring::npos &&
        RunsWithoutGap(NumbersIn(lines, group, anchor), FirstEntryNumber(group.Numbering))) {
      keepWithoutGap.push_back(&group);
    }
  }
  for (const RemovedGroup& group : groups) RestoreNumbering(lines, group);
  std::vector<const RemovedGroup*> anchored, orphans;
  for (const RemovedGroup& group : groups) {
    const bool found = group.Anchor.empty() || FindAnchor(lines, group) != std::wstring::npos;
    (found ? anchored : orphans).push_back(&group);
  }
  InsertLines(lines, anchored);
  // A section or submenu that is gone comes back at the end.
  for (const RemovedGroup* group : orphans) {
    if (IsIniAnchor(group->Anchor)) lines.push_back(group->Anchor);
    for (const RemovedLine& line : group->Lines) lines.push_back(line.Text);
  }
  for (const RemovedGroup* group : keepWithoutGap) CloseGaps(lines, *group);
}

}  // namespace orvelle
