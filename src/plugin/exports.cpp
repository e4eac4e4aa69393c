// The plugin's exported entry points: the host's ANSI interface and its wide
// twins, which the host prefers (they carry every character and paths up to
// 1023 characters). Both forms of an entry point share one body: it converts
// text at this edge (plugin/host_text.h), calls the library, and catches
// everything: no exception ever reaches the host, which gets the interface's
// error value.
#include "forms/grid.h"
#include "plugin/columns.h"
#include "plugin/commands.h"
#include "plugin/entry.h"
#include "plugin/host_api.h"
#include "plugin/host_text.h"
#include "plugin/listing.h"
#include "plugin/state.h"
#include "util/icons.h"

#include <windows.h>

#include <string>

using namespace orvelle;

namespace {

const HANDLE kSearchHandle = reinterpret_cast<HANDLE>(1);

template <typename Char, typename FindData>
HANDLE FindFirst(const Char* path, FindData* findData) noexcept {
  try {
    ListedEntry entry;
    switch (FindFirstEntry(State(), FromHost(path), entry)) {
      case FindResult::Found:
        FillFindData(entry, findData);
        return kSearchHandle;
      case FindResult::Busy:
        return INVALID_HANDLE_VALUE;
      case FindResult::Empty:
        break;
    }
  } catch (...) {
  }
  ::SetLastError(ERROR_NO_MORE_FILES);
  return INVALID_HANDLE_VALUE;
}

template <typename FindData>
BOOL FindNext(FindData* findData) noexcept {
  try {
    ListedEntry entry;
    if (!FindNextEntry(State(), entry)) return FALSE;
    FillFindData(entry, findData);
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

template <typename Char>
int GetFile(const Char* remoteName, const Char* localName, int copyFlags) noexcept {
  try {
    return GetEntryFile(State(), FromHost(remoteName), FromHost(localName), copyFlags);
  } catch (...) {
    return host::FS_FILE_READERROR;
  }
}

template <typename Char>
int ExecuteFile(const Char* remoteName, const Char* verb) noexcept {
  try {
    return ExecuteEntry(State(), FromHost(remoteName), FromHost(verb));
  } catch (...) {
    return host::FS_EXEC_ERROR;
  }
}

template <typename Char>
BOOL DeleteRemote(const Char* remoteName) noexcept {
  try {
    return DeleteEntry(State(), FromHost(remoteName)) ? TRUE : FALSE;
  } catch (...) {
    return FALSE;
  }
}

template <typename Char>
void StatusInfo(const Char* remoteDir, int startEnd, int operation) noexcept {
  try {
    OnStatusInfo(State(), FromHost(remoteDir), startEnd, operation);
  } catch (...) {
  }
}

template <typename Char>
int ExtractCustomIcon(const Char* remoteName, HICON* theIcon) noexcept {
  try {
    HICON icon = GetEntryIcon(State(), FromHost(remoteName));
    if (icon != nullptr && theIcon != nullptr) {
      *theIcon = icon;
      return host::FS_ICON_EXTRACTED;
    }
  } catch (...) {
  }
  return host::FS_ICON_USEDEFAULT;
}

template <typename Char>
int ContentGetValue(const Char* fileName, int fieldIndex, void* fieldValue, int maxlen) noexcept {
  try {
    return FieldValueToHost(State(), FromHost(fileName), fieldIndex, static_cast<Char*>(fieldValue),
                            maxlen);
  } catch (...) {
    return host::ft_nosuchfield;
  }
}

template <typename Char>
BOOL ContentGetDefaultView(Char* viewContents, Char* viewHeaders, Char* viewWidths,
                           Char* viewOptions, int maxlen) noexcept {
  try {
    DefaultView view = GetDefaultView();
    CopyToHost(view.contents, viewContents, maxlen);
    CopyToHost(view.headers, viewHeaders, maxlen);
    CopyToHost(view.widths, viewWidths, maxlen);
    CopyToHost(view.options, viewOptions, maxlen);
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

}  // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) noexcept {
  try {
    if (reason == DLL_PROCESS_ATTACH) {
      ::DisableThreadLibraryCalls(instance);
      CreateState(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
      // Unloaded by FreeLibrary: only once a background copy has ended, since
      // its thread holds a reference. At process exit (reserved set) the
      // system has already ended that thread wherever it was, perhaps
      // holding a lock of the state: nothing is torn down then, the process
      // goes as a whole. The state and the icon cache are held by pointers
      // for this, so that no static destructor tears them down either.
      DestroyState();
      FreeIconCache();
      // A copy of the library loaded later registers the class anew.
      UnregisterGridClass();
    }
  } catch (...) {
  }
  return TRUE;
}

__declspec(dllexport) int __stdcall FsInit(int pluginNr, host::ProgressProc progress,
                                           host::LogProc, host::RequestProc) noexcept {
  try {
    InitPlugin(State(), pluginNr, HostProgress(pluginNr, progress));
    return 0;
  } catch (...) {
    return -1;
  }
}

__declspec(dllexport) int __stdcall FsInitW(int pluginNr, host::ProgressProcW progress,
                                            host::LogProcW, host::RequestProcW) noexcept {
  try {
    InitPlugin(State(), pluginNr, HostProgress(pluginNr, progress));
    return 0;
  } catch (...) {
    return -1;
  }
}

__declspec(dllexport) HANDLE __stdcall FsFindFirst(char* path, WIN32_FIND_DATAA* findData) noexcept {
  return FindFirst(path, findData);
}

__declspec(dllexport) HANDLE __stdcall FsFindFirstW(WCHAR* path,
                                                    WIN32_FIND_DATAW* findData) noexcept {
  return FindFirst(path, findData);
}

__declspec(dllexport) BOOL __stdcall FsFindNext(HANDLE, WIN32_FIND_DATAA* findData) noexcept {
  return FindNext(findData);
}

__declspec(dllexport) BOOL __stdcall FsFindNextW(HANDLE, WIN32_FIND_DATAW* findData) noexcept {
  return FindNext(findData);
}

__declspec(dllexport) int __stdcall FsFindClose(HANDLE) noexcept {
  try {
    FindCloseListing(State());
  } catch (...) {
  }
  return 0;
}

__declspec(dllexport) int __stdcall FsGetFile(char* remoteName, char* localName, int copyFlags,
                                              host::RemoteInfo*) noexcept {
  return GetFile(remoteName, localName, copyFlags);
}

__declspec(dllexport) int __stdcall FsGetFileW(WCHAR* remoteName, WCHAR* localName, int copyFlags,
                                               host::RemoteInfo*) noexcept {
  return GetFile(remoteName, localName, copyFlags);
}

__declspec(dllexport) int __stdcall FsExecuteFile(HWND, char* remoteName, char* verb) noexcept {
  return ExecuteFile(remoteName, verb);
}

__declspec(dllexport) int __stdcall FsExecuteFileW(HWND, WCHAR* remoteName, WCHAR* verb) noexcept {
  return ExecuteFile(remoteName, verb);
}

__declspec(dllexport) BOOL __stdcall FsDeleteFile(char* remoteName) noexcept {
  return DeleteRemote(remoteName);
}

__declspec(dllexport) BOOL __stdcall FsDeleteFileW(WCHAR* remoteName) noexcept {
  return DeleteRemote(remoteName);
}

__declspec(dllexport) void __stdcall FsStatusInfo(char* remoteDir, int startEnd,
                                                  int operation) noexcept {
  StatusInfo(remoteDir, startEnd, operation);
}

__declspec(dllexport) void __stdcall FsStatusInfoW(WCHAR* remoteDir, int startEnd,
                                                   int operation) noexcept {
  StatusInfo(remoteDir, startEnd, operation);
}

__declspec(dllexport) int __stdcall FsExtractCustomIcon(char* remoteName, int,
                                                        HICON* theIcon) noexcept {
  return ExtractCustomIcon(remoteName, theIcon);
}

__declspec(dllexport) int __stdcall FsExtractCustomIconW(WCHAR* remoteName, int,
                                                         HICON* theIcon) noexcept {
  return ExtractCustomIcon(remoteName, theIcon);
}

// The interface has no wide form of the root name and the field names.
__declspec(dllexport) void __stdcall FsGetDefRootName(char* defRootName, int maxlen) noexcept {
  try {
    CopyToHost(DefaultRootName(), defRootName, maxlen);
  } catch (...) {
  }
}

__declspec(dllexport) int __stdcall FsContentGetSupportedField(int fieldIndex, char* fieldName,
                                                               char* units, int maxlen) noexcept {
  try {
    CopyToHost(L"", units, maxlen);
    std::wstring name;
    int type = GetSupportedField(fieldIndex, name);
    if (type != host::ft_nomorefields) CopyToHost(name, fieldName, maxlen);
    return type;
  } catch (...) {
    return host::ft_nomorefields;
  }
}

__declspec(dllexport) int __stdcall FsContentGetValue(char* fileName, int fieldIndex, int,
                                                      void* fieldValue, int maxlen, int) noexcept {
  return ContentGetValue(fileName, fieldIndex, fieldValue, maxlen);
}

__declspec(dllexport) int __stdcall FsContentGetValueW(WCHAR* fileName, int fieldIndex, int,
                                                       void* fieldValue, int maxlen, int) noexcept {
  return ContentGetValue(fileName, fieldIndex, fieldValue, maxlen);
}

__declspec(dllexport) BOOL __stdcall FsContentGetDefaultView(char* viewContents, char* viewHeaders,
                                                             char* viewWidths, char* viewOptions,
                                                             int maxlen) noexcept {
  return ContentGetDefaultView(viewContents, viewHeaders, viewWidths, viewOptions, maxlen);
}

__declspec(dllexport) BOOL __stdcall FsContentGetDefaultViewW(WCHAR* viewContents,
                                                              WCHAR* viewHeaders,
                                                              WCHAR* viewWidths,
                                                              WCHAR* viewOptions,
                                                              int maxlen) noexcept {
  return ContentGetDefaultView(viewContents, viewHeaders, viewWidths, viewOptions, maxlen);
}

}  // extern "C"
