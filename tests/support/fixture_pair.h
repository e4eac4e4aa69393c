// The fixture pair: two installations of the host (fixtures\pair\my and
// fixtures\pair\new) whose text files live in the source tree and whose
// binaries are made from the build when a test prepares them (see
// fixtures\pair\README.md and fixtures\pair\binaries.txt).
#pragma once

#include <string>

namespace orvelle::test {

// Copies fixtures\pair\<side> ("my" or "new") into targetDir (created when
// missing) and makes the binaries that binaries.txt lists for that side. A
// build that lacks the harness or the plugin uses the running test program
// in their place, a PE file as well. Throws std::runtime_error naming what
// could not be read or written.
void PreparePairInstallation(const std::wstring& side, const std::wstring& targetDir);

}  // namespace orvelle::test
