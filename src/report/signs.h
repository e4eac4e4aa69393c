// The comparison signs as a report shows them: in words, in the dialogs'
// colours, and which of them a report counts.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace orvelle {

// The signs a report counts, in the order of its columns.
inline constexpr std::array<std::wstring_view, 8> kReportSigns = {L">", L"<", L"<>", L"*",
                                                                  L"!", L"=", L"*!", L"!*"};

// The column of a sign in kReportSigns; -1 for anything else (a folder's
// summary of several signs, an empty sign, "?").
int ReportSignColumn(std::wstring_view status);

// The sign in words: "New is newer", "only in My installation"... A folder's
// summary names each sign it holds. done: the plugin changed the entry
// ("*!" then says so rather than "the very same file").
std::wstring SignInWords(std::wstring_view status, bool done = false);

// The dialogs' colour of a sign as an HTML colour ("#4f80ff").
std::wstring SignHtmlColour(std::wstring_view sign);

}  // namespace orvelle
