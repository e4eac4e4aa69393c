#include "forms/grid.h"

#include "forms/appearance.h"
#include "forms/dialog.h"
#include "forms/grid_protocol.h"

#include <gtest/gtest.h>

#include <vector>

namespace orvelle {
namespace {

// Lets the window's thread (this one) paint and hand its drawing to the
// screen, which under Wine happens while messages are handled.
void Pump(DWORD milliseconds) {
  const ULONGLONG end = ::GetTickCount64() + milliseconds;
  MSG msg;
  while (::GetTickCount64() < end) {
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::Sleep(10);
  }
}

// The pixels of a window's client area as the screen shows them, row by row.
std::vector<COLORREF> ScreenPixels(HWND window, int width, int height) {
  POINT origin{0, 0};
  ::ClientToScreen(window, &origin);
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ old = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
  std::vector<COLORREF> pixels(static_cast<size_t>(width * height));
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) pixels[static_cast<size_t>(y * width + x)] = ::GetPixel(memory, x, y);
  }
  ::SelectObject(memory, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return pixels;
}

// What the grid answers to the query message must be what it draws: the
// background of every cell, its text colour, and the frame.
TEST(Grid, ReportsTheColoursItDraws) {
  ASSERT_TRUE(RegisterGridClass());
  constexpr int kWidth = 420, kHeight = 60;
  HWND grid = ::CreateWindowExW(WS_EX_TOPMOST, grid::kClassName, L"test", WS_POPUP | WS_VISIBLE, 50, 50,
                                kWidth, kHeight, nullptr, nullptr, FormsModule(), nullptr);
  ASSERT_NE(grid, nullptr);
  unique_hfont font = CreateFontFor({L"Tahoma", 14, true}, 96);
  ::SendMessageW(grid, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  GridData data(2, 3);
  data.align = {CellAlign::Left, CellAlign::Right, CellAlign::Center};
  data.frameColor = RGB(10, 20, 30);
  const COLORREF backs[] = {RGB(255, 255, 255), RGB(240, 240, 200)};
  const COLORREF texts[] = {RGB(0, 0, 255), RGB(200, 0, 0), RGB(0, 128, 0)};
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 3; ++c) {
      GridCell& cell = data.At(r, c);
      cell.text = L"WMW" + std::to_wstring(r * 3 + c);
      cell.textColor = texts[c];
      cell.backColor = backs[r];
      cell.framed = r == 0 && c == 2;
    }
  }
  SetGridContent(grid, data, {140, 140, 140}, 30);
  ::UpdateWindow(grid);
  Pump(400);
  const std::vector<COLORREF> pixels = ScreenPixels(grid, kWidth, kHeight);
  auto at = [&](int x, int y) { return pixels[static_cast<size_t>(y * kWidth + x)]; };

  const UINT query = ::RegisterWindowMessageW(grid::kQueryMessageName);
  EXPECT_EQ(::SendMessageW(grid, query, grid::kQuerySize, 0), MAKELRESULT(2, 3));
  for (int r = 0; r < 2; ++r) {
    for (int c = 0; c < 3; ++c) {
      SCOPED_TRACE(testing::Message() << "cell " << r << " " << c);
      grid::CellQuery q;
      q.row = r;
      q.column = c;
      ASSERT_EQ(::SendMessageW(grid, query, grid::kQueryCell, reinterpret_cast<LPARAM>(&q)), 1);
      EXPECT_EQ(std::wstring(q.text), data.At(r, c).text);
      EXPECT_FALSE(q.clipped);
      const RECT& rc = q.rect;
      // The corners lie outside the text and the frame (inset from the sides).
      EXPECT_EQ(at(rc.left + 1, rc.top + 1), q.backColor);
      EXPECT_EQ(at(rc.right - 2, rc.bottom - 2), q.backColor);
      bool textDrawn = false;
      for (int y = rc.top; y < rc.bottom && !textDrawn; ++y) {
        for (int x = rc.left + kFrameInset + 1; x < rc.right - kFrameInset - 1; ++x) {
          if (at(x, y) == q.textColor) {
            textDrawn = true;
            break;
          }
        }
      }
      EXPECT_TRUE(textDrawn) << "no pixel of the reported text colour";
      const COLORREF side = at(rc.left + kFrameInset, (rc.top + rc.bottom) / 2);
      EXPECT_EQ(side == data.frameColor, static_cast<bool>(q.framed));
    }
  }
  grid::CellQuery outside;
  outside.row = 2;
  EXPECT_EQ(::SendMessageW(grid, query, grid::kQueryCell, reinterpret_cast<LPARAM>(&outside)), 0);
  ::DestroyWindow(grid);
}

// A cell whose text is wider than the cell says so.
TEST(Grid, ReportsTextThatDoesNotFit) {
  ASSERT_TRUE(RegisterGridClass());
  HWND grid = ::CreateWindowExW(0, grid::kClassName, L"narrow", WS_POPUP, 0, 0, 60, 20, nullptr,
                                nullptr, FormsModule(), nullptr);
  ASSERT_NE(grid, nullptr);
  GridData data(1, 2);
  data.At(0, 0).text = L"A text far wider than forty pixels";
  data.At(0, 1).text = L"ok";
  SetGridContent(grid, data, {40, 40}, 20);
  const UINT query = ::RegisterWindowMessageW(grid::kQueryMessageName);
  grid::CellQuery wide, fits;
  wide.column = 0;
  fits.column = 1;
  ::SendMessageW(grid, query, grid::kQueryCell, reinterpret_cast<LPARAM>(&wide));
  ::SendMessageW(grid, query, grid::kQueryCell, reinterpret_cast<LPARAM>(&fits));
  EXPECT_TRUE(wide.clipped);
  EXPECT_FALSE(fits.clipped);
  ::DestroyWindow(grid);
}

}  // namespace
}  // namespace orvelle
