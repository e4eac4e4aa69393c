// The base of the plugin's dialogs: a modal Win32 dialog made from a
// template built in memory, in My installation's window font. A dialog
// names its caption, font and controls (in tab order); it fills and places
// them in OnInit, in pixels scaled by the screen's density, and reacts to
// commands in OnCommand. It knows nothing of how it was reached: what it
// shows is handed to it.
#pragma once

#include "forms/appearance.h"

#include <windows.h>

#include <string>
#include <vector>

namespace orvelle {

struct ControlSpec {
  std::wstring className;  // "Button", "Static", "Edit", "ComboBox", grid::kClassName...
  std::wstring text;
  int id = 0;
  DWORD style = 0;  // WS_CHILD | WS_VISIBLE are added
  DWORD exStyle = 0;
};

class TDialog {
 public:
  TDialog() = default;
  TDialog(const TDialog&) = delete;
  TDialog& operator=(const TDialog&) = delete;
  virtual ~TDialog();

  // Shows the dialog modally, owned by `owner` (may be null), and returns
  // the value it was closed with (IDCANCEL for Escape and the close box);
  // -1 when Windows could not create it.
  INT_PTR ShowModal(HWND owner);

 protected:
  virtual std::wstring Caption() const = 0;
  virtual FontSpec Font() const = 0;
  virtual std::vector<ControlSpec> Controls() const = 0;
  virtual DWORD Style() const;
  // Fills and places the controls; the dialog is not visible yet.
  virtual void OnInit() {}
  // A WM_COMMAND from a control; true when handled. Unhandled IDCANCEL
  // (Escape, a button with that id) closes the dialog.
  virtual bool OnCommand(int id, int code) { return false; }
  // WM_CTLCOLORSTATIC / WM_CTLCOLOREDIT of a control: a brush (owned by the
  // dialog) to paint its background, or null for the default.
  virtual HBRUSH OnControlColor(HDC dc, HWND control) { return nullptr; }

  HWND Window() const { return window_; }
  HWND Item(int id) const { return ::GetDlgItem(window_, id); }
  void Close(INT_PTR result) { ::EndDialog(window_, result); }

  // Pixels per logical inch of the screen the dialog is on, and a length
  // given at 96 dots per inch in those pixels.
  int Dpi() const { return dpi_; }
  int Scale(int pixels96) const { return ::MulDiv(pixels96, dpi_, 96); }
  HFONT DialogFont() const;
  // Width and height of one line of text in a font.
  SIZE MeasureText(HFONT font, const std::wstring& text) const;
  int TextWidth(HFONT font, const std::wstring& text) const {
    return static_cast<int>(MeasureText(font, text).cx);
  }
  int LineHeight(HFONT font) const;
  void Place(int id, int x, int y, int width, int height);
  void SetClientSize(int width, int height);
  void CenterOnScreen();
  // A brush kept until the dialog goes.
  HBRUSH Brush(COLORREF color);

 private:
  static INT_PTR CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
  INT_PTR Handle(UINT message, WPARAM wParam, LPARAM lParam);

  HWND window_ = nullptr;
  int dpi_ = 96;
  std::vector<std::pair<COLORREF, HBRUSH>> brushes_;
};

// The bytes of a DLGTEMPLATEEX with DS_SETFONT: every control at 0,0 with no
// size (the dialog places them when it opens). Exposed for tests.
std::vector<BYTE> BuildDialogTemplate(const std::wstring& caption, const FontSpec& font,
                                      DWORD style, const std::vector<ControlSpec>& controls);

// The module that holds the dialogs' code (the plugin, or a test program).
HMODULE FormsModule();

}  // namespace orvelle
