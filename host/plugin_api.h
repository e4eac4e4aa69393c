// The file-system plugin interface as the host calls it: the ANSI entry
// points (stdcall, C linkage) and their wide twins, the callbacks handed to
// FsInit and FsInitW, and the loader that finds the entry points by their
// plain names.
#pragma once

#include <windows.h>

#include <string>

namespace tchost {

// Results and flags of the interface used by the harness.
inline constexpr int kStatusStart = 0;
inline constexpr int kStatusEnd = 1;
inline constexpr int kStatusOperationList = 1;
inline constexpr int kStatusOperationDelete = 8;
inline constexpr int kIconSmall = 1;
inline constexpr int kIconExtracted = 1;
inline constexpr int kIconExtractedDestroy = 2;
inline constexpr int kFieldTypeNone = 0;
inline constexpr int kFieldTypeNumeric32 = 1;
inline constexpr int kFieldTypeNumeric64 = 2;
inline constexpr int kFieldTypeString = 8;
inline constexpr int kFieldTypeFullText = 9;
inline constexpr int kFieldTypeStringW = 11;

// Handed to FsGetFile; 20 bytes in both bitnesses.
struct RemoteInfo {
  DWORD SizeLow;
  DWORD SizeHigh;
  FILETIME LastWriteTime;
  int Attr;
};
static_assert(sizeof(RemoteInfo) == 20);

using ProgressProc = int(__stdcall*)(int pluginNr, char* sourceName, char* targetName,
                                     int percentDone);
using LogProc = void(__stdcall*)(int pluginNr, int msgType, char* logString);
using RequestProc = BOOL(__stdcall*)(int pluginNr, int requestType, char* customTitle,
                                     char* customText, char* returnedText, int maxlen);

using ProgressProcW = int(__stdcall*)(int pluginNr, WCHAR* sourceName, WCHAR* targetName,
                                      int percentDone);
using LogProcW = void(__stdcall*)(int pluginNr, int msgType, WCHAR* logString);
using RequestProcW = BOOL(__stdcall*)(int pluginNr, int requestType, WCHAR* customTitle,
                                      WCHAR* customText, WCHAR* returnedText, int maxlen);

struct PluginApi {
  // The ANSI entry points: all thirteen are required.
  int(__stdcall* FsInit)(int, ProgressProc, LogProc, RequestProc) = nullptr;
  HANDLE(__stdcall* FsFindFirst)(char*, WIN32_FIND_DATAA*) = nullptr;
  BOOL(__stdcall* FsFindNext)(HANDLE, WIN32_FIND_DATAA*) = nullptr;
  int(__stdcall* FsFindClose)(HANDLE) = nullptr;
  int(__stdcall* FsGetFile)(char*, char*, int, RemoteInfo*) = nullptr;
  int(__stdcall* FsExecuteFile)(HWND, char*, char*) = nullptr;
  BOOL(__stdcall* FsDeleteFile)(char*) = nullptr;
  void(__stdcall* FsStatusInfo)(char*, int, int) = nullptr;
  int(__stdcall* FsExtractCustomIcon)(char*, int, HICON*) = nullptr;
  void(__stdcall* FsGetDefRootName)(char*, int) = nullptr;
  int(__stdcall* FsContentGetSupportedField)(int, char*, char*, int) = nullptr;
  int(__stdcall* FsContentGetValue)(char*, int, int, void*, int, int) = nullptr;
  BOOL(__stdcall* FsContentGetDefaultView)(char*, char*, char*, char*, int) = nullptr;
  // The wide twins: each one is optional, null when not exported. The root
  // name, the field names and FsFindClose have none.
  int(__stdcall* FsInitW)(int, ProgressProcW, LogProcW, RequestProcW) = nullptr;
  HANDLE(__stdcall* FsFindFirstW)(WCHAR*, WIN32_FIND_DATAW*) = nullptr;
  BOOL(__stdcall* FsFindNextW)(HANDLE, WIN32_FIND_DATAW*) = nullptr;
  int(__stdcall* FsGetFileW)(WCHAR*, WCHAR*, int, RemoteInfo*) = nullptr;
  int(__stdcall* FsExecuteFileW)(HWND, WCHAR*, WCHAR*) = nullptr;
  BOOL(__stdcall* FsDeleteFileW)(WCHAR*) = nullptr;
  void(__stdcall* FsStatusInfoW)(WCHAR*, int, int) = nullptr;
  int(__stdcall* FsExtractCustomIconW)(WCHAR*, int, HICON*) = nullptr;
  int(__stdcall* FsContentGetValueW)(WCHAR*, int, int, void*, int, int) = nullptr;
  BOOL(__stdcall* FsContentGetDefaultViewW)(WCHAR*, WCHAR*, WCHAR*, WCHAR*, int) = nullptr;
};

struct LoadedPlugin {
  HMODULE module = nullptr;
  PluginApi api;
};

// Loads the library with LoadLibraryW and resolves every entry point. On
// failure (the library, or one of the ANSI entry points, missing) returns
// false and puts the reason (with the Win32 error or the missing names) into
// `error`. The library stays loaded until the process ends (when a thread the
// plugin started may still be running in its code), unless the command
// "unload" frees it.
bool LoadPlugin(const std::wstring& path, LoadedPlugin& plugin, std::wstring& error);

}  // namespace tchost
