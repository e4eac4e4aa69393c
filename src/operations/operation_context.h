// What an operation on My installation works with, lent by the plugin's
// state for one command: the tree whose entries it marks, the two
// installation models, the backup store, and how to reach the host.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace orvelle {

class TBackup;
class TTC;
class VirtualTree;

struct OperationContext {
  VirtualTree& Tree;
  const TTC& My;
  const TTC* New;  // null when no New installation was found
  TBackup& Backup;
  HWND HostWindow = nullptr;
  std::wstring PluginDir;      // the plugin's folder, with a trailing backslash
  std::wstring OwnPluginFile;  // the plugin module itself: never deleted
  // Asks the host to list its panel again.
  std::function<void()> RequestReread;
};

}  // namespace orvelle
