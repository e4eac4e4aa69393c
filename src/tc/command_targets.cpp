#include "tc/command_targets.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/button_bars.h"
#include "tc/command_text.h"
#include "tc/executable_extensions.h"
#include "tc/ttc.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "util/text_file.h"

namespace orvelle {

namespace {

std::wstring TargetType(const TTC& model, const ParsedCommand& command) {
  if (command.kind == CommandKind::UserCommand) return L"C";
  if (!platform::FileExists(command.target)) return L"E";
  if (!IsExecutableFileName(command.target)) return L"N";
  // Inside means below the program directory itself, not a sibling whose
  // name starts the same ("c:\tc2" is not inside "c:\tc").
  std::wstring programDir = platform::LowerCase(model.ProgramDir());
  return platform::LowerCase(command.target).rfind(programDir, 0) == 0 ? L"I" : L"E";
}

}  // namespace

std::wstring CleanCaption(std::wstring_view caption) {
  size_t tab = caption.find(L"\\t");
  if (tab != std::wstring_view::npos) caption = caption.substr(0, tab);
  std::wstring out;
  for (size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == L'&') {
      if (i + 1 < caption.size() && caption[i + 1] == L'&') out += caption[++i];
      continue;
    }
    out += caption[i];
  }
  return platform::Trim(out);
}

void AddCommandTarget(TTC& model, const std::wstring& command, const std::wstring& source) {
  ParsedCommand parsed = ParseCommandText(model, command);
  if (parsed.kind != CommandKind::File && parsed.kind != CommandKind::UserCommand) return;
  std::wstring name = parsed.kind == CommandKind::File ? platform::ExtractFileName(parsed.target)
                                                       : parsed.target;
  if (name.empty()) return;
  size_t occurrence = 1;
  for (const std::wstring& other : model.TargetNames) {
    if (platform::EqualsNoCase(other, name)) ++occurrence;
  }
  model.TargetTypes.push_back(TargetType(model, parsed));
  model.TargetNames.push_back(name);
  model.TargetPaths.push_back(parsed.target);
  model.TargetSources.push_back(source);
  model.TargetOccurrences.push_back(std::to_wstring(occurrence));
}

bool ReadCommandTargets(TTC& model) {
  model.TargetNames.clear();
  model.TargetPaths.clear();
  model.TargetSources.clear();
  model.TargetTypes.clear();
  model.TargetOccurrences.clear();

  for (size_t i = 0; i < model.MenuCommands.size(); ++i) {
    std::wstring path;
    if (i < model.MenuPaths.size()) {
      // Each submenu name is followed by " -> "; clean them one by one.
      std::wstring_view rest = model.MenuPaths[i];
      for (size_t arrow; (arrow = rest.find(L" -> ")) != std::wstring_view::npos;
           rest.remove_prefix(arrow + 4)) {
        path += CleanCaption(rest.substr(0, arrow)) + L" -> ";
      }
    }
    std::wstring caption = i < model.MenuCaptions.size() ? CleanCaption(model.MenuCaptions[i]) : L"";
    AddCommandTarget(model, model.MenuCommands[i], Tr(texts::kFromMainMenu) + path + caption);
  }

  for (const std::wstring& bar : model.BarFiles) {
    std::optional<TextDocument> doc = LoadTextFile(bar);
    if (!doc) continue;
    std::wstring barName = platform::ExtractFileName(bar);
    for (const BarButton& button : ParseButtonBar(doc->lines)) {
      std::wstring source =
          Tr(texts::kFromButtonBar) + barName + L": " + std::to_wstring(button.number);
      if (!button.menu.empty()) source += L" - " + button.menu;
      AddCommandTarget(model, button.command, source);
    }
  }

  // In the start menu "-Name" opens a submenu and "--" closes it.
  std::vector<std::wstring> submenus;
  for (size_t i = 0; i < model.UserMenus.size() || i < model.UserCommands.size(); ++i) {
    std::wstring menu = i < model.UserMenus.size() ? model.UserMenus[i] : L"";
    if (menu.rfind(L"--", 0) == 0) {
      if (!submenus.empty()) submenus.pop_back();
      continue;
    }
    if (menu.rfind(L"-", 0) == 0) {
      submenus.push_back(CleanCaption(std::wstring_view(menu).substr(1)));
      continue;
    }
    if (i >= model.UserCommands.size()) continue;
    std::wstring path;
    for (const std::wstring& name : submenus) path += name + L" -> ";
    AddCommandTarget(model, model.UserCommands[i],
                     Tr(texts::kFromStartMenu) + path + CleanCaption(menu));
  }
  return true;
}

}  // namespace orvelle
