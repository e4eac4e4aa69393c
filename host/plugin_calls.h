// The plugin's entry points called as the host calls them, with wide text on
// the harness's side. The host uses the wide interface when the plugin
// exports FsFindFirstW: then every wide twin the plugin exports is called,
// and the ANSI twin of any it lacks. Otherwise, or when the ANSI interface is
// forced (--ansi), the ANSI entry points are called, text converted through
// the ANSI code page both ways, as a host without the wide interface does.
#pragma once

#include "plugin_api.h"

#include <windows.h>

#include <string>

namespace tchost {

// One entry of a listing, read from either form of the find-data record.
struct FoundEntry {
  std::wstring name;
  DWORD attributes = 0;
  FILETIME lastWrite{};
  unsigned long long size = 0;
};

class PluginCalls {
 public:
  PluginCalls(const PluginApi& api, bool forceAnsi);

  // True when the wide interface is in use.
  bool Wide() const { return wide_; }

  // FsInitW or FsInit, with the harness's callbacks of the same form.
  int Init(int pluginNr) const;
  void StatusInfo(const std::wstring& path, int startEnd, int operation) const;
  HANDLE FindFirst(const std::wstring& path, FoundEntry& entry) const;
  bool FindNext(HANDLE find, FoundEntry& entry) const;
  void FindClose(HANDLE find) const;
  int GetFile(const std::wstring& remote, const std::wstring& local, int flags) const;
  // `rewritten` gets the name buffer's content when the plugin changed it
  // (handing back another path), else it is left empty.
  int ExecuteFile(HWND window, const std::wstring& path, const std::wstring& verb,
                  std::wstring& rewritten) const;
  BOOL DeleteRemote(const std::wstring& path) const;
  int ExtractCustomIcon(const std::wstring& path, int flags, HICON* icon) const;
  // The field's type; `text` gets a string value, or a number in decimal.
  int ContentGetValue(const std::wstring& path, int field, std::wstring& text) const;
  BOOL ContentGetDefaultView(std::wstring (&parts)[4]) const;
  int ContentGetSupportedField(int index, std::wstring& name, std::wstring& units) const;
  std::wstring GetDefRootName() const;

 private:
  const PluginApi& api_;
  bool wide_;
};

}  // namespace tchost
