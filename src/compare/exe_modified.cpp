#include "compare/exe_modified.h"

#include "platform/strings.h"

namespace orvelle {

BuildVerdict JudgeBuild(std::span<const KnownBuild> table, const std::wstring& version,
                        const std::wstring& digest) {
  // The table has a row without a version; no installation may match it. An
  // unreadable program file has no digest, and that is no verdict either.
  if (version.empty() || digest.empty()) return BuildVerdict::Unknown;
  bool versionListed = false;
  for (const KnownBuild& row : table) {
    if (row.version != version) continue;
    versionListed = true;
    if (platform::EqualsNoCase(row.digest, digest)) return BuildVerdict::Known;
  }
  return versionListed ? BuildVerdict::Modified : BuildVerdict::Unknown;
}

}  // namespace orvelle
