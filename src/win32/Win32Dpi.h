// The program's windows are laid out in units of a 96-DPI screen and drawn
// at the DPI of the monitor they stand on. The system calls this needs are
// looked up at run time: older systems know only one DPI for all monitors,
// or none but 96.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/Forms.h"

namespace strevo {

inline constexpr int kDesignDpi = 96;

// Declares the process aware of each monitor's DPI (the second version
// where the system has it, which also scales the caption and the common
// controls), else of the system DPI. Before any window is made.
void DeclareDpiAwareness();

// The DPI of the primary monitor at the program's start.
int SystemDpi();
// The DPI of the monitor the window stands on.
int WindowDpi(HWND window);

// Design units to pixels at one DPI.
class DpiScale {
 public:
  explicit DpiScale(int dpi = kDesignDpi) : dpi_(dpi > 0 ? dpi : kDesignDpi) {}
  static DpiScale Of(HWND window) { return DpiScale(WindowDpi(window)); }

  int Dpi() const { return dpi_; }
  bool Identity() const { return dpi_ == kDesignDpi; }
  int operator()(int units) const { return ::MulDiv(units, dpi_, kDesignDpi); }
  // Pixels back to design units (mouse positions).
  int Units(int pixels) const { return ::MulDiv(pixels, kDesignDpi, dpi_); }
  Rect operator()(const Rect& r) const { return {(*this)(r.left), (*this)(r.top), (*this)(r.right), (*this)(r.bottom)}; }
  // Drawing on the device context in design units: a scaling transform
  // (nothing at 96 DPI, so that picture stays exactly as it was).
  void Apply(HDC dc) const;

 private:
  int dpi_;
};

// The work areas of all monitors, the primary's first.
std::vector<Rect> MonitorWorkAreas();

// WM_DPICHANGED for a window of standard controls laid out at the old DPI:
// each child is moved and sized for the new one, the dialog fonts swapped
// for theirs, and the window put where the system suggests.
void RelayoutForDpi(HWND window, int oldDpi, int newDpi, const RECT& suggested);

}  // namespace strevo
