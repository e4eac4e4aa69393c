// The icons the plugin shows by role: its own icon resources and the
// system's stock icons. Loaded once per build, released in order.
#pragma once

#include "platform/handle.h"

#include <windows.h>

#include <array>

namespace orvelle {

enum class IconRole {
  MainUnit,
  Plugins,
  Folder,
  Information,
  Warning,
  Error,
  Command,
  DefaultPlugin,
  Settings,
  Deleted,
  Installed,
  Count
};

class SharedIcons {
 public:
  // Loads the icons from the plugin module's resources (small size) and the
  // system; a missing resource leaves its role without an icon (null).
  void Load(HMODULE pluginModule);
  void Release();
  HICON Get(IconRole role) const { return handles_[static_cast<size_t>(role)]; }
  bool Loaded() const { return loaded_; }

 private:
  static constexpr size_t kCount = static_cast<size_t>(IconRole::Count);
  std::array<platform::unique_hicon, kCount> owned_;
  std::array<HICON, kCount> handles_{};
  bool loaded_ = false;
};

}  // namespace orvelle
