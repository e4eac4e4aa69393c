#include "plugin_api.h"

namespace tchost {
namespace {

template <typename F>
bool Resolve(HMODULE module, const char* name, F& target, std::wstring& missing) {
  FARPROC proc = ::GetProcAddress(module, name);
  if (proc == nullptr) {
    if (!missing.empty()) missing += L", ";
    for (const char* c = name; *c; ++c) missing += static_cast<wchar_t>(*c);
    return false;
  }
  target = reinterpret_cast<F>(proc);
  return true;
}

// A wide twin: null when the plugin does not export it.
template <typename F>
void ResolveOptional(HMODULE module, const char* name, F& target) {
  target = reinterpret_cast<F>(::GetProcAddress(module, name));
}

}  // namespace

bool LoadPlugin(const std::wstring& path, LoadedPlugin& plugin, std::wstring& error) {
  plugin.module = ::LoadLibraryW(path.c_str());
  if (plugin.module == nullptr) {
    error = L"cannot load the plugin " + path + L" (error " +
            std::to_wstring(::GetLastError()) + L")";
    return false;
  }
  HMODULE m = plugin.module;
  PluginApi& a = plugin.api;
  std::wstring missing;
  Resolve(m, "FsInit", a.FsInit, missing);
  Resolve(m, "FsFindFirst", a.FsFindFirst, missing);
  Resolve(m, "FsFindNext", a.FsFindNext, missing);
  Resolve(m, "FsFindClose", a.FsFindClose, missing);
  Resolve(m, "FsGetFile", a.FsGetFile, missing);
  Resolve(m, "FsExecuteFile", a.FsExecuteFile, missing);
  Resolve(m, "FsDeleteFile", a.FsDeleteFile, missing);
  Resolve(m, "FsStatusInfo", a.FsStatusInfo, missing);
  Resolve(m, "FsExtractCustomIcon", a.FsExtractCustomIcon, missing);
  Resolve(m, "FsGetDefRootName", a.FsGetDefRootName, missing);
  Resolve(m, "FsContentGetSupportedField", a.FsContentGetSupportedField, missing);
  Resolve(m, "FsContentGetValue", a.FsContentGetValue, missing);
  Resolve(m, "FsContentGetDefaultView", a.FsContentGetDefaultView, missing);
  ResolveOptional(m, "FsInitW", a.FsInitW);
  ResolveOptional(m, "FsFindFirstW", a.FsFindFirstW);
  ResolveOptional(m, "FsFindNextW", a.FsFindNextW);
  ResolveOptional(m, "FsGetFileW", a.FsGetFileW);
  ResolveOptional(m, "FsExecuteFileW", a.FsExecuteFileW);
  ResolveOptional(m, "FsDeleteFileW", a.FsDeleteFileW);
  ResolveOptional(m, "FsStatusInfoW", a.FsStatusInfoW);
  ResolveOptional(m, "FsExtractCustomIconW", a.FsExtractCustomIconW);
  ResolveOptional(m, "FsContentGetValueW", a.FsContentGetValueW);
  ResolveOptional(m, "FsContentGetDefaultViewW", a.FsContentGetDefaultViewW);
  if (!missing.empty()) {
    error = L"the plugin " + path + L" does not export " + missing;
    return false;
  }
  return true;
}

}  // namespace tchost
