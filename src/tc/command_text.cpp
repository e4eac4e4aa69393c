#include "tc/command_text.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tc/executable_extensions.h"
#include "tc/expand_variables.h"
#include "tc/ttc.h"

#include <algorithm>
#include <array>

namespace orvelle {

namespace {

// The host's internal commands that take a parameter, as its command list
// names them ("CD <directory>", "OPENBAR <filename>"...).
constexpr std::array<std::wstring_view, 27> kParameterCommands = {
    L"CD",           L"OPENTABS",       L"APPENDTABS",  L"FTPOPEN",       L"SYNCOPEN",
    L"LOADSEARCH",   L"OPENBAR",        L"MULTIRENAME", L"OPENCUSTOMVIEW", L"SELECTFILES",
    L"CM_WAIT",      L"SAVETABS",       L"SAVETABSL",   L"SAVETABSR",     L"SAVETABS2",
    L"SAVETABS2L",   L"SAVETABS2R",     L"OPENLANGUAGEFILE", L"OPENBAR1", L"OPENBAR2",
    L"SAVESELECTION", L"SAVEDETAILS",   L"LOADSELECTION", L"LOADLIST",    L"ZIPFROMLIST",
    L"OPENATTRIBUTES", L"OPENBARMENU"};

bool IsDecimalWord(std::wstring_view word) {
  if (!word.empty() && word[0] == L'-') word.remove_prefix(1);
  return !word.empty() &&
         std::all_of(word.begin(), word.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

bool IsParameterCommand(const TTC& model, const std::wstring& upperWord) {
  if (std::find(kParameterCommands.begin(), kParameterCommands.end(), upperWord) !=
      kParameterCommands.end()) {
    return true;
  }
  // Newer hosts list further ones in their command list: "NAME <param>=-n".
  for (const std::wstring& name : model.CommandNames) {
    size_t blank = name.find(L" <");
    if (blank != std::wstring::npos && platform::EqualsNoCase(name.substr(0, blank), upperWord)) {
      return true;
    }
  }
  return false;
}

// The text between the leading double quotes and the next one: "x" y and
// ""x"" alike (the host writes some paths doubly quoted).
std::wstring QuotedPart(std::wstring_view text) {
  size_t first = text.find_first_not_of(L'"');
  if (first == std::wstring_view::npos) return {};
  size_t close = text.find(L'"', first);
  return platform::Trim(
      text.substr(first, close == std::wstring_view::npos ? close : close - first));
}

ParsedCommand FileTarget(const TTC& model, const std::wstring& text) {
  std::wstring path = CanonicalPath(ExpandVariables(model, text, true));
  if (platform::DirectoryExists(path)) return {};
  if (platform::LowerCase(platform::ExtractFileExt(path)) == L".bar") {
    return {CommandKind::SubBar, path};
  }
  return {CommandKind::File, path};
}

// An unquoted text may be a path with blanks, or a program with parameters.
// The candidates end at a blank or at the end of the text; none longer than
// the longest Windows path is tried, so that no text costs more than that.
ParsedCommand UnquotedFileTarget(const TTC& model, const std::wstring& text) {
  constexpr size_t kLongestPath = 32767;
  std::vector<size_t> ends;
  for (size_t i = 1; i < text.size() && i <= kLongestPath; ++i) {
    bool blank = text[i] == L' ' || text[i] == L'\t';
    bool afterBlank = text[i - 1] == L' ' || text[i - 1] == L'\t';
    if (blank && !afterBlank) ends.push_back(i);
  }
  if (text.size() <= kLongestPath) ends.push_back(text.size());
  for (auto it = ends.rbegin(); it != ends.rend(); ++it) {
    std::wstring part = text.substr(0, *it);
    if (platform::FileExists(ExpandVariables(model, part, true))) return FileTarget(model, part);
  }
  for (size_t end : ends) {
    std::wstring part = text.substr(0, end);
    if (IsExecutableFileName(platform::ExtractFileName(part))) return FileTarget(model, part);
  }
  return FileTarget(model, text);
}

}  // namespace

ParsedCommand ParseCommandText(const TTC& model, std::wstring_view commandText) {
  std::wstring text = platform::Trim(commandText);
  if (!text.empty() && text[0] == L'*') text = platform::Trim(std::wstring_view(text).substr(1));
  if (text.empty()) return {};
  if (text[0] == L'"') {
    std::wstring file = QuotedPart(text);
    return file.empty() ? ParsedCommand() : FileTarget(model, file);
  }
  size_t blank = text.find_first_of(L" \t");
  std::wstring word = text.substr(0, blank);
  std::wstring lower = platform::LowerCase(word);
  std::wstring parameter =
      blank == std::wstring::npos ? std::wstring() : platform::Trim(text.substr(blank));
  if (lower.rfind(L"cm_", 0) == 0 || word[0] == L'$' || IsDecimalWord(word)) {
    return {CommandKind::Internal, {}};
  }
  if (lower.rfind(L"em_", 0) == 0) return {CommandKind::UserCommand, word};
  if (lower == L"openbar" || lower == L"openbar1" || lower == L"openbar2" ||
      lower == L"openbarmenu") {
    std::wstring bar = !parameter.empty() && parameter[0] == L'"' ? QuotedPart(parameter) : parameter;
    if (bar.empty()) return {CommandKind::Internal, {}};
    return {CommandKind::SubBar, ExpandVariables(model, bar, true)};
  }
  if (IsParameterCommand(model, platform::UpperCase(word))) return {CommandKind::Internal, {}};
  if (word.find(L"://") != std::wstring::npos) return {};
  return UnquotedFileTarget(model, text);
}

}  // namespace orvelle
