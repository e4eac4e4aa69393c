// Reading the icon groups of a PE file from its bytes.
#include "util/icons.h"

#include "util/digest.h"
#include "util/pe_resources.h"

#include <cstring>
#include <memory>

namespace orvelle {

namespace {

constexpr WORD kIconType = 3;        // RT_ICON
constexpr WORD kGroupIconType = 14;  // RT_GROUP_ICON

uint16_t Word(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t BigEndianDword(const unsigned char* p) {
  return (static_cast<uint32_t>(p[0]) << 24) | (static_cast<uint32_t>(p[1]) << 16) |
         (static_cast<uint32_t>(p[2]) << 8) | p[3];
}

// The bytes of one resource, empty when it is missing or not all there.
std::vector<unsigned char> ResourceData(const PeResources& pe, WORD type, const ResourceName& name) {
  std::optional<std::string_view> data = pe.Data(type, name);
  if (!data) return {};
  return std::vector<unsigned char>(data->begin(), data->end());
}

TIconLibrary::Group ReadGroup(const PeResources& pe, const ResourceName& name) {
  TIconLibrary::Group group;
  std::vector<unsigned char> directory = ResourceData(pe, kGroupIconType, name);
  std::vector<IconDirEntry> entries = ParseIconGroup(directory.data(), directory.size());
  std::vector<std::vector<unsigned char>> images;
  std::vector<int> depths;
  for (const IconDirEntry& entry : entries) {
    images.push_back(ResourceData(pe, kIconType, ResourceName{true, entry.id, {}}));
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

bool LooksLikeIconFile(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  return bytes.size() >= 6 && Word(p) == 0 && Word(p + 2) == 1;
}

bool IconFileIntact(std::string_view bytes) {
  // ICONDIR, then 16-byte entries: width, height, colours, reserved, planes,
  // bit count, bytes in the image, offset of the image in the file.
  if (!LooksLikeIconFile(bytes)) return false;
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t count = Word(p + 4);
  if (6 + count * 16 > bytes.size()) return false;
  for (size_t i = 0; i < count; ++i) {
    const unsigned char* e = p + 6 + i * 16;
    const uint64_t size = Word(e + 8) | static_cast<uint64_t>(Word(e + 10)) << 16;
    const uint64_t offset = Word(e + 12) | static_cast<uint64_t>(Word(e + 14)) << 16;
    if (offset + size > bytes.size()) return false;
  }
  return true;
}

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
  // The file is read as bytes, not loaded: the loader maps a cut file and
  // hands out resource pointers past its end.
  std::unique_ptr<FileBytes> file = FileBytes::Open(fileName);
  if (!file) return std::nullopt;
  std::optional<PeResources> pe = PeResources::Parse(*file);
  if (!pe) return std::nullopt;
  TIconLibrary library;
  for (const ResourceName& name : pe->Names(kGroupIconType)) {
    library.groups_.push_back(ReadGroup(*pe, name));
  }
  return library;
}

HICON TIconLibrary::CreateIcon(size_t i) const {
  if (i >= groups_.size() || groups_[i].imageData.empty()) return nullptr;
  std::vector<unsigned char> data = groups_[i].imageData;  // the API takes a non-const pointer
  return ::CreateIconFromResourceEx(data.data(), static_cast<DWORD>(data.size()), TRUE,
                                    0x00030000, 0, 0, LR_DEFAULTCOLOR);
}

}  // namespace orvelle
