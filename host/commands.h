// The commands of the harness: each drives the plugin's entry points in the
// order the host uses them and prints what came back.
#pragma once

#include "host_window.h"
#include "options.h"
#include "plugin_api.h"
#include "plugin_calls.h"

#include <string>
#include <vector>

namespace tchost {

class CommandRunner {
 public:
  // plugin is the library loaded from pluginPath that calls uses; the
  // command `load` loads it anew into the same object.
  CommandRunner(const PluginCalls& calls, HostWindow& window, LoadedPlugin& plugin,
                std::wstring pluginPath, std::wstring captureDir = {})
      : calls_(calls),
        window_(window),
        plugin_(plugin),
        pluginPath_(std::move(pluginPath)),
        captureDir_(std::move(captureDir)) {}

  void Run(const Command& command);

 private:
  struct Entry {
    FoundEntry found;
    std::wstring sign;     // the "<>" column
    std::wstring comment;  // the "Comment" column
  };

  // The host's listing sequence, then both columns of every entry. When
  // FsFindFirst fails, findError is its last error (0 when it set none).
  std::vector<Entry> ListFolder(const std::wstring& folder, DWORD& findError);
  void PrintTree(const std::wstring& folder, int depth);
  std::wstring FieldValue(const std::wstring& path, int field);
  void Exec(const std::wstring& path, const std::wstring& verb);
  void Get(const std::wstring& remote, const std::wstring& local, int flags);
  void Icon(const std::wstring& path);
  void Fields();
  void Root();
  void Show(const std::wstring& folder);
  void Unload();
  void Load();

  const PluginCalls& calls_;
  HostWindow& window_;
  LoadedPlugin& plugin_;
  std::wstring pluginPath_;
  bool unloaded_ = false;
  // The address range the unloaded copy took, kept reserved by `load` so
  // that the new copy lands elsewhere.
  void* oldBase_ = nullptr;
  size_t oldSize_ = 0;
  std::wstring captureDir_;
  int shown_ = 0;
};

// The full virtual path of an entry: "\" + name in the root, folder + "\" +
// name below it.
std::wstring ChildPath(const std::wstring& folder, const std::wstring& name);

// One listing line's columns after the name, tab-separated: d|f, size,
// attributes, last-write time (UTC, or "0"), sign, comment.
std::wstring ListingColumns(const FoundEntry& entry, const std::wstring& sign,
                            const std::wstring& comment);

}  // namespace tchost
