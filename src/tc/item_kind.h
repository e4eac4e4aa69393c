// The kinds of item of My installation that the operations act on. The value
// is what an action entry of the tree carries as its ActionKind.
#pragma once

#include <cstdint>

namespace orvelle {

enum class ItemKind : uint8_t {
  None = 0,
  FileSystemPlugin = 1,
  PackerPlugin = 2,
  ListerPlugin = 3,
  ContentPlugin = 4,
  NonExecutable = 5,   // a document that menus, bars or the start menu open
  PackageExclude = 6,  // a program outside the program directory (or no file at all)
  PackageInclude = 7,  // a program inside the program directory
};

inline bool IsPluginKind(ItemKind kind) {
  return kind >= ItemKind::FileSystemPlugin && kind <= ItemKind::ContentPlugin;
}
inline bool IsCommandFileKind(ItemKind kind) {
  return kind >= ItemKind::NonExecutable && kind <= ItemKind::PackageInclude;
}

}  // namespace orvelle
