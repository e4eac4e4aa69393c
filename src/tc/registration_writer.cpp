#include "tc/registration_writer.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/ini_line.h"
#include "tc/edit_plan.h"
#include "tc/line_removal.h"
#include "tc/registration_editor.h"
#include "tc/ttc.h"
#include "util/line_ends.h"
#include "util/text_file.h"

#include <algorithm>
#include <set>

namespace orvelle {

namespace {

bool IsNumberedKind(ItemKind kind) {
  return kind == ItemKind::ListerPlugin || kind == ItemKind::ContentPlugin;
}

bool IsNumberedSection(const std::wstring& header) {
  return header == L"[listerplugins]" || header == L"[contentplugins]";
}

bool OpensSection(const std::wstring& line, const std::wstring& header) {
  return IsSectionStart(line) && SectionHeaderOf(platform::Trim(line)) == header;
}

// One past the last line of the section whose header stands at index.
size_t SectionEnd(const std::vector<std::wstring>& lines, size_t header) {
  size_t end = header + 1;
  while (end < lines.size() && !IsSectionStart(lines[end])) ++end;
  return end;
}

// Index of the header of the last section named header; npos when none.
size_t LastSection(const std::vector<std::wstring>& lines, const std::wstring& header) {
  size_t found = std::wstring::npos;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (OpensSection(lines[i], header)) found = i;
  }
  return found;
}

bool IsEntry(const std::wstring& line) {
  return IsEntryLine(line) && line.find(L'=') != std::wstring::npos;
}

// The lowest number no entry of any section named header uses.
int NextFreeNumber(const std::vector<std::wstring>& lines, const std::wstring& header) {
  std::set<int> used;
  bool inside = false;
  for (const std::wstring& line : lines) {
    if (IsSectionStart(line)) {
      inside = OpensSection(line, header);
      continue;
    }
    if (!inside) continue;
    if (std::optional<int> number = EntryNumberOf(line, EntryNumbering::Leading)) {
      used.insert(*number);
    }
  }
  int next = 0;
  while (used.count(next)) ++next;
  return next;
}

// The text of an entry line from its "=" on: what names a numbered entry
// whatever its number.
std::wstring FromEquals(const std::wstring& line) {
  const size_t eq = line.find(L'=');
  return eq == std::wstring::npos ? std::wstring() : line.substr(eq);
}

// Whether a section named header holds the line (blanks around it aside).
bool HoldsLine(const std::vector<std::wstring>& lines, const std::wstring& header,
               const std::wstring& wanted) {
  const std::wstring trimmed = platform::Trim(wanted);
  bool inside = false;
  for (const std::wstring& line : lines) {
    if (IsSectionStart(line)) {
      inside = OpensSection(line, header);
    } else if (inside && platform::Trim(line) == trimmed) {
      return true;
    }
  }
  return false;
}

// The section the registration made, when it holds exactly the added lines
// still: one group without anchor (header and lines), taken out of lines.
bool TakeOutMadeSection(std::vector<std::wstring>& lines, const AddedLines& added,
                        std::vector<RemovedGroup>& groups) {
  const size_t header = LastSection(lines, added.Header);
  if (header == std::wstring::npos) return false;
  const size_t end = SectionEnd(lines, header);
  if (end - header - 1 != added.Lines.size()) return false;
  for (size_t i = 0; i < added.Lines.size(); ++i) {
    if (platform::Trim(lines[header + 1 + i]) != platform::Trim(added.Lines[i])) return false;
  }
  RemovedGroup group;
  for (size_t i = header; i < end; ++i) {
    group.Lines.push_back({static_cast<int>(i) + 1, lines[i], {}});
  }
  lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(header),
              lines.begin() + static_cast<std::ptrdiff_t>(end));
  groups.push_back(std::move(group));
  return true;
}

}  // namespace

const wchar_t* SectionOf(ItemKind kind) {
  switch (kind) {
    case ItemKind::FileSystemPlugin: return L"[filesystemplugins]";
    case ItemKind::PackerPlugin: return L"[packerplugins]";
    case ItemKind::ListerPlugin: return L"[listerplugins]";
    case ItemKind::ContentPlugin: return L"[contentplugins]";
    default: return L"";
  }
}

const wchar_t* NewSectionHeaderOf(ItemKind kind) {
  switch (kind) {
    case ItemKind::FileSystemPlugin: return L"[FileSystemPlugins]";
    case ItemKind::PackerPlugin: return L"[PackerPlugins]";
    case ItemKind::ListerPlugin: return L"[ListerPlugins]";
    case ItemKind::ContentPlugin: return L"[ContentPlugins]";
    default: return L"";
  }
}

int SectionSlotOf(ItemKind kind) {
  switch (kind) {
    case ItemKind::FileSystemPlugin: return kSlotFileSystemPlugins;
    case ItemKind::PackerPlugin: return kSlotPackerPlugins;
    case ItemKind::ListerPlugin: return kSlotListerPlugins;
    case ItemKind::ContentPlugin: return kSlotContentPlugins;
    default: return kSlotIniFile;
  }
}

bool RegistersPath(const TTC& my, const std::vector<std::wstring>& lines,
                   const RegistrationLines& registration) {
  const std::wstring header = SectionOf(registration.Kind);
  bool inside = false;
  for (const std::wstring& line : lines) {
    if (IsSectionStart(line)) {
      inside = OpensSection(line, header);
    } else if (inside &&
               LineRegistersPath(my, registration.Kind, line, registration.RegisteredPath)) {
      return true;
    }
  }
  return false;
}

std::wstring FreeKeyFor(const std::vector<std::wstring>& lines, const std::wstring& header,
                        const std::wstring& key) {
  std::set<std::wstring> used;
  bool inside = false;
  for (const std::wstring& line : lines) {
    if (IsSectionStart(line)) {
      inside = OpensSection(line, header);
    } else if (inside && IsEntry(line)) {
      used.insert(platform::LowerCase(platform::Trim(line.substr(0, line.find(L'=')))));
    }
  }
  const std::wstring trimmed = platform::Trim(key);
  if (!used.count(platform::LowerCase(trimmed))) return key;
  for (int n = 2;; ++n) {
    std::wstring candidate = trimmed + L" (" + std::to_wstring(n) + L")";
    if (!used.count(platform::LowerCase(candidate))) return candidate;
  }
}

AddedLines InsertRegistration(std::vector<std::wstring>& lines,
                              const RegistrationLines& registration) {
  AddedLines added;
  added.Header = SectionOf(registration.Kind);
  for (const std::wstring& line : registration.Lines) added.Lines.push_back(line);
  // The host reads the first line of a name only: a plugin added under a
  // name another plugin has would never be loaded.
  if (registration.Kind == ItemKind::FileSystemPlugin) {
    for (std::wstring& line : added.Lines) {
      const size_t eq = line.find(L'=');
      if (eq == std::wstring::npos) continue;
      line = FreeKeyFor(lines, added.Header, line.substr(0, eq)) + line.substr(eq);
    }
  }
  if (IsNumberedKind(registration.Kind)) {
    const std::wstring number = std::to_wstring(NextFreeNumber(lines, added.Header));
    for (std::wstring& line : added.Lines) line = number + line;
  }
  const size_t header = LastSection(lines, added.Header);
  if (header == std::wstring::npos) {
    added.HeaderAdded = true;
    lines.push_back(NewSectionHeaderOf(registration.Kind));
    lines.insert(lines.end(), added.Lines.begin(), added.Lines.end());
    return added;
  }
  size_t at = header + 1;
  for (size_t i = header + 1, end = SectionEnd(lines, header); i < end; ++i) {
    if (IsEntry(lines[i])) at = i + 1;
  }
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), added.Lines.begin(),
               added.Lines.end());
  return added;
}

int RegisterPlugin(const TTC& my, const RegistrationLines& registration,
                   const RecordAddedFn& record, AddedLines* added) {
  std::vector<AddedLines> done;
  const int code = RegisterPlugins(
      my, {registration},
      [&](size_t, const AddedLines& lines) { return !record || record(lines); }, &done)
      .front();
  if (code == kRegisterDone && added) *added = std::move(done.front());
  return code;
}

std::vector<int> RegisterPlugins(const TTC& my, const std::vector<RegistrationLines>& registrations,
                                 const RecordAddedAtFn& record, std::vector<AddedLines>* added) {
  std::vector<int> codes(registrations.size(), kRegisterFileError);
  std::vector<AddedLines> made(registrations.size());
  // Each file once, in the order the registrations first name it.
  std::vector<std::wstring> files(registrations.size());
  for (size_t i = 0; i < registrations.size(); ++i) {
    const std::wstring slot = my.SlotFile(SectionSlotOf(registrations[i].Kind));
    for (size_t j = 0; j < i && files[i].empty(); ++j) {
      if (my.SlotFile(SectionSlotOf(registrations[j].Kind)) == slot) files[i] = files[j];
    }
    if (files[i].empty()) files[i] = platform::PathAsOnDisk(slot);
  }
  for (size_t first = 0; first < registrations.size(); ++first) {
    const std::wstring& file = files[first];
    if (file.empty() || std::find(files.begin(), files.begin() + first, file) !=
                            files.begin() + first) {
      continue;
    }
    std::optional<TextDocument> doc = LoadTextFile(file);
    if (!doc) continue;
    std::vector<size_t> addedHere;
    bool recorded = true;
    for (size_t i = first; i < registrations.size() && recorded; ++i) {
      if (files[i] != file) continue;
      if (RegistersPath(my, doc->lines, registrations[i])) {
        codes[i] = kRegisterPresent;
        continue;
      }
      const TextDocument before = *doc;
      AddedLines lines = InsertRegistration(doc->lines, registrations[i]);
      CarryLineEnds(*doc, before);
      lines.File = file;
      lines.MadeWide = doc->encoding == TextEncoding::Ansi && !FitsCodePage(lines.Lines);
      // Saved, the file is UTF-16 from here on, as the next registration
      // would find it were they written one by one.
      if (lines.MadeWide) doc->encoding = TextEncoding::Utf16LE;
      addedHere.push_back(i);
      recorded = !record || record(i, lines);
      made[i] = std::move(lines);
    }
    const bool saved = recorded && (addedHere.empty() || SaveTextFile(file, *doc));
    for (size_t i : addedHere) codes[i] = saved ? kRegisterDone : kRegisterFileError;
    if (!saved) {
      // Nothing of this file was written: its registrations are all undone.
      for (size_t i = first; i < registrations.size(); ++i) {
        if (files[i] == file) codes[i] = kRegisterFileError;
      }
    }
  }
  if (added) *added = std::move(made);
  return codes;
}

int RemoveAddedLines(EditPlan& plan, const AddedLines& added) {
  TextDocument* doc = plan.Document(added.File);
  if (!doc) return kRemovalFileError;
  if (added.Lines.empty()) return kRemovalNothing;
  std::vector<RemovedGroup> groups;
  // An ANSI file that became UTF-16 only to hold the added text goes back to
  // ANSI once that text is out, so the undo gives its bytes back.
  const auto narrowBack = [&] {
    if (added.MadeWide && doc->encoding != TextEncoding::Ansi && FitsCodePage(doc->lines)) {
      doc->encoding = TextEncoding::Ansi;
    }
  };
  if (added.HeaderAdded && TakeOutMadeSection(doc->lines, added, groups)) {
    narrowBack();
    plan.AddRemoval(added.File, std::move(groups));
    return kRemovalDone;
  }
  if (IsNumberedSection(added.Header) && !HoldsLine(doc->lines, added.Header, added.Lines.front())) {
    // Renumbered since (an entry before it went): the entry is found by its
    // text behind the number, with its detect line, and the ones behind it
    // move down so that the host's sequence stays without gaps.
    const std::wstring entry = FromEquals(added.Lines.front());
    bool taken = false;
    groups = RemoveNumberedEntries(doc->lines, added.Header, EntryNumbering::Leading,
                                   [&](const std::wstring& line) {
                                     if (taken || !EntryNumberOf(line, EntryNumbering::Leading) ||
                                         line.find(L'_') < line.find(L'=') ||
                                         FromEquals(line) != entry) {
                                       return false;
                                     }
                                     taken = true;
                                     return true;
                                   });
  } else {
    // The lines as written. A numbered entry still under the number it got
    // goes without renumbering the others: entries behind a gap that it
    // filled keep their numbers, as they had them before.
    std::multiset<std::wstring> left;
    for (const std::wstring& line : added.Lines) left.insert(platform::Trim(line));
    groups = RemoveSectionLines(doc->lines, added.Header, [&](const std::wstring& line) {
      auto it = left.find(platform::Trim(line));
      if (it == left.end()) return false;
      left.erase(it);
      return true;
    });
  }
  if (groups.empty()) return kRemovalNothing;
  narrowBack();
  plan.AddRemoval(added.File, std::move(groups));
  return kRemovalDone;
}

}  // namespace orvelle
