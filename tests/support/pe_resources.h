// Programs with chosen version records and icons, for tests: resources
// written into copies of real PE files with the system's resource updater.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <utility>
#include <vector>

namespace orvelle::test {

// A version record to write. The string table is named block ("040904B0":
// language and code page in hex); withTranslation adds the
// VarFileInfo\Translation entry naming that block.
struct VersionResource {
  std::array<WORD, 4> fileVersion{};
  std::array<WORD, 4> productVersion{};
  std::vector<std::pair<std::wstring, std::wstring>> strings;  // name, value
  std::wstring block = L"040904B0";
  bool withTranslation = true;
};

// The VS_VERSIONINFO blob of a record.
std::vector<unsigned char> BuildVersionBlob(const VersionResource& version);

// Replaces every version resource of the PE file at path by this one.
// Throws std::runtime_error when the file cannot be updated.
void WriteVersionResource(const std::wstring& path, const VersionResource& version);
void WriteVersionResource(const std::wstring& path, const std::array<WORD, 4>& fileVersion,
                          const std::array<WORD, 4>& productVersion,
                          const std::vector<std::pair<std::wstring, std::wstring>>& strings);

// One image of an icon group: its directory values and its resource data.
struct IconImage {
  int size = 0;      // width and height, 1..256
  int bitCount = 0;  // as the group directory states it
  std::vector<unsigned char> data;
};

// A square bitmap icon image (24 or 32 bits) filled with one colour.
IconImage MakeIconImage(int size, int bitCount, COLORREF colour);

// Replaces every icon and icon group of the PE file at path: group i gets the
// id i + 1, its images consecutive RT_ICON ids. Throws on failure.
void WriteIconResource(const std::wstring& path, const std::vector<std::vector<IconImage>>& groups);

// Removes every resource of one type (RT_VERSION, RT_ICON, ...). Throws on
// failure.
void RemoveResources(const std::wstring& path, LPCWSTR type);

// Copies a small program of the Wine prefix (a 64-bit or 32-bit PE as the
// test program is) to path, to serve as a "program" to write resources into.
void CopyProgramFile(const std::wstring& path);

}  // namespace orvelle::test
