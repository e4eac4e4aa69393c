#include "tc/command_list.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/ttc.h"
#include "util/text_file.h"

namespace orvelle {

void ParseCommandList(const std::vector<std::wstring>& lines, TTC& model) {
  model.CommandCategories.clear();
  model.CommandNames.clear();
  model.CommandNumbers.clear();
  model.CommandDescriptions.clear();
  model.CommandCategoryOf.clear();
  int category = -1;
  for (const std::wstring& raw : lines) {
    std::wstring line = platform::Trim(raw);
    if (line.empty() || line[0] == L';') continue;
    if (line[0] == L'[') {
      size_t close = line.find(L']');
      std::wstring name = line.substr(1, close == std::wstring::npos ? close : close - 1);
      std::erase(name, L'_');
      model.CommandCategories.push_back(name);
      category = static_cast<int>(model.CommandCategories.size()) - 1;
      continue;
    }
    size_t eq = line.find(L'=');
    if (eq == std::wstring::npos || eq == 0) continue;
    if (category < 0) {
      // Every command needs a category the comparison can show it in.
      model.CommandCategories.emplace_back();
      category = 0;
    }
    std::wstring value = line.substr(eq + 1);
    size_t semicolon = value.find(L';');
    model.CommandCategoryOf.push_back(category);
    model.CommandNames.push_back(platform::Trim(line.substr(0, eq)));
    model.CommandNumbers.push_back(platform::Trim(value.substr(0, semicolon)));
    model.CommandDescriptions.push_back(
        semicolon == std::wstring::npos ? std::wstring() : value.substr(semicolon + 1));
  }
}

bool ReadCommandList(TTC& model) {
  std::wstring file = model.ProgramDir() + L"TOTALCMD.INC";
  std::optional<TextDocument> doc;
  if (platform::FileExists(file)) doc = LoadTextFile(file);
  model.MissingCommandList = doc ? std::wstring() : file;
  ParseCommandList(doc ? doc->lines : std::vector<std::wstring>(), model);
  return true;
}

}  // namespace orvelle
