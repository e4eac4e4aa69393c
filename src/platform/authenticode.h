// The system's signature services for one program file: WinVerifyTrust's
// answer, the signer and signed content of an Authenticode message, and
// digests of byte ranges. Thin calls; what they mean is decided above.
#pragma once

#include <windows.h>
#include <wincrypt.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvelle::platform {

// WinVerifyTrust with the generic Authenticode action, no user interface and
// no revocation checks (so that it answers offline and at once). Returns the
// action's result: 0 when the signature verifies and chains to a trusted
// root, else an HRESULT such as TRUST_E_NOSIGNATURE or TRUST_E_BAD_DIGEST.
LONG VerifyEmbeddedSignature(const std::wstring& path);

struct SignedMessage {
  std::wstring signer;  // the signing certificate's display name; may be empty
  std::string content;  // the signed content, as the message functions give it
};

// Decodes a PKCS#7 signed message (the blob of a certificate table entry).
// nullopt when it does not decode or has no signer.
std::optional<SignedMessage> DecodeSignedMessage(std::string_view pkcs7);

// A digest fed piece by piece, for files too large to hold at once.
class DigestStream {
 public:
  // nullopt when the system does not offer the algorithm.
  static std::optional<DigestStream> Begin(ALG_ID algorithm);
  DigestStream(DigestStream&& other) noexcept;
  DigestStream& operator=(DigestStream&&) = delete;
  ~DigestStream();

  bool Add(std::string_view bytes);
  // The digest of everything added; nullopt when a piece failed.
  std::optional<std::string> Finish();

 private:
  DigestStream() = default;
  HCRYPTPROV prov_ = 0;
  HCRYPTHASH hash_ = 0;
  bool failed_ = false;
};

// The digest of the given byte ranges of data with a CryptoAPI hash
// algorithm (CALG_SHA_256...); nullopt when the system does not offer the
// algorithm or the ranges do not lie in data.
std::optional<std::string> DigestRanges(std::string_view data,
                                        const std::vector<std::pair<uint32_t, uint32_t>>& ranges,
                                        ALG_ID algorithm);

}  // namespace orvelle::platform
