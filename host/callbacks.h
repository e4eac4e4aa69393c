// The callbacks the harness hands to FsInit (ANSI text) and FsInitW (wide
// text), standing in for the host's progress display, log window and input
// dialogs. Both forms print the same lines.
#pragma once

#include "plugin_api.h"

namespace tchost {

struct CallbackSettings {
  bool printProgress = false;  // print every progress call
  int cancelAt = 0;            // the call (from 1) that answers "cancel"; 0: none
};

// Set once before FsInit; the callbacks read it from whatever thread calls them.
void SetCallbackSettings(const CallbackSettings& settings);

// The progress calls since the last take (the current command's, called on
// the harness's thread): how many, and the longest time between two of them.
struct ProgressGap {
  double longestSeconds = 0;
  int calls = 0;
};
ProgressGap TakeProgressGap();

int __stdcall ProgressCallback(int pluginNr, char* sourceName, char* targetName,
                               int percentDone) noexcept;
void __stdcall LogCallback(int pluginNr, int msgType, char* logString) noexcept;
BOOL __stdcall RequestCallback(int pluginNr, int requestType, char* customTitle,
                               char* customText, char* returnedText, int maxlen) noexcept;

int __stdcall ProgressCallbackW(int pluginNr, WCHAR* sourceName, WCHAR* targetName,
                                int percentDone) noexcept;
void __stdcall LogCallbackW(int pluginNr, int msgType, WCHAR* logString) noexcept;
BOOL __stdcall RequestCallbackW(int pluginNr, int requestType, WCHAR* customTitle,
                                WCHAR* customText, WCHAR* returnedText, int maxlen) noexcept;

}  // namespace tchost
