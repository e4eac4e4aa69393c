// Constant tables that several subsystems read.
#pragma once

#include "tc/executable_extensions.h"  // kExecutableExtensions, IsExecutableExtension

#include <array>
#include <string_view>

namespace orvelle {

struct PackerCapability {
  int bit;
  std::wstring_view text;
};
inline constexpr std::array<PackerCapability, 10> kPackerCapabilities = {{
    {1, L"Can create new archives"},
    {2, L"Can modify existing archives"},
    {4, L"Can handle multiple files in one archive"},
    {8, L"Can delete files from archive"},
    {16, L"Supports the options dialog"},
    {32, L"Supports packing in memory"},
    {64, L"Detects archive type by content"},
    {128, L"Allows searching for text in archives"},
    {256, L"Do not open with Enter, only with Ctrl+PgDn"},
    {512, L"Supports encryption"},
}};

// Known builds of the host's main program: MD5 of the program file and the
// version it belongs to. A version may have several builds; one digest is
// listed under two versions; the row with an empty version never matches a
// version read from an installation.
struct KnownBuild {
  std::wstring_view digest;
  std::wstring_view version;
};
inline constexpr std::array<KnownBuild, 5> kKnownBuilds = {{
    {L"9D7AEE9B3240AF4642421D458CE7DB2C", L"6.57"},
    {L"EDC226CB58730DBDCF6F2F462FECEE15", L"6.55"},
    {L"EDC226CB58730DBDCF6F2F462FECEE15", L"6.55a"},
    {L"0040038C833C8C1D49A2ED88D305A929", L""},
    {L"74B452BB37EDDA73750B8707AFF2ADB5", L"7.57a"},
}};

}  // namespace orvelle
