// Start-up of the plugin: FsInit and the default root name.
#pragma once

#include "plugin/host_api.h"
#include "plugin/state.h"

#include <string>

namespace orvelle {

// Keeps the plugin number and progress callback, finds the host's main
// window among the own process's top-level windows ("TTOTAL_CMD").
void InitPlugin(PluginState& state, int pluginNumber, ProgressCallbackFn progress);

// The host's progress callback of either interface, seen through wide text
// with the plugin number bound; empty for a null callback. The ANSI one gets
// the text converted to the ANSI code page.
ProgressCallbackFn HostProgress(int pluginNumber, host::ProgressProc progress);
ProgressCallbackFn HostProgress(int pluginNumber, host::ProgressProcW progress);

// The first top-level window of the given process whose class name is
// exactly className; null when none.
HWND FindProcessWindow(DWORD processId, const std::wstring& className);

std::wstring DefaultRootName();

}  // namespace orvelle
