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
// in their place, a PE file as well. Every file then gets the pair's fixed
// last-write time, 1 June 2020 12:00 UTC, moved by the days that
// fixtures\pair\times.txt gives, so that what the comparison shows does not
// depend on when the pair was made. Throws std::runtime_error naming what
// could not be read or written.
// Preparing "my" also sets the variable PAIR_SHARED of this process to
// targetDir + "\shared": both installations register a plugin there through
// it, and a harness started from this process passes it on to both models.
// mainProgram, when given, is the harness made into the side's own
// totalcmd.exe instead of the build's (the other bitness's, for instance),
// with the version and icons the manifest gives it.
void PreparePairInstallation(const std::wstring& side, const std::wstring& targetDir,
                             const std::wstring& mainProgram = {});

inline constexpr wchar_t kPairSharedVariable[] = L"PAIR_SHARED";

}  // namespace orvelle::test
