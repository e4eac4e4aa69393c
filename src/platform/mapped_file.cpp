#include "platform/mapped_file.h"

#include "platform/fs.h"

#include <utility>

namespace orvelle::platform {

std::optional<MappedFile> MappedFile::Open(const std::wstring& path) {
  MappedFile mapped;
  mapped.file_.reset(::CreateFileW(LongPathForm(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!mapped.file_) return std::nullopt;
  LARGE_INTEGER size{};
  if (!::GetFileSizeEx(mapped.file_.get(), &size) || size.QuadPart < 0 ||
      static_cast<unsigned long long>(size.QuadPart) > SIZE_MAX / 2) {
    return std::nullopt;
  }
  // The system maps no empty file; there is nothing to read in it either.
  if (size.QuadPart == 0) return mapped;
  mapped.mapping_.reset(
      ::CreateFileMappingW(mapped.file_.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapped.mapping_) return std::nullopt;
  const void* view = ::MapViewOfFile(mapped.mapping_.get(), FILE_MAP_READ, 0, 0, 0);
  if (view == nullptr) return std::nullopt;
  mapped.view_ = static_cast<const char*>(view);
  mapped.size_ = static_cast<size_t>(size.QuadPart);
  return mapped;
}

MappedFile::MappedFile(MappedFile&& other) noexcept
    : file_(std::move(other.file_)),
      mapping_(std::move(other.mapping_)),
      view_(std::exchange(other.view_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

MappedFile& MappedFile::operator=(MappedFile&& other) noexcept {
  if (this != &other) {
    if (view_ != nullptr) ::UnmapViewOfFile(view_);
    file_ = std::move(other.file_);
    mapping_ = std::move(other.mapping_);
    view_ = std::exchange(other.view_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

MappedFile::~MappedFile() {
  if (view_ != nullptr) ::UnmapViewOfFile(view_);
}

}  // namespace orvelle::platform
