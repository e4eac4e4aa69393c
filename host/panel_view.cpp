#include "panel_view.h"

#include "output.h"
#include "window_capture.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>

namespace tchost {
namespace {

constexpr int kListId = 1;

struct PanelWindow {
  HWND list = nullptr;
  bool closed = false;
};

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    auto* panel = reinterpret_cast<PanelWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
      case WM_NCCREATE: {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        break;
      }
      case WM_SIZE:
        if (panel && panel->list) ::MoveWindow(panel->list, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
      case WM_DESTROY:
        if (panel) panel->closed = true;
        return 0;
      default:
        break;
    }
  } catch (...) {
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterPanelClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  if (::GetClassInfoExW(::GetModuleHandleW(nullptr), kPanelClassName, &wc)) return true;
  wc.lpfnWndProc = &PanelProc;
  wc.hInstance = ::GetModuleHandleW(nullptr);
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kPanelClassName;
  return ::RegisterClassExW(&wc) != 0;
}

// The date as the host's panel shows it: local time, to the minute.
std::wstring PanelDate(const FILETIME& utc) {
  if (utc.dwLowDateTime == 0 && utc.dwHighDateTime == 0) return {};
  FILETIME local{};
  SYSTEMTIME st{};
  if (!::FileTimeToLocalFileTime(&utc, &local) || !::FileTimeToSystemTime(&local, &st)) return {};
  wchar_t text[32];
  std::swprintf(text, std::size(text), L"%02u.%02u.%04u %02u:%02u", st.wDay, st.wMonth, st.wYear,
                st.wHour, st.wMinute);
  return text;
}

HICON SystemIcon(bool folder) {
  SHFILEINFOW info{};
  ::SHGetFileInfoW(folder ? L"folder" : L"file.txt",
                   folder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL, &info, sizeof(info),
                   SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES);
  return info.hIcon;
}

void AddColumn(HWND list, int index, const wchar_t* title, int format) {
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
  column.fmt = format;
  column.pszText = const_cast<wchar_t*>(title);
  column.iSubItem = index;
  ::SendMessageW(list, LVM_INSERTCOLUMNW, index, reinterpret_cast<LPARAM>(&column));
}

void SetCell(HWND list, int row, int column, const std::wstring& text) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = const_cast<wchar_t*>(text.c_str());
  ::SendMessageW(list, LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

void Pump(PanelWindow& panel, DWORD milliseconds) {
  const ULONGLONG deadline = ::GetTickCount64() + milliseconds;
  MSG msg;
  while (!panel.closed && ::GetTickCount64() < deadline) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
}

}  // namespace

void ShowPanel(const std::wstring& title, const std::vector<PanelRow>& rows,
               const std::wstring& captureFile) {
  INITCOMMONCONTROLSEX init{sizeof(init), ICC_LISTVIEW_CLASSES};
  ::InitCommonControlsEx(&init);
  if (!RegisterPanelClass()) return;
  HDC screen = ::GetDC(nullptr);
  const int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  PanelWindow panel;
  HWND window = ::CreateWindowExW(0, kPanelClassName, title.c_str(), WS_OVERLAPPEDWINDOW, 40, 40,
                                  ::MulDiv(1000, dpi, 96), ::MulDiv(560, dpi, 96), nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), &panel);
  if (window == nullptr) return;
  RECT client{};
  ::GetClientRect(window, &client);
  panel.list = ::CreateWindowExW(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SHOWSELALWAYS,
                                 0, 0, client.right, client.bottom, window,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(kListId)),
                                 ::GetModuleHandleW(nullptr), nullptr);
  ::SendMessageW(panel.list, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
  ::SendMessageW(panel.list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  const int iconSize = ::GetSystemMetrics(SM_CXSMICON);
  HIMAGELIST images = ::ImageList_Create(iconSize, iconSize, ILC_COLOR32 | ILC_MASK, 16, 16);
  ::SendMessageW(panel.list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  AddColumn(panel.list, 0, L"Name", LVCFMT_LEFT);
  AddColumn(panel.list, 1, L"Size", LVCFMT_RIGHT);
  AddColumn(panel.list, 2, L"Date", LVCFMT_LEFT);
  AddColumn(panel.list, 3, L"<>", LVCFMT_CENTER);
  AddColumn(panel.list, 4, L"Comment", LVCFMT_LEFT);
  HICON folderIcon = SystemIcon(true);
  HICON fileIcon = SystemIcon(false);
  for (size_t i = 0; i < rows.size(); ++i) {
    const PanelRow& row = rows[i];
    HICON icon = row.icon ? row.icon : row.folder ? folderIcon : fileIcon;
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(i);
    item.pszText = const_cast<wchar_t*>(row.name.c_str());
    item.iImage = icon ? ::ImageList_ReplaceIcon(images, -1, icon) : -1;
    const int at = static_cast<int>(::SendMessageW(panel.list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
    SetCell(panel.list, at, 1, row.folder ? L"<DIR>" : std::to_wstring(row.size));
    SetCell(panel.list, at, 2, PanelDate(row.lastWrite));
    SetCell(panel.list, at, 3, row.sign);
    SetCell(panel.list, at, 4, OneLine(row.comment));
  }
  // As wide as the columns need and as high as the rows, within the screen.
  int width = 0;
  for (int c = 0; c < 5; ++c) {
    ::SendMessageW(panel.list, LVM_SETCOLUMNWIDTH, c, c == 4 ? LVSCW_AUTOSIZE : LVSCW_AUTOSIZE_USEHEADER);
    width += static_cast<int>(::SendMessageW(panel.list, LVM_GETCOLUMNWIDTH, c, 0));
  }
  RECT last{LVIR_BOUNDS, 0, 0, 0};
  const int rowsBottom =
      rows.empty() ? 0
                   : (::SendMessageW(panel.list, LVM_GETITEMRECT, rows.size() - 1, reinterpret_cast<LPARAM>(&last)),
                      static_cast<int>(last.bottom));
  RECT frame{0, 0, width + ::MulDiv(24, dpi, 96), rowsBottom + ::MulDiv(24, dpi, 96)};
  ::AdjustWindowRectEx(&frame, WS_OVERLAPPEDWINDOW, FALSE, 0);
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  ::SetWindowPos(window, nullptr, 0, 0,
                 std::min(frame.right - frame.left, static_cast<LONG>(work.right - work.left - 80)),
                 std::min(frame.bottom - frame.top, static_cast<LONG>(work.bottom - work.top - 80)),
                 SWP_NOMOVE | SWP_NOZORDER);
  ::ShowWindow(window, SW_SHOWNORMAL);
  ::UpdateWindow(window);
  if (captureFile.empty()) {
    Pump(panel, INFINITE);
  } else {
    Pump(panel, 300);
    RepaintWindow(window);
    Pump(panel, 300);
    if (!CaptureWindow(window, captureFile)) PrintErrorLine(L"tchost: cannot capture " + captureFile);
  }
  if (!panel.closed) ::DestroyWindow(window);
  ::ImageList_Destroy(images);
  if (folderIcon) ::DestroyIcon(folderIcon);
  if (fileIcon) ::DestroyIcon(fileIcon);
}

}  // namespace tchost
