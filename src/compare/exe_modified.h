// Whether the New installation's main program is a known build of its
// version, judged against a table of known builds.
#pragma once

#include "tc/tables.h"

#include <span>
#include <string>

namespace orvelle {

enum class BuildVerdict {
  Unknown,   // the version is not in the table, or there is nothing to judge: "?"
  Modified,  // the version is listed, this digest is not: "Yes", "!*"
  Known,     // the digest is listed for this version: "No", "*"
};

// Versions compare exactly; digests without regard to case. An empty version
// or an empty digest (a program file that could not be read) gives Unknown.
BuildVerdict JudgeBuild(std::span<const KnownBuild> table, const std::wstring& version,
                        const std::wstring& digest);

}  // namespace orvelle
