// The report as plain text, for a forum post: columns of fixed width,
// readable in a proportional font too.
#include "report/comparison_report.h"
#include "tree/translation.h"
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
  out += Tr(texts::kReportHeading) + std::wstring(L" (");
  out += texts::kPluginName;
  out += L" ";
  out += texts::kPluginVersion;
  out += L", " + r.Made + L")\n\n";
  // The two labels padded alike, whatever their length in the language shown.
  const std::wstring newLabel = Tr(texts::kReportNewInstallation) + std::wstring(L": ");
  const std::wstring myLabel = Tr(texts::kReportMyInstallation) + std::wstring(L": ");
  const size_t labelWidth = std::max(newLabel.size(), myLabel.size());
  const auto installation = [&](const std::wstring& label, const ReportInstallation& in) {
    out += PadRight(label, labelWidth);
    out += in.ProgramFile;
    if (!in.Version.empty()) {
      out += L"  " + std::wstring(Tr(texts::kReportVersionOf)) + L" " + in.Version;
    }
    out += L"\n";
    if (!in.ConfigurationFile.empty()) {
      out += L"  " + std::wstring(Tr(texts::kReportConfigurationOf)) + L": " +
             in.ConfigurationFile + L"\n";
    }
  };
  installation(newLabel, r.New);
  installation(myLabel, r.My);
  for (const std::wstring& note : r.Notes) {
    out += Tr(texts::kReportNote) + (L": " + OneLine(note)) + L"\n";
  }
  out += L"\n" + std::wstring(Tr(texts::kReportSigns)) + L":";
  for (std::wstring_view sign : kReportSigns) {
    out += L"  " + std::wstring(sign) + L" " + SignInWords(sign) + L";";
  }
  out.back() = L'\n';

  size_t width = std::wstring_view(Tr(texts::kReportFolder)).size();
  for (const ReportFolder& f : r.Folders) width = std::max(width, f.Path.size());
  width = std::min(width, kWidestFolderColumn) + 1;
  out += L"\n" + std::wstring(Tr(texts::kReportSummary)) + L": " +
         Tr(texts::kReportSummaryOfSigns) + L"\n";
  out += PadRight(Tr(texts::kReportFolder), width);
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
  out += PadRight(Tr(texts::kReportAll), width);
  AppendCounts(out, r.Totals);
  out += L"\n\n" + std::wstring(Tr(texts::kReportDifferences)) + L"\n";

  const size_t sideWidth = std::max(std::wstring_view(Tr(texts::kNewSide)).size(),
                                    std::wstring_view(Tr(texts::kMySide)).size()) +
                           1;
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
        out += L"        " + PadRight(Tr(texts::kNewSide) + std::wstring(L":"), sideWidth) + L" " +
               OneLine(e.NewText) + L"\n        " +
               PadRight(Tr(texts::kMySide) + std::wstring(L":"), sideWidth) + L" " +
               OneLine(e.MyText) + L"\n";
      }
    }
  }
  if (!anyDifference) out += Tr(texts::kReportNoDifference) + std::wstring(L"\n");
  return out;
}

}  // namespace orvelle
