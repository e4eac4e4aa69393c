#include "tc/expand_variables.h"

#include "platform/strings.h"
#include "tc/ttc.h"

namespace orvelle {

namespace {

std::wstring MakeAbsolutePath(const TTC& model, std::wstring text) {
  if (text.find(L':') != std::wstring::npos) return text;
  // A network path is absolute without a drive letter.
  if (text.rfind(L"\\\\", 0) == 0) return text;
  if (!text.empty() && text[0] == L'\\') return ExtractFileDrive(model.ExeFile) + text;
  return model.ProgramDir() + text;
}

const std::wstring* FindVariable(const TTC& model, std::wstring_view name) {
  if (name.empty()) return nullptr;
  for (size_t i = 0; i < model.EnvNames.size() && i < model.EnvValues.size(); ++i) {
    if (platform::EqualsNoCase(model.EnvNames[i], name)) return &model.EnvValues[i];
  }
  return nullptr;
}

}  // namespace

std::wstring EnvironmentValue(const TTC& model, std::wstring_view name) {
  const std::wstring* value = FindVariable(model, name);
  return value ? *value : std::wstring();
}

std::wstring ExpandVariables(const TTC& model, std::wstring_view text, bool makeAbsolute) {
  std::wstring result;
  size_t open = text.find(L'%');
  size_t close = open == std::wstring_view::npos ? open : text.find(L'%', open + 1);
  if (open == std::wstring_view::npos) {
    if (text.rfind(L".\\", 0) == 0) {
      result = model.ProgramDir() + std::wstring(text.substr(2));
    } else {
      result = std::wstring(text);
    }
  } else if (close == std::wstring_view::npos) {
    // A lone percent sign ("100%") names no variable.
    result = std::wstring(text);
  } else {
    std::wstring_view name = text.substr(open + 1, close - open - 1);
    result = std::wstring(text.substr(0, open));
    if (const std::wstring* value = FindVariable(model, name)) {
      result += *value;
    } else {
      result += L"%" + std::wstring(name) + L"%";
    }
    result += text.substr(close + 1);
  }
  return makeAbsolute ? MakeAbsolutePath(model, std::move(result)) : result;
}

std::wstring ExtractFileDrive(std::wstring_view path) {
  if (path.size() >= 2 && path[1] == L':') return std::wstring(path.substr(0, 2));
  if (path.rfind(L"\\\\", 0) == 0) {
    size_t server = path.find(L'\\', 2);
    if (server == std::wstring_view::npos) return std::wstring(path);
    size_t share = path.find(L'\\', server + 1);
    return std::wstring(path.substr(0, share));
  }
  return {};
}

}  // namespace orvelle
