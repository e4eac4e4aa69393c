// Where the resource readers take a file's bytes from: memory the caller
// holds, or the file itself, read with ReadFile at the offsets asked for.
//
// Files are not mapped. A page of a mapped file that cannot be read (a USB
// stick pulled, a network share gone, a file cut by another program) raises
// a structured exception in whatever thread touches it, which no C++
// handler of mingw-w64 catches: the host would die. A failed ReadFile is an
// error value, on every thread.
#pragma once

#include "platform/handle.h"

#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orvelle {

class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // The number of bytes the source holds (a file's size when it was opened).
  virtual uint64_t Size() const = 0;
  // size bytes from offset, valid while the source lives; nullopt when they
  // do not all lie in it or cannot all be read.
  virtual std::optional<std::string_view> At(uint64_t offset, size_t size) const = 0;
};

// Bytes in memory; they must outlive the source.
class MemoryBytes final : public ByteSource {
 public:
  explicit MemoryBytes(std::string_view bytes) : bytes_(bytes) {}
  uint64_t Size() const override { return bytes_.size(); }
  std::optional<std::string_view> At(uint64_t offset, size_t size) const override;

 private:
  std::string_view bytes_;
};

// A file opened for reading, shared with other readers and writers as the
// system allows. Each read is kept, so that the views it hands out stay
// valid; reads are made in blocks, so that the small reads of a resource
// tree cost few calls. Not for use by two threads at once.
class FileBytes final : public ByteSource {
 public:
  // nullptr when the file cannot be opened or its size not read.
  static std::unique_ptr<FileBytes> Open(const std::wstring& path);

  uint64_t Size() const override { return size_; }
  // Also nullopt when the file is shorter now than it was (another program
  // cut it), when a read fails, and for more than kMaxRead bytes at once.
  std::optional<std::string_view> At(uint64_t offset, size_t size) const override;

  static constexpr size_t kMaxRead = 64u << 20;

  // Reads size bytes at offset into buffer (resized to them) without keeping
  // them: for passes over a whole file in pieces, one buffer reused, which
  // costs far less than holding the file. False when the read fails or the
  // file is shorter now.
  bool ReadInto(uint64_t offset, size_t size, std::string& buffer) const;

 private:
  FileBytes() = default;
  platform::unique_hfile file_;
  std::wstring path_;
  uint64_t size_ = 0;
  struct Block {
    uint64_t offset;
    std::string bytes;
  };
  mutable std::deque<Block> blocks_;
};

}  // namespace orvelle
