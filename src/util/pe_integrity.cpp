#include "util/pe_integrity.h"

#include <algorithm>
#include <cstring>

namespace orvelle {

namespace {

bool Fits(std::string_view bytes, uint64_t offset, uint64_t size) {
  return offset <= bytes.size() && size <= bytes.size() - offset;
}

uint16_t U16(std::string_view bytes, size_t at) {
  uint16_t v;
  std::memcpy(&v, bytes.data() + at, 2);
  return v;
}

uint32_t U32(std::string_view bytes, size_t at) {
  uint32_t v;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}

constexpr uint16_t kPe32Magic = 0x10b;
constexpr uint16_t kPe32PlusMagic = 0x20b;
constexpr uint32_t kSecurityDirectory = 4;
constexpr uint16_t kPkcsSignedData = 2;  // WIN_CERT_TYPE_PKCS_SIGNED_DATA

// One DER element: its tag and its contents.
struct Der {
  unsigned char tag = 0;
  std::string_view contents;
  std::string_view rest;  // what follows the element
};

// Definite lengths only, as DER requires; nullopt when the element does not
// fit in the bytes.
std::optional<Der> ReadDer(std::string_view bytes) {
  if (bytes.size() < 2) return std::nullopt;
  Der d;
  d.tag = static_cast<unsigned char>(bytes[0]);
  size_t at = 2;
  uint64_t length = static_cast<unsigned char>(bytes[1]);
  if (length & 0x80) {
    const size_t count = length & 0x7f;
    if (count == 0 || count > 4 || bytes.size() < 2 + count) return std::nullopt;
    length = 0;
    for (size_t i = 0; i < count; ++i) length = (length << 8) | static_cast<unsigned char>(bytes[2 + i]);
    at += count;
  }
  if (!Fits(bytes, at, length)) return std::nullopt;
  d.contents = bytes.substr(at, static_cast<size_t>(length));
  d.rest = bytes.substr(at + static_cast<size_t>(length));
  return d;
}

constexpr unsigned char kSequence = 0x30;
constexpr unsigned char kOid = 0x06;
constexpr unsigned char kOctetString = 0x04;

}  // namespace

std::optional<PeIntegrityLayout> ReadPeIntegrityLayout(std::string_view bytes) {
  if (!Fits(bytes, 0, 0x40) || bytes[0] != 'M' || bytes[1] != 'Z') return std::nullopt;
  const uint32_t pe = U32(bytes, 0x3c);
  if (!Fits(bytes, pe, 24) || std::memcmp(bytes.data() + pe, "PE\0\0", 4) != 0) return std::nullopt;
  const uint16_t optionalSize = U16(bytes, pe + 20);
  const uint64_t opt = uint64_t{pe} + 24;
  if (optionalSize < 68 || !Fits(bytes, opt, optionalSize)) return std::nullopt;
  const uint16_t magic = U16(bytes, static_cast<size_t>(opt));
  uint32_t countAt = 0, directoriesAt = 0;
  if (magic == kPe32Magic) {
    countAt = 92;
    directoriesAt = 96;
  } else if (magic == kPe32PlusMagic) {
    countAt = 108;
    directoriesAt = 112;
  } else {
    return std::nullopt;
  }
  PeIntegrityLayout layout;
  layout.checksumOffset = static_cast<uint32_t>(opt + 64);
  layout.storedChecksum = U32(bytes, layout.checksumOffset);
  const uint32_t securityAt = directoriesAt + 8 * kSecurityDirectory;
  if (optionalSize >= countAt + 4 && U32(bytes, static_cast<size_t>(opt + countAt)) > kSecurityDirectory &&
      optionalSize >= securityAt + 8) {
    layout.securityEntryOffset = static_cast<uint32_t>(opt + securityAt);
    layout.certificateOffset = U32(bytes, layout.securityEntryOffset);
    layout.certificateSize = U32(bytes, layout.securityEntryOffset + 4);
  }
  return layout;
}

uint32_t ComputePeChecksum(std::string_view bytes, uint32_t checksumOffset) {
  PeChecksum sum(checksumOffset);
  sum.Add(bytes);
  return sum.Finish();
}

void PeChecksum::Add(std::string_view piece) {
  const auto* data = reinterpret_cast<const unsigned char*>(piece.data());
  auto word = [&](size_t at) { return unsigned{data[at]} | (unsigned{data[at + 1]} << 8); };
  size_t i = 0;
  const uint64_t start = position_;
  if (pending_ && !piece.empty()) {
    const uint64_t at = position_ - 1;
    if (at < field_ || at >= field_ + 4) sum_ += pendingByte_ | (unsigned{data[0]} << 8);
    pending_ = false;
    i = 1;
  }
  // Words lie at even offsets of the file. A one's-complement sum may fold
  // its carries at the end instead of after every word: 64 bits hold the
  // sum of far more 16-bit words than a file read here can have.
  const size_t wordsFrom = i;
  for (; i + 1 < piece.size(); i += 2) sum_ += word(i);
  // The CheckSum field's words count as 0.
  for (uint64_t at = field_ + (field_ & 1); at < field_ + 4; at += 2) {
    if (at >= start + wordsFrom && at + 2 <= start + i) sum_ -= word(static_cast<size_t>(at - start));
  }
  if (i < piece.size()) {
    pending_ = true;
    pendingByte_ = data[i];
  }
  position_ += piece.size();
}

uint32_t PeChecksum::Finish() const {
  uint64_t sum = sum_;
  // An odd last byte counts as a word of its own.
  if (pending_) sum += pendingByte_;
  while (sum >> 16) sum = (sum & 0xffff) + (sum >> 16);
  return static_cast<uint32_t>(sum + position_);
}

namespace {

// The first PKCS#7 entry of a certificate table.
std::optional<std::string_view> FirstSignedDataEntry(std::string_view table) {
  while (table.size() >= 8) {
    const uint32_t length = U32(table, 0);
    if (length < 8 || length > table.size()) return std::nullopt;
    if (U16(table, 6) == kPkcsSignedData) return table.substr(8, length - 8);
    const uint64_t next = (uint64_t{length} + 7) & ~uint64_t{7};  // entries are 8-byte aligned
    if (next >= table.size()) break;
    table = table.substr(static_cast<size_t>(next));
  }
  return std::nullopt;
}

bool TableLiesAfterDirectory(const PeIntegrityLayout& layout) {
  return layout.HasCertificateTable() && layout.securityEntryOffset != 0 &&
         layout.certificateOffset >= uint64_t{layout.securityEntryOffset} + 8;
}

}  // namespace

std::optional<std::string_view> AuthenticodeBlob(std::string_view bytes,
                                                 const PeIntegrityLayout& layout) {
  if (!TableLiesAfterDirectory(layout) ||
      !Fits(bytes, layout.certificateOffset, layout.certificateSize)) {
    return std::nullopt;
  }
  return FirstSignedDataEntry(bytes.substr(layout.certificateOffset, layout.certificateSize));
}

std::optional<std::string_view> AuthenticodeBlobInTable(std::string_view table, uint64_t fileSize,
                                                        const PeIntegrityLayout& layout) {
  if (!TableLiesAfterDirectory(layout) || table.size() != layout.certificateSize ||
      uint64_t{layout.certificateOffset} + layout.certificateSize > fileSize) {
    return std::nullopt;
  }
  return FirstSignedDataEntry(table);
}

bool CertificateTableEndsFile(uint64_t fileSize, const PeIntegrityLayout& layout) {
  return uint64_t{layout.certificateOffset} + layout.certificateSize == fileSize;
}

std::vector<std::pair<uint32_t, uint32_t>> AuthenticodeRanges(uint32_t fileSize,
                                                              const PeIntegrityLayout& layout) {
  std::vector<std::pair<uint32_t, uint32_t>> ranges;
  const uint32_t end = layout.HasCertificateTable() && layout.certificateOffset <= fileSize
                           ? layout.certificateOffset
                           : fileSize;
  uint32_t at = 0;
  auto skip = [&](uint32_t from, uint32_t length) {
    if (from < at || from > end) return;
    if (from > at) ranges.emplace_back(at, from - at);
    at = std::min(end, from + length);
  };
  skip(layout.checksumOffset, 4);
  if (layout.securityEntryOffset != 0) skip(layout.securityEntryOffset, 8);
  if (end > at) ranges.emplace_back(at, end - at);
  return ranges;
}

std::optional<SignedDigest> ParseIndirectDataDigest(std::string_view content) {
  // SpcIndirectDataContent ::= SEQUENCE { data SpcAttributeTypeAndOptionalValue,
  //   messageDigest DigestInfo }; DigestInfo ::= SEQUENCE { digestAlgorithm
  //   AlgorithmIdentifier, digest OCTET STRING }.
  std::optional<Der> outer = ReadDer(content);
  if (!outer || outer->tag != kSequence) return std::nullopt;
  std::string_view fields = content;
  if (outer->rest.empty()) {
    // The whole sequence, unless it is the first field alone followed by nothing.
    std::optional<Der> first = ReadDer(outer->contents);
    if (first && first->tag == kSequence && !first->rest.empty()) fields = outer->contents;
  }
  std::optional<Der> data = ReadDer(fields);
  if (!data || data->tag != kSequence) return std::nullopt;
  std::optional<Der> digestInfo = ReadDer(data->rest);
  if (!digestInfo || digestInfo->tag != kSequence) return std::nullopt;
  std::optional<Der> algorithm = ReadDer(digestInfo->contents);
  if (!algorithm || algorithm->tag != kSequence) return std::nullopt;
  std::optional<Der> oid = ReadDer(algorithm->contents);
  std::optional<Der> digest = ReadDer(algorithm->rest);
  if (!oid || oid->tag != kOid || !digest || digest->tag != kOctetString) return std::nullopt;
  return SignedDigest{std::string(oid->contents), std::string(digest->contents)};
}

}  // namespace orvelle
