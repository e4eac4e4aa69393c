#include "tc/menu_reader.h"

#include "platform/message_box.h"
#include "platform/strings.h"
#include "tc/ttc.h"
#include "util/text_file.h"

namespace orvelle {

namespace {

// The text after the opening double quote that follows keyword (a lower-case
// keyword plus blank and double quote), or npos.
size_t QuotedTextStart(const std::wstring& lowerLine, const wchar_t* keyword) {
  size_t at = lowerLine.find(keyword);
  if (at == std::wstring::npos) return at;
  return lowerLine.find(L'"', at) + 1;
}

}  // namespace

MenuLine ParseMenuLine(std::wstring_view rawLine) {
  MenuLine out;
  const std::wstring line = platform::Trim(rawLine);
  const std::wstring lower = platform::LowerCase(line);
  if (lower.find(L" \"") == std::wstring::npos) {
    out.ClosesSubmenu = lower.find(L"end_popup") != std::wstring::npos;
    return out;
  }
  size_t popup = QuotedTextStart(lower, L"popup \"");
  if (popup != std::wstring::npos) {
    out.OpensSubmenu = true;
    // Up to the closing double quote; a line that has none runs to its end.
    size_t close = line.rfind(L'"');
    out.Submenu = line.substr(popup, close >= popup ? close - popup : std::wstring::npos);
  }
  size_t item = QuotedTextStart(lower, L"menuitem \"");
  if (item == std::wstring::npos) return out;
  size_t comma = line.find(L"\",", item);
  if (comma == std::wstring::npos) return out;
  out.IsItem = true;
  out.Caption = line.substr(item, comma - item);
  out.Command = platform::Trim(line.substr(comma + 2));
  return out;
}

void ParseMainMenu(const std::vector<std::wstring>& lines, TTC& model) {
  model.MenuPaths.clear();
  model.MenuCaptions.clear();
  model.MenuCommands.clear();
  // Each item keeps the names of its open submenus; only the outer
  // kNamedLevels are named, so that no file can make that grow without bound
  // (the host's own menus nest a few levels deep).
  constexpr size_t kNamedLevels = 32;
  std::vector<std::wstring> open;
  size_t depth = 0;
  for (const std::wstring& raw : lines) {
    MenuLine line = ParseMenuLine(raw);
    if (line.ClosesSubmenu) {
      if (depth > 0 && depth-- <= kNamedLevels) open.pop_back();
      continue;
    }
    if (line.OpensSubmenu && ++depth <= kNamedLevels) open.push_back(line.Submenu);
    if (!line.IsItem) continue;
    std::wstring path;
    for (const std::wstring& name : open) path += name + L" -> ";
    model.MenuPaths.push_back(path);
    model.MenuCaptions.push_back(line.Caption);
    model.MenuCommands.push_back(line.Command);
  }
}

bool ReadMainMenu(TTC& model) {
  // The comparison goes on without the menu; a notice entry tells why its
  // items are missing.
  std::optional<TextDocument> doc;
  if (!model.ConfigPaths.mainmenu.empty()) doc = LoadTextFile(model.ConfigPaths.mainmenu);
  if (doc) {
    model.MissingMainMenu.clear();
  } else if (model.MissingMainMenu.empty()) {
    model.MissingMainMenu = model.ConfigPaths.mainmenu;
  }
  ParseMainMenu(doc ? doc->lines : std::vector<std::wstring>(), model);
  return true;
}

}  // namespace orvelle
