#include "plugin/report_entries.h"

#include "platform/fs.h"
#include "platform/message_box.h"
#include "report/comparison_report.h"
#include "report/entry_text.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "util/file_ops.h"
#include "util/text_file.h"

#include <shellapi.h>
#include <windows.h>

namespace orvelle {

ReportKind ReportKindOf(const TVirtualTreeItem& entry) {
  if (entry.Path != L"\\" || entry.IsFolder || entry.IsMessage) return ReportKind::None;
  if (entry.Name == texts::kReportHtml) return ReportKind::Html;
  if (entry.Name == texts::kReportText) return ReportKind::Text;
  return ReportKind::None;
}

void AddReportEntries(VirtualTree& tree, HICON icon) {
  const std::pair<const wchar_t*, const wchar_t*> entries[] = {
      {texts::kReportHtml, Tr(texts::kReportHtmlInfo)},
      {texts::kReportText, Tr(texts::kReportTextInfo)}};
  for (const auto& [name, info] : entries) {
    TVirtualTreeItem item;
    item.Order = static_cast<int32_t>(tree.CountIn(L"\\"));
    item.ParentIndex = -1;
    item.Name = name;
    item.Path = L"\\";
    item.Info = info;
    item.Icon = icon;
    // A full table still has the report of what it holds.
    if (tree.Append(item) < 0) tree.AppendNotice(std::move(item));
  }
}

std::string ReportFileBytes(PluginState& state, ReportKind kind) {
  const ComparisonReport report = CollectReport(state.Tree.Tree, state.Tree.InstallationFolder,
                                                state.MyModel.get(), state.NewModel.get());
  if (kind == ReportKind::Html) return Utf8FileBytes(RenderReportHtml(report), false);
  return Utf8FileBytes(RenderReportText(report));
}

std::string EntryFileBytes(PluginState& state, int index) {
  const ReportKind kind = ReportKindOf(state.Tree.Tree[index]);
  if (kind != ReportKind::None) return ReportFileBytes(state, kind);
  return Utf8FileBytes(
      EntryText(state.Tree.Tree, index, state.MyModel.get(), state.NewModel.get()));
}

bool OpenWithShell(const std::wstring& file) {
  // ShellExecute answers a value above 32 when it started the program.
  return reinterpret_cast<INT_PTR>(::ShellExecuteW(nullptr, L"open", file.c_str(), nullptr,
                                                   nullptr, SW_SHOWNORMAL)) > 32;
}

bool OpenReport(PluginState& state, ReportKind kind, const ShellOpener& open) {
  if (kind == ReportKind::None) return false;
  wchar_t temp[MAX_PATH + 1] = {};
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring dir =
      platform::IncludeTrailingBackslash(std::wstring(temp, n > 0 && n <= MAX_PATH ? n : 0)) +
      texts::kPluginName + L"\\";
  const std::string bytes = ReportFileBytes(state, kind);
  const std::wstring name = L"Report";
  const std::wstring extension = kind == ReportKind::Html ? L".html" : L".txt";
  std::wstring file;
  if (n > 0 && n <= MAX_PATH && (platform::DirectoryExists(dir) || CreateDirectoryPath(dir))) {
    for (int i = 1; i <= 20 && file.empty(); ++i) {
      const std::wstring candidate =
          dir + name + (i == 1 ? std::wstring() : L" (" + std::to_wstring(i) + L")") + extension;
      if (WriteWholeFile(candidate, bytes)) file = candidate;
    }
  }
  if (file.empty()) {
    platform::ShowError(std::wstring(Tr(texts::kReportNotWritten)) + L"\n" + dir);
    return false;
  }
  if (!open(file)) {
    platform::ShowError(std::wstring(Tr(texts::kReportNotOpened)) + L"\n" + file);
    return false;
  }
  return true;
}

}  // namespace orvelle
