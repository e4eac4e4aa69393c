// The parts of a PE file that tell whether it was altered: the checksum in
// its optional header, the certificate table that holds an Authenticode
// signature, and the byte ranges that signature's digest covers. Pure
// functions over the file's bytes; every offset is checked against them, so
// a cut or damaged file gives nullopt, never a read outside it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvelle {

struct PeIntegrityLayout {
  uint32_t checksumOffset = 0;     // of the CheckSum field
  uint32_t storedChecksum = 0;
  // The security directory entry (8 bytes); 0 when the optional header has
  // no room for it. Its value, the certificate table's offset and size, is
  // 0, 0 in an unsigned file.
  uint32_t securityEntryOffset = 0;
  uint32_t certificateOffset = 0;
  uint32_t certificateSize = 0;

  bool HasCertificateTable() const { return certificateOffset != 0 || certificateSize != 0; }
};

// nullopt when the bytes are no PE file or its headers do not fit in them.
std::optional<PeIntegrityLayout> ReadPeIntegrityLayout(std::string_view bytes);

// The checksum the system's loader and image tools compute: 16-bit words
// summed with end-around carry, the CheckSum field counted as 0, plus the
// file's length. An odd last byte counts as a word of its own.
uint32_t ComputePeChecksum(std::string_view bytes, uint32_t checksumOffset);

// The same checksum over a file read piece by piece, in order.
class PeChecksum {
 public:
  explicit PeChecksum(uint32_t checksumOffset) : field_(checksumOffset) {}
  void Add(std::string_view piece);
  uint32_t Finish() const;

 private:
  uint64_t field_;
  uint64_t position_ = 0;  // bytes added so far
  uint64_t sum_ = 0;
  bool pending_ = false;  // an odd byte waits for its word's second half
  unsigned char pendingByte_ = 0;
};

// Where the signature lies: the PKCS#7 blob of the first certificate entry,
// or nullopt when the table lies outside the file or before the end of the
// security directory entry, or holds no Authenticode entry.
std::optional<std::string_view> AuthenticodeBlob(std::string_view bytes,
                                                 const PeIntegrityLayout& layout);

// The same, for a file of fileSize bytes whose certificate table was read
// on its own: nullopt also when table is not the table's whole extent.
std::optional<std::string_view> AuthenticodeBlobInTable(std::string_view table, uint64_t fileSize,
                                                        const PeIntegrityLayout& layout);

// Whether the certificate table is the last thing in the file: bytes behind
// it were added after signing, and no digest covers them.
bool CertificateTableEndsFile(uint64_t fileSize, const PeIntegrityLayout& layout);

// The byte ranges (offset, length) that an Authenticode digest covers: the
// whole file except the CheckSum field, the security directory entry and the
// certificate table.
std::vector<std::pair<uint32_t, uint32_t>> AuthenticodeRanges(uint32_t fileSize,
                                                              const PeIntegrityLayout& layout);

// The digest that a signature vouches for, from its SpcIndirectDataContent:
// the algorithm's object identifier (its DER contents) and the digest bytes.
struct SignedDigest {
  std::string algorithm;
  std::string digest;
};

// content: the signed content as the message functions give it, either the
// whole SpcIndirectDataContent sequence or its contents. nullopt when it
// does not parse.
std::optional<SignedDigest> ParseIndirectDataDigest(std::string_view content);

// The object identifiers, as DER contents, of the digests Authenticode uses.
namespace digest_oid {
inline constexpr std::string_view kMd5{"\x2A\x86\x48\x86\xF7\x0D\x02\x05", 8};
inline constexpr std::string_view kSha1{"\x2B\x0E\x03\x02\x1A", 5};
inline constexpr std::string_view kSha256{"\x60\x86\x48\x01\x65\x03\x04\x02\x01", 9};
inline constexpr std::string_view kSha384{"\x60\x86\x48\x01\x65\x03\x04\x02\x02", 9};
inline constexpr std::string_view kSha512{"\x60\x86\x48\x01\x65\x03\x04\x02\x03", 9};
}  // namespace digest_oid

}  // namespace orvelle
