// Version records of executables and the comparisons built on them.
#pragma once

#include <windows.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

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

// Whether a file that starts with these bytes (its first four, or all of a
// shorter file) may hold a version record: a program or library ("MZ"), or
// an LZ-compressed copy ("SZDD"), which the system reads too.
bool MayHoldVersionRecord(std::string_view firstBytes);

// "V1.V2.V3.V4".
std::wstring DottedVersion(const std::array<WORD, 4>& version);

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
// The same on two records already read (absent: the file has none).
FileVerdict CompareVersionRecords(const std::optional<TPJVersionInfo>& a,
                                  const std::optional<TPJVersionInfo>& b);

// The verdict on two files: existence, size and content, versions, dates.
// A reading that `stop` ends early (when it is set) gives no valid verdict.
FileVerdict CompareFiles(const std::wstring& fileA, const std::wstring& fileB,
                         const std::atomic<bool>* stop = nullptr);

// What CompareFiles knows of one file before it looks inside.
struct FileFacts {
  bool exists = false;
  uint64_t size = 0;
  double modified = 0;  // local date-time of the last write
};
// The decision of CompareFiles over plain values. sameContent is asked only
// for two existing files of equal size; compareVersions only when the content
// was not found equal.
FileVerdict DecideFiles(const FileFacts& a, const FileFacts& b,
                        const std::function<bool()>& sameContent,
                        const std::function<FileVerdict()>& compareVersions);

// Whether two files hold the same bytes: read side by side, stopping at the
// first difference. False when either cannot be opened or read, or when
// `stop` is set before the end.
bool SameFileContent(const std::wstring& fileA, const std::wstring& fileB,
                     const std::atomic<bool>* stop = nullptr);

// CompareFiles on two files whose facts a directory listing holds already:
// no second look at either entry.
FileVerdict CompareFilesWithFacts(const std::wstring& fileA, const FileFacts& a,
                                  const std::wstring& fileB, const FileFacts& b,
                                  const std::atomic<bool>* stop = nullptr);

}  // namespace orvelle
