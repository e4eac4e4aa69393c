#include "report/entry_text.h"

#include "platform/fs.h"
#include "report/signs.h"
#include "tc/ttc.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "util/date_time.h"
#include "util/text_helpers.h"
#include "util/version_info.h"

#include <algorithm>
#include <vector>

namespace orvelle {

namespace {

struct SideRow {
  std::wstring label, newText, myText;
};

constexpr size_t kWidestNewColumn = 48;

std::vector<std::wstring> LinesOf(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(L'\n', start);
    std::wstring line = text.substr(start, end == std::wstring::npos ? end : end - start);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(std::move(line));
    if (end == std::wstring::npos) break;
    start = end + 1;
  }
  return lines;
}

std::wstring Pad(std::wstring text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), L' ');
  return text;
}

// Rows of label | New | My; a value of several lines takes several lines.
void AppendSideBySide(std::wstring& out, const std::vector<SideRow>& rows) {
  size_t labelWidth = 0, newWidth = std::wstring_view(Tr(texts::kReportNewInstallation)).size();
  for (const SideRow& row : rows) {
    labelWidth = std::max(labelWidth, row.label.size());
    for (const std::wstring& line : LinesOf(row.newText)) newWidth = std::max(newWidth, line.size());
  }
  newWidth = std::min(newWidth, kWidestNewColumn);
  const auto line = [&](const std::wstring& label, const std::wstring& n, const std::wstring& m) {
    std::wstring text = Pad(label, labelWidth) + L"  " + Pad(n, newWidth) + L" | " + m;
    while (!text.empty() && text.back() == L' ') text.pop_back();
    out += text + L"\n";
  };
  line(L"", Tr(texts::kReportNewInstallation), Tr(texts::kReportMyInstallation));
  for (const SideRow& row : rows) {
    std::vector<std::wstring> n = LinesOf(row.newText), m = LinesOf(row.myText);
    const size_t count = std::max(n.size(), m.size());
    for (size_t i = 0; i < count; ++i) {
      line(i == 0 ? row.label : std::wstring(), i < n.size() ? n[i] : std::wstring(),
           i < m.size() ? m[i] : std::wstring());
    }
  }
}

struct FileFactsText {
  std::wstring size = L"-", written = L"-", fileVersion, productVersion;
};

FileFactsText FactsOf(const std::wstring& path) {
  FileFactsText facts;
  if (path.empty()) return facts;
  std::optional<platform::FileEntry> entry = platform::GetFileEntry(path);
  if (!entry) {
    facts.size = Tr(texts::kEntryMissing);
    return facts;
  }
  facts.written = FormatDateTime(FileTimeToLocalDateTime(entry->lastWrite));
  if (entry->IsDirectory()) {
    facts.size = Tr(texts::kEntryFolderSize);
    return facts;
  }
  facts.size = GroupDigits(std::to_wstring(entry->size)) + Tr(texts::kEntryBytes);
  if (std::optional<TPJVersionInfo> version = ReadVersionInfo(path)) {
    facts.fileVersion = DottedVersion(version->fileVersion);
    facts.productVersion = version->productVersionText;
  }
  return facts;
}

void AppendFiles(std::vector<SideRow>& rows, const TVirtualTreeItem& e) {
  const FileFactsText n = FactsOf(e.NewFile), m = FactsOf(e.MyFile);
  rows.push_back({Tr(texts::kEntryFile), e.NewFile.empty() ? L"-" : e.NewFile,
                  e.MyFile.empty() ? L"-" : e.MyFile});
  rows.push_back({Tr(texts::kEntrySize), n.size, m.size});
  rows.push_back({Tr(texts::kEntryLastWritten), n.written, m.written});
  if (!n.fileVersion.empty() || !m.fileVersion.empty()) {
    rows.push_back({Tr(texts::kEntryFileVersion), n.fileVersion, m.fileVersion});
  }
  if (!n.productVersion.empty() || !m.productVersion.empty()) {
    rows.push_back({Tr(texts::kEntryProductVersion), n.productVersion, m.productVersion});
  }
}

// "Version" and "EXE modified" compare the two main programs themselves.
bool ComparesMainPrograms(const TVirtualTreeItem& e) {
  const std::wstring unit = std::wstring(L"\\") + texts::kMainUnit + L"\\";
  return !e.IsFolder && (e.Name == texts::kVersion || e.Name == texts::kExeModified) &&
         e.Path.size() > unit.size() && e.Path.compare(e.Path.size() - unit.size(), unit.size(), unit) == 0;
}

void AppendMainPrograms(std::vector<SideRow>& rows, const TTC* my, const TTC* newModel) {
  const auto field = [](const TTC* model, std::wstring TTC::*member) {
    return model ? model->*member : std::wstring(L"-");
  };
  rows.push_back(
      {Tr(texts::kReportProgramFile), field(newModel, &TTC::ExeFile), field(my, &TTC::ExeFile)});
  rows.push_back({Tr(texts::kReportVersion), field(newModel, &TTC::ProgramVersion),
                  field(my, &TTC::ProgramVersion)});
  rows.push_back({Tr(texts::kEntryDigest), field(newModel, &TTC::ProgramDigest),
                  field(my, &TTC::ProgramDigest)});
  rows.push_back(
      {Tr(texts::kReportConfiguration), field(newModel, &TTC::IniFile), field(my, &TTC::IniFile)});
}

std::wstring KindOf(const TVirtualTreeItem& e) {
  if (e.IsAbout) return Tr(texts::kKindAbout);
  if (e.IsMessage) return Tr(texts::kKindMessage);
  if (e.IsBackupEntry) return Tr(e.IsFolder ? texts::kKindBackupFolder : texts::kKindBackup);
  if (e.CommandEntry) return Tr(texts::kKindComparedText);
  if (e.HasFiles) return Tr(e.IsFolder ? texts::kKindComparedFileFolder : texts::kKindComparedFile);
  if (e.Action == 1) return Tr(texts::kKindDeleteAction);
  if (e.Action == 2) return Tr(texts::kKindAddAction);
  if (e.Action == 3) return Tr(texts::kKindUpdateAction);
  if (e.IsFolder) return Tr(texts::kKindFolder);
  return Tr(texts::kKindEntry);
}

std::wstring WhatOpeningDoes(const VirtualTree& tree, const TVirtualTreeItem& e) {
  if (e.IsAbout) return Tr(texts::kOpensAbout);
  if (e.RestoreDeleted) return Tr(texts::kOpensRestoreDeleted);
  if (e.RestoreInstalled) {
    return Tr(texts::kOpensRestoreInstalled);
  }
  if (e.RestoreSettings) return Tr(texts::kOpensRestoreSettings);
  if (e.HasFiles) return Tr(texts::kOpensFileCompare);
  if (e.CommandEntry) return Tr(texts::kOpensTextCompare);
  if (e.Action != 0 && e.Done) return Tr(texts::kOpensDone) + e.Info + Tr(texts::kOpensDoneEnd);
  if (e.Action == 1) {
    return Tr(texts::kOpensDelete);
  }
  if (e.Action == 2) {
    return Tr(texts::kOpensAdd);
  }
  if (e.Action == 3) {
    return Tr(texts::kOpensUpdate);
  }
  if (e.IsFolder) {
    return Tr(texts::kOpensFolder) + std::to_wstring(tree.CountIn(e.FolderPath())) +
           Tr(texts::kOpensFolderEnd);
  }
  return Tr(texts::kOpensNothing);
}

void AppendFolderEntries(std::wstring& out, const VirtualTree& tree, const TVirtualTreeItem& folder) {
  const std::wstring path = folder.FolderPath();
  out += L"\n" + std::wstring(Tr(texts::kEntryEntries)) + L":\n";
  for (int order = 0;; ++order) {
    const int i = tree.FindListed(path, order);
    if (i < 0) break;
    const TVirtualTreeItem& e = tree[i];
    std::wstring line = L"  " + Pad(e.Status, 5) + L" " + e.Name + (e.IsFolder ? L"\\" : L"");
    if (!e.Info.empty()) line += L"  " + e.Info;
    out += line + L"\n";
    if (e.CommandEntry && (!e.NewText.empty() || !e.MyText.empty())) {
      const size_t sideWidth = std::max(std::wstring_view(Tr(texts::kNewSide)).size(),
                                        std::wstring_view(Tr(texts::kMySide)).size()) +
                               1;
      out += L"          " + Pad(Tr(texts::kNewSide) + std::wstring(L":"), sideWidth) + L" " +
             e.NewText + L"\n          " + Pad(Tr(texts::kMySide) + std::wstring(L":"), sideWidth) +
             L" " + e.MyText + L"\n";
    }
  }
}

}  // namespace

std::wstring EntryText(const VirtualTree& tree, int index, const TTC* my, const TTC* newModel) {
  const TVirtualTreeItem& e = tree[index];
  std::wstring out = e.FullPath() + L"\n\n";
  // The three labels padded alike, whatever their length in the language shown.
  const std::wstring kind = Tr(texts::kEntryKind) + std::wstring(L":");
  const std::wstring sign = Tr(texts::kEntrySign) + std::wstring(L":");
  const std::wstring comment = Tr(texts::kEntryComment) + std::wstring(L":");
  const size_t width = std::max({kind.size(), sign.size(), comment.size()}) + 1;
  out += Pad(kind, width) + KindOf(e) + L"\n";
  out += Pad(sign, width) + (e.Status.empty() ? std::wstring() : e.Status + L" - ") +
         SignInWords(e.Status, e.Done) + L"\n";
  if (!e.Info.empty()) out += Pad(comment, width) + e.Info + L"\n";

  std::vector<SideRow> rows;
  if (e.CommandEntry) {
    out += L"\n" + e.TextTitle + L"\n";
    if (!e.TextDescription.empty()) out += e.TextDescription + L"\n";
    if (!e.TextStatus.empty() && e.TextStatus != e.Status) {
      out += Tr(texts::kEntryTextSign) + (L": " + e.TextStatus) + L" - " +
             SignInWords(e.TextStatus) + L"\n";
    }
    rows.push_back({Tr(texts::kEntryText), e.NewText, e.MyText});
  }
  if (ComparesMainPrograms(e)) AppendMainPrograms(rows, my, newModel);
  if (!e.NewFile.empty() || !e.MyFile.empty()) AppendFiles(rows, e);
  if (!rows.empty()) {
    out += L"\n";
    AppendSideBySide(out, rows);
  }
  if (e.IsFolder) AppendFolderEntries(out, tree, e);
  out += L"\n" + std::wstring(Tr(texts::kEntryOpening)) + L": " + WhatOpeningDoes(tree, e) + L"\n";
  return out;
}

}  // namespace orvelle
