#include "util/program_signature.h"

#include "platform/authenticode.h"
#include "util/byte_source.h"
#include "util/pe_integrity.h"

#include <wincrypt.h>
#include <wintrust.h>

#include <memory>

namespace orvelle {

namespace {

ALG_ID AlgorithmOf(std::string_view oid) {
  if (oid == digest_oid::kSha256) return CALG_SHA_256;
  if (oid == digest_oid::kSha1) return CALG_SHA1;
  if (oid == digest_oid::kSha384) return CALG_SHA_384;
  if (oid == digest_oid::kSha512) return CALG_SHA_512;
  if (oid == digest_oid::kMd5) return CALG_MD5;
  return 0;
}

// The signer's name comes from the file: it is shown in one line of a
// column, so it gets no control characters and a bounded length.
std::wstring DisplayName(std::wstring name) {
  constexpr size_t kMaxLength = 80;
  for (wchar_t& c : name) {
    if (c < L' ' || c == 0x7f) c = L' ';
  }
  if (name.size() > kMaxLength) name = name.substr(0, kMaxLength - 3) + L"...";
  return name;
}

// The file's own evidence: whether the digest the signature vouches for is
// the digest of its bytes. Unchecked when the algorithm is unknown here.
SignatureState CheckSignedDigest(std::string_view bytes, const PeIntegrityLayout& layout,
                                 std::wstring& signer) {
  const std::optional<std::string_view> blob = AuthenticodeBlob(bytes, layout);
  if (!blob) return SignatureState::Broken;
  const std::optional<platform::SignedMessage> message = platform::DecodeSignedMessage(*blob);
  if (!message) return SignatureState::Broken;
  signer = DisplayName(message->signer);
  if (!CertificateTableEndsFile(bytes.size(), layout)) return SignatureState::Broken;
  const std::optional<SignedDigest> vouched = ParseIndirectDataDigest(message->content);
  if (!vouched) return SignatureState::Broken;
  const ALG_ID algorithm = AlgorithmOf(vouched->algorithm);
  if (algorithm == 0) return SignatureState::Unchecked;
  const std::optional<std::string> actual = platform::DigestRanges(
      bytes, AuthenticodeRanges(static_cast<uint32_t>(bytes.size()), layout), algorithm);
  if (!actual) return SignatureState::Unchecked;
  return *actual == vouched->digest ? SignatureState::Intact : SignatureState::Broken;
}

}  // namespace

SignatureState ClassifyTrustResult(LONG result) {
  switch (static_cast<HRESULT>(result)) {
    case S_OK:
    case CERT_E_UNTRUSTEDROOT:
    case CERT_E_UNTRUSTEDTESTROOT:
    case CERT_E_UNTRUSTEDCA:
    case CERT_E_CHAINING:
    case CERT_E_EXPIRED:
    case CERT_E_VALIDITYPERIODNESTING:
    case CERT_E_WRONG_USAGE:
    case CERT_E_PURPOSE:
    case CERT_E_REVOKED:
    case CERT_E_REVOCATION_FAILURE:
    case CRYPT_E_REVOKED:
    case CRYPT_E_NO_REVOCATION_CHECK:
    case CRYPT_E_REVOCATION_OFFLINE:
    case CRYPT_E_SECURITY_SETTINGS:
    case TRUST_E_EXPLICIT_DISTRUST:
    case TRUST_E_BASIC_CONSTRAINTS:
    case TRUST_E_FINANCIAL_CRITERIA:
    case TRUST_E_TIME_STAMP:
    case TRUST_E_COUNTER_SIGNER:
      return SignatureState::Intact;
    case TRUST_E_BAD_DIGEST:
    case TRUST_E_NOSIGNATURE:
    case TRUST_E_CERT_SIGNATURE:
    case TRUST_E_NO_SIGNER_CERT:
    case TRUST_E_SUBJECT_FORM_UNKNOWN:
    case NTE_BAD_SIGNATURE:
    case CRYPT_E_HASH_VALUE:
    case CRYPT_E_BAD_MSG:
    case CRYPT_E_ASN1_BADTAG:
    case CRYPT_E_ASN1_CORRUPT:
    case CRYPT_E_ASN1_EOD:
      return SignatureState::Broken;
    default:
      return SignatureState::Unchecked;
  }
}

ProgramSignature CheckProgramSignature(const std::wstring& path) {
  ProgramSignature result;
  if (path.empty()) return result;
  // Read, not mapped: a page of a mapped file that fails to read would raise
  // a structured exception no handler of ours catches.
  const std::unique_ptr<FileBytes> file = FileBytes::Open(path);
  if (!file || file->Size() > FileBytes::kMaxRead) return result;
  const std::optional<std::string_view> read = file->At(0, static_cast<size_t>(file->Size()));
  if (!read) return result;
  const std::string_view bytes = *read;
  const std::optional<PeIntegrityLayout> layout = ReadPeIntegrityLayout(bytes);
  if (!layout || uint64_t{bytes.size()} > MAXDWORD) {
    result.state = SignatureState::NotProgram;
    return result;
  }
  result.storedChecksum = layout->storedChecksum;
  result.computedChecksum = ComputePeChecksum(bytes, layout->checksumOffset);
  if (!layout->HasCertificateTable()) {
    result.state = SignatureState::Unsigned;
    return result;
  }
  const SignatureState own = CheckSignedDigest(bytes, *layout, result.signer);
  if (own == SignatureState::Broken) {
    result.state = own;
    return result;
  }
  // The system checks the signature itself over the signed attributes and
  // the certificate chain; its answer and ours must both say intact.
  const SignatureState system = ClassifyTrustResult(platform::VerifyEmbeddedSignature(path));
  result.state = system == SignatureState::Intact ? own : system;
  return result;
}

}  // namespace orvelle
