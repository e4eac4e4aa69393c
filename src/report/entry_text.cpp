#include "report/entry_text.h"

#include "platform/fs.h"
#include "report/signs.h"
#include "tc/ttc.h"
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
  size_t labelWidth = 0, newWidth = std::wstring(L"New installation").size();
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
  line(L"", L"New installation", L"My installation");
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
    facts.size = L"missing";
    return facts;
  }
  facts.written = FormatDateTime(FileTimeToLocalDateTime(entry->lastWrite));
  if (entry->IsDirectory()) {
    facts.size = L"folder";
    return facts;
  }
  facts.size = GroupDigits(std::to_wstring(entry->size)) + L" bytes";
  if (std::optional<TPJVersionInfo> version = ReadVersionInfo(path)) {
    facts.fileVersion = DottedVersion(version->fileVersion);
    facts.productVersion = version->productVersionText;
  }
  return facts;
}

void AppendFiles(std::vector<SideRow>& rows, const TVirtualTreeItem& e) {
  const FileFactsText n = FactsOf(e.NewFile), m = FactsOf(e.MyFile);
  rows.push_back({L"File", e.NewFile.empty() ? L"-" : e.NewFile, e.MyFile.empty() ? L"-" : e.MyFile});
  rows.push_back({L"Size", n.size, m.size});
  rows.push_back({L"Last written", n.written, m.written});
  if (!n.fileVersion.empty() || !m.fileVersion.empty()) {
    rows.push_back({L"File version", n.fileVersion, m.fileVersion});
  }
  if (!n.productVersion.empty() || !m.productVersion.empty()) {
    rows.push_back({L"Product version", n.productVersion, m.productVersion});
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
  rows.push_back({L"Program file", field(newModel, &TTC::ExeFile), field(my, &TTC::ExeFile)});
  rows.push_back({L"Version", field(newModel, &TTC::ProgramVersion), field(my, &TTC::ProgramVersion)});
  rows.push_back({L"MD5 digest", field(newModel, &TTC::ProgramDigest), field(my, &TTC::ProgramDigest)});
  rows.push_back({L"Configuration", field(newModel, &TTC::IniFile), field(my, &TTC::IniFile)});
}

std::wstring KindOf(const TVirtualTreeItem& e) {
  if (e.IsAbout) return L"About the plugin";
  if (e.IsMessage) return L"Message";
  if (e.IsBackupEntry) return e.IsFolder ? L"Backup folder" : L"Backup";
  if (e.CommandEntry) return L"Compared text";
  if (e.HasFiles) return e.IsFolder ? L"Compared file with its folder" : L"Compared file";
  if (e.Action == 1) return L"Delete action";
  if (e.Action == 2) return L"Add action";
  if (e.Action == 3) return L"Update action";
  if (e.IsFolder) return L"Folder";
  return L"Entry";
}

std::wstring WhatOpeningDoes(const VirtualTree& tree, const TVirtualTreeItem& e) {
  if (e.IsAbout) return L"shows the About dialog.";
  if (e.RestoreDeleted) return L"asks \"Restore?\", then puts the deleted item back into My installation.";
  if (e.RestoreInstalled) {
    return L"asks \"Restore?\", then takes what was added out of My installation again.";
  }
  if (e.RestoreSettings) return L"asks \"Restore?\", then puts this settings file back.";
  if (e.HasFiles) return L"shows the File Compare Information dialog: both files side by side.";
  if (e.CommandEntry) return L"shows the Text Compare Information dialog: both texts side by side.";
  if (e.Action != 0 && e.Done) return L"nothing more: it was done (" + e.Info + L").";
  if (e.Action == 1) {
    return L"asks \"Delete?\", then removes it from My installation with its registration "
           L"(kept in \\Backup).";
  }
  if (e.Action == 2) {
    return L"asks \"Add?\", then copies the plugin into My installation and registers it "
           L"(recorded in \\Backup).";
  }
  if (e.Action == 3) {
    return L"shows the Update dialog: the ways to replace My installation's files by the New "
           L"installation's.";
  }
  if (e.IsFolder) return L"lists its " + std::to_wstring(tree.CountIn(e.FolderPath())) + L" entries.";
  return L"nothing: this text is all there is to it.";
}

void AppendFolderEntries(std::wstring& out, const VirtualTree& tree, const TVirtualTreeItem& folder) {
  const std::wstring path = folder.FolderPath();
  out += L"\nEntries:\n";
  for (int order = 0;; ++order) {
    const int i = tree.FindListed(path, order);
    if (i < 0) break;
    const TVirtualTreeItem& e = tree[i];
    std::wstring line = L"  " + Pad(e.Status, 5) + L" " + e.Name + (e.IsFolder ? L"\\" : L"");
    if (!e.Info.empty()) line += L"  " + e.Info;
    out += line + L"\n";
    if (e.CommandEntry && (!e.NewText.empty() || !e.MyText.empty())) {
      out += L"          New: " + e.NewText + L"\n          My:  " + e.MyText + L"\n";
    }
  }
}

}  // namespace

std::wstring EntryText(const VirtualTree& tree, int index, const TTC* my, const TTC* newModel) {
  const TVirtualTreeItem& e = tree[index];
  std::wstring out = e.FullPath() + L"\n\n";
  out += L"Kind:    " + KindOf(e) + L"\n";
  out += L"Sign:    " + (e.Status.empty() ? std::wstring() : e.Status + L" - ") +
         SignInWords(e.Status, e.Done) + L"\n";
  if (!e.Info.empty()) out += L"Comment: " + e.Info + L"\n";

  std::vector<SideRow> rows;
  if (e.CommandEntry) {
    out += L"\n" + e.TextTitle + L"\n";
    if (!e.TextDescription.empty()) out += e.TextDescription + L"\n";
    if (!e.TextStatus.empty() && e.TextStatus != e.Status) {
      out += L"Text sign: " + e.TextStatus + L" - " + SignInWords(e.TextStatus) + L"\n";
    }
    rows.push_back({L"Text", e.NewText, e.MyText});
  }
  if (ComparesMainPrograms(e)) AppendMainPrograms(rows, my, newModel);
  if (!e.NewFile.empty() || !e.MyFile.empty()) AppendFiles(rows, e);
  if (!rows.empty()) {
    out += L"\n";
    AppendSideBySide(out, rows);
  }
  if (e.IsFolder) AppendFolderEntries(out, tree, e);
  out += L"\nOpening it (Enter): " + WhatOpeningDoes(tree, e) + L"\n";
  return out;
}

}  // namespace orvelle
