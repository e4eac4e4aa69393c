// The report as plain text, for a forum post: columns of fixed width,
// readable in a proportional font too.
#include "report/comparison_report.h"
#include "tree/vars_conts.h"

#include <algorithm>

namespace orvelle {

namespace {

constexpr size_t kCountWidth = 5;
constexpr size_t kWidestFolderColumn = 60;

std::wstring PadRight(std::wstring text, size_t width) {
  if (text.size() < width) text.append(width - text.size(), L' ');
  return text;
}

std::wstring PadLeft(const std::wstring& text, size_t width) {
  return text.size() < width ? std::wstring(width - text.size(), L' ') + text : text;
}

// One line: a line break inside a comment would break the columns.
std::wstring OneLine(std::wstring text) {
  std::replace(text.begin(), text.end(), L'\r', L' ');
  std::replace(text.begin(), text.end(), L'\n', L' ');
  return text;
}

void AppendCounts(std::wstring& out, const std::array<int, kReportSigns.size()>& counts) {
  for (int n : counts) out += PadLeft(n == 0 ? std::wstring(L"-") : std::to_wstring(n), kCountWidth);
}

}  // namespace

std::wstring RenderReportText(const ComparisonReport& r) {
  std::wstring out;
  out.reserve(2048 + r.Folders.size() * 160);
  out += L"Comparison of two installations (";
  out += texts::kPluginName;
  out += L" ";
  out += texts::kPluginVersion;
  out += L", " + r.Made + L")\n\n";
  const auto installation = [&out](const wchar_t* label, const ReportInstallation& in) {
    out += label;
    out += in.ProgramFile;
    if (!in.Version.empty()) out += L"  version " + in.Version;
    out += L"\n";
    if (!in.ConfigurationFile.empty()) out += L"  configuration: " + in.ConfigurationFile + L"\n";
  };
  installation(L"New installation: ", r.New);
  installation(L"My installation:  ", r.My);
  for (const std::wstring& note : r.Notes) out += L"Note: " + OneLine(note) + L"\n";
  out += L"\nSigns:";
  for (std::wstring_view sign : kReportSigns) {
    out += L"  " + std::wstring(sign) + L" " + SignInWords(sign) + L";";
  }
  out.back() = L'\n';

  size_t width = 6;
  for (const ReportFolder& f : r.Folders) width = std::max(width, f.Path.size());
  width = std::min(width, kWidestFolderColumn) + 1;
  out += L"\nSummary: entries of each sign in each folder\n";
  out += PadRight(L"Folder", width);
  for (std::wstring_view sign : kReportSigns) out += PadLeft(std::wstring(sign), kCountWidth);
  out += L"\n";
  for (const ReportFolder& f : r.Folders) {
    bool any = false;
    for (int n : f.Counts) any = any || n != 0;
    if (!any) continue;
    out += PadRight(f.Path, width);
    AppendCounts(out, f.Counts);
    out += L"\n";
  }
  out += PadRight(L"All", width);
  AppendCounts(out, r.Totals);
  out += L"\n\nDifferences\n";

  bool anyDifference = false;
  for (const ReportFolder& f : r.Folders) {
    if (f.Differences.empty()) continue;
    anyDifference = true;
    out += L"\n" + f.Path;
    if (!f.Status.empty()) out += L"  [" + f.Status + L"]";
    out += L"\n";
    for (const ReportEntry& e : f.Differences) {
      out += L"  " + PadRight(e.Status, 3) + L" " + e.Name + (e.IsFolder ? L"\\" : L"") + L"  (" +
             e.Words + L")";
      if (!e.Comment.empty()) out += L"  " + OneLine(e.Comment);
      out += L"\n";
      if (!e.NewText.empty() || !e.MyText.empty()) {
        out += L"        New: " + OneLine(e.NewText) + L"\n        My:  " + OneLine(e.MyText) + L"\n";
      }
    }
  }
  if (!anyDifference) out += L"The two installations do not differ.\n";
  return out;
}

}  // namespace orvelle
