// The report as one HTML file that opens anywhere: styles inline, no
// scripts, nothing fetched from elsewhere.
#include "report/comparison_report.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"

namespace orvelle {

namespace {

void AppendEscaped(std::wstring& out, std::wstring_view text) {
  for (wchar_t c : text) {
    switch (c) {
      case L'&': out += L"&amp;"; break;
      case L'<': out += L"&lt;"; break;
      case L'>': out += L"&gt;"; break;
      case L'"': out += L"&quot;"; break;
      case L'\'': out += L"&#39;"; break;
      // Control characters are not allowed in HTML text; a tab or a line
      // break shows as a blank.
      case L'\t': case L'\r': case L'\n': out += L' '; break;
      default:
        if (c >= 0x20) out += c;
    }
  }
}

std::wstring Escaped(std::wstring_view text) {
  std::wstring out;
  AppendEscaped(out, text);
  return out;
}

// Light signs ("<", "!") are grey in the dialogs; on a badge they take dark
// text, the others white.
std::wstring SignBadge(std::wstring_view sign) {
  const bool light = sign == L"<" || sign == L"!" || sign == L"=" || sign.empty() ||
                     sign == L"*!" || sign == L"!*";
  std::wstring style = L"background:" + SignHtmlColour(sign) + L";color:" +
                       (light ? L"#000" : L"#fff");
  if (sign == L"=" || sign == L"*!" || sign == L"!*") style = L"background:#fff;color:#000;border:1px solid #000";
  return L"<span class=\"sign\" style=\"" + style + L"\">" + Escaped(sign) + L"</span>";
}

constexpr wchar_t kStyle[] =
    L"body{font-family:Segoe UI,Tahoma,Arial,sans-serif;font-size:14px;color:#000;background:#fff;"
    L"margin:16px 24px}"
    L"h1{font-size:22px;margin:0 0 8px}h2{font-size:18px;margin:24px 0 8px;border-bottom:1px solid #ccc}"
    L"h3{font-size:15px;margin:16px 0 4px;font-weight:600}"
    L"table{border-collapse:collapse}td,th{padding:2px 8px;text-align:left;vertical-align:top}"
    L"table.summary td.n,table.summary th.n{text-align:right;min-width:2.5em}"
    L"table.summary tr:nth-child(even),table.diff tr:nth-child(even){background:#f4f4f4}"
    L"tr.total td{font-weight:600;border-top:1px solid #000}"
    L".sign{display:inline-block;min-width:1.8em;text-align:center;border-radius:3px;"
    L"font-family:Consolas,monospace;font-weight:600;padding:0 2px}"
    L".muted{color:#666}.texts{font-family:Consolas,monospace;font-size:12px;color:#333}"
    L".notes li{color:#b00}";

void RenderHeader(std::wstring& out, const ComparisonReport& r) {
  out += L"<h1>" + Escaped(Tr(texts::kReportHeading)) + L"</h1>\n<table class=\"installations\">\n";
  out += L"<tr><th></th><th>" + Escaped(Tr(texts::kReportProgramFile)) + L"</th><th>" +
         Escaped(Tr(texts::kReportVersion)) + L"</th><th>" +
         Escaped(Tr(texts::kReportConfiguration)) + L"</th></tr>\n";
  const auto row = [&out](const wchar_t* label, const ReportInstallation& in) {
    out += L"<tr><th>";
    out += Escaped(label);
    out += L"</th><td>" + Escaped(in.ProgramFile) + L"</td><td>" + Escaped(in.Version) +
           L"</td><td>" + Escaped(in.ConfigurationFile) + L"</td></tr>\n";
  };
  row(Tr(texts::kReportNewInstallation), r.New);
  row(Tr(texts::kReportMyInstallation), r.My);
  out += L"</table>\n<p class=\"muted\">" + Escaped(Tr(texts::kReportMade)) + Escaped(r.Made) +
         Escaped(Tr(texts::kReportBy)) + texts::kPluginName + L" " + texts::kPluginVersion +
         L".</p>\n";
  if (!r.Notes.empty()) {
    out += L"<ul class=\"notes\">\n";
    for (const std::wstring& note : r.Notes) out += L"<li>" + Escaped(note) + L"</li>\n";
    out += L"</ul>\n";
  }
  out += L"<p>";
  for (std::wstring_view sign : kReportSigns) {
    out += SignBadge(sign) + L" " + Escaped(SignInWords(sign)) + L" &nbsp; ";
  }
  out += L"</p>\n";
}

void AppendCounts(std::wstring& out, const std::array<int, kReportSigns.size()>& counts) {
  for (size_t c = 0; c < counts.size(); ++c) {
    out += L"<td class=\"n\" data-sign=\"" + Escaped(kReportSigns[c]) + L"\">";
    if (counts[c] != 0) out += std::to_wstring(counts[c]);
    out += L"</td>";
  }
}

void RenderSummary(std::wstring& out, const ComparisonReport& r) {
  out += L"<h2>" + Escaped(Tr(texts::kReportSummary)) +
         L"</h2>\n<table class=\"summary\">\n<tr><th>" + Escaped(Tr(texts::kReportFolder)) +
         L"</th>";
  for (std::wstring_view sign : kReportSigns) out += L"<th class=\"n\">" + SignBadge(sign) + L"</th>";
  out += L"</tr>\n";
  for (const ReportFolder& f : r.Folders) {
    bool any = false;
    for (int n : f.Counts) any = any || n != 0;
    if (!any) continue;
    out += L"<tr data-path=\"" + Escaped(f.Path) + L"\"><td>" + Escaped(f.Path) + L"</td>";
    AppendCounts(out, f.Counts);
    out += L"</tr>\n";
  }
  out += L"<tr class=\"total\"><td>" + Escaped(Tr(texts::kReportAll)) + L"</td>";
  AppendCounts(out, r.Totals);
  out += L"</tr>\n</table>\n";
}

void RenderDifferences(std::wstring& out, const ComparisonReport& r) {
  out += L"<h2>" + Escaped(Tr(texts::kReportDifferences)) + L"</h2>\n";
  bool any = false;
  for (const ReportFolder& f : r.Folders) {
    if (f.Differences.empty()) continue;
    any = true;
    out += L"<section data-path=\"" + Escaped(f.Path) + L"\">\n<h3>" + Escaped(f.Path) + L" " +
           SignBadge(f.Status) + L"</h3>\n<table class=\"diff\">\n";
    for (const ReportEntry& e : f.Differences) {
      out += L"<tr data-sign=\"" + Escaped(e.Status) + L"\" style=\"color:" +
             (ReportSignColumn(e.Status) >= 0 && e.Status != L"<" && e.Status != L"!" &&
                      e.Status != L"*!" && e.Status != L"!*"
                  ? SignHtmlColour(e.Status)
                  : std::wstring(L"#000")) +
             L"\"><td>" + SignBadge(e.Status) + L"</td><td class=\"name\">" + Escaped(e.Name) +
             (e.IsFolder ? L"\\" : L"") + L"</td><td class=\"words\">" + Escaped(e.Words) +
             L"</td><td class=\"comment\">" + Escaped(e.Comment);
      if (!e.NewText.empty() || !e.MyText.empty()) {
        out += L"<div class=\"texts\">" + Escaped(Tr(texts::kNewSide)) + L": " +
               Escaped(e.NewText) + L"<br>" + Escaped(Tr(texts::kMySide)) + L": " +
               Escaped(e.MyText) + L"</div>";
      }
      out += L"</td></tr>\n";
    }
    out += L"</table>\n</section>\n";
  }
  if (!any) out += L"<p>" + Escaped(Tr(texts::kReportNoDifference)) + L"</p>\n";
}

}  // namespace

std::wstring RenderReportHtml(const ComparisonReport& report) {
  std::wstring out;
  out.reserve(4096 + report.Folders.size() * 256);
  out += L"<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>";
  out += texts::kPluginName;
  out += Escaped(Tr(texts::kReportTitle)) + L"</title>\n<style>";
  out += kStyle;
  out += L"</style>\n</head>\n<body>\n";
  RenderHeader(out, report);
  RenderSummary(out, report);
  RenderDifferences(out, report);
  out += L"</body>\n</html>\n";
  return out;
}

}  // namespace orvelle
