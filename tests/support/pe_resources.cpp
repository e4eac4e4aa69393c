#include "support/pe_resources.h"

#include "platform/handle.h"

#include <cstring>
#include <stdexcept>
#include <string>

namespace orvelle::test {

namespace {

using Bytes = std::vector<unsigned char>;

void Align4(Bytes& out) {
  while (out.size() % 4 != 0) out.push_back(0);
}

void PutWord(Bytes& out, WORD w) {
  out.push_back(static_cast<unsigned char>(w));
  out.push_back(static_cast<unsigned char>(w >> 8));
}

void PutDword(Bytes& out, DWORD d) {
  PutWord(out, LOWORD(d));
  PutWord(out, HIWORD(d));
}

void PutText(Bytes& out, const std::wstring& text) {
  for (wchar_t c : text) PutWord(out, static_cast<WORD>(c));
  PutWord(out, 0);
}

// One node of a version record: length, value length, type, key, padding,
// value, padding, children. valueLength counts characters for text values
// (type 1) and bytes for binary ones (type 0).
Bytes Node(const std::wstring& key, WORD type, const Bytes& value, WORD valueLength,
           const std::vector<Bytes>& children) {
  Bytes out(6, 0);
  PutText(out, key);
  Align4(out);
  out.insert(out.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    Align4(out);
    out.insert(out.end(), child.begin(), child.end());
  }
  WORD length = static_cast<WORD>(out.size());
  out[0] = static_cast<unsigned char>(length);
  out[1] = static_cast<unsigned char>(length >> 8);
  out[2] = static_cast<unsigned char>(valueLength);
  out[3] = static_cast<unsigned char>(valueLength >> 8);
  out[4] = static_cast<unsigned char>(type);
  return out;
}

Bytes FixedInfo(const VersionResource& v) {
  Bytes out;
  PutDword(out, 0xFEEF04BD);
  PutDword(out, 0x00010000);
  PutDword(out, MAKELONG(v.fileVersion[1], v.fileVersion[0]));
  PutDword(out, MAKELONG(v.fileVersion[3], v.fileVersion[2]));
  PutDword(out, MAKELONG(v.productVersion[1], v.productVersion[0]));
  PutDword(out, MAKELONG(v.productVersion[3], v.productVersion[2]));
  PutDword(out, 0x3F);          // flags mask
  PutDword(out, 0);             // flags
  PutDword(out, VOS_NT_WINDOWS32);
  PutDword(out, VFT_APP);
  PutDword(out, 0);             // subtype
  PutDword(out, 0);             // date, high
  PutDword(out, 0);             // date, low
  return out;
}

void Check(BOOL ok, const char* what) {
  if (!ok) {
    throw std::runtime_error(std::string(what) + " failed, error " +
                             std::to_string(::GetLastError()));
  }
}

struct ResourceId {
  bool isId = true;
  WORD id = 0;
  std::wstring text;
  WORD language = 0;
  LPCWSTR Get() const { return isId ? MAKEINTRESOURCEW(id) : text.c_str(); }
};

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR name, WORD language,
                              LONG_PTR param) noexcept {
  auto* ids = reinterpret_cast<std::vector<ResourceId>*>(param);
  ResourceId r;
  r.isId = IS_INTRESOURCE(name);
  if (r.isId) {
    r.id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(name));
  } else {
    r.text = name;
  }
  r.language = language;
  ids->push_back(r);
  return TRUE;
}

BOOL CALLBACK CollectNameLanguages(HMODULE module, LPCWSTR type, LPWSTR name,
                                   LONG_PTR param) noexcept {
  ::EnumResourceLanguagesW(module, type, name, CollectLanguage, param);
  return TRUE;
}

std::vector<ResourceId> ListResources(const std::wstring& path, LPCWSTR type) {
  std::vector<ResourceId> ids;
  platform::unique_hmodule module(::LoadLibraryExW(path.c_str(), nullptr,
                                                   LOAD_LIBRARY_AS_DATAFILE));
  if (!module) return ids;
  ::EnumResourceNamesW(module.get(), type, CollectNameLanguages, reinterpret_cast<LONG_PTR>(&ids));
  return ids;
}

// Updates path: deletes all resources of the types to replace, then adds.
class ResourceUpdate {
 public:
  explicit ResourceUpdate(const std::wstring& path, std::initializer_list<LPCWSTR> replaced) {
    std::vector<std::pair<LPCWSTR, ResourceId>> old;
    for (LPCWSTR type : replaced) {
      for (ResourceId& id : ListResources(path, type)) old.emplace_back(type, std::move(id));
    }
    update_ = ::BeginUpdateResourceW(path.c_str(), FALSE);
    Check(update_ != nullptr, "BeginUpdateResourceW");
    for (const auto& [type, id] : old) {
      Check(::UpdateResourceW(update_, type, id.Get(), id.language, nullptr, 0),
            "UpdateResourceW (delete)");
    }
  }
  ~ResourceUpdate() {
    if (update_ != nullptr) ::EndUpdateResourceW(update_, TRUE);
  }
  void Add(LPCWSTR type, WORD id, const Bytes& data) {
    Check(::UpdateResourceW(update_, type, MAKEINTRESOURCEW(id),
                            MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                            const_cast<unsigned char*>(data.data()),
                            static_cast<DWORD>(data.size())),
          "UpdateResourceW");
  }
  void Commit() {
    HANDLE update = update_;
    update_ = nullptr;
    Check(::EndUpdateResourceW(update, FALSE), "EndUpdateResourceW");
  }

 private:
  HANDLE update_ = nullptr;
};

}  // namespace

Bytes BuildVersionBlob(const VersionResource& v) {
  std::vector<Bytes> strings;
  for (const auto& [name, value] : v.strings) {
    Bytes text;
    PutText(text, value);
    strings.push_back(Node(name, 1, text, static_cast<WORD>(value.size() + 1), {}));
  }
  std::vector<Bytes> children;
  children.push_back(Node(L"StringFileInfo", 1, {}, 0, {Node(v.block, 1, {}, 0, strings)}));
  if (v.withTranslation) {
    DWORD block = std::stoul(v.block, nullptr, 16);
    Bytes translation;
    PutWord(translation, HIWORD(block));  // language
    PutWord(translation, LOWORD(block));  // code page
    children.push_back(
        Node(L"VarFileInfo", 1, {}, 0, {Node(L"Translation", 0, translation, 4, {})}));
  }
  Bytes fixed = FixedInfo(v);
  return Node(L"VS_VERSION_INFO", 0, fixed, static_cast<WORD>(fixed.size()), children);
}

void WriteVersionResource(const std::wstring& path, const VersionResource& version) {
  ResourceUpdate update(path, {RT_VERSION});
  update.Add(RT_VERSION, VS_VERSION_INFO, BuildVersionBlob(version));
  update.Commit();
}

void WriteVersionResource(const std::wstring& path, const std::array<WORD, 4>& fileVersion,
                          const std::array<WORD, 4>& productVersion,
                          const std::vector<std::pair<std::wstring, std::wstring>>& strings) {
  VersionResource v;
  v.fileVersion = fileVersion;
  v.productVersion = productVersion;
  v.strings = strings;
  WriteVersionResource(path, v);
}

IconImage MakeIconImage(int size, int bitCount, COLORREF colour) {
  if (bitCount != 24 && bitCount != 32) throw std::invalid_argument("24 or 32 bits only");
  IconImage image;
  image.size = size;
  image.bitCount = bitCount;
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = size;
  header.biHeight = size * 2;  // colour rows, then the mask rows
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(bitCount);
  header.biCompression = BI_RGB;
  Bytes& out = image.data;
  out.resize(sizeof(header));
  std::memcpy(out.data(), &header, sizeof(header));
  const size_t colourStride = ((static_cast<size_t>(size) * bitCount + 31) / 32) * 4;
  const size_t maskStride = ((static_cast<size_t>(size) + 31) / 32) * 4;
  for (int y = 0; y < size; ++y) {
    Bytes row;
    for (int x = 0; x < size; ++x) {
      row.push_back(GetBValue(colour));
      row.push_back(GetGValue(colour));
      row.push_back(GetRValue(colour));
      if (bitCount == 32) row.push_back(0xFF);
    }
    row.resize(colourStride, 0);
    out.insert(out.end(), row.begin(), row.end());
  }
  out.insert(out.end(), maskStride * size, 0);  // all opaque
  return image;
}

void WriteIconResource(const std::wstring& path,
                       const std::vector<std::vector<IconImage>>& groups) {
  ResourceUpdate update(path, {RT_GROUP_ICON, RT_ICON});
  WORD nextImage = 1;
  for (size_t g = 0; g < groups.size(); ++g) {
    Bytes directory;
    PutWord(directory, 0);
    PutWord(directory, 1);
    PutWord(directory, static_cast<WORD>(groups[g].size()));
    for (const IconImage& image : groups[g]) {
      directory.push_back(static_cast<unsigned char>(image.size >= 256 ? 0 : image.size));
      directory.push_back(static_cast<unsigned char>(image.size >= 256 ? 0 : image.size));
      directory.push_back(0);  // colour count
      directory.push_back(0);
      PutWord(directory, 1);   // planes
      PutWord(directory, static_cast<WORD>(image.bitCount));
      PutDword(directory, static_cast<DWORD>(image.data.size()));
      PutWord(directory, nextImage);
      update.Add(RT_ICON, nextImage, image.data);
      ++nextImage;
    }
    update.Add(RT_GROUP_ICON, static_cast<WORD>(g + 1), directory);
  }
  update.Commit();
}

void RemoveResources(const std::wstring& path, LPCWSTR type) {
  ResourceUpdate update(path, {type});
  update.Commit();
}

void CopyProgramFile(const std::wstring& path) {
  wchar_t system[MAX_PATH] = {};
  ::GetSystemDirectoryW(system, MAX_PATH);
  std::wstring source = std::wstring(system) + L"\\hostname.exe";
  Check(::CopyFileW(source.c_str(), path.c_str(), FALSE), "CopyFileW");
}

}  // namespace orvelle::test
