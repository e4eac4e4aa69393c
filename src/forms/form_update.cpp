#include "forms/form_update.h"

#include "tree/translation.h"
#include "tree/vars_conts.h"

#include <algorithm>

namespace orvelle {

namespace {

enum ControlId { kLabel = 100, kOptions };

// Lengths at 96 dots per inch.
constexpr int kClientWidth = 568;
constexpr int kClientHeight = 76;
constexpr int kMargin = 8;
constexpr int kGap = 4;
constexpr int kMinButtonWidth = 75;
constexpr int kMinButtonHeight = 25;
constexpr int kListHeight = 160;  // the list's room when it drops down

}  // namespace

TFormUpdateForm::TFormUpdateForm(UpdateDialogInput input, UpdateHandler onUpdate)
    : input_(std::move(input)), onUpdate_(std::move(onUpdate)) {}

std::wstring TFormUpdateForm::Caption() const {
  return input_.itemName.empty() ? std::wstring(Tr(texts::kUpdateCaption))
                                 : input_.itemName + L" " + Tr(texts::kUpdateCaption);
}

DWORD TFormUpdateForm::Style() const { return WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME; }

std::vector<ControlSpec> TFormUpdateForm::Controls() const {
  return {
      {L"Static", Tr(texts::kUpdateTypeLabel), kLabel, SS_LEFT | SS_NOPREFIX},
      {L"ComboBox", L"", kOptions, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
      {L"Button", Tr(texts::kUpdateButton), IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP},
      {L"Button", Tr(texts::kCancel), IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP},
  };
}

void TFormUpdateForm::OnInit() {
  HWND list = Item(kOptions);
  for (const std::wstring& option : input_.options) {
    ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(option.c_str()));
  }
  if (!input_.options.empty()) ::SendMessageW(list, CB_SETCURSEL, 0, 0);
  Layout();
  CenterOnScreen();
  ::SetFocus(list);
}

void TFormUpdateForm::Layout() {
  HFONT font = DialogFont();
  const int margin = Scale(kMargin);
  const int line = LineHeight(font);
  // Room for the longest option beside the list's arrow, within the screen.
  int widest = TextWidth(font, Tr(texts::kUpdateTypeLabel));
  for (const std::wstring& option : input_.options) {
    widest = std::max(widest, TextWidth(font, option));
  }
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int screenWidth = work.right - work.left - 2 * ::GetSystemMetrics(SM_CXDLGFRAME);
  const int needed = widest + ::GetSystemMetrics(SM_CXVSCROLL) + Scale(16) + 2 * margin;
  int clientWidth = std::max(Scale(kClientWidth), needed);
  if (screenWidth > Scale(kClientWidth)) clientWidth = std::min(clientWidth, screenWidth);
  const int innerWidth = clientWidth - 2 * margin;

  int y = margin;
  Place(kLabel, margin, y, innerWidth, line);
  y += line + Scale(kGap);
  Place(kOptions, margin, y, innerWidth, Scale(kListHeight));
  // A drop-down list's window is its selection field; its height follows
  // the font.
  RECT field{};
  ::GetWindowRect(Item(kOptions), &field);
  y += (field.bottom - field.top) + margin;
  ::SendMessageW(Item(kOptions), CB_SETDROPPEDWIDTH, static_cast<WPARAM>(innerWidth), 0);

  const int buttonHeight = std::max(Scale(kMinButtonHeight), line + Scale(10));
  const int buttonWidth =
      std::max({Scale(kMinButtonWidth), TextWidth(font, Tr(texts::kUpdateButton)) + Scale(24),
                TextWidth(font, Tr(texts::kCancel)) + Scale(24)});
  const int clientHeight = std::max(Scale(kClientHeight), y + buttonHeight + margin);
  const int buttonTop = clientHeight - margin - buttonHeight;
  const int cancelLeft = clientWidth - margin - buttonWidth;
  Place(IDCANCEL, cancelLeft, buttonTop, buttonWidth, buttonHeight);
  Place(IDOK, cancelLeft - Scale(kGap) * 2 - buttonWidth, buttonTop, buttonWidth, buttonHeight);
  SetClientSize(clientWidth, clientHeight);
}

bool TFormUpdateForm::OnCommand(int id, int code) {
  if (id != IDOK || code != BN_CLICKED) return false;
  const LRESULT chosen = ::SendMessageW(Item(kOptions), CB_GETCURSEL, 0, 0);
  if (chosen == CB_ERR || !onUpdate_) return true;
  if (onUpdate_(static_cast<int>(chosen))) Close(IDOK);
  return true;
}

bool ShowUpdateDialog(HWND owner, const UpdateDialogInput& input, const UpdateHandler& onUpdate) {
  TFormUpdateForm form(input, onUpdate);
  return form.ShowModal(owner) == IDOK;
}

}  // namespace orvelle
