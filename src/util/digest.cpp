#include "util/digest.h"

#include "platform/fs.h"
#include "platform/handle.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace orvelle {

namespace {

constexpr uint32_t kSineTable[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
    0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
    0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
    0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
    0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
    0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
    0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
    0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
    0xeb86d391};

inline uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t i = 0; i < 256; ++i) {
    uint32_t c = i;
    for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[i] = c;
  }
  return table;
}

}  // namespace

Md5::Md5() : state_{0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476}, buffer_{} {}

// The 64 steps written out (as RFC 1321's reference does): no branches or
// table look-ups in the loop, which halves the time per block.
#define ORVELLE_MD5_STEP(f, a, b, c, d, x, t, s) \
  a += f(b, c, d) + (x) + (t);                  \
  a = RotateLeft(a, s) + (b)

namespace {
inline uint32_t F1(uint32_t x, uint32_t y, uint32_t z) { return z ^ (x & (y ^ z)); }
inline uint32_t F2(uint32_t x, uint32_t y, uint32_t z) { return y ^ (z & (x ^ y)); }
inline uint32_t F3(uint32_t x, uint32_t y, uint32_t z) { return x ^ y ^ z; }
inline uint32_t F4(uint32_t x, uint32_t y, uint32_t z) { return y ^ (x | ~z); }
}  // namespace

void Md5::Block(const unsigned char* block) {
  uint32_t m[16];
  std::memcpy(m, block, 64);  // little-endian words on every Windows target
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  const uint32_t* t = kSineTable;

  ORVELLE_MD5_STEP(F1, a, b, c, d, m[0], t[0], 7);
  ORVELLE_MD5_STEP(F1, d, a, b, c, m[1], t[1], 12);
  ORVELLE_MD5_STEP(F1, c, d, a, b, m[2], t[2], 17);
  ORVELLE_MD5_STEP(F1, b, c, d, a, m[3], t[3], 22);
  ORVELLE_MD5_STEP(F1, a, b, c, d, m[4], t[4], 7);
  ORVELLE_MD5_STEP(F1, d, a, b, c, m[5], t[5], 12);
  ORVELLE_MD5_STEP(F1, c, d, a, b, m[6], t[6], 17);
  ORVELLE_MD5_STEP(F1, b, c, d, a, m[7], t[7], 22);
  ORVELLE_MD5_STEP(F1, a, b, c, d, m[8], t[8], 7);
  ORVELLE_MD5_STEP(F1, d, a, b, c, m[9], t[9], 12);
  ORVELLE_MD5_STEP(F1, c, d, a, b, m[10], t[10], 17);
  ORVELLE_MD5_STEP(F1, b, c, d, a, m[11], t[11], 22);
  ORVELLE_MD5_STEP(F1, a, b, c, d, m[12], t[12], 7);
  ORVELLE_MD5_STEP(F1, d, a, b, c, m[13], t[13], 12);
  ORVELLE_MD5_STEP(F1, c, d, a, b, m[14], t[14], 17);
  ORVELLE_MD5_STEP(F1, b, c, d, a, m[15], t[15], 22);

  ORVELLE_MD5_STEP(F2, a, b, c, d, m[1], t[16], 5);
  ORVELLE_MD5_STEP(F2, d, a, b, c, m[6], t[17], 9);
  ORVELLE_MD5_STEP(F2, c, d, a, b, m[11], t[18], 14);
  ORVELLE_MD5_STEP(F2, b, c, d, a, m[0], t[19], 20);
  ORVELLE_MD5_STEP(F2, a, b, c, d, m[5], t[20], 5);
  ORVELLE_MD5_STEP(F2, d, a, b, c, m[10], t[21], 9);
  ORVELLE_MD5_STEP(F2, c, d, a, b, m[15], t[22], 14);
  ORVELLE_MD5_STEP(F2, b, c, d, a, m[4], t[23], 20);
  ORVELLE_MD5_STEP(F2, a, b, c, d, m[9], t[24], 5);
  ORVELLE_MD5_STEP(F2, d, a, b, c, m[14], t[25], 9);
  ORVELLE_MD5_STEP(F2, c, d, a, b, m[3], t[26], 14);
  ORVELLE_MD5_STEP(F2, b, c, d, a, m[8], t[27], 20);
  ORVELLE_MD5_STEP(F2, a, b, c, d, m[13], t[28], 5);
  ORVELLE_MD5_STEP(F2, d, a, b, c, m[2], t[29], 9);
  ORVELLE_MD5_STEP(F2, c, d, a, b, m[7], t[30], 14);
  ORVELLE_MD5_STEP(F2, b, c, d, a, m[12], t[31], 20);

  ORVELLE_MD5_STEP(F3, a, b, c, d, m[5], t[32], 4);
  ORVELLE_MD5_STEP(F3, d, a, b, c, m[8], t[33], 11);
  ORVELLE_MD5_STEP(F3, c, d, a, b, m[11], t[34], 16);
  ORVELLE_MD5_STEP(F3, b, c, d, a, m[14], t[35], 23);
  ORVELLE_MD5_STEP(F3, a, b, c, d, m[1], t[36], 4);
  ORVELLE_MD5_STEP(F3, d, a, b, c, m[4], t[37], 11);
  ORVELLE_MD5_STEP(F3, c, d, a, b, m[7], t[38], 16);
  ORVELLE_MD5_STEP(F3, b, c, d, a, m[10], t[39], 23);
  ORVELLE_MD5_STEP(F3, a, b, c, d, m[13], t[40], 4);
  ORVELLE_MD5_STEP(F3, d, a, b, c, m[0], t[41], 11);
  ORVELLE_MD5_STEP(F3, c, d, a, b, m[3], t[42], 16);
  ORVELLE_MD5_STEP(F3, b, c, d, a, m[6], t[43], 23);
  ORVELLE_MD5_STEP(F3, a, b, c, d, m[9], t[44], 4);
  ORVELLE_MD5_STEP(F3, d, a, b, c, m[12], t[45], 11);
  ORVELLE_MD5_STEP(F3, c, d, a, b, m[15], t[46], 16);
  ORVELLE_MD5_STEP(F3, b, c, d, a, m[2], t[47], 23);

  ORVELLE_MD5_STEP(F4, a, b, c, d, m[0], t[48], 6);
  ORVELLE_MD5_STEP(F4, d, a, b, c, m[7], t[49], 10);
  ORVELLE_MD5_STEP(F4, c, d, a, b, m[14], t[50], 15);
  ORVELLE_MD5_STEP(F4, b, c, d, a, m[5], t[51], 21);
  ORVELLE_MD5_STEP(F4, a, b, c, d, m[12], t[52], 6);
  ORVELLE_MD5_STEP(F4, d, a, b, c, m[3], t[53], 10);
  ORVELLE_MD5_STEP(F4, c, d, a, b, m[10], t[54], 15);
  ORVELLE_MD5_STEP(F4, b, c, d, a, m[1], t[55], 21);
  ORVELLE_MD5_STEP(F4, a, b, c, d, m[8], t[56], 6);
  ORVELLE_MD5_STEP(F4, d, a, b, c, m[15], t[57], 10);
  ORVELLE_MD5_STEP(F4, c, d, a, b, m[6], t[58], 15);
  ORVELLE_MD5_STEP(F4, b, c, d, a, m[13], t[59], 21);
  ORVELLE_MD5_STEP(F4, a, b, c, d, m[4], t[60], 6);
  ORVELLE_MD5_STEP(F4, d, a, b, c, m[11], t[61], 10);
  ORVELLE_MD5_STEP(F4, c, d, a, b, m[2], t[62], 15);
  ORVELLE_MD5_STEP(F4, b, c, d, a, m[9], t[63], 21);

  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

#undef ORVELLE_MD5_STEP

void Md5::Update(const void* data, size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(data);
  length_ += size;
  if (buffered_ > 0) {
    size_t take = std::min(size, sizeof(buffer_) - buffered_);
    std::memcpy(buffer_ + buffered_, bytes, take);
    buffered_ += take;
    bytes += take;
    size -= take;
    if (buffered_ < sizeof(buffer_)) return;
    Block(buffer_);
    buffered_ = 0;
  }
  for (; size >= 64; bytes += 64, size -= 64) Block(bytes);
  std::memcpy(buffer_, bytes, size);
  buffered_ = size;
}

std::wstring Md5::HexDigest() {
  uint64_t bits = length_ * 8;
  static const unsigned char kPadding[64] = {0x80};
  size_t padLength = buffered_ < 56 ? 56 - buffered_ : 120 - buffered_;
  Update(kPadding, padLength);
  unsigned char lengthBytes[8];
  for (int i = 0; i < 8; ++i) lengthBytes[i] = static_cast<unsigned char>(bits >> (8 * i));
  Update(lengthBytes, 8);

  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring out;
  out.reserve(32);
  for (uint32_t word : state_) {
    for (int i = 0; i < 4; ++i) {
      unsigned byte = (word >> (8 * i)) & 0xFF;
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    }
  }
  return out;
}

std::wstring FileMD5(const std::wstring& fileName) {
  platform::unique_hfile file(::CreateFileW(platform::LongPathForm(fileName).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return {};
  Md5 md5;
  // Large reads: each one is a system call, and under Wine a costly one.
  std::vector<unsigned char> buffer(1024 * 1024);
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr)) {
      return {};
    }
    if (read == 0) break;
    md5.Update(buffer.data(), read);
  }
  return md5.HexDigest();
}

uint32_t Crc32(const void* data, size_t size, uint32_t crc) {
  static const std::array<uint32_t, 256> table = MakeCrcTable();
  const auto* bytes = static_cast<const unsigned char*>(data);
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

}  // namespace orvelle
