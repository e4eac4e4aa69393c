// A whole file mapped for reading. Programs and icon libraries are read this
// way: only the pages that are looked at are read, and every read is checked
// against the file's real size, so a cut file cannot lead outside it.
#pragma once

#include "platform/handle.h"

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace orvelle::platform {

class MappedFile {
 public:
  // The file mapped read-only, with writing denied to others while it is
  // open (so that it cannot shrink under the view); nullopt when it cannot
  // be opened or mapped. An empty file gives an empty view.
  static std::optional<MappedFile> Open(const std::wstring& path);

  MappedFile(MappedFile&& other) noexcept;
  MappedFile& operator=(MappedFile&& other) noexcept;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;
  ~MappedFile();

  // The file's bytes; valid while the object lives.
  std::string_view Bytes() const { return {view_, size_}; }

 private:
  MappedFile() = default;
  unique_hfile file_;
  unique_handle mapping_;
  const char* view_ = nullptr;
  size_t size_ = 0;
};

}  // namespace orvelle::platform
