// The resources of a PE file (program, library, icon library), read from the
// file's bytes. Nothing is taken on trust: every size and offset in the
// headers and the resource tree is checked against what the bytes hold, so a
// cut or damaged file gives no resources instead of a read outside it (the
// system's loader maps such a file and lets resource pointers run past it).
#pragma once

#include "util/byte_source.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

// A resource name: an integer id or a string.
struct ResourceName {
  bool isId = false;
  WORD id = 0;
  std::wstring text;
};

class PeResources {
 public:
  // Whether the bytes begin like a PE file ("MZ" and a "PE" header where it
  // points), damaged or not.
  static bool LooksLikePe(std::string_view bytes);

  // The resource tree of a PE file; nullopt when the bytes are no PE file or
  // its headers or resource directory do not fit in them. A file without
  // resources gives an empty tree. The bytes must outlive the object.
  static std::optional<PeResources> Parse(std::string_view bytes);
  // The same over a source read as needed (a file): only its headers and
  // the parts of the resource tree that are looked at are read. A read
  // that fails is a resource that is not there. The source must outlive
  // the object.
  static std::optional<PeResources> Parse(const ByteSource& source);
  // How far into a file its headers and section table may reach.
  static constexpr uint64_t kHeadersLimit = 64u << 10;

  // The names of one type in directory order (string names, then ids: the
  // order the system enumerates them in).
  std::vector<ResourceName> Names(WORD type) const;

  // The data of a resource in its first language; nullopt when it is
  // missing or its data does not lie wholly in the file.
  std::optional<std::string_view> Data(WORD type, const ResourceName& name) const;

 private:
  struct Section {
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawSize = 0;
    uint32_t rawOffset = 0;
  };
  struct Entry {
    ResourceName name;
    bool isDirectory = false;
    uint32_t offset = 0;  // from the resource directory's start
  };

  // The bytes at an address of the loaded image, at most `size` of them;
  // nullopt when not all of them lie in the file.
  std::optional<std::string_view> AtAddress(uint32_t rva, uint32_t size) const;
  // The entries of the directory at offset; empty when it does not fit.
  std::vector<Entry> Directory(uint32_t offset) const;
  std::optional<Entry> Find(const std::vector<Entry>& entries, const ResourceName& name) const;

  std::shared_ptr<const MemoryBytes> memory_;  // Parse(bytes): the source it made
  const ByteSource* source_ = nullptr;
  std::vector<Section> sections_;
  uint32_t resourceRva_ = 0;
  uint32_t resourceSize_ = 0;
};

}  // namespace orvelle
