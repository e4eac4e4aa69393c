#include "tc/ttc.h"

#include "platform/fs.h"

namespace orvelle {

TTC::TTC(std::wstring exeFile) : ExeFile(std::move(exeFile)), FontSection(ScreenFontSection()) {}

std::wstring TTC::ProgramDir() const { return platform::ExtractFilePath(ExeFile); }

const std::wstring& TTC::SlotFile(int slot) const {
  if (slot <= kSlotIniFile || slot >= kSlotCount) return IniFile;
  return SectionFile[static_cast<size_t>(slot)];
}

std::wstring TTC::ScreenFontSection() {
  int width = ::GetSystemMetrics(SM_CXSCREEN);
  int height = ::GetSystemMetrics(SM_CYSCREEN);
  int dpi = 96;
  if (HDC dc = ::GetDC(nullptr)) {
    dpi = ::GetDeviceCaps(dc, LOGPIXELSY);
    ::ReleaseDC(nullptr, dc);
  }
  // The host keeps its fonts per resolution and marks large-font displays.
  return L"[" + std::to_wstring(width) + L"x" + std::to_wstring(height) +
         (dpi == 120 ? L" (10x20)]" : L" (8x16)]");
}

}  // namespace orvelle
