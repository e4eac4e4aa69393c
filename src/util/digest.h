// MD5 (RFC 1321) and CRC-32 (IEEE 802.3, as zip uses it), computed here.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvelle {

class Md5 {
 public:
  Md5();
  void Update(const void* data, size_t size);
  std::wstring HexDigest();  // 32 upper-case hexadecimal digits; ends the use
 private:
  uint32_t state_[4];
  uint64_t length_ = 0;
  unsigned char buffer_[64];
  size_t buffered_ = 0;
  void Block(const unsigned char* block);
};

// MD5 of the whole file, or empty when it cannot be opened or read. The file
// is opened with write access denied to others.
std::wstring FileMD5(const std::wstring& fileName);

uint32_t Crc32(const void* data, size_t size, uint32_t crc = 0);

}  // namespace orvelle
