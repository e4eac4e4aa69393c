#include "util/digest.h"

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

constexpr int kShifts[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                             5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                             4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                             6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

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

void Md5::Block(const unsigned char* block) {
  uint32_t m[16];
  for (int i = 0; i < 16; ++i) {
    m[i] = static_cast<uint32_t>(block[i * 4]) | (static_cast<uint32_t>(block[i * 4 + 1]) << 8) |
           (static_cast<uint32_t>(block[i * 4 + 2]) << 16) |
           (static_cast<uint32_t>(block[i * 4 + 3]) << 24);
  }
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
  for (int i = 0; i < 64; ++i) {
    uint32_t f;
    int g;
    if (i < 16) {
      f = (b & c) | (~b & d);
      g = i;
    } else if (i < 32) {
      f = (d & b) | (~d & c);
      g = (5 * i + 1) % 16;
    } else if (i < 48) {
      f = b ^ c ^ d;
      g = (3 * i + 5) % 16;
    } else {
      f = c ^ (b | ~d);
      g = (7 * i) % 16;
    }
    uint32_t next = b + RotateLeft(a + f + kSineTable[i] + m[g], kShifts[i]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
}

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
  platform::unique_hfile file(::CreateFileW(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                            nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN,
                                            nullptr));
  if (!file) return {};
  Md5 md5;
  std::vector<unsigned char> buffer(64 * 1024);
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
