#include "util/program_signature.h"

#include "platform/authenticode.h"
#include "util/byte_source.h"
#include "util/pe_integrity.h"

#include <wincrypt.h>
#include <wintrust.h>

#include <algorithm>
#include <future>
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

// What the signature vouches for, read from the certificate table alone:
// Intact while nothing is wrong yet (the file's digest is still to be
// compared), Broken or Unchecked once that is the verdict.
SignatureState ReadVouchedDigest(const FileBytes& file, const PeIntegrityLayout& layout,
                                 std::wstring& signer, std::optional<SignedDigest>& vouched) {
  if (!CertificateTableEndsFile(file.Size(), layout)) {
    // Bytes behind the table, or a table outside the file: read what can
    // be read for the signer's name, the verdict stands.
    if (const auto table = file.At(layout.certificateOffset, layout.certificateSize)) {
      if (const auto blob = AuthenticodeBlobInTable(*table, file.Size(), layout)) {
        if (const auto message = platform::DecodeSignedMessage(*blob)) {
          signer = DisplayName(message->signer);
        }
      }
    }
    return SignatureState::Broken;
  }
  const std::optional<std::string_view> table =
      file.At(layout.certificateOffset, layout.certificateSize);
  if (!table) return SignatureState::Broken;
  const std::optional<std::string_view> blob = AuthenticodeBlobInTable(*table, file.Size(), layout);
  if (!blob) return SignatureState::Broken;
  const std::optional<platform::SignedMessage> message = platform::DecodeSignedMessage(*blob);
  if (!message) return SignatureState::Broken;
  signer = DisplayName(message->signer);
  vouched = ParseIndirectDataDigest(message->content);
  if (!vouched) return SignatureState::Broken;
  return AlgorithmOf(vouched->algorithm) == 0 ? SignatureState::Unchecked : SignatureState::Intact;
}

// The headers, from the first block of the file; the whole file (within the
// read limit) only when they lie further in. nullopt when a read fails;
// a layout of nullopt when the file is no program.
std::optional<std::optional<PeIntegrityLayout>> ReadLayout(const FileBytes& file) {
  constexpr uint64_t kHeaderBlock = 64u << 10;
  const std::optional<std::string_view> head =
      file.At(0, static_cast<size_t>(std::min(file.Size(), kHeaderBlock)));
  if (!head) return std::nullopt;
  std::optional<PeIntegrityLayout> layout = ReadPeIntegrityLayout(*head);
  if (layout || file.Size() <= kHeaderBlock || !head->starts_with("MZ")) return layout;
  const std::optional<std::string_view> all = file.At(0, static_cast<size_t>(file.Size()));
  if (!all) return std::nullopt;
  return ReadPeIntegrityLayout(*all);
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
  // The system's check hashes the whole file again: it runs beside our own
  // reading and hashing instead of after it, which halves the wait for a
  // large signed program. The future is waited for on every way out; for a
  // file without a signature the system answers at once.
  std::future<LONG> trust;
  try {
    trust = std::async(std::launch::async, [path] { return platform::VerifyEmbeddedSignature(path); });
  } catch (...) {
    // No thread to be had: the check runs after ours below.
  }
  // Read, not mapped: a page of a mapped file that fails to read would raise
  // a structured exception no handler of ours catches. Read in pieces into
  // one buffer: a fresh buffer the size of the file costs more to fill than
  // the hashing.
  const std::unique_ptr<FileBytes> file = FileBytes::Open(path);
  if (!file || file->Size() > FileBytes::kMaxRead) return result;
  const std::optional<std::optional<PeIntegrityLayout>> read = ReadLayout(*file);
  if (!read) return result;
  const std::optional<PeIntegrityLayout>& layout = *read;
  if (!layout || file->Size() > MAXDWORD) {
    result.state = SignatureState::NotProgram;
    return result;
  }
  result.storedChecksum = layout->storedChecksum;

  SignatureState own = SignatureState::Unsigned;
  std::optional<SignedDigest> vouched;
  if (layout->HasCertificateTable()) own = ReadVouchedDigest(*file, *layout, result.signer, vouched);
  std::optional<platform::DigestStream> digest =
      own == SignatureState::Intact ? platform::DigestStream::Begin(AlgorithmOf(vouched->algorithm))
                                    : std::nullopt;
  const uint32_t size = static_cast<uint32_t>(file->Size());
  const auto ranges = AuthenticodeRanges(size, *layout);

  PeChecksum checksum(layout->checksumOffset);
  constexpr uint32_t kPiece = 1u << 20;
  std::string buffer;
  for (uint32_t at = 0; at < size; at += std::min(kPiece, size - at)) {
    const uint32_t length = std::min(kPiece, size - at);
    if (!file->ReadInto(at, length, buffer)) {
      result.state = SignatureState::Unreadable;
      return result;
    }
    checksum.Add(buffer);
    if (!digest) continue;
    for (const auto& [offset, count] : ranges) {
      const uint64_t from = std::max<uint64_t>(offset, at);
      const uint64_t to = std::min<uint64_t>(uint64_t{offset} + count, uint64_t{at} + length);
      if (from < to) digest->Add(std::string_view(buffer).substr(from - at, to - from));
    }
  }
  result.computedChecksum = checksum.Finish();
  if (!layout->HasCertificateTable()) {
    result.state = SignatureState::Unsigned;
    return result;
  }
  if (own == SignatureState::Intact) {
    const std::optional<std::string> actual = digest ? digest->Finish() : std::nullopt;
    own = !actual ? SignatureState::Unchecked
                  : *actual == vouched->digest ? SignatureState::Intact : SignatureState::Broken;
  }
  if (own == SignatureState::Broken) {
    result.state = own;
    return result;
  }
  // The system checks the signature itself over the signed attributes and
  // the certificate chain; its answer and ours must both say intact.
  const LONG verdict = trust.valid() ? trust.get() : platform::VerifyEmbeddedSignature(path);
  const SignatureState system = ClassifyTrustResult(verdict);
  result.state = system == SignatureState::Intact ? own : system;
  return result;
}

}  // namespace orvelle
