#include "forms/form_text.h"

#include "forms/compare_grids.h"
#include "forms/grid_protocol.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"

#include <algorithm>

namespace orvelle {

namespace {

enum ControlId { kHeaderGrid = 100, kDescription, kNewText, kMyText };

// Lengths at 96 dots per inch.
constexpr int kMinClientWidth = 656;
constexpr int kRowHeight = 16;
constexpr int kSignColumn = 50;
constexpr int kMinSideColumn = 60;
constexpr int kMargin = 8;
constexpr int kGap = 4;
constexpr int kMinButtonWidth = 75;
constexpr int kMinButtonHeight = 25;
// The memos' heights in lines: enough to read a command at a glance, and
// a scroll bar beyond the most.
constexpr int kMinDescriptionLines = 1;
constexpr int kMaxDescriptionLines = 4;
constexpr int kMinTextLines = 6;
constexpr int kMaxTextLines = 20;

constexpr DWORD kMemoStyle = ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_BORDER | WS_TABSTOP;

}  // namespace

TFormTextForm::TFormTextForm(TextCompareInput input, Appearance look)
    : input_(std::move(input)), look_(std::move(look)) {}

std::wstring TFormTextForm::Caption() const { return Tr(texts::kTextCompareCaption); }

std::vector<ControlSpec> TFormTextForm::Controls() const {
  return {
      {grid::kClassName, L"header", kHeaderGrid, 0},
      {L"Edit", L"", kDescription, kMemoStyle},
      {L"Edit", L"", kNewText, kMemoStyle | WS_VSCROLL | ES_RIGHT},
      {L"Edit", L"", kMyText, kMemoStyle | WS_VSCROLL},
      {L"Button", Tr(texts::kClose), IDCANCEL, BS_DEFPUSHBUTTON | WS_TABSTOP},
  };
}

void TFormTextForm::OnInit() {
  view_ = BuildTextView(input_, look_);
  gridFont_ = CreateFontFor(look_.panelFont, Dpi());
  ::SendMessageW(Item(kHeaderGrid), WM_SETFONT, reinterpret_cast<WPARAM>(gridFont_.get()), FALSE);
  ::SetWindowTextW(Item(kDescription), view_.description.c_str());
  ::SetWindowTextW(Item(kNewText), view_.newText.c_str());
  ::SetWindowTextW(Item(kMyText), view_.myText.c_str());
  Layout();
  CenterOnScreen();
  // The dialog is for reading: no text is selected when it opens.
  ::SetFocus(Item(IDCANCEL));
}

int TFormTextForm::TextHeight(HFONT font, const std::wstring& text, int width) const {
  RECT r{0, 0, width, 0};
  HDC dc = ::GetDC(Window());
  HGDIOBJ old = ::SelectObject(dc, font);
  ::DrawTextW(dc, text.empty() ? L" " : text.c_str(), text.empty() ? 1 : static_cast<int>(text.size()),
              &r, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
  ::SelectObject(dc, old);
  ::ReleaseDC(Window(), dc);
  return r.bottom - r.top;
}

void TFormTextForm::Layout() {
  const GridData header = HeaderGrid(view_.header, look_);
  const int pad = 2 * Scale(kCellPadding) + Scale(10);
  HFONT gridFont = gridFont_.get();
  const int sign = std::max(Scale(kSignColumn), TextWidth(gridFont, view_.header[2]) + pad);
  const int side = std::max({Scale(kMinSideColumn), TextWidth(gridFont, view_.header[1]) + pad,
                             TextWidth(gridFont, view_.header[3]) + pad});
  const int title = TextWidth(gridFont, view_.header[0]) + pad;
  // The sign sits over the line between the two texts, "New" and "My" at
  // their inner edges.
  const int half = std::max({Scale(kMinClientWidth) / 2, title + side + sign / 2, side + sign / 2});
  const int clientWidth = 2 * half;
  std::vector<int> widths = {half - sign / 2 - side, side, sign, half - (sign - sign / 2)};
  const int rowHeight = std::max(Scale(kRowHeight), LineHeight(gridFont) + Scale(2));
  SetGridContent(Item(kHeaderGrid), header, widths, rowHeight);
  Place(kHeaderGrid, 0, 0, clientWidth, rowHeight);

  HFONT font = DialogFont();
  const int line = LineHeight(font);
  // Room an edit control keeps for its border, margins and scroll bar.
  const int chrome = ::GetSystemMetrics(SM_CXVSCROLL) + Scale(12);
  const int frame = Scale(8);
  auto memoHeight = [&](const std::wstring& text, int width, int minLines, int maxLines) {
    const int needed = TextHeight(font, text, width - chrome);
    return std::clamp(needed, minLines * line, maxLines * line) + frame;
  };
  int y = rowHeight + Scale(kGap);
  const int descriptionHeight =
      memoHeight(view_.description, clientWidth, kMinDescriptionLines, kMaxDescriptionLines);
  Place(kDescription, 0, y, clientWidth, descriptionHeight);
  y += descriptionHeight + Scale(kGap);
  const int textHeight = std::max(memoHeight(view_.newText, half, kMinTextLines, kMaxTextLines),
                                  memoHeight(view_.myText, half, kMinTextLines, kMaxTextLines));
  Place(kNewText, 0, y, half, textHeight);
  Place(kMyText, half, y, clientWidth - half, textHeight);
  y += textHeight + Scale(kMargin);

  const int buttonHeight = std::max(Scale(kMinButtonHeight), line + Scale(10));
  const int buttonWidth =
      std::max(Scale(kMinButtonWidth), TextWidth(font, Tr(texts::kClose)) + Scale(24));
  Place(IDCANCEL, clientWidth - Scale(kMargin) - buttonWidth, y, buttonWidth, buttonHeight);
  y += buttonHeight + Scale(kMargin);
  SetClientSize(clientWidth, y);
}

HBRUSH TFormTextForm::OnControlColor(HDC dc, HWND control) {
  COLORREF back;
  if (control == Item(kDescription)) {
    back = view_.descriptionBack;
  } else if (control == Item(kNewText)) {
    back = view_.newBack;
  } else if (control == Item(kMyText)) {
    back = view_.myBack;
  } else {
    return nullptr;
  }
  ::SetTextColor(dc, view_.textColor);
  ::SetBkColor(dc, back);
  return Brush(back);
}

void ShowTextCompare(HWND owner, const TextCompareInput& input, const Appearance& look) {
  TFormTextForm form(input, look);
  form.ShowModal(owner);
}

}  // namespace orvelle
