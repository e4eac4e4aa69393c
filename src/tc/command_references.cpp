#include "tc/command_references.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/command_text.h"
#include "tc/edit_plan.h"
#include "tc/ini_line.h"
#include "tc/line_removal.h"
#include "tc/registration_editor.h"
#include "tc/ttc.h"

namespace orvelle {

bool CommandCallsFile(const TTC& my, const std::wstring& command, const std::wstring& file) {
  ParsedCommand parsed = ParseCommandText(my, command);
  return parsed.kind == CommandKind::File && platform::EqualsNoCase(parsed.target, file);
}

int RemoveCommandReferences(EditPlan& plan, const TTC& my, const std::wstring& file) {
  bool removed = false, failed = false;
  auto callsFile = [&](const std::wstring& command) { return CommandCallsFile(my, command, file); };
  // The entry of a "cmdN" line that starts the file.
  auto commandLine = [&](const std::wstring& line) {
    std::wstring key, value;
    int number = 0;
    return IsEntryLine(line) && SplitIniEntry(platform::Trim(line), key, value) &&
           ParseNumberedKey(key, L"cmd", 0, number) && callsFile(value);
  };
  auto remove = [&](const std::wstring& path, auto removeFrom) {
    // A file the installation names but that is gone holds no reference.
    if (path.empty() || !platform::FileExists(path)) return;
    TextDocument* doc = plan.Document(path);
    if (!doc) {
      failed = true;
      return;
    }
    std::vector<RemovedGroup> groups = removeFrom(doc->lines);
    if (groups.empty()) return;
    removed = true;
    plan.AddRemoval(path, std::move(groups));
  };
  auto numbered = [&](const wchar_t* header, const wchar_t* countKey) {
    return [=](std::vector<std::wstring>& lines) {
      return RemoveNumberedEntries(lines, header, EntryNumbering::Trailing, commandLine, countKey);
    };
  };

  remove(my.SlotFile(kSlotUser), numbered(L"[user]", L""));
  remove(my.SlotFile(kSlotDirMenu), numbered(L"[dirmenu]", L""));
  for (const std::wstring& bar : my.BarFiles) remove(bar, numbered(L"[buttonbar]", L"buttoncount"));
  remove(my.ConfigPaths.mainmenu,
         [&](std::vector<std::wstring>& lines) { return RemoveMenuItems(lines, callsFile); });

  if (failed) return kRemovalFileError;
  return removed ? kRemovalDone : kRemovalNothing;
}

}  // namespace orvelle
