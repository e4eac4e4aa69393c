// Version records of executables and the comparisons built on them.
#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>

namespace orvelle {

// What the plugin needs of a file's version resource.
struct TPJVersionInfo {
  std::array<WORD, 4> fileVersion{};     // V1.V2.V3.V4, V1 most significant
  std::array<WORD, 4> productVersion{};
  // The twelve strings of the first translation (falling back to the common
  // English code pages): CompanyName, FileDescription, FileVersion,
  // InternalName, LegalCopyright, LegalTrademarks, OriginalFilename,
  // ProductName, ProductVersion, Comments, PrivateBuild, SpecialBuild.
  std::wstring companyName, fileDescription, fileVersionText, internalName, legalCopyright,
      legalTrademarks, originalFilename, productName, productVersionText, comments, privateBuild,
      specialBuild;
};

// nullopt when the file has no version resource (or does not exist).
std::optional<TPJVersionInfo> ReadVersionInfo(const std::wstring& fileName);

// Signs: "=" equal, ">" A greater, "<" B greater, "*" only A, "!" only B,
// empty nothing to compare.
std::wstring CompareVersionNumbers(const std::optional<TPJVersionInfo>& a,
                                   const std::optional<TPJVersionInfo>& b, bool useProduct);
std::wstring CompareVersionStrings(const std::optional<TPJVersionInfo>& a,
                                   const std::optional<TPJVersionInfo>& b, bool useProduct);
// The same rule on two plain version strings (both present): "=", ">", "<"
// or empty when both are empty.
std::wstring CompareVersionTexts(const std::wstring& a, const std::wstring& b);

struct FileVerdict {
  std::wstring sign;      // "=", ">", "<", "<>", "*", "!" or empty
  int kind = 0;           // 1 size, 2 digest, 3..6 versions, 7 date
  std::wstring kindText;  // "MD5", "File Version", "Last Modif. Date", ...
  std::wstring detailA;   // detail of the first file (the New installation's)
  std::wstring detailB;   // detail of the second (My installation's)
  bool result = true;     // false only when the files differ without direction
};

// Version comparison of two files; result true when any version differs.
FileVerdict CompareFileVersions(const std::wstring& fileA, const std::wstring& fileB);
// The verdict on two files: existence, size and content, versions, dates.
FileVerdict CompareFiles(const std::wstring& fileA, const std::wstring& fileB);

}  // namespace orvelle
