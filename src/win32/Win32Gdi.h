// The drawing helpers the program's windows share; the owners of the GDI
// objects they make are in Win32Handles.h. Only the .cpp files of this
// folder include it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "ui/Picture.h"
#include "win32/Win32Handles.h"

namespace strevo {

// A memory device context with a bitmap of its own, for drawing a window's
// picture off screen before it is copied in one step.
class BackBuffer {
 public:
  BackBuffer() = default;
  BackBuffer(const BackBuffer&) = delete;
  BackBuffer& operator=(const BackBuffer&) = delete;
  bool Create(HDC reference, int width, int height) {
    selected_.reset();
    dc_.Reset(::CreateCompatibleDC(reference));
    bitmap_.Reset(::CreateCompatibleBitmap(reference, width, height));
    if (!dc_ || !bitmap_) {
      dc_.Reset();
      bitmap_.Reset();
      return false;
    }
    selected_.emplace(dc_.Get(), bitmap_.Get());
    width_ = width;
    height_ = height;
    return true;
  }
  HDC Dc() const { return dc_.Get(); }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  // Ended from the last: the bitmap is taken out of the context, the
  // context deleted, then the bitmap.
  GdiObject<HBITMAP> bitmap_;
  MemoryDc dc_;
  std::optional<SelectedObject> selected_;
  int width_ = 0, height_ = 0;
};

// A font by face name and cell height in pixels (a negative height is the
// character height without internal leading).
inline GdiObject<HFONT> MakeFont(const char* face, int height, bool bold, bool underline = false) {
  return GdiObject<HFONT>(::CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE,
                                        DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                        DEFAULT_PITCH | FF_DONTCARE, face));
}

// The message font of the system at a monitor's DPI, for the controls of
// dialogs, and its bold cut; each made once and kept for the run.
HFONT DialogFont(int dpi);
HFONT DialogFontBold(int dpi);
// Registers the common controls the windows use (track bars, tabs,
// progress bars); once per process.
void EnsureCommonControls();

// A picture as a 32-bit bitmap with premultiplied alpha, as AlphaBlend
// draws it; none for an empty picture or when the system has no memory.
GdiObject<HBITMAP> AlphaBitmap(const TPicture& picture);

// A 24-bit bitmap file by name; none when missing or unreadable.
GdiObject<HBITMAP> LoadBitmapFile(const std::string& file);
// A bitmap resource whose background (the colour of its bottom-left pixel)
// is replaced by the menu colour, so it sits on a menu like a glyph.
GdiObject<HBITMAP> LoadMenuGlyph(const char* resource);
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
MSG ToMsg(WindowHandle window, uint32_t message, uintptr_t wParam, intptr_t lParam, uint32_t time);

}  // namespace strevo
