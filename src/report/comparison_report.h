// The whole comparison as one value: both installations, a summary per
// folder and every difference, read from the tree as it stands (after
// operations). The HTML and text reports are two renderings of it.
#pragma once

#include "report/signs.h"
#include "tree/tree.h"

#include <array>
#include <string>
#include <vector>

namespace orvelle {

class TTC;

struct ReportInstallation {
  std::wstring ProgramFile;
  std::wstring Version;
  std::wstring ConfigurationFile;
};

struct ReportEntry {
  std::wstring Name;
  std::wstring Status;
  std::wstring Words;    // the sign in words
  std::wstring Comment;  // the entry's comment column
  std::wstring NewText, MyText;  // a compared text (command, menu line, detect string)
  bool IsFolder = false;
};

// One folder of the tree, in listing order (depth first). Counts are of its
// direct entries that carry one sign (kReportSigns' order); a folder whose
// entries differ in several ways is a section of its own, not counted.
struct ReportFolder {
  std::wstring Path;  // below the root, without the leading backslash
  int Depth = 0;      // 0 for the installation folder
  std::wstring Status;
  std::array<int, kReportSigns.size()> Counts{};
  // The entries that differ (every counted sign but "=") or that the plugin
  // changed, in listing order. Equal entries are only counted.
  std::vector<ReportEntry> Differences;
};

struct ComparisonReport {
  ReportInstallation New, My;
  std::wstring Made;  // local date and time the report was made
  std::vector<std::wstring> Notes;  // messages of the root (warnings, an incomplete tree)
  std::vector<ReportFolder> Folders;
  std::array<int, kReportSigns.size()> Totals{};
};

// Reads the report from the tree below the root folder installationFolder
// (its name in the root). Either model may be null. Linear in the number of
// entries below that folder.
ComparisonReport CollectReport(const VirtualTree& tree, const std::wstring& installationFolder,
                               const TTC* my, const TTC* newModel);

// Self-contained HTML (styles inline, no scripts), UTF-8 meant.
std::wstring RenderReportHtml(const ComparisonReport& report);
// Plain text for pasting into a forum post.
std::wstring RenderReportText(const ComparisonReport& report);

// A text as a file's bytes: UTF-8 with its byte-order mark, lines ended by
// CR LF (a lone LF becomes CR LF, existing CR LF pairs stay).
std::string Utf8FileBytes(const std::wstring& text, bool byteOrderMark = true);

}  // namespace orvelle
