// The root's two report entries and what the host's viewer, copy and Enter
// get for any entry that is not a compared file: its description, or for
// the report entries the whole comparison, made from the tree as it stands.
#pragma once

#include "plugin/state.h"

#include <functional>
#include <string>

namespace orvelle {

enum class ReportKind { None, Html, Text };

// Which report a root entry stands for (None for every other entry).
ReportKind ReportKindOf(const TVirtualTreeItem& entry);

// Appends "Report.html" and "Report.txt" to the root, after its entries.
void AddReportEntries(VirtualTree& tree, HICON icon);

// The report of the current comparison as file bytes: HTML in UTF-8, the
// text with a byte-order mark and CR LF.
std::string ReportFileBytes(PluginState& state, ReportKind kind);

// The bytes FsGetFile writes for entry index when it does not copy a file:
// the report for a report entry, else the entry's description.
std::string EntryFileBytes(PluginState& state, int index);

// Opens a file with its associated program; false when that fails.
using ShellOpener = std::function<bool(const std::wstring& file)>;
bool OpenWithShell(const std::wstring& file);

// Enter on a report entry: the report is written to a file of the temporary
// folder (a viewer may hold the previous one open, so the next free name is
// taken) and handed to the shell. False, with a message, when it could not
// be written or opened.
bool OpenReport(PluginState& state, ReportKind kind, const ShellOpener& open = OpenWithShell);

}  // namespace orvelle
