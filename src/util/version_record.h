// The version record (VS_VERSIONINFO) of a program, taken apart from its
// bytes: the fixed part with the two version numbers, and the strings of
// one string table. Every length in the record is checked against the bytes.
#pragma once

#include "util/version_info.h"

#include <optional>
#include <string_view>

namespace orvelle {

// nullopt when the bytes are no version record (too short, another key).
// The strings come from the table of the record's first translation, else
// from the first of the common English tables ("040904B0", "040904E4",
// "04090000") that holds any; names and table keys are compared without
// regard to case, as the system compares them.
std::optional<TPJVersionInfo> ParseVersionRecord(std::string_view record);

}  // namespace orvelle
