#include "tc/button_bars.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/command_text.h"
#include "tc/ini_line.h"
#include "tc/ttc.h"
#include "util/text_file.h"

#include <algorithm>
#include <map>

namespace orvelle {

std::vector<BarButton> ParseButtonBar(const std::vector<std::wstring>& lines) {
  std::map<int, BarButton> buttons;
  int count = -1;
  bool inBar = false;
  std::wstring key, value;
  for (const std::wstring& raw : lines) {
    std::wstring line = platform::Trim(raw);
    if (line.empty() || line[0] == L';') continue;
    if (line[0] == L'[') {
      inBar = SectionHeaderOf(line) == L"[buttonbar]";
      continue;
    }
    if (!inBar || !SplitIniEntry(line, key, value)) continue;
    if (key == L"buttoncount") {
      int n = 0;
      if (ParseKeyNumber(value, 0, n)) count = n;
      continue;
    }
    struct Field {
      const wchar_t* prefix;
      std::wstring BarButton::*member;
    };
    for (Field f : {Field{L"cmd", &BarButton::command}, Field{L"param", &BarButton::param},
                    Field{L"path", &BarButton::path}, Field{L"menu", &BarButton::menu}}) {
      int n = 0;
      if (!ParseNumberedKey(key, f.prefix, 1, n)) continue;
      BarButton& button = buttons[n];
      button.number = n;
      button.*f.member = value;
      break;
    }
  }
  std::vector<BarButton> result;
  for (auto& [number, button] : buttons) {
    if (count >= 0 && number > count) break;
    if (!button.command.empty()) result.push_back(std::move(button));
  }
  return result;
}

bool ReadButtonBarFiles(TTC& model) {
  model.BarFiles.clear();
  std::vector<std::wstring> pending;
  for (const platform::FileEntry& entry : platform::EnumFiles(model.ProgramDir() + L"*.bar")) {
    // The pattern also matches longer extensions through short names.
    if (!entry.IsDirectory() && platform::LowerCase(platform::ExtractFileExt(entry.name)) == L".bar") {
      pending.push_back(platform::LowerCase(model.ProgramDir() + entry.name));
    }
  }
  std::wstring key, value;
  while (!pending.empty()) {
    std::vector<std::wstring> found;
    for (const std::wstring& bar : pending) {
      model.BarFiles.insert(std::lower_bound(model.BarFiles.begin(), model.BarFiles.end(), bar),
                            bar);
      std::optional<TextDocument> doc = LoadTextFile(bar);
      if (!doc) continue;
      for (const std::wstring& raw : doc->lines) {
        if (!SplitIniEntry(platform::Trim(raw), key, value) || key.rfind(L"cmd", 0) != 0) continue;
        ParsedCommand command = ParseCommandText(model, value);
        if (command.kind == CommandKind::SubBar) found.push_back(platform::LowerCase(command.target));
      }
    }
    pending.clear();
    for (const std::wstring& bar : found) {
      if (std::binary_search(model.BarFiles.begin(), model.BarFiles.end(), bar)) continue;
      if (std::find(pending.begin(), pending.end(), bar) != pending.end()) continue;
      if (platform::FileExists(bar)) pending.push_back(bar);
    }
  }
  return true;
}

}  // namespace orvelle
