#include "win32/Win32Gdi.h"

#include <commctrl.h>

#include <algorithm>
#include <map>

#include "win32/Win32Dpi.h"
#include "win32/Win32Libraries.h"
#include "win32/Win32Window.h"

namespace strevo {

// The system's message font is given at the DPI of the primary monitor;
// windows on another monitor get it at theirs.
HFONT DialogFont(int dpi) {
  static std::map<int, HFONT> fonts;
  auto found = fonts.find(dpi);
  if (found != fonts.end()) return found->second;
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  HFONT font = nullptr;
  if (::SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    metrics.lfMessageFont.lfHeight = ::MulDiv(metrics.lfMessageFont.lfHeight, dpi, SystemDpi());
    font = ::CreateFontIndirectA(&metrics.lfMessageFont);
  }
  if (!font) font = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
  return fonts.emplace(dpi, font).first->second;
}

HFONT DialogFontBold(int dpi) {
  static std::map<int, HFONT> fonts;
  auto found = fonts.find(dpi);
  if (found != fonts.end()) return found->second;
  LOGFONTA description{};
  ::GetObjectA(DialogFont(dpi), sizeof description, &description);
  description.lfWeight = FW_BOLD;
  return fonts.emplace(dpi, ::CreateFontIndirectA(&description)).first->second;
}

void EnsureCommonControls() {
  // Loaded at the first window that needs it, not with the program (the
  // version the manifest names).
  static const bool done = [] {
    const auto init = LibraryFunction<decltype(&::InitCommonControlsEx)>("comctl32.dll", "InitCommonControlsEx");
    INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                  ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    return init && init(&controls) != 0;
  }();
  (void)done;
}

GdiObject<HBITMAP> LoadBitmapFile(const std::string& file) {
  return GdiObject<HBITMAP>(static_cast<HBITMAP>(
      ::LoadImageA(nullptr, file.c_str(), IMAGE_BITMAP, 0, 0, LR_LOADFROMFILE | LR_CREATEDIBSECTION)));
}

GdiObject<HBITMAP> LoadMenuGlyph(const char* resource) {
  GdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(::LoadImageA(reinterpret_cast<HINSTANCE>(ModuleInstance()), resource,
                                                              IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!bitmap) return bitmap;
  DIBSECTION section{};
  if (::GetObjectA(bitmap.Get(), sizeof section, &section) != sizeof section || section.dsBm.bmBitsPixel != 24 ||
      !section.dsBm.bmBits)
    return bitmap;
  // A bottom-up DIB: its first row in memory is the picture's last row.
  auto* bits = static_cast<unsigned char*>(section.dsBm.bmBits);
  const int stride = section.dsBm.bmWidthBytes;
  const bool bottomUp = section.dsBmih.biHeight > 0;
  const unsigned char* corner = bottomUp ? bits : bits + stride * (section.dsBm.bmHeight - 1);
  const unsigned char b = corner[0], g = corner[1], r = corner[2];
  const COLORREF menu = ::GetSysColor(COLOR_MENU);
  for (int y = 0; y < section.dsBm.bmHeight; ++y) {
    unsigned char* row = bits + stride * y;
    for (int x = 0; x < section.dsBm.bmWidth; ++x) {
      unsigned char* pixel = row + 3 * x;
      if (pixel[0] == b && pixel[1] == g && pixel[2] == r) {
        pixel[0] = GetBValue(menu);
        pixel[1] = GetGValue(menu);
        pixel[2] = GetRValue(menu);
      }
    }
  }
  return bitmap;
}

int BitmapWidth(HBITMAP bitmap) {
  BITMAP info{};
  return bitmap && ::GetObjectA(bitmap, sizeof info, &info) ? info.bmWidth : 0;
}

int BitmapHeight(HBITMAP bitmap) {
  BITMAP info{};
  return bitmap && ::GetObjectA(bitmap, sizeof info, &info) ? info.bmHeight : 0;
}

ModalDisabler::ModalDisabler(HWND except) : except_(except) {
  ::EnumThreadWindows(::GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(this));
}

BOOL CALLBACK ModalDisabler::Visit(HWND window, LPARAM self) {
  auto* disabler = reinterpret_cast<ModalDisabler*>(self);
  if (window != disabler->except_ && ::IsWindowVisible(window) && ::IsWindowEnabled(window)) {
    ::EnableWindow(window, FALSE);
    disabler->disabled_.push_back(window);
  }
  return TRUE;
}

void ModalDisabler::Restore() {
  for (HWND window : disabled_)
    if (::IsWindow(window)) ::EnableWindow(window, TRUE);
  disabled_.clear();
}

MSG ToMsg(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam, uint32_t time) {
  MSG msg{};
  msg.hwnd = ToHwnd(window);
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  msg.time = time;
  const DWORD position = ::GetMessagePos();
  msg.pt.x = static_cast<short>(LOWORD(position));
  msg.pt.y = static_cast<short>(HIWORD(position));
  return msg;
}

GdiObject<HBITMAP> AlphaBitmap(const TPicture& picture) {
  if (picture.Empty()) return {};
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = picture.width;
  info.bmiHeader.biHeight = -picture.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  GdiObject<HBITMAP> bitmap(::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  auto* out = static_cast<uint32_t*>(bits);
  for (size_t i = 0; i < picture.pixels.size(); ++i) {
    const uint32_t p = picture.pixels[i];
    const uint32_t a = p >> 24;
    const uint32_t r = ((p >> 16) & 0xFF) * a / 255, g = ((p >> 8) & 0xFF) * a / 255, b = (p & 0xFF) * a / 255;
    out[i] = (a << 24) | (r << 16) | (g << 8) | b;
  }
  return bitmap;
}

bool DrawPicture(HDC dc, int x, int y, const TPicture& picture, int sourceX, int sourceY, int width, int height) {
  if (picture.Empty()) return false;
  if (width < 0) width = picture.width;
  if (height < 0) height = picture.height;
  width = std::min(width, picture.width - sourceX);
  height = std::min(height, picture.height - sourceY);
  if (sourceX < 0 || sourceY < 0 || width <= 0 || height <= 0) return false;
  const GdiObject<HBITMAP> bitmap = AlphaBitmap(picture);
  if (!bitmap) return false;
  const MemoryDc source(::CreateCompatibleDC(dc));
  SelectedObject selected(source.Get(), bitmap.Get());
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  return ::AlphaBlend(dc, x, y, width, height, source.Get(), sourceX, sourceY, width, height, blend) != FALSE;
}

}  // namespace strevo
