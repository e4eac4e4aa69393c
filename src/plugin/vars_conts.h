// Every text the user sees, in one table.
#pragma once

namespace orvelle::texts {

inline constexpr wchar_t kPluginName[] = L"Orvelle";
inline constexpr wchar_t kPluginVersion[] = L"1.0.2.0";
inline constexpr wchar_t kAbout[] = L"About...";
inline constexpr wchar_t kRepeatComparison[] = L"Repeat comparison?";
inline constexpr wchar_t kComparisonTitle[] = L"Comparison... wait a minute...";
inline constexpr wchar_t kNotBuiltCompletely[] = L"Virtual tree was not build completely!";
inline constexpr wchar_t kRunAnother[] = L"First, run another Total Commander!";
inline constexpr wchar_t kCanNotOpenProcess[] =
    L"Can not open finded process! Run TC as Administrator or run another TC without "
    L"Administrator rights!";
inline constexpr wchar_t kInformation[] = L"Information";
inline constexpr wchar_t kWarning[] = L"Warning";
inline constexpr wchar_t kError[] = L"Error";
inline constexpr wchar_t kBackupFolder[] = L"Backup";

}  // namespace orvelle::texts
