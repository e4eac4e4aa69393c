// The plugin's message boxes: task-modal, no owner window, captioned
// "Orvelle". Questions have Yes and No with No the default.
//
// Every box goes through one replaceable handler, so that unit tests can
// record and answer boxes without a user (the end-to-end harness answers the
// real boxes instead).
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace orvelle::platform {

// flags: MB_ICON* and MB_* button flags; returns IDYES, IDNO, IDOK...
using MessageBoxHandler = std::function<int(const std::wstring& text, UINT flags)>;

int ShowMessage(const std::wstring& text, UINT flags);
void ShowError(const std::wstring& text);        // error icon, OK
void ShowInformation(const std::wstring& text);  // information icon, OK
bool AskYesNo(const std::wstring& text);         // question icon, No default

// Installs a handler for the calling code's tests; returns the previous one.
// An empty handler restores the real message box.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

}  // namespace orvelle::platform
