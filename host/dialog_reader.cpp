#include "dialog_reader.h"

#include "forms/grid_protocol.h"
#include "output.h"

namespace tchost {
namespace {

constexpr UINT kTimeoutMs = 2000;

UINT GridQueryMessage() {
  static const UINT message = ::RegisterWindowMessageW(orvelle::grid::kQueryMessageName);
  return message;
}

bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR& result) {
  return ::SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kTimeoutMs,
                               &result) != 0;
}

LONG_PTR StyleOf(HWND window) { return ::GetWindowLongPtrW(window, GWL_STYLE); }

bool IsCheckButton(HWND control) {
  if (ClassOf(control) != L"Button") return false;
  switch (StyleOf(control) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return true;
    default:
      return false;
  }
}

// The rectangle the text needs in the control's font: one line, or wrapped
// within `wrapWidth` when it is above 0.
SIZE TextExtent(HWND control, const std::wstring& text, int wrapWidth) {
  DWORD_PTR font = 0;
  Send(control, WM_GETFONT, 0, 0, font);
  HDC dc = ::GetDC(control);
  HGDIOBJ old = font ? ::SelectObject(dc, reinterpret_cast<HFONT>(font)) : nullptr;
  RECT r{0, 0, wrapWidth > 0 ? wrapWidth : 0, 0};
  UINT flags = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
  flags |= wrapWidth > 0 ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE;
  ::DrawTextW(dc, text.empty() ? L" " : text.c_str(), text.empty() ? 1 : static_cast<int>(text.size()),
              &r, flags);
  if (old) ::SelectObject(dc, old);
  ::ReleaseDC(control, dc);
  return {r.right - r.left, r.bottom - r.top};
}

int Scaled(HWND window, int pixels) {
  HDC dc = ::GetDC(window);
  int dpi = ::GetDeviceCaps(dc, LOGPIXELSX);
  ::ReleaseDC(window, dc);
  return ::MulDiv(pixels, dpi > 0 ? dpi : 96, 96);
}

std::wstring Colour(COLORREF c) { return std::to_wstring(static_cast<unsigned long>(c)); }

void DescribeGrid(HWND grid, const std::wstring& name, std::vector<std::wstring>& lines) {
  DWORD_PTR size = 0;
  if (!Send(grid, GridQueryMessage(), orvelle::grid::kQuerySize, 0, size)) return;
  const int rows = LOWORD(size), columns = HIWORD(size);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      orvelle::grid::CellQuery q;
      q.row = r;
      q.column = c;
      DWORD_PTR ok = 0;
      if (!Send(grid, GridQueryMessage(), orvelle::grid::kQueryCell, reinterpret_cast<LPARAM>(&q), ok) ||
          ok == 0) {
        continue;
      }
      std::wstring line = L"  cell " + name + L" " + std::to_wstring(r) + L" " + std::to_wstring(c) +
                          L" " + Quoted(q.text) + L" fg=" + Colour(q.textColor) +
                          L" bg=" + Colour(q.backColor);
      if (q.framed) line += L" framed";
      if (q.clipped) line += L" clipped";
      lines.push_back(line);
    }
  }
}

}  // namespace

std::wstring ClassOf(HWND window) {
  wchar_t buffer[256];
  int n = ::GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
  return std::wstring(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

std::wstring ControlText(HWND control) {
  DWORD_PTR length = 0;
  if (!Send(control, WM_GETTEXTLENGTH, 0, 0, length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!Send(control, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), copied)) {
    return {};
  }
  text.resize(copied < text.size() ? copied : text.size() - 1);
  return text;
}

std::vector<HWND> DialogControls(HWND dialog) {
  // The dialog manager creates a template's controls in tab order; their
  // order among the children is that order.
  std::vector<HWND> controls;
  for (HWND child = ::GetWindow(dialog, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (::IsWindowVisible(child)) controls.push_back(child);
  }
  return controls;
}

bool TextClipped(HWND control) {
  const std::wstring cls = ClassOf(control);
  const LONG_PTR style = StyleOf(control);
  RECT client{};
  ::GetClientRect(control, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  const std::wstring text = ControlText(control);
  if (cls == L"Button") {
    if ((style & BS_TYPEMASK) == BS_GROUPBOX) return false;
    const int room = IsCheckButton(control)
                         ? width - ::GetSystemMetrics(SM_CXMENUCHECK) - Scaled(control, 4)
                         : width - Scaled(control, 8);
    const SIZE need = TextExtent(control, text, 0);
    return need.cx > room || need.cy > height;
  }
  if (cls == L"Static") {
    const LONG_PTR type = style & SS_TYPEMASK;
    if (type != SS_LEFT && type != SS_RIGHT && type != SS_CENTER && type != SS_LEFTNOWORDWRAP &&
        type != SS_SIMPLE) {
      return false;  // pictures, frames
    }
    const bool wraps = type == SS_LEFT || type == SS_RIGHT || type == SS_CENTER;
    const SIZE need = TextExtent(control, text, wraps ? width : 0);
    return need.cx > width || need.cy > height;
  }
  if (cls == L"Edit") {
    // Room an edit control keeps for its margins.
    const int room = width - Scaled(control, 4);
    if ((style & ES_MULTILINE) != 0) {
      const SIZE need = TextExtent(control, text, room);
      return need.cy > height;
    }
    return TextExtent(control, text, 0).cx > room;
  }
  if (cls == L"ComboBox") {
    const int room = width - ::GetSystemMetrics(SM_CXVSCROLL) - Scaled(control, 6);
    return TextExtent(control, text, 0).cx > room;
  }
  return false;
}

std::vector<std::wstring> DescribeDialog(HWND dialog) {
  std::vector<std::wstring> lines;
  lines.push_back(L"dialog " + Quoted(ControlText(dialog)));
  std::vector<std::pair<HWND, std::wstring>> grids;
  for (HWND control : DialogControls(dialog)) {
    const std::wstring cls = ClassOf(control);
    const std::wstring text = ControlText(control);
    std::wstring line = L"  control " + cls + L" " + Quoted(text);
    if (!::IsWindowEnabled(control)) line += L" disabled";
    if (IsCheckButton(control)) {
      DWORD_PTR state = 0;
      if (Send(control, BM_GETCHECK, 0, 0, state) && state == BST_CHECKED) line += L" checked";
    }
    if (TextClipped(control)) line += L" clipped";
    lines.push_back(line);
    if (cls == orvelle::grid::kClassName) grids.emplace_back(control, text);
  }
  for (const auto& [grid, name] : grids) DescribeGrid(grid, name, lines);
  return lines;
}

}  // namespace tchost
