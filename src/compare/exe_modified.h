// Whether a main program file was altered: judged from its own evidence (an
// Authenticode signature, else the checksum in its header) and, for the
// builds it lists, a table of known digests.
#pragma once

#include "tc/tables.h"
#include "util/program_signature.h"

#include <span>
#include <string>

namespace orvelle {

enum class BuildVerdict {
  Unknown,   // nothing tells: "?"
  Modified,  // altered: "Yes", "!*"
  Known,     // as built: "No", "*"
};

// Versions compare exactly; digests without regard to case. An empty version
// or an empty digest (a program file that could not be read) gives Unknown.
BuildVerdict JudgeBuild(std::span<const KnownBuild> table, const std::wstring& version,
                        const std::wstring& digest);

struct ProgramVerdict {
  BuildVerdict verdict = BuildVerdict::Unknown;
  std::wstring text;  // "No (signed: Signer)", "? (unsigned, checksum matches)"...
};

// An intact signature gives "No" and a broken one "Yes", whatever the table
// says: a signed build need not be listed. Unsigned, a digest the table
// lists for the version gives "No"; else a stored checksum that differs from
// the computed one gives "Yes"; else the table's verdict.
ProgramVerdict JudgeProgram(const ProgramSignature& signature, BuildVerdict table);

// The two program files' verdicts side by side, New's first: "No (...) = No
// (...)", with "<>" between two different texts.
std::wstring PairComment(const ProgramVerdict& newSide, const ProgramVerdict& mySide);

}  // namespace orvelle
