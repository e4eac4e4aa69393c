#include "window_capture.h"

#include "platform/handle.h"

#include <vector>

namespace tchost {
namespace {

bool WriteAll(HANDLE file, const void* data, DWORD size) {
  DWORD written = 0;
  return ::WriteFile(file, data, size, &written, nullptr) && written == size;
}

}  // namespace

void RepaintWindow(HWND window) {
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
}

bool CaptureWindow(HWND window, const std::wstring& path) {
  if (!::IsWindow(window)) return false;
  RECT r{};
  if (!::GetWindowRect(window, &r)) return false;
  // Only what is on the screen can be copied from it.
  const RECT screenRect{::GetSystemMetrics(SM_XVIRTUALSCREEN), ::GetSystemMetrics(SM_YVIRTUALSCREEN),
                        ::GetSystemMetrics(SM_XVIRTUALSCREEN) + ::GetSystemMetrics(SM_CXVIRTUALSCREEN),
                        ::GetSystemMetrics(SM_YVIRTUALSCREEN) + ::GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  if (!::IntersectRect(&r, &r, &screenRect)) return false;
  const int width = r.right - r.left;
  const int height = r.bottom - r.top;
  if (width <= 0 || height <= 0) return false;

  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  bool ok = bitmap != nullptr;
  if (ok) {
    HGDIOBJ old = ::SelectObject(memory, bitmap);
    ok = ::BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY) != 0;
    ::GdiFlush();
    ::SelectObject(memory, old);
  }
  const DWORD stride = static_cast<DWORD>((width * 3 + 3) & ~3);
  const DWORD imageSize = stride * static_cast<DWORD>(height);
  if (ok) {
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    info.bmiHeader.biSizeImage = imageSize;
    orvelle::platform::unique_hfile out(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                      CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ok = out && WriteAll(out.get(), &file, sizeof(file)) &&
         WriteAll(out.get(), &info.bmiHeader, sizeof(info.bmiHeader)) &&
         WriteAll(out.get(), bits, imageSize);
  }
  if (bitmap) ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return ok;
}

}  // namespace tchost
