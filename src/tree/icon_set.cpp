#include "tree/icon_set.h"

#include "util/icons.h"

namespace orvelle {

namespace {
// Resource ids of src/plugin/orvelle.rc.
int ResourceId(IconRole role) {
  switch (role) {
    case IconRole::MainUnit: return 101;
    case IconRole::Plugins: return 102;
    case IconRole::Folder: return 103;
    case IconRole::Command: return 104;
    case IconRole::DefaultPlugin: return 105;
    case IconRole::Settings: return 106;
    case IconRole::Deleted: return 107;
    case IconRole::Installed: return 108;
    default: return 0;
  }
}
}  // namespace

void SharedIcons::Load(HMODULE pluginModule) {
  Release();
  for (size_t i = 0; i < kCount; ++i) {
    auto role = static_cast<IconRole>(i);
    switch (role) {
      // The system's shared icons are never destroyed.
      case IconRole::Information: handles_[i] = ::LoadIconW(nullptr, IDI_INFORMATION); break;
      case IconRole::Warning: handles_[i] = ::LoadIconW(nullptr, IDI_WARNING); break;
      case IconRole::Error: handles_[i] = ::LoadIconW(nullptr, IDI_ERROR); break;
      default: {
        int id = ResourceId(role);
        HICON icon = pluginModule != nullptr && id != 0
                         ? static_cast<HICON>(::LoadImageW(pluginModule, MAKEINTRESOURCEW(id),
                                                           IMAGE_ICON, 16, 16, 0))
                         : nullptr;
        owned_[i].reset(icon);
        handles_[i] = icon;
      }
    }
  }
  SetDefaultPluginIcon(Get(IconRole::DefaultPlugin));
  loaded_ = true;
}

void SharedIcons::Release() {
  SetDefaultPluginIcon(nullptr);
  for (size_t i = 0; i < kCount; ++i) {
    owned_[i].reset();
    handles_[i] = nullptr;
  }
  loaded_ = false;
}

}  // namespace orvelle
