// Small owners of GDI objects and the drawing helpers the program's windows
// share. Only the .cpp files of this folder include it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/Picture.h"

namespace strevo {

// Deletes a pen, brush, font, bitmap or region with its owner.
template <typename Handle>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(Handle handle) : handle_(handle) {}
  ~GdiObject() { Reset(); }
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) {
      Reset();
      handle_ = other.handle_;
      other.handle_ = nullptr;
    }
    return *this;
  }
  void Reset(Handle handle = nullptr) {
    if (handle_) ::DeleteObject(handle_);
    handle_ = handle;
  }
  Handle Get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  Handle handle_ = nullptr;
};

// Selects an object into a device context for the length of a scope.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectedObject() { ::SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// A memory device context with a bitmap of its own, for drawing a window's
// picture off screen before it is copied in one step.
class BackBuffer {
 public:
  BackBuffer() = default;
  ~BackBuffer() { Release(); }
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;
  bool Create(HDC reference, int width, int height) {
    Release();
    dc_ = ::CreateCompatibleDC(reference);
    bitmap_ = ::CreateCompatibleBitmap(reference, width, height);
    if (!dc_ || !bitmap_) {
      Release();
      return false;
    }
    previous_ = ::SelectObject(dc_, bitmap_);
    width_ = width;
    height_ = height;
    return true;
  }
  void Release() {
    if (dc_) {
      ::SelectObject(dc_, previous_);
      ::DeleteDC(dc_);
    }
    if (bitmap_) ::DeleteObject(bitmap_);
    dc_ = nullptr;
    bitmap_ = nullptr;
  }
  HDC Dc() const { return dc_; }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HGDIOBJ previous_ = nullptr;
  int width_ = 0, height_ = 0;
};

// A font by face name and cell height in pixels (a negative height is the
// character height without internal leading).
inline HFONT MakeFont(const char* face, int height, bool bold, bool underline = false) {
  return ::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

// The message font of the system, for the controls of dialogs, and its
// bold cut.
HFONT DialogFont();
HFONT DialogFontBold();
// Registers the common controls the windows use (track bars, tabs,
// progress bars); once per process.
void EnsureCommonControls();

// A picture as a 32-bit bitmap with premultiplied alpha, as AlphaBlend
// draws it; none for an empty picture or when the system has no memory.
GdiObject<HBITMAP> AlphaBitmap(const TPicture& picture);

// A 24-bit bitmap file by name; null when missing or unreadable.
HBITMAP LoadBitmapFile(const std::string& file);
// A bitmap resource whose background (the colour of its bottom-left pixel)
// is replaced by the menu colour, so it sits on a menu like a glyph.
HBITMAP LoadMenuGlyph(const char* resource);
int BitmapWidth(HBITMAP bitmap);
// Draws a decoded picture with its transparency at (x, y), or only the part
// of it from (sourceX, sourceY) that fits width x height; false when the
// picture is empty (nothing drawn).
bool DrawPicture(HDC dc, int x, int y, const TPicture& picture, int sourceX = 0, int sourceY = 0, int width = -1,
                 int height = -1);
int BitmapHeight(HBITMAP bitmap);

// Disables the enabled, visible top-level windows of the calling thread
// except one, as a modal window does, and enables them again on Restore.
class ModalDisabler {
 public:
  explicit ModalDisabler(HWND except);
  ~ModalDisabler() { Restore(); }
  ModalDisabler(const ModalDisabler&) = delete;
  ModalDisabler& operator=(const ModalDisabler&) = delete;
  void Restore();

 private:
  static BOOL CALLBACK Visit(HWND window, LPARAM self);
  HWND except_;
  std::vector<HWND> disabled_;
};

// The message as the system's message functions want it.
MSG ToMsg(uintptr_t window, uint32_t message, uintptr_t wParam, intptr_t lParam, uint32_t time);

}  // namespace strevo
