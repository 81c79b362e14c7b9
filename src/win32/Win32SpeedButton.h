// The skinned buttons of one window, drawn with GDI. The window draws its
// own picture into Background(); the buttons are drawn over it into the
// picture the window shows, each as its TSpeedButton2 look says: fill,
// frame, the state's picture in one piece or three slices, the glyph from
// its strip (or the disabled image made from it), the caption. A
// frameless transparent button keeps a copy of itself for the mouse's
// leave. The buttons' hints are tooltips.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/Platform.h"
#include "ui/SpeedButton2.h"

namespace strevo {

// A picture of the program's buttons (drawn by src/win32/res/make_images.py
// and built into the program); empty for an unknown name.
TPicture ButtonPicture(const std::string& name);

class Win32SpeedButtons final : public IButtonSurface {
 public:
  // For a window that exists, with its client size in 96-DPI units; the
  // window and its buttons draw in those units, and the picture is made at
  // the window's DPI.
  Win32SpeedButtons(WindowHandle window, int width, int height);
  ~Win32SpeedButtons() override;
  Win32SpeedButtons(const Win32SpeedButtons&) = delete;
  Win32SpeedButtons& operator=(const Win32SpeedButtons&) = delete;

  TButtonParent& Parent() { return parent_; }
  // A button by name; it must exist.
  TSpeedButton2& Button(const std::string& name);

  // The window was moved to a monitor of another DPI: the pictures are made
  // again at that DPI (composed again by the window).
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }

  // The window's own picture (an HDC), without the buttons.
  void* Background() const;
  // The whole picture again from the background, then shown.
  void Compose();
  // The window's paint, mouse, key and cursor messages. True when the
  // buttons used the message (result holds the answer); moves and leaves are
  // also left to the window. The window's picture covers it whole, so the
  // background is never erased.
  bool Message(uint32_t message, uintptr_t wParam, intptr_t lParam, intptr_t& result);

  // The hints follow the buttons' places, texts and visibility.
  void UpdateHints();
  void MakeTips();
  // Hints switched off or on (a screenshot without one).
  void ShowHints(bool active);
  // The text of the hint that shows now; empty when none shows.
  std::string HintShowing() const;
  // How many buttons were drawn since the window was made.
  int ButtonPaints() const { return buttonPaints_; }

  // IButtonSurface
  void Invalidate(TSpeedButton2& button) override;
  void Paint(TSpeedButton2& button) override;
  void RestoreSnapshot(TSpeedButton2& button) override;
  TSize TextExtent(const TSpeedButton2& button, const std::string& caption, const TButtonFont& font) override;
  bool Showing() override;

 private:
  struct Drawing;
  // WM_PAINT: the parts asked for are drawn, and the picture copied.
  void PaintWindow(void* dc);
  void ComposeArea(const Rect& area);
  void DrawButton(TSpeedButton2& button, const Rect& clip);
  void Present(const Rect& area);
  void UpdateHint(size_t index);
  Rect Pixels(const Rect& area) const;

  WindowHandle window_;
  int width_, height_;
  int dpi_ = 96;
  TButtonParent parent_{*this};
  std::unique_ptr<Drawing> drawing_;
  Rect dirty_{};
  bool tracking_ = false, releasing_ = false;
  int buttonPaints_ = 0;
};

}  // namespace strevo
