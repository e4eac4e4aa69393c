#include "forms/form_files.h"

#include "forms/grid_protocol.h"
#include "platform/fs.h"
#include "platform/message_box.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"

#include <shellapi.h>

#include <algorithm>

namespace orvelle {

namespace {

enum ControlId {
  kHeaderGrid = 100,
  kFileGrid,
  kVersionGrid,
  kSameFileLabel,
  kRunNew,
  kRunMy,
  kOpenDirectory,
};

// Lengths at 96 dots per inch.
constexpr int kMinClientWidth = 656;
constexpr int kRowHeight = 16;
constexpr int kGridGap = 4;
constexpr int kMargin = 8;
constexpr int kButtonGap = 6;
constexpr int kMinButtonWidth = 75;
constexpr int kMinButtonHeight = 25;
constexpr int kMinLabelColumn = 120;
constexpr int kMinValueColumn = 150;
constexpr int kMaxValueColumn = 420;
constexpr int kMinSignColumn = 36;

}  // namespace

TFormFilesForm::TFormFilesForm(FilesDialogInput input) : input_(std::move(input)) {}

std::wstring TFormFilesForm::Caption() const { return Tr(texts::kFileCompareCaption); }

std::vector<ControlSpec> TFormFilesForm::Controls() const {
  return {
      {grid::kClassName, L"header", kHeaderGrid, 0},
      {grid::kClassName, L"file", kFileGrid, 0},
      {grid::kClassName, L"version", kVersionGrid, 0},
      {L"Static", Tr(texts::kSameFile), kSameFileLabel, SS_LEFT | SS_NOPREFIX},
      {L"Button", Tr(texts::kClose), IDCANCEL, BS_DEFPUSHBUTTON | WS_TABSTOP},
      {L"Button", Tr(texts::kRunNew), kRunNew, BS_PUSHBUTTON | WS_TABSTOP},
      {L"Button", Tr(texts::kRunMy), kRunMy, BS_PUSHBUTTON | WS_TABSTOP},
      {L"Button", Tr(texts::kOpenMyDirectory), kOpenDirectory, BS_AUTOCHECKBOX | WS_TABSTOP},
  };
}

void TFormFilesForm::OnInit() {
  view_ = BuildFilesView(input_.newFile, input_.myFile, ReadFileSide(input_.newFile),
                         ReadFileSide(input_.myFile), input_.myProgramDir);
  gridFont_ = CreateFontFor(input_.look.panelFont, Dpi());
  for (int id : {kHeaderGrid, kFileGrid, kVersionGrid}) {
    ::SendMessageW(Item(id), WM_SETFONT, reinterpret_cast<WPARAM>(gridFont_.get()), FALSE);
  }
  if (view_.sameFileWarning.empty()) {
    ::ShowWindow(Item(kSameFileLabel), SW_HIDE);
  } else {
    ::SetWindowTextW(Item(kSameFileLabel), view_.sameFileWarning.c_str());
  }
  ::EnableWindow(Item(kRunNew), view_.runNewEnabled);
  ::EnableWindow(Item(kRunMy), view_.runMyEnabled);
  ::EnableWindow(Item(kOpenDirectory), !input_.panelDirectory.empty());
  Layout();
  CenterOnScreen();
}

void TFormFilesForm::Layout() {
  const GridData header = HeaderGrid(view_.header, input_.look);
  const GridData files = CompareGrid({view_.fileRows.begin(), view_.fileRows.end()}, input_.look, false);
  const GridData versions =
      CompareGrid({view_.versionRows.begin(), view_.versionRows.end()}, input_.look, true);

  // Every column as wide as its widest text, so that nothing is cut off.
  // Room beside the text: the cell's padding on both sides and a little air.
  const int pad = 2 * Scale(kCellPadding) + Scale(10);
  std::vector<int> widths = {Scale(kMinLabelColumn), Scale(kMinValueColumn), Scale(kMinSignColumn),
                             Scale(kMinValueColumn)};
  for (const GridData* g : {&header, &files, &versions}) {
    for (int r = 0; r < g->rows; ++r) {
      for (int c = 0; c < 4; ++c) {
        const int w = TextWidth(gridFont_.get(), g->At(r, c).text) + pad;
        widths[static_cast<size_t>(c)] = std::max(widths[static_cast<size_t>(c)], w);
      }
    }
  }
  // Long version texts must not push the dialog off the screen: the value
  // columns share what the screen has left.
  RECT work{};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int screenRoom = (work.right - work.left - widths[0] - widths[2] - Scale(2 * kMargin)) / 2;
  const int maxValue = std::max(Scale(kMinValueColumn), std::min(Scale(kMaxValueColumn), screenRoom));
  widths[1] = std::min(widths[1], maxValue);
  widths[3] = std::min(widths[3], maxValue);
  const int rowHeight = std::max(Scale(kRowHeight), LineHeight(gridFont_.get()) + Scale(2));

  // The bottom panel: the warning and the buttons on one line, the check
  // box below them.
  HFONT font = DialogFont();
  const int margin = Scale(kMargin);
  const int buttonHeight = std::max(Scale(kMinButtonHeight), LineHeight(font) + Scale(10));
  const int buttons[] = {IDCANCEL, kRunNew, kRunMy};
  const wchar_t* buttonTexts[] = {Tr(texts::kClose), Tr(texts::kRunNew), Tr(texts::kRunMy)};
  int buttonWidths[3];
  int buttonsWidth = 0;
  for (int i = 0; i < 3; ++i) {
    buttonWidths[i] = std::max(Scale(kMinButtonWidth), TextWidth(font, buttonTexts[i]) + Scale(24));
    buttonsWidth += buttonWidths[i] + (i > 0 ? Scale(kButtonGap) : 0);
  }
  const int labelWidth = TextWidth(font, view_.sameFileWarning.empty() ? Tr(texts::kSameFile)
                                                                       : view_.sameFileWarning) +
                         Scale(6);
  const int checkWidth =
      TextWidth(font, Tr(texts::kOpenMyDirectory)) + ::GetSystemMetrics(SM_CXMENUCHECK) + Scale(16);
  const int checkHeight = std::max(Scale(17), LineHeight(font) + Scale(4));

  int gridWidth = widths[0] + widths[1] + widths[2] + widths[3];
  const int clientWidth =
      std::max({Scale(kMinClientWidth), gridWidth, 2 * margin + labelWidth + Scale(12) + buttonsWidth,
                2 * margin + checkWidth});
  // The grids span the dialog: the room left goes to the two value columns.
  const int extra = clientWidth - gridWidth;
  widths[1] += extra / 2;
  widths[3] += extra - extra / 2;

  int y = 0;
  SetGridContent(Item(kHeaderGrid), header, widths, rowHeight);
  Place(kHeaderGrid, 0, y, clientWidth, rowHeight);
  y += rowHeight + Scale(kGridGap);
  SetGridContent(Item(kFileGrid), files, widths, rowHeight);
  Place(kFileGrid, 0, y, clientWidth, rowHeight * files.rows);
  y += rowHeight * files.rows + Scale(kGridGap);
  SetGridContent(Item(kVersionGrid), versions, widths, rowHeight);
  Place(kVersionGrid, 0, y, clientWidth, rowHeight * versions.rows);
  y += rowHeight * versions.rows + margin;

  const int labelHeight = LineHeight(font) + Scale(2);
  Place(kSameFileLabel, margin, y + (buttonHeight - labelHeight) / 2, labelWidth, labelHeight);
  int x = clientWidth - margin - buttonsWidth;
  for (int i = 0; i < 3; ++i) {
    Place(buttons[i], x, y, buttonWidths[i], buttonHeight);
    x += buttonWidths[i] + Scale(kButtonGap);
  }
  y += buttonHeight + Scale(kButtonGap);
  Place(kOpenDirectory, margin, y, checkWidth, checkHeight);
  y += checkHeight + margin;
  SetClientSize(clientWidth, y);
}

bool TFormFilesForm::OnCommand(int id, int code) {
  switch (id) {
    case kRunNew:
      Run(input_.newFile);
      return true;
    case kRunMy:
      Run(input_.myFile);
      return true;
    case kOpenDirectory:
      openDirectory_ = ::IsDlgButtonChecked(Window(), kOpenDirectory) == BST_CHECKED;
      return true;
    default:
      return false;
  }
}

HBRUSH TFormFilesForm::OnControlColor(HDC dc, HWND control) {
  if (control != Item(kSameFileLabel)) return nullptr;
  ::SetTextColor(dc, RGB(255, 0, 0));
  ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
  return ::GetSysColorBrush(COLOR_BTNFACE);
}

void TFormFilesForm::Run(const std::wstring& file) { RunFile(Window(), file); }

void RunFile(HWND owner, const std::wstring& file) {
  if (!platform::FileExists(file)) {
    platform::ShowError(std::wstring(Tr(texts::kFileMissing)) + L"\n" + file);
    return;
  }
  const std::wstring dir = platform::ExtractFileDir(file);
  ::ShellExecuteW(owner, L"open", file.c_str(), nullptr, dir.c_str(), SW_SHOWNORMAL);
}

void OpenInOtherPanel(HWND owner, const std::wstring& programFile, const std::wstring& dir) {
  if (dir.empty() || !platform::DirectoryExists(dir) || programFile.empty()) return;
  const std::wstring parameters = L"/O /S /R=\"" + dir + L"\"";
  const std::wstring programDir = platform::ExtractFileDir(programFile);
  ::ShellExecuteW(owner, L"open", programFile.c_str(), parameters.c_str(), programDir.c_str(),
                  SW_SHOWNORMAL);
}

void ShowFileCompare(HWND owner, const FilesDialogInput& input) {
  TFormFilesForm form(input);
  form.ShowModal(owner);
  if (form.OpenDirectoryRequested()) OpenInOtherPanel(owner, input.myProgramFile, input.panelDirectory);
}

std::wstring PanelDirectoryFor(const VirtualTree& tree, int index) {
  if (index < 0 || index >= tree.Count()) return {};
  const TVirtualTreeItem& entry = tree[index];
  const std::wstring own = platform::ExtractFileDir(entry.MyFile);
  if (!entry.MyFile.empty() && platform::DirectoryExists(own)) return own;
  for (int i = 0; i < tree.Count(); ++i) {
    const TVirtualTreeItem& e = tree[i];
    if (e.Path == entry.Path && !e.IsFolder && e.HasFiles && platform::FileExists(e.MyFile)) {
      return platform::ExtractFileDir(e.MyFile);
    }
  }
  for (int i = 0; i < tree.Count(); ++i) {
    const TVirtualTreeItem& e = tree[i];
    if (e.Path == entry.Path && e.IsFolder && !e.MyFile.empty() &&
        platform::DirectoryExists(e.MyFile)) {
      return platform::ExcludeTrailingBackslash(e.MyFile);
    }
  }
  return {};
}

}  // namespace orvelle
