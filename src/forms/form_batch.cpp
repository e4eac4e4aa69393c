#include "forms/form_batch.h"

#include "platform/message_box.h"
#include "tree/vars_conts.h"
#include "tree/translation.h"

#include <algorithm>
#include <optional>

namespace orvelle {

namespace {

enum ControlId { kLabel = 100, kWaysLabel, kWays, kFirstItem = 1000 };

// Lengths at 96 dots per inch.
constexpr int kMinClientWidth = 480;
constexpr int kMargin = 8;
constexpr int kGap = 4;
constexpr int kColumnGap = 16;
constexpr int kMinButtonWidth = 75;
constexpr int kMinButtonHeight = 25;
constexpr int kListHeight = 120;  // the ways' list's room when it drops down

}  // namespace

TFormBatchForm::TFormBatchForm(BatchDialogInput input) : input_(std::move(input)) {}

DWORD TFormBatchForm::Style() const { return WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME; }

std::vector<ControlSpec> TFormBatchForm::Controls() const {
  std::vector<ControlSpec> controls;
  controls.push_back({L"Static", input_.label, kLabel, SS_LEFT | SS_NOPREFIX});
  for (size_t i = 0; i < input_.items.size(); ++i) {
    controls.push_back({L"Button", input_.items[i], kFirstItem + static_cast<int>(i),
                        BS_AUTOCHECKBOX | WS_TABSTOP});
  }
  if (input_.ways) {
    controls.push_back({L"Static", input_.waysLabel, kWaysLabel, SS_LEFT | SS_NOPREFIX});
    controls.push_back({L"ComboBox", L"", kWays, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP});
  }
  controls.push_back({L"Button", input_.okText, IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP});
  controls.push_back({L"Button", Tr(texts::kCancel), IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP});
  return controls;
}

void TFormBatchForm::OnInit() {
  for (size_t i = 0; i < input_.items.size(); ++i) {
    ::SendMessageW(Item(kFirstItem + static_cast<int>(i)), BM_SETCHECK, BST_CHECKED, 0);
  }
  FillWays();
  Layout();
  CenterOnScreen();
  ::SetFocus(Item(IDOK));
}

std::vector<bool> TFormBatchForm::Ticked() const {
  std::vector<bool> ticked;
  for (size_t i = 0; i < input_.items.size(); ++i) {
    ticked.push_back(::SendMessageW(Item(kFirstItem + static_cast<int>(i)), BM_GETCHECK, 0, 0) ==
                     BST_CHECKED);
  }
  return ticked;
}

// The ways the ticked plugins all offer; the way chosen before stays chosen
// while it is offered.
void TFormBatchForm::FillWays() {
  if (!input_.ways) return;
  HWND list = Item(kWays);
  const LRESULT before = ::SendMessageW(list, CB_GETCURSEL, 0, 0);
  const int chosen = before >= 0 && static_cast<size_t>(before) < wayValues_.size()
                         ? wayValues_[static_cast<size_t>(before)]
                         : -1;
  ::SendMessageW(list, CB_RESETCONTENT, 0, 0);
  wayValues_.clear();
  int select = 0;
  for (const auto& [text, value] : input_.ways(Ticked())) {
    if (value == chosen) select = static_cast<int>(wayValues_.size());
    ::SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    wayValues_.push_back(value);
  }
  if (!wayValues_.empty()) ::SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(select), 0);
}

void TFormBatchForm::Layout() {
  HFONT font = DialogFont();
  const int margin = Scale(kMargin);
  const int gap = Scale(kGap);
  const int line = LineHeight(font);
  const int boxHeight = line + Scale(6);
  const int boxRoom = ::GetSystemMetrics(SM_CXMENUCHECK) + Scale(8);
  int itemWidth = 0;
  for (const std::wstring& item : input_.items) {
    itemWidth = std::max(itemWidth, TextWidth(font, item) + boxRoom);
  }
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int screenHeight = work.bottom - work.top - ::GetSystemMetrics(SM_CYCAPTION) -
                           2 * ::GetSystemMetrics(SM_CYDLGFRAME);
  const int screenWidth = work.right - work.left - 2 * ::GetSystemMetrics(SM_CXDLGFRAME);
  const int buttonHeight = std::max(Scale(kMinButtonHeight), line + Scale(10));
  // What stands around the list: the label (up to three lines), the ways
  // and the buttons.
  const int around = margin + 3 * line + gap + (input_.ways ? line + gap + boxHeight + gap : 0) +
                     margin + buttonHeight + margin;
  const int items = static_cast<int>(input_.items.size());
  const int rowsFit = std::max(1, (screenHeight - around) / boxHeight);
  const int columns = std::max(1, (items + rowsFit - 1) / rowsFit);
  const int rows = items == 0 ? 0 : (items + columns - 1) / columns;
  // Columns as wide as the widest item, within the screen.
  int columnWidth = itemWidth;
  const int listWidth = columns * columnWidth + (columns - 1) * Scale(kColumnGap);
  int clientWidth = std::max(Scale(kMinClientWidth), listWidth + 2 * margin);
  if (clientWidth > screenWidth && screenWidth > Scale(kMinClientWidth)) {
    clientWidth = screenWidth;
    columnWidth = (clientWidth - 2 * margin - (columns - 1) * Scale(kColumnGap)) / columns;
  }
  const int innerWidth = clientWidth - 2 * margin;

  int y = margin;
  RECT labelRect{0, 0, innerWidth, 0};
  HDC dc = ::GetDC(Window());
  HGDIOBJ old = ::SelectObject(dc, font);
  ::DrawTextW(dc, input_.label.c_str(), static_cast<int>(input_.label.size()), &labelRect,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  ::SelectObject(dc, old);
  ::ReleaseDC(Window(), dc);
  const int labelHeight = std::max(line, static_cast<int>(labelRect.bottom - labelRect.top));
  Place(kLabel, margin, y, innerWidth, labelHeight);
  y += labelHeight + gap;
  for (int i = 0; i < items; ++i) {
    const int column = i / std::max(1, rows);
    const int row = i % std::max(1, rows);
    Place(kFirstItem + i, margin + column * (columnWidth + Scale(kColumnGap)),
          y + row * boxHeight, columnWidth, boxHeight);
  }
  y += rows * boxHeight + gap;
  if (input_.ways) {
    Place(kWaysLabel, margin, y, innerWidth, line);
    y += line + gap;
    Place(kWays, margin, y, innerWidth, Scale(kListHeight));
    RECT field{};
    ::GetWindowRect(Item(kWays), &field);
    y += (field.bottom - field.top) + gap;
  }
  const int buttonWidth =
      std::max({Scale(kMinButtonWidth), TextWidth(font, input_.okText) + Scale(24),
                TextWidth(font, Tr(texts::kCancel)) + Scale(24)});
  const int clientHeight = y + margin + buttonHeight + margin;
  const int buttonTop = clientHeight - margin - buttonHeight;
  const int cancelLeft = clientWidth - margin - buttonWidth;
  Place(IDCANCEL, cancelLeft, buttonTop, buttonWidth, buttonHeight);
  Place(IDOK, cancelLeft - 2 * gap - buttonWidth, buttonTop, buttonWidth, buttonHeight);
  SetClientSize(clientWidth, clientHeight);
}

bool TFormBatchForm::OnCommand(int id, int code) {
  if (id >= kFirstItem && id < kFirstItem + static_cast<int>(input_.items.size())) {
    if (code == BN_CLICKED) FillWays();
    return true;
  }
  if (id != IDOK || code != BN_CLICKED) return false;
  const std::vector<bool> ticked = Ticked();
  if (std::none_of(ticked.begin(), ticked.end(), [](bool b) { return b; })) {
    platform::ShowInformation(Tr(texts::kBatchNothingChosen));
    return true;
  }
  choice_.ticked = ticked;
  if (input_.ways) {
    const LRESULT chosen = ::SendMessageW(Item(kWays), CB_GETCURSEL, 0, 0);
    if (chosen < 0 || static_cast<size_t>(chosen) >= wayValues_.size()) return true;
    choice_.way = wayValues_[static_cast<size_t>(chosen)];
  }
  Close(IDOK);
  return true;
}

std::optional<BatchDialogChoice> ShowBatchDialog(HWND owner, const BatchDialogInput& input) {
  TFormBatchForm form(input);
  if (form.ShowModal(owner) != IDOK) return std::nullopt;
  return form.Choice();
}

}  // namespace orvelle
