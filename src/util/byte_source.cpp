#include "util/byte_source.h"

#include "platform/fs.h"
#include "util/file_faults.h"

#include <windows.h>

#include <algorithm>

namespace orvelle {

namespace {
// A read of fewer bytes is made this long (within the file), so that the
// directories and entries of a resource tree that lie close together come
// from one call.
constexpr size_t kBlockSize = 64u << 10;

bool Contains(uint64_t start, uint64_t length, uint64_t offset, size_t size) {
  return offset >= start && offset - start <= length && length - (offset - start) >= size;
}
}  // namespace

std::optional<std::string_view> MemoryBytes::At(uint64_t offset, size_t size) const {
  if (!Contains(0, bytes_.size(), offset, size)) return std::nullopt;
  return bytes_.substr(static_cast<size_t>(offset), size);
}

std::unique_ptr<FileBytes> FileBytes::Open(const std::wstring& path) {
  std::unique_ptr<FileBytes> file(new FileBytes());
  file->file_.reset(::CreateFileW(platform::LongPathForm(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file->file_) return nullptr;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(file->file_.get(), &size) || size.QuadPart < 0) return nullptr;
  file->size_ = static_cast<uint64_t>(size.QuadPart);
  file->path_ = path;
  return file;
}

std::optional<std::string_view> FileBytes::At(uint64_t offset, size_t size) const {
  if (size > kMaxRead || !Contains(0, size_, offset, size)) return std::nullopt;
  for (const Block& block : blocks_) {
    if (Contains(block.offset, block.bytes.size(), offset, size)) {
      return std::string_view(block.bytes).substr(static_cast<size_t>(offset - block.offset), size);
    }
  }
  if (InjectedFileFault(FileStep::ReadFile, path_)) return std::nullopt;
  const size_t length =
      static_cast<size_t>(std::min<uint64_t>(std::max(size, kBlockSize), size_ - offset));
  Block block{offset, std::string(length, '\0')};
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  if (!::ReadFile(file_.get(), block.bytes.data(), static_cast<DWORD>(length), &read, &at)) {
    return std::nullopt;
  }
  // A file cut since it was opened gives fewer bytes: those asked for must
  // all be there.
  block.bytes.resize(read);
  if (read < size) return std::nullopt;
  blocks_.push_back(std::move(block));
  return std::string_view(blocks_.back().bytes).substr(0, size);
}

bool FileBytes::ReadInto(uint64_t offset, size_t size, std::string& buffer) const {
  if (size > kMaxRead || !Contains(0, size_, offset, size)) return false;
  if (InjectedFileFault(FileStep::ReadFile, path_)) return false;
  buffer.resize(size);
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  DWORD read = 0;
  return ::ReadFile(file_.get(), buffer.data(), static_cast<DWORD>(size), &read, &at) && read == size;
}

}  // namespace orvelle
