#include "forms/grid.h"

#include "forms/grid_protocol.h"

#include <algorithm>
#include <cwchar>

namespace orvelle {

namespace {

constexpr UINT kSetContentMessage = WM_USER + 100;

struct GridWindow {
  GridData data;
  std::vector<int> widths;
  int rowHeight = 16;
  HFONT font = nullptr;  // owned by the dialog
};

struct ContentArgs {
  const GridData* data;
  const std::vector<int>* widths;
  int rowHeight;
};

HMODULE OwnModule() {
  HMODULE self = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&OwnModule), &self);
  return self;
}

UINT QueryMessage() {
  static const UINT message = ::RegisterWindowMessageW(grid::kQueryMessageName);
  return message;
}

int Scaled(HDC dc, int pixels) { return ::MulDiv(pixels, ::GetDeviceCaps(dc, LOGPIXELSX), 96); }

RECT CellRect(const GridWindow& g, int row, int column) {
  RECT r{};
  for (int c = 0; c < column; ++c) r.left += g.widths[static_cast<size_t>(c)];
  r.right = r.left + g.widths[static_cast<size_t>(column)];
  r.top = row * g.rowHeight;
  r.bottom = r.top + g.rowHeight;
  return r;
}

UINT AlignFlags(const GridData& data, int column) {
  const CellAlign a = static_cast<size_t>(column) < data.align.size()
                          ? data.align[static_cast<size_t>(column)]
                          : CellAlign::Left;
  return a == CellAlign::Right ? DT_RIGHT : a == CellAlign::Center ? DT_CENTER : DT_LEFT;
}

RECT TextRect(HDC dc, RECT cell) {
  const int pad = Scaled(dc, kCellPadding);
  cell.left += pad;
  cell.right -= pad;
  return cell;
}

void Paint(HWND window, const GridWindow& g) {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(window, &ps);
  RECT client;
  ::GetClientRect(window, &client);
  ::FillRect(dc, &client, ::GetSysColorBrush(COLOR_BTNFACE));
  HGDIOBJ oldFont = g.font ? ::SelectObject(dc, g.font) : nullptr;
  ::SetBkMode(dc, TRANSPARENT);
  for (int row = 0; row < g.data.rows; ++row) {
    for (int column = 0; column < g.data.columns; ++column) {
      const GridCell& cell = g.data.At(row, column);
      RECT r = CellRect(g, row, column);
      HBRUSH back = ::CreateSolidBrush(cell.backColor);
      ::FillRect(dc, &r, back);
      ::DeleteObject(back);
      ::SetTextColor(dc, cell.textColor);
      RECT text = TextRect(dc, r);
      ::DrawTextW(dc, cell.text.c_str(), static_cast<int>(cell.text.size()), &text,
                  AlignFlags(g.data, column) | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
      if (cell.framed) {
        const int inset = Scaled(dc, kFrameInset);
        RECT frame{r.left + inset, r.top, r.right - inset, r.bottom};
        HBRUSH pen = ::CreateSolidBrush(g.data.frameColor);
        ::FrameRect(dc, &frame, pen);
        ::DeleteObject(pen);
      }
    }
  }
  if (oldFont) ::SelectObject(dc, oldFont);
  ::EndPaint(window, &ps);
}

LRESULT AnswerQuery(HWND window, const GridWindow& g, WPARAM kind, LPARAM param) {
  if (kind == grid::kQuerySize) return MAKELRESULT(g.data.rows, g.data.columns);
  if (kind != grid::kQueryCell || param == 0) return 0;
  auto* q = reinterpret_cast<grid::CellQuery*>(param);
  if (q->row < 0 || q->row >= g.data.rows || q->column < 0 || q->column >= g.data.columns) return 0;
  const GridCell& cell = g.data.At(q->row, q->column);
  const size_t n = std::min(cell.text.size(), std::size(q->text) - 1);
  std::wmemcpy(q->text, cell.text.c_str(), n);
  q->text[n] = L'\0';
  q->textColor = cell.textColor;
  q->backColor = cell.backColor;
  q->framed = cell.framed ? TRUE : FALSE;
  q->rect = CellRect(g, q->row, q->column);
  HDC dc = ::GetDC(window);
  HGDIOBJ oldFont = g.font ? ::SelectObject(dc, g.font) : nullptr;
  SIZE size{};
  ::GetTextExtentPoint32W(dc, cell.text.c_str(), static_cast<int>(cell.text.size()), &size);
  RECT text = TextRect(dc, q->rect);
  q->clipped = size.cx > text.right - text.left || size.cy > text.bottom - text.top;
  if (oldFont) ::SelectObject(dc, oldFont);
  ::ReleaseDC(window, dc);
  return 1;
}

LRESULT CALLBACK GridProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    auto* g = reinterpret_cast<GridWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
      case WM_NCCREATE:
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new GridWindow));
        break;
      case WM_NCDESTROY:
        delete g;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
      case WM_SETFONT:
        if (g) g->font = reinterpret_cast<HFONT>(wParam);
        if (LOWORD(lParam)) ::InvalidateRect(window, nullptr, TRUE);
        return 0;
      case WM_GETFONT:
        return g ? reinterpret_cast<LRESULT>(g->font) : 0;
      case WM_ERASEBKGND:
        return 1;
      case WM_PAINT:
        if (g) {
          Paint(window, *g);
          return 0;
        }
        break;
      case kSetContentMessage:
        if (g && lParam != 0) {
          const auto* args = reinterpret_cast<const ContentArgs*>(lParam);
          g->data = *args->data;
          g->widths = *args->widths;
          g->widths.resize(static_cast<size_t>(g->data.columns), 0);
          g->rowHeight = args->rowHeight;
          ::InvalidateRect(window, nullptr, TRUE);
        }
        return 0;
      default:
        if (message == QueryMessage() && g) return AnswerQuery(window, *g, wParam, lParam);
        break;
    }
  } catch (...) {
    return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

GridData::GridData(int rowCount, int columnCount)
    : rows(rowCount),
      columns(columnCount),
      cells(static_cast<size_t>(rowCount * columnCount)),
      align(static_cast<size_t>(columnCount), CellAlign::Left) {}

bool RegisterGridClass() {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  HMODULE module = OwnModule();
  if (::GetClassInfoExW(module, grid::kClassName, &wc)) return true;
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &GridProc;
  wc.hInstance = module;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = grid::kClassName;
  return ::RegisterClassExW(&wc) != 0;
}

void UnregisterGridClass() { ::UnregisterClassW(grid::kClassName, OwnModule()); }

void SetGridContent(HWND grid, const GridData& data, const std::vector<int>& columnWidths,
                    int rowHeight) {
  ContentArgs args{&data, &columnWidths, rowHeight};
  ::SendMessageW(grid, kSetContentMessage, 0, reinterpret_cast<LPARAM>(&args));
}

}  // namespace orvelle
