#include "forms/dialog.h"

#include "forms/grid.h"

#include <cstring>

namespace orvelle {

namespace {

class TemplateWriter {
 public:
  void Word(WORD w) { Raw(&w, sizeof(w)); }
  void Dword(DWORD d) { Raw(&d, sizeof(d)); }
  void Short(short s) { Raw(&s, sizeof(s)); }
  void Byte(BYTE b) { bytes_.push_back(b); }
  void Text(const std::wstring& text) { Raw(text.c_str(), (text.size() + 1) * sizeof(wchar_t)); }
  void AlignDword() {
    while (bytes_.size() % 4 != 0) bytes_.push_back(0);
  }
  void PatchWord(size_t at, WORD w) { std::memcpy(bytes_.data() + at, &w, sizeof(w)); }
  size_t Size() const { return bytes_.size(); }
  std::vector<BYTE> Take() { return std::move(bytes_); }

 private:
  void Raw(const void* data, size_t size) {
    const size_t at = bytes_.size();
    bytes_.resize(at + size);
    std::memcpy(bytes_.data() + at, data, size);
  }
  std::vector<BYTE> bytes_;
};

}  // namespace

HMODULE FormsModule() {
  HMODULE self = nullptr;
  ::GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&FormsModule), &self);
  return self;
}

std::vector<BYTE> BuildDialogTemplate(const std::wstring& caption, const FontSpec& font,
                                      DWORD style, const std::vector<ControlSpec>& controls) {
  TemplateWriter w;
  w.Word(1);       // dlgVer
  w.Word(0xFFFF);  // signature: DLGTEMPLATEEX
  w.Dword(0);      // helpID
  w.Dword(0);      // exStyle
  w.Dword(style | DS_SETFONT);
  w.Word(static_cast<WORD>(controls.size()));
  for (int i = 0; i < 4; ++i) w.Short(0);  // placed when the dialog opens
  w.Word(0);                               // no menu
  w.Word(0);                               // the standard dialog class
  w.Text(caption);
  w.Word(static_cast<WORD>(font.points < 4 ? 8 : font.points > 72 ? 72 : font.points));
  w.Word(static_cast<WORD>(font.bold ? FW_BOLD : FW_NORMAL));
  w.Byte(0);  // italic
  w.Byte(DEFAULT_CHARSET);
  w.Text(font.name);
  for (const ControlSpec& c : controls) {
    w.AlignDword();
    w.Dword(0);  // helpID
    w.Dword(c.exStyle);
    w.Dword(c.style | WS_CHILD | WS_VISIBLE);
    for (int i = 0; i < 4; ++i) w.Short(0);
    w.Dword(static_cast<DWORD>(c.id));
    w.Text(c.className);
    w.Text(c.text);
    w.Word(0);  // no creation data
  }
  return w.Take();
}

TDialog::~TDialog() {
  for (auto& b : brushes_) ::DeleteObject(b.second);
}

DWORD TDialog::Style() const { return DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU; }

INT_PTR TDialog::ShowModal(HWND owner) {
  RegisterGridClass();
  std::vector<BYTE> bytes = BuildDialogTemplate(Caption(), Font(), Style(), Controls());
  // DialogBoxIndirect wants the template DWORD-aligned.
  std::vector<DWORD> aligned((bytes.size() + 3) / 4);
  std::memcpy(aligned.data(), bytes.data(), bytes.size());
  return ::DialogBoxIndirectParamW(FormsModule(),
                                   reinterpret_cast<LPCDLGTEMPLATEW>(aligned.data()), owner,
                                   &TDialog::Proc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK TDialog::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    if (message == WM_INITDIALOG) {
      ::SetWindowLongPtrW(window, DWLP_USER, lParam);
      auto* self = reinterpret_cast<TDialog*>(lParam);
      self->window_ = window;
      HDC dc = ::GetDC(window);
      self->dpi_ = dc ? ::GetDeviceCaps(dc, LOGPIXELSY) : 96;
      if (dc) ::ReleaseDC(window, dc);
      if (self->dpi_ <= 0) self->dpi_ = 96;
    }
    auto* self = reinterpret_cast<TDialog*>(::GetWindowLongPtrW(window, DWLP_USER));
    if (self == nullptr) return FALSE;
    return self->Handle(message, wParam, lParam);
  } catch (...) {
    // A dialog that fails halfway is closed rather than left half drawn.
    if (message == WM_INITDIALOG) ::EndDialog(window, -1);
    return FALSE;
  }
}

INT_PTR TDialog::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      OnInit();
      // A dialog that chose its focus keeps it; otherwise the first control
      // that takes the keyboard gets it.
      HWND focus = ::GetFocus();
      return focus != nullptr && ::IsChild(window_, focus) ? FALSE : TRUE;
    }
    case WM_COMMAND:
      if (OnCommand(LOWORD(wParam), HIWORD(wParam))) return TRUE;
      if (LOWORD(wParam) == IDCANCEL) {
        Close(IDCANCEL);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      Close(IDCANCEL);
      return TRUE;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT: {
      HBRUSH brush = OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
      return reinterpret_cast<INT_PTR>(brush);
    }
    default:
      return FALSE;
  }
}

HFONT TDialog::DialogFont() const {
  return reinterpret_cast<HFONT>(::SendMessageW(window_, WM_GETFONT, 0, 0));
}

SIZE TDialog::MeasureText(HFONT font, const std::wstring& text) const {
  SIZE size{};
  HDC dc = ::GetDC(window_);
  HGDIOBJ old = ::SelectObject(dc, font);
  ::GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  ::SelectObject(dc, old);
  ::ReleaseDC(window_, dc);
  return size;
}

int TDialog::LineHeight(HFONT font) const {
  TEXTMETRICW tm{};
  HDC dc = ::GetDC(window_);
  HGDIOBJ old = ::SelectObject(dc, font);
  ::GetTextMetricsW(dc, &tm);
  ::SelectObject(dc, old);
  ::ReleaseDC(window_, dc);
  return tm.tmHeight + tm.tmExternalLeading;
}

void TDialog::Place(int id, int x, int y, int width, int height) {
  ::SetWindowPos(Item(id), nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TDialog::SetClientSize(int width, int height) {
  RECT r{0, 0, width, height};
  ::AdjustWindowRectEx(&r, static_cast<DWORD>(::GetWindowLongW(window_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongW(window_, GWL_EXSTYLE)));
  ::SetWindowPos(window_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
}

void TDialog::CenterOnScreen() {
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT r{};
  ::GetWindowRect(window_, &r);
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  int x = work.left + (work.right - work.left - width) / 2;
  int y = work.top + (work.bottom - work.top - height) / 2;
  // A dialog larger than the screen keeps its caption reachable.
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  ::SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
}

HBRUSH TDialog::Brush(COLORREF color) {
  for (auto& b : brushes_) {
    if (b.first == color) return b.second;
  }
  HBRUSH brush = ::CreateSolidBrush(color);
  brushes_.emplace_back(color, brush);
  return brush;
}

}  // namespace orvelle
