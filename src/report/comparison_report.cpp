#include "report/comparison_report.h"

#include "platform/strings.h"
#include "tc/ttc.h"
#include "util/date_time.h"

#include <windows.h>

#include <algorithm>

namespace orvelle {

namespace {

ReportInstallation InstallationOf(const TTC* model) {
  if (model == nullptr) return {};
  return {model->ExeFile, model->ProgramVersion, model->IniFile};
}

int DepthOf(const std::wstring& path) {
  return static_cast<int>(std::count(path.begin(), path.end(), L'\\'));
}

ReportEntry EntryOf(const TVirtualTreeItem& e) {
  ReportEntry r;
  r.Name = e.Name;
  r.Status = e.Status;
  r.Words = SignInWords(e.Status, e.Done);
  r.Comment = e.Info;
  if (e.CommandEntry) {
    r.NewText = e.NewText;
    r.MyText = e.MyText;
  }
  r.IsFolder = e.IsFolder;
  return r;
}

// The root's messages, and the installation folder's index (-1 when the
// comparison did not come that far).
int ReadRoot(const VirtualTree& tree, const std::wstring& installationFolder,
             std::vector<std::wstring>& notes) {
  int folder = -1;
  for (int order = 0;; ++order) {
    const int i = tree.FindListed(L"\\", order);
    if (i < 0) break;
    const TVirtualTreeItem& e = tree[i];
    if (e.IsFolder && e.Name == installationFolder) folder = i;
    if (e.IsMessage) notes.push_back(e.Name + L": " + e.Info);
    // A cancelled comparison leaves its folder as a plain entry named
    // with a trailing dot.
    if (!e.IsFolder && !installationFolder.empty() && e.Name == installationFolder + L".") {
      notes.push_back(e.Info);
    }
  }
  return folder;
}

}  // namespace

ComparisonReport CollectReport(const VirtualTree& tree, const std::wstring& installationFolder,
                               const TTC* my, const TTC* newModel) {
  ComparisonReport report;
  report.New = InstallationOf(newModel);
  report.My = InstallationOf(my);
  report.Made = FormatDateTime(Now());
  const int top = ReadRoot(tree, installationFolder, report.Notes);
  if (top < 0) return report;

  // Depth first, in listing order, without recursion: trees may be deep.
  std::vector<int> pending{top};
  std::vector<int> subfolders;
  while (!pending.empty()) {
    const int index = pending.back();
    pending.pop_back();
    const TVirtualTreeItem& folder = tree[index];
    const std::wstring folderPath = folder.FolderPath();
    ReportFolder section;
    section.Path = folderPath.substr(1, folderPath.size() - 2);
    section.Depth = DepthOf(section.Path);
    section.Status = folder.Status;
    subfolders.clear();
    for (int order = 0;; ++order) {
      const int i = tree.FindListed(folderPath, order);
      if (i < 0) break;
      const TVirtualTreeItem& e = tree[i];
      if (e.IsFolder) subfolders.push_back(i);
      // A folder's summary of "!" and "*" reads "!*", which for an entry
      // means a main program that is no known build: a folder never is one.
      const int column = e.IsFolder && e.Status == L"!*" ? -1 : ReportSignColumn(e.Status);
      if (column >= 0) ++section.Counts[static_cast<size_t>(column)];
      if ((column >= 0 && e.Status != L"=") || e.Done) section.Differences.push_back(EntryOf(e));
    }
    for (size_t c = 0; c < section.Counts.size(); ++c) report.Totals[c] += section.Counts[c];
    report.Folders.push_back(std::move(section));
    pending.insert(pending.end(), subfolders.rbegin(), subfolders.rend());
  }
  return report;
}

std::string Utf8FileBytes(const std::wstring& text, bool byteOrderMark) {
  std::wstring crlf;
  crlf.reserve(text.size() + text.size() / 16);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) crlf += L'\r';
    crlf += text[i];
  }
  std::string bytes = byteOrderMark ? std::string("\xEF\xBB\xBF") : std::string();
  bytes += platform::AnsiFromWide(crlf, CP_UTF8);
  return bytes;
}

}  // namespace orvelle
