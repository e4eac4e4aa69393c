#include "util/pe_resources.h"

#include "platform/strings.h"

#include <algorithm>
#include <cstdint>

namespace orvelle {

namespace {

constexpr size_t kDosHeaderSize = 64;
constexpr size_t kFileHeaderSize = 20;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kDirectoryHeaderSize = 16;
constexpr size_t kDirectoryEntrySize = 8;
constexpr size_t kDataEntrySize = 16;
constexpr size_t kResourceDirectoryIndex = 2;
constexpr uint32_t kHighBit = 0x80000000u;

uint16_t Word(std::string_view b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) |
                               static_cast<unsigned char>(b[at + 1]) << 8);
}

uint32_t Dword(std::string_view b, size_t at) {
  return static_cast<uint32_t>(Word(b, at)) | static_cast<uint32_t>(Word(b, at + 2)) << 16;
}

// Where the NT headers begin, or 0 when the bytes hold none.
size_t NtHeaderOffset(std::string_view bytes) {
  if (bytes.size() < kDosHeaderSize || bytes[0] != 'M' || bytes[1] != 'Z') return 0;
  const uint32_t at = Dword(bytes, 0x3C);
  if (at < 4 || static_cast<uint64_t>(at) + 4 + kFileHeaderSize > bytes.size()) return 0;
  if (bytes.substr(at, 4) != std::string_view("PE\0\0", 4)) return 0;
  return at;
}

bool SameName(const ResourceName& a, const ResourceName& b) {
  if (a.isId != b.isId) return false;
  return a.isId ? a.id == b.id : platform::EqualsNoCase(a.text, b.text);
}

}  // namespace

bool PeResources::LooksLikePe(std::string_view bytes) { return NtHeaderOffset(bytes) != 0; }

std::optional<PeResources> PeResources::Parse(std::string_view bytes) {
  auto memory = std::make_shared<const MemoryBytes>(bytes);
  std::optional<PeResources> pe = Parse(*memory);
  if (pe) pe->memory_ = std::move(memory);
  return pe;
}

std::optional<PeResources> PeResources::Parse(const ByteSource& source) {
  const std::optional<std::string_view> head =
      source.At(0, static_cast<size_t>(std::min(source.Size(), kHeadersLimit)));
  if (!head) return std::nullopt;
  const std::string_view bytes = *head;
  const size_t nt = NtHeaderOffset(bytes);
  if (nt == 0) return std::nullopt;
  const size_t fileHeader = nt + 4;
  const uint16_t sectionCount = Word(bytes, fileHeader + 2);
  const uint16_t optionalSize = Word(bytes, fileHeader + 16);
  const size_t optional = fileHeader + kFileHeaderSize;
  if (optional + optionalSize > bytes.size() || optionalSize < 2) return std::nullopt;

  // The data directories follow the fields of PE32 or PE32+ headers.
  const uint16_t magic = Word(bytes, optional);
  size_t countField = 0;
  if (magic == 0x10B) {
    countField = 92;
  } else if (magic == 0x20B) {
    countField = 108;
  } else {
    return std::nullopt;
  }
  PeResources pe;
  pe.source_ = &source;
  if (countField + 4 <= optionalSize) {
    const uint32_t count = Dword(bytes, optional + countField);
    const size_t entry = countField + 4 + kResourceDirectoryIndex * 8;
    if (count > kResourceDirectoryIndex && entry + 8 <= optionalSize) {
      pe.resourceRva_ = Dword(bytes, optional + entry);
      pe.resourceSize_ = Dword(bytes, optional + entry + 4);
    }
  }

  const size_t table = optional + optionalSize;
  if (table + static_cast<size_t>(sectionCount) * kSectionHeaderSize > bytes.size()) {
    return std::nullopt;
  }
  for (size_t i = 0; i < sectionCount; ++i) {
    const size_t at = table + i * kSectionHeaderSize;
    pe.sections_.push_back(
        {Dword(bytes, at + 12), Dword(bytes, at + 8), Dword(bytes, at + 16), Dword(bytes, at + 20)});
  }
  if (pe.resourceRva_ == 0) return pe;  // no resources at all
  // The root directory must be there; the branches are checked as they are read.
  if (!pe.AtAddress(pe.resourceRva_, kDirectoryHeaderSize)) return std::nullopt;
  return pe;
}

std::optional<std::string_view> PeResources::AtAddress(uint32_t rva, uint32_t size) const {
  for (const Section& s : sections_) {
    const uint64_t start = s.virtualAddress;
    const uint64_t span = std::max(s.virtualSize, s.rawSize);
    if (rva < start || rva >= start + span) continue;
    const uint64_t into = rva - start;
    // Only what the file holds counts: the rest of a section is zeros in
    // memory, or, in a cut file, nothing at all.
    const uint64_t fileSize = source_->Size();
    if (s.rawOffset >= fileSize) return std::nullopt;
    const uint64_t raw = std::min<uint64_t>(s.rawSize, fileSize - s.rawOffset);
    if (into + size > raw) return std::nullopt;
    return source_->At(s.rawOffset + into, size);
  }
  return std::nullopt;
}

std::vector<PeResources::Entry> PeResources::Directory(uint32_t offset) const {
  std::vector<Entry> entries;
  const uint64_t at = static_cast<uint64_t>(resourceRva_) + offset;
  if (at + kDirectoryHeaderSize > UINT32_MAX) return entries;
  std::optional<std::string_view> header = AtAddress(static_cast<uint32_t>(at), kDirectoryHeaderSize);
  if (!header) return entries;
  const size_t count = static_cast<size_t>(Word(*header, 12)) + Word(*header, 14);
  std::optional<std::string_view> list =
      AtAddress(static_cast<uint32_t>(at + kDirectoryHeaderSize),
                static_cast<uint32_t>(count * kDirectoryEntrySize));
  if (!list) return entries;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t name = Dword(*list, i * kDirectoryEntrySize);
    const uint32_t target = Dword(*list, i * kDirectoryEntrySize + 4);
    Entry entry;
    entry.isDirectory = (target & kHighBit) != 0;
    entry.offset = target & ~kHighBit;
    if ((name & kHighBit) == 0) {
      entry.name.isId = true;
      entry.name.id = static_cast<WORD>(name);
    } else {
      // A counted UTF-16 string at an offset from the directory's start.
      const uint64_t textAt = static_cast<uint64_t>(resourceRva_) + (name & ~kHighBit);
      if (textAt + 2 > UINT32_MAX) continue;
      std::optional<std::string_view> length = AtAddress(static_cast<uint32_t>(textAt), 2);
      if (!length) continue;
      const uint16_t chars = Word(*length, 0);
      std::optional<std::string_view> text =
          AtAddress(static_cast<uint32_t>(textAt + 2), static_cast<uint32_t>(chars) * 2);
      if (!text) continue;
      for (size_t c = 0; c < chars; ++c) entry.name.text += static_cast<wchar_t>(Word(*text, c * 2));
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::optional<PeResources::Entry> PeResources::Find(const std::vector<Entry>& entries,
                                                    const ResourceName& name) const {
  for (const Entry& e : entries) {
    if (SameName(e.name, name)) return e;
  }
  return std::nullopt;
}

std::vector<ResourceName> PeResources::Names(WORD type) const {
  std::vector<ResourceName> names;
  if (resourceRva_ == 0) return names;
  std::optional<Entry> typeEntry = Find(Directory(0), ResourceName{true, type, {}});
  if (!typeEntry || !typeEntry->isDirectory) return names;
  for (Entry& e : Directory(typeEntry->offset)) names.push_back(std::move(e.name));
  return names;
}

std::optional<std::string_view> PeResources::Data(WORD type, const ResourceName& name) const {
  if (resourceRva_ == 0) return std::nullopt;
  std::optional<Entry> typeEntry = Find(Directory(0), ResourceName{true, type, {}});
  if (!typeEntry || !typeEntry->isDirectory) return std::nullopt;
  std::optional<Entry> nameEntry = Find(Directory(typeEntry->offset), name);
  if (!nameEntry || !nameEntry->isDirectory) return std::nullopt;
  std::vector<Entry> languages = Directory(nameEntry->offset);
  if (languages.empty() || languages.front().isDirectory) return std::nullopt;
  const uint64_t at = static_cast<uint64_t>(resourceRva_) + languages.front().offset;
  if (at > UINT32_MAX) return std::nullopt;
  std::optional<std::string_view> data = AtAddress(static_cast<uint32_t>(at), kDataEntrySize);
  if (!data) return std::nullopt;
  return AtAddress(Dword(*data, 0), Dword(*data, 4));
}

}  // namespace orvelle
