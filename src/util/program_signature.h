// Whether a program file is as its maker built it, judged from the file
// alone: its Authenticode signature when it has one, else the checksum in
// its header. A valid signature proves that no byte changed since signing;
// it says nothing about whether the signer deserves trust, so a signature
// that chains to an unknown root still counts as intact.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace orvelle {

enum class SignatureState {
  Unreadable,  // the file cannot be opened
  NotProgram,  // no PE file
  Unsigned,    // no certificate table
  Intact,      // signed, and no byte changed since signing
  Broken,      // signed, but the file or the signature was changed after signing
  Unchecked,   // signed, but the system could not tell either way
};

struct ProgramSignature {
  SignatureState state = SignatureState::Unreadable;
  std::wstring signer;  // when signed and readable; control characters made blanks
  uint32_t storedChecksum = 0;
  uint32_t computedChecksum = 0;

  bool HasChecksum() const { return storedChecksum != 0; }
  bool ChecksumMatches() const { return storedChecksum == computedChecksum; }
};

// How WinVerifyTrust's result bears on the file: chain and policy failures
// (an unknown root, an expired or distrusted certificate) leave the
// signature intact; a wrong digest or signature means a change; errors of
// the system itself leave the question open.
SignatureState ClassifyTrustResult(LONG result);

// Reads and checks one program file. The Authenticode digest is checked
// here as well as by the system, because what the system checks differs
// between Windows and Wine versions; both must agree for Intact.
ProgramSignature CheckProgramSignature(const std::wstring& path);

}  // namespace orvelle
