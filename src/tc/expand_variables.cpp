#include "tc/expand_variables.h"

#include "platform/strings.h"
#include "tc/ttc.h"

#include <vector>

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

std::wstring CanonicalPath(std::wstring_view path) {
  std::wstring text(path);
  if (text.starts_with(L"\\\\?\\") || text.starts_with(L"\\\\.\\")) return text;
  size_t rootEnd = 0;  // the length of "c:\" or "\\server\share\"
  if (text.size() >= 3 && text[1] == L':' && (text[2] == L'\\' || text[2] == L'/')) {
    rootEnd = 3;
  } else if (text.size() > 2 && (text[0] == L'\\' || text[0] == L'/') &&
             (text[1] == L'\\' || text[1] == L'/')) {
    size_t server = text.find_first_of(L"\\/", 2);
    if (server == std::wstring::npos || server == 2) return text;
    size_t share = text.find_first_of(L"\\/", server + 1);
    if (share == std::wstring::npos || share == server + 1) return text;
    rootEnd = share + 1;
  } else {
    return text;
  }
  for (wchar_t& c : text) {
    if (c == L'/') c = L'\\';
  }
  std::vector<std::wstring> steps;
  size_t start = rootEnd;
  while (start <= text.size()) {
    size_t end = text.find(L'\\', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring step = text.substr(start, end - start);
    if (step == L"..") {
      if (!steps.empty()) steps.pop_back();
    } else if (!step.empty() && step != L".") {
      steps.push_back(std::move(step));
    }
    start = end + 1;
  }
  std::wstring result = text.substr(0, rootEnd);
  for (size_t i = 0; i < steps.size(); ++i) result += (i ? L"\\" : L"") + steps[i];
  if (!steps.empty() && text.back() == L'\\') result += L'\\';
  return result;
}

std::wstring ConfiguredPath(const TTC& model, std::wstring_view value) {
  return platform::LowerCase(CanonicalPath(ExpandVariables(model, platform::Trim(value), true)));
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
