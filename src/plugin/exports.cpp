// The plugin's exported entry points (the host's ANSI interface). Each one
// converts text at this edge, calls the library, and catches everything: no
// exception ever reaches the host, which gets the interface's error value.
#include "platform/strings.h"
#include "plugin/columns.h"
#include "plugin/commands.h"
#include "plugin/entry.h"
#include "plugin/host_api.h"
#include "plugin/listing.h"
#include "plugin/state.h"

#include <windows.h>

#include <cstring>
#include <string>

using namespace orvelle;

namespace {

std::wstring Wide(const char* text) {
  return text == nullptr ? std::wstring() : platform::WideFromAnsi(text);
}

// Copies text into a host buffer of maxlen bytes, always terminated, cut to
// fit; nothing is written when maxlen is below 1.
void CopyOut(const std::wstring& text, char* buffer, int maxlen) {
  if (buffer == nullptr || maxlen < 1) return;
  std::string ansi = platform::AnsiFromWide(text);
  size_t n = std::min(ansi.size(), static_cast<size_t>(maxlen - 1));
  std::memcpy(buffer, ansi.data(), n);
  buffer[n] = '\0';
}

void FillFindData(const ListedEntry& e, WIN32_FIND_DATAA* data) {
  std::memset(data, 0, sizeof(*data));
  data->dwFileAttributes = e.attributes;
  data->ftLastWriteTime = e.lastWrite;
  data->nFileSizeHigh = e.sizeHigh;
  data->nFileSizeLow = e.sizeLow;
  CopyOut(e.name, data->cFileName, static_cast<int>(sizeof(data->cFileName)));
}

const HANDLE kSearchHandle = reinterpret_cast<HANDLE>(1);

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
      // goes as a whole.
      DestroyState();
    }
  } catch (...) {
  }
  return TRUE;
}

__declspec(dllexport) int __stdcall FsInit(int pluginNr, host::ProgressProc progress,
                                           host::LogProc, host::RequestProc) noexcept {
  try {
    InitPlugin(State(), pluginNr, progress);
    return 0;
  } catch (...) {
    return -1;
  }
}

__declspec(dllexport) HANDLE __stdcall FsFindFirst(char* path, WIN32_FIND_DATAA* findData) noexcept {
  try {
    ListedEntry entry;
    switch (FindFirstEntry(State(), Wide(path), entry)) {
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

__declspec(dllexport) BOOL __stdcall FsFindNext(HANDLE, WIN32_FIND_DATAA* findData) noexcept {
  try {
    ListedEntry entry;
    if (!FindNextEntry(State(), entry)) return FALSE;
    FillFindData(entry, findData);
    return TRUE;
  } catch (...) {
    return FALSE;
  }
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
  try {
    return GetEntryFile(State(), Wide(remoteName), Wide(localName), copyFlags);
  } catch (...) {
    return host::FS_FILE_READERROR;
  }
}

__declspec(dllexport) int __stdcall FsExecuteFile(HWND, char* remoteName, char* verb) noexcept {
  try {
    return ExecuteEntry(State(), Wide(remoteName), Wide(verb));
  } catch (...) {
    return host::FS_EXEC_ERROR;
  }
}

__declspec(dllexport) BOOL __stdcall FsDeleteFile(char* remoteName) noexcept {
  try {
    return DeleteEntry(State(), Wide(remoteName)) ? TRUE : FALSE;
  } catch (...) {
    return FALSE;
  }
}

__declspec(dllexport) void __stdcall FsStatusInfo(char* remoteDir, int startEnd,
                                                  int operation) noexcept {
  try {
    OnStatusInfo(State(), Wide(remoteDir), startEnd, operation);
  } catch (...) {
  }
}

__declspec(dllexport) int __stdcall FsExtractCustomIcon(char* remoteName, int,
                                                        HICON* theIcon) noexcept {
  try {
    HICON icon = GetEntryIcon(State(), Wide(remoteName));
    if (icon != nullptr && theIcon != nullptr) {
      *theIcon = icon;
      return host::FS_ICON_EXTRACTED;
    }
  } catch (...) {
  }
  return host::FS_ICON_USEDEFAULT;
}

__declspec(dllexport) void __stdcall FsGetDefRootName(char* defRootName, int maxlen) noexcept {
  try {
    CopyOut(DefaultRootName(), defRootName, maxlen);
  } catch (...) {
  }
}

__declspec(dllexport) int __stdcall FsContentGetSupportedField(int fieldIndex, char* fieldName,
                                                               char* units, int maxlen) noexcept {
  try {
    CopyOut(L"", units, maxlen);
    std::wstring name;
    int type = GetSupportedField(fieldIndex, name);
    if (type != host::ft_nomorefields) CopyOut(name, fieldName, maxlen);
    return type;
  } catch (...) {
    return host::ft_nomorefields;
  }
}

__declspec(dllexport) int __stdcall FsContentGetValue(char* fileName, int fieldIndex, int,
                                                      void* fieldValue, int maxlen, int) noexcept {
  try {
    std::wstring value;
    int type = GetFieldValue(State(), Wide(fileName), fieldIndex, value);
    if (type == host::ft_string) CopyOut(value, static_cast<char*>(fieldValue), maxlen);
    return type;
  } catch (...) {
    return host::ft_nosuchfield;
  }
}

__declspec(dllexport) BOOL __stdcall FsContentGetDefaultView(char* viewContents, char* viewHeaders,
                                                             char* viewWidths, char* viewOptions,
                                                             int maxlen) noexcept {
  try {
    DefaultView view = GetDefaultView();
    CopyOut(view.contents, viewContents, maxlen);
    CopyOut(view.headers, viewHeaders, maxlen);
    CopyOut(view.widths, viewWidths, maxlen);
    CopyOut(view.options, viewOptions, maxlen);
    return TRUE;
  } catch (...) {
    return FALSE;
  }
}

}  // extern "C"
