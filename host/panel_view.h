// The --show panel: a folder of the plugin listed the way the host's file
// panel shows it, in a report list view with the plugin's icons, the name,
// size and date, and the plugin's two columns (sign and comment).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tchost {

inline constexpr wchar_t kPanelClassName[] = L"TCHOSTPANEL";

struct PanelRow {
  std::wstring name;
  bool folder = false;
  unsigned long long size = 0;
  FILETIME lastWrite{};
  std::wstring sign;
  std::wstring comment;
  HICON icon = nullptr;  // null: the system's file or folder icon
};

// Shows the rows in a window captioned `title`. With captureFile set, the
// window is captured to that BMP file once drawn and closed; otherwise it
// stays until the user closes it.
void ShowPanel(const std::wstring& title, const std::vector<PanelRow>& rows,
               const std::wstring& captureFile);

}  // namespace tchost
