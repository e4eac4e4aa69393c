// The host's file-system plugin interface: callback types and constants. The
// host hands the wide callbacks to the wide entry points (FsInitW) and the
// ANSI ones to the ANSI entry points.
#pragma once

#include <windows.h>

namespace orvelle::host {

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

struct RemoteInfo {
  DWORD SizeLow;
  DWORD SizeHigh;
  FILETIME LastWriteTime;
  int Attr;
};

inline constexpr int FS_FILE_OK = 0;
inline constexpr int FS_FILE_EXISTS = 1;
inline constexpr int FS_FILE_NOTFOUND = 2;
inline constexpr int FS_FILE_READERROR = 3;
inline constexpr int FS_FILE_WRITEERROR = 4;
inline constexpr int FS_FILE_USERABORT = 5;
inline constexpr int FS_FILE_NOTSUPPORTED = 6;

inline constexpr int FS_COPYFLAGS_OVERWRITE = 1;
inline constexpr int FS_COPYFLAGS_RESUME = 2;
inline constexpr int FS_COPYFLAGS_MOVE = 4;

inline constexpr int FS_EXEC_OK = 0;
inline constexpr int FS_EXEC_ERROR = 1;

inline constexpr int FS_STATUS_START = 0;
inline constexpr int FS_STATUS_END = 1;
inline constexpr int FS_STATUS_OP_LIST = 1;
inline constexpr int FS_STATUS_OP_DELETE = 8;

inline constexpr int FS_ICON_USEDEFAULT = 0;
inline constexpr int FS_ICON_EXTRACTED = 1;

inline constexpr int ft_nomorefields = 0;
inline constexpr int ft_string = 8;
inline constexpr int ft_stringw = 11;
inline constexpr int ft_nosuchfield = -1;
inline constexpr int ft_fieldempty = -3;

// WM_USER + 51 with the internal command 540, "reread source panel".
inline constexpr UINT kHostCommandMessage = WM_USER + 51;
inline constexpr WPARAM kRereadSourcePanel = 540;

}  // namespace orvelle::host
