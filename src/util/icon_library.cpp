// Reading the icon groups of a PE file opened as a data file.
#include "util/icons.h"

#include "platform/handle.h"
#include "util/digest.h"

#include <cstring>

namespace orvelle {

namespace {

uint16_t Word(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t BigEndianDword(const unsigned char* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

// Resource names as EnumResourceNamesW reports them: an integer id or a
// string, which lives only for the callback and is copied.
struct ResourceName {
  bool isId = false;
  WORD id = 0;
  std::wstring text;
  LPCWSTR Get() const { return isId ? MAKEINTRESOURCEW(id) : text.c_str(); }
};

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) noexcept {
  try {
    auto* names = reinterpret_cast<std::vector<ResourceName>*>(param);
    ResourceName n;
    if (IS_INTRESOURCE(name)) {
      n.isId = true;
      n.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
    } else {
      n.text = name;
    }
    names->push_back(std::move(n));
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

// The bytes of one resource, empty when it is missing.
std::vector<unsigned char> ResourceData(HMODULE module, LPCWSTR name, LPCWSTR type) {
  HRSRC info = ::FindResourceW(module, name, type);
  if (info == nullptr) return {};
  HGLOBAL loaded = ::LoadResource(module, info);
  DWORD size = ::SizeofResource(module, info);
  const void* data = loaded != nullptr ? ::LockResource(loaded) : nullptr;
  if (data == nullptr || size == 0) return {};
  const auto* bytes = static_cast<const unsigned char*>(data);
  return std::vector<unsigned char>(bytes, bytes + size);
}

platform::unique_hmodule OpenAsDataFile(const std::wstring& fileName) {
  // As an image resource the sections are mapped as the loader would, which
  // also serves PE files of the other bitness; older systems know only the
  // plain data-file mapping.
  HMODULE module = ::LoadLibraryExW(
      fileName.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (module == nullptr) {
    module = ::LoadLibraryExW(fileName.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }
  return platform::unique_hmodule(module);
}

TIconLibrary::Group ReadGroup(HMODULE module, const ResourceName& name) {
  TIconLibrary::Group group;
  std::vector<unsigned char> directory = ResourceData(module, name.Get(), RT_GROUP_ICON);
  std::vector<IconDirEntry> entries = ParseIconGroup(directory.data(), directory.size());
  std::vector<std::vector<unsigned char>> images;
  std::vector<int> depths;
  for (const IconDirEntry& entry : entries) {
    images.push_back(ResourceData(module, MAKEINTRESOURCEW(entry.id), RT_ICON));
    depths.push_back(IconImageDepth(entry, images.back()));
  }
  int chosen = ChooseIconImage(entries, depths);
  if (chosen >= 0 && !images[chosen].empty()) {
    group.imageData = std::move(images[chosen]);
    group.fingerprint = Crc32(group.imageData.data(), group.imageData.size());
  }
  return group;
}

}  // namespace

std::vector<IconDirEntry> ParseIconGroup(const void* data, size_t size) {
  // GRPICONDIR: reserved, type (1 = icon), count; then 14-byte entries:
  // width, height, colours, reserved, planes, bit count, bytes, id.
  const auto* p = static_cast<const unsigned char*>(data);
  if (p == nullptr || size < 6 || Word(p + 2) != 1) return {};
  size_t count = Word(p + 4);
  if (size < 6 + count * 14) return {};
  std::vector<IconDirEntry> entries;
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* e = p + 6 + i * 14;
    IconDirEntry entry;
    entry.width = e[0] == 0 ? 256 : e[0];
    entry.height = e[1] == 0 ? 256 : e[1];
    entry.bitCount = Word(e + 6);
    entry.id = Word(e + 12);
    entries.push_back(entry);
  }
  return entries;
}

int IconImageDepth(const IconDirEntry& entry, const std::vector<unsigned char>& data) {
  if (entry.bitCount != 0) return entry.bitCount;
  static const unsigned char kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (data.size() >= 26 && std::memcmp(data.data(), kPngSignature, 8) == 0 &&
      BigEndianDword(data.data() + 8) == 13 && std::memcmp(data.data() + 12, "IHDR", 4) == 0) {
    int bitDepth = data[24];
    static const int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};  // by PNG colour type
    int colourType = data[25];
    return colourType < 7 ? bitDepth * kChannels[colourType] : 0;
  }
  if (data.size() >= sizeof(BITMAPINFOHEADER)) {
    BITMAPINFOHEADER header;
    std::memcpy(&header, data.data(), sizeof(header));
    if (header.biSize >= sizeof(BITMAPINFOHEADER)) return header.biBitCount * header.biPlanes;
  }
  return 0;
}

int ChooseIconImage(const std::vector<IconDirEntry>& entries, const std::vector<int>& depths) {
  int best = -1;
  long bestArea = 0;
  int bestDepth = 0;
  for (size_t i = 0; i < entries.size(); ++i) {
    long area = static_cast<long>(entries[i].width) * entries[i].height;
    int depth = i < depths.size() ? depths[i] : entries[i].bitCount;
    if (best < 0 || area > bestArea || (area == bestArea && depth > bestDepth)) {
      best = static_cast<int>(i);
      bestArea = area;
      bestDepth = depth;
    }
  }
  return best;
}

std::optional<TIconLibrary> TIconLibrary::Open(const std::wstring& fileName) {
  platform::unique_hmodule module = OpenAsDataFile(fileName);
  if (!module) return std::nullopt;
  std::vector<ResourceName> names;
  // A file without icons fails the enumeration; it is still a library, an
  // empty one.
  ::EnumResourceNamesW(module.get(), RT_GROUP_ICON, CollectName,
                       reinterpret_cast<LONG_PTR>(&names));
  TIconLibrary library;
  for (const ResourceName& name : names) library.groups_.push_back(ReadGroup(module.get(), name));
  return library;
}

HICON TIconLibrary::CreateIcon(size_t i) const {
  if (i >= groups_.size() || groups_[i].imageData.empty()) return nullptr;
  std::vector<unsigned char> data = groups_[i].imageData;  // the API takes a non-const pointer
  return ::CreateIconFromResourceEx(data.data(), static_cast<DWORD>(data.size()), TRUE,
                                    0x00030000, 0, 0, LR_DEFAULTCOLOR);
}

}  // namespace orvelle
