// Icons of program files and icon libraries.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvelle {

// A PE file (program, library, icon library) opened as a data file; its icon
// groups in resource order. The image of a group is chosen by one rule: the
// largest image, ties to the higher colour depth, then the first. Its
// fingerprint is the CRC-32 of that image's resource data.
class TIconLibrary {
 public:
  struct Group {
    std::vector<unsigned char> imageData;  // the chosen image's resource data
    uint32_t fingerprint = 0;
  };
  // nullopt when the file cannot be opened so ("not an icon library").
  static std::optional<TIconLibrary> Open(const std::wstring& fileName);
  const std::vector<Group>& Groups() const { return groups_; }
  // A new icon for group i; the caller owns it (DestroyIcon). Null on failure.
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
