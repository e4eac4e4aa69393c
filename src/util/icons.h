// Icons of program files and icon libraries.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvelle {

// One image of an icon group as its directory entry describes it.
struct IconDirEntry {
  int width = 0;     // 0 in the entry means 256
  int height = 0;
  int bitCount = 0;  // bits per pixel; 0 when the entry leaves it open
  uint16_t id = 0;   // the RT_ICON resource that holds the image
};

// The entries of an RT_GROUP_ICON resource; empty when the data is malformed.
std::vector<IconDirEntry> ParseIconGroup(const void* data, size_t size);

// The colour depth of an image: the entry's bit count, or when that is 0 the
// depth its own header gives (a bitmap's bits per pixel, a PNG's bit depth
// times its channels).
int IconImageDepth(const IconDirEntry& entry, const std::vector<unsigned char>& data);

// The rule that picks a group's image: the largest (width times height), ties
// to the higher colour depth, then the first. depths[i] belongs to
// entries[i]. -1 when there are no entries.
int ChooseIconImage(const std::vector<IconDirEntry>& entries, const std::vector<int>& depths);

// Whether the bytes begin like an icon file (reserved 0, type 1).
bool LooksLikeIconFile(std::string_view bytes);
// Whether every image an icon file's directory names lies wholly in it.
bool IconFileIntact(std::string_view bytes);

// A PE file (program, library, icon library) read from its bytes (a cut or
// damaged one gives the groups that lie wholly in it); its icon groups in
// resource order. Each group's image is picked by ChooseIconImage;
// its fingerprint is the CRC-32 of that image's resource data. The file is
// closed again once read: the object holds copies of the images.
class TIconLibrary {
 public:
  struct Group {
    std::vector<unsigned char> imageData;  // the chosen image's resource data;
                                           // empty when the group names none
    uint32_t fingerprint = 0;
  };
  // nullopt when the file cannot be opened so ("not an icon library").
  static std::optional<TIconLibrary> Open(const std::wstring& fileName);
  const std::vector<Group>& Groups() const { return groups_; }
  // A new icon for group i at the image's own size; the caller owns it
  // (DestroyIcon). Null on failure or when i is out of range.
  HICON CreateIcon(size_t i) const;

 private:
  std::vector<Group> groups_;
};

// The icon of a file: its first icon group's chosen image, else
// ExtractIconW(.., 0), else the default plugin icon for plugin extensions
// (".wfx", ".wcx", ".wdx", ".wlx" and their "64" forms), else null. The
// handle stays owned by the cache until FreeIconCache.
HICON GetFileIcon(const std::wstring& fileName);
// GetFileIcon for ".exe" files, null for any other.
HICON GetExeIcon(const std::wstring& fileName);
// Destroys every icon handed out by GetFileIcon.
void FreeIconCache();
// The icon GetFileIcon gives plugin files without one; set by the plugin's
// shared icon set (not owned by the cache).
void SetDefaultPluginIcon(HICON icon);

}  // namespace orvelle
