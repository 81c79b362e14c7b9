#include "win32/Win32InfoOnTopView.h"

#include <windows.h>

#include <cstdlib>
#include <map>
#include <tuple>

#include "storage/DebugLog.h"
#include "storage/LangRes.h"
#include "ui/InfoOnTopWindow.h"
#include "win32/Win32ApplicationWindow.h"
#include "win32/Win32Dwm.h"
#include "win32/Win32Gdi.h"

namespace strevo {

namespace {

HWND hwnd(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

constexpr UINT_PTR kAlphaTimer = 1, kAlphaOffTimer = 2;
constexpr int kPaintBoxSize = 204;  // all meter drawing is clipped to it
constexpr COLORREF kLime = RGB(0, 255, 0);
constexpr COLORREF kGrey = RGB(0x80, 0x80, 0x80);

}  // namespace

// The drawing state. The font stays as the last redraw left it, so that the
// figures are drawn in the same font the meter always used (bold from the
// second redraw on with the English face).
struct Win32InfoOnTopView::Resources {
  GdiObject<HBITMAP> faceEnglish, faceOther, pauseOverlay;
  BackBuffer buffer;
  std::map<std::tuple<std::string, int, bool>, GdiObject<HFONT>> fonts;
  std::string fontName = "Tahoma";
  int fontHeight = -11;
  bool fontBold = false;
  COLORREF fontColour = RGB(0, 0, 0);

  HFONT Font() {
    auto key = std::make_tuple(fontName, fontHeight, fontBold);
    auto found = fonts.find(key);
    if (found == fonts.end())
      found = fonts.emplace(key, GdiObject<HFONT>(MakeFont(fontName.c_str(), fontHeight, fontBold))).first;
    return found->second.Get();
  }
  void Text(int x, int y, const std::string& text) {
    HDC dc = buffer.Dc();
    SelectedObject font(dc, Font());
    ::SetTextColor(dc, fontColour);
    ::TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
  }
};

Win32InfoOnTopView::Win32InfoOnTopView(Win32ApplicationWindow* application)
    : application_(application), resources_(std::make_unique<Resources>()) {
  resources_->faceEnglish.Reset(LoadBitmapFile("spmeter1.bmp"));
  resources_->faceOther.Reset(LoadBitmapFile("spmeterfor.bmp"));
  resources_->pauseOverlay.Reset(LoadBitmapFile("spmeter2.bmp"));
  buttons_[kOnOff] = {224, 26, 24};
  buttons_[kPractice] = {224, 55, 24};
  buttons_[kSetup] = {208, 76, 20};
  buttons_[kHide] = {208, 7, 20};

  WindowPlacement placement;
  placement.caption = "Raruru Ridaze Rivaruz ";
  placement.style = WS_POPUP | WS_CLIPCHILDREN;
  placement.exStyle = WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_LAYERED;
  placement.width = kClientWidth;
  placement.height = kClientHeight;
  placement.owner = reinterpret_cast<WindowHandle>(::GetDesktopWindow());
  CreateWindowOf({"TInfoOnTop", CS_DBLCLKS}, placement);
  SetAlpha(1);

  HDC screen = ::GetDC(hwnd(handle_));
  resources_->buffer.Create(screen, kClientWidth, kClientHeight);
  ::ReleaseDC(hwnd(handle_), screen);

  if (RequestCornerPreference(handle_, 2)) {
    roundedByWindowManager_ = true;
    buttons_[kOnOff] = {218, 38, 24};
    buttons_[kPractice] = {218, 71, 24};
    buttons_[kSetup] = {234, 4, 20};
    buttons_[kHide] = {208, 4, 20};
  } else {
    ::SetWindowRgn(hwnd(handle_), ::CreateRoundRectRgn(1, 1, kClientWidth - 1, kClientHeight - 1, 100, 100), TRUE);
  }
  Paint(nullptr);
  SetAlphaTimer(true);
}

Win32InfoOnTopView::~Win32InfoOnTopView() {
  // The window goes before the drawing resources it paints with.
  DestroyWindow();
}

bool Win32InfoOnTopView::FaceLoaded(bool english) const {
  return english ? static_cast<bool>(resources_->faceEnglish) : static_cast<bool>(resources_->faceOther);
}

bool Win32InfoOnTopView::PauseOverlayLoaded() const { return static_cast<bool>(resources_->pauseOverlay); }

TInfoOnTop* Win32InfoOnTopView::Widget() {
  if (attached_) return attached_;
  return findWidget ? findWidget() : nullptr;
}

void Win32InfoOnTopView::Show() {
  ::SetWindowPos(hwnd(handle_), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void Win32InfoOnTopView::Hide() { ::ShowWindow(hwnd(handle_), SW_HIDE); }

bool Win32InfoOnTopView::Visible() { return ::IsWindowVisible(hwnd(handle_)) != 0; }

void Win32InfoOnTopView::Redraw(const TInfoOnTop& widget) {
  Paint(&widget);
  CopyToScreen();
}

void Win32InfoOnTopView::Repaint() {
  ::InvalidateRect(hwnd(handle_), nullptr, FALSE);
  ::UpdateWindow(hwnd(handle_));
}

Rect Win32InfoOnTopView::Bounds() {
  RECT r{};
  ::GetWindowRect(hwnd(handle_), &r);
  return {r.left, r.top, r.right, r.bottom};
}

void Win32InfoOnTopView::SetPosition(int left, int top) {
  ::SetWindowPos(hwnd(handle_), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32InfoOnTopView::SetAlphaTimer(bool enabled) {
  if (enabled == alphaTimer_) return;
  alphaTimer_ = enabled;
  if (enabled) ::SetTimer(hwnd(handle_), kAlphaTimer, 10, nullptr);
  else ::KillTimer(hwnd(handle_), kAlphaTimer);
}

void Win32InfoOnTopView::SetAlphaOffTimer(bool enabled) {
  if (enabled == alphaOffTimer_) return;
  alphaOffTimer_ = enabled;
  if (enabled) ::SetTimer(hwnd(handle_), kAlphaOffTimer, 10, nullptr);
  else ::KillTimer(hwnd(handle_), kAlphaOffTimer);
}

void Win32InfoOnTopView::SetOnOffEnabled(bool enabled) {
  buttons_[kOnOff].enabled = enabled;
  PaintButtons();
  CopyToScreen();
}

void Win32InfoOnTopView::SetupButtonOrigin(int& x, int& y) {
  POINT p{buttons_[kSetup].left, buttons_[kSetup].top};
  ::ClientToScreen(hwnd(handle_), &p);
  x = p.x;
  y = p.y;
}

void Win32InfoOnTopView::SetAlpha(int alpha) {
  alpha_ = alpha < 0 ? 0 : alpha > 255 ? 255 : alpha;
  ::SetLayeredWindowAttributes(hwnd(handle_), 0, static_cast<BYTE>(alpha_), LWA_ALPHA);
}

// Fading: up to 150 (or to 250 and back down while launching), down to 69
// when typing stops.
void Win32InfoOnTopView::AlphaTimerTick() {
  SetAlphaOffTimer(false);
  TInfoOnTop* widget = Widget();
  const bool launching = widget && widget->Launching;
  if (launching) {
    if (alpha_ < 250) {
      SetAlpha(alpha_ + 1);
    } else {
      SetAlphaTimer(false);
      SetAlphaOffTimer(true);
    }
  } else if (alpha_ < 150) {
    SetAlpha(alpha_ + 1);
  } else {
    SetAlphaTimer(false);
  }
}

void Win32InfoOnTopView::AlphaOffTimerTick() {
  SetAlphaTimer(false);
  TInfoOnTop* widget = Widget();
  if (widget && widget->Launching) {
    if (alpha_ >= 150) {
      SetAlpha(alpha_ - 1);
    } else {
      SetAlphaOffTimer(false);
      widget->Launching = false;
    }
  } else if (alpha_ >= 70) {
    SetAlpha(alpha_ - 1);
  } else {
    SetAlphaOffTimer(false);
  }
}

void Win32InfoOnTopView::MouseEnter() {
  if (TInfoOnTop* widget = Widget()) widget->LastShownKey.clear();
  SetAlpha(250);
}

void Win32InfoOnTopView::MouseLeave() {
  hover_ = -1;
  PaintButtons();
  CopyToScreen();
  SetAlpha(128);
}

void Win32InfoOnTopView::FormMouseDown(bool right) {
  TInfoOnTop* widget = Widget();
  // A press on the paused widget activates monitoring first.
  if (widget && widget->Paused && widget->onOnOff) widget->onOnOff();
  if (!right) {
    ::ReleaseCapture();
    ::SendMessageA(hwnd(handle_), WM_SYSCOMMAND, 0xF012, 0);  // move by the caption: the system drags
  } else {
    ButtonClick(kSetup);
  }
  if ((widget = Widget())) widget->LastShownKey.clear();
}

bool Win32InfoOnTopView::PressResumes() {
  TInfoOnTop* widget = Widget();
  if (!widget || !widget->Paused) return false;
  // While paused any press activates monitoring, the greyed on/off button
  // included; the press ends there, so its release switches nothing off.
  if (widget->onOnOff) widget->onOnOff();
  widget->LastShownKey.clear();
  return true;
}

void Win32InfoOnTopView::ButtonClick(int button) {
  TInfoOnTop* widget = Widget();
  switch (button) {
    case kOnOff:
      if (widget && widget->onOnOff) widget->onOnOff();
      break;
    case kPractice:
      if (widget && widget->onPractice) widget->onPractice();
      break;
    case kSetup:
      if (widget && widget->onSetup) widget->onSetup();
      break;
    case kHide:
      if (widget) widget->ForceRepaint(10);
      if (application_) application_->Minimize();
      Hide();
      break;
    default:
      break;
  }
}

int Win32InfoOnTopView::ButtonAt(int x, int y) const {
  for (int i = 0; i < kButtonCount; ++i) {
    const Button& b = buttons_[i];
    if (x >= b.left && x < b.left + b.size && y >= b.top && y < b.top + b.size) return i;
  }
  return -1;
}

void Win32InfoOnTopView::Paint(const TInfoOnTop* widget) {
  Resources& r = *resources_;
  HDC dc = r.buffer.Dc();
  if (!dc) return;
  RECT all{0, 0, kClientWidth, kClientHeight};
  ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));

  const int saved = ::SaveDC(dc);
  ::IntersectClipRect(dc, 0, 0, kPaintBoxSize, kPaintBoxSize);
  const bool english = widget ? widget->EnglishFace : true;
  // Without its file the face stays plain black.
  if (HBITMAP face = english ? r.faceEnglish.Get() : r.faceOther.Get()) {
    HDC source = ::CreateCompatibleDC(dc);
    {
      SelectedObject selected(source, face);
      ::BitBlt(dc, 0, 0, BitmapWidth(face), BitmapHeight(face), source, 0, 0, SRCCOPY);
    }
    ::DeleteDC(source);
  }
  if (widget) {
    ::SetBkMode(dc, TRANSPARENT);
    if (widget->Paused) {
      if (HBITMAP overlay = r.pauseOverlay.Get()) {
        HDC source = ::CreateCompatibleDC(dc);
        {
          SelectedObject selected(source, overlay);
          ::BitBlt(dc, 0, 0, BitmapWidth(overlay), BitmapHeight(overlay), source, 0, 0, SRCCOPY);
        }
        ::DeleteDC(source);
      }
      r.fontColour = RGB(255, 255, 0);
      r.Text(109, 80, widget->StatusText);
    } else {
      int x = 0, y = 0;
      NeedleEnd(widget->NeedleSpeed, x, y);
      GdiObject<HPEN> pen(::CreatePen(PS_SOLID, 2, RGB(255, 0, 0)));
      SelectedObject selected(dc, pen.Get());
      ::MoveToEx(dc, 51, 50, nullptr);
      ::LineTo(dc, x, y);
    }
    r.fontColour = RGB(255, 255, 255);
    r.fontHeight = 14;
    r.fontName = "Segoe UI";
    if (!widget->EnglishFace) {
      r.fontBold = true;
      r.Text(95, 4, LangStr(1));
      r.fontHeight = 14;
      r.Text(99, 24, LangStr(658));
      r.Text(99, 42, LangStr(130));
      r.Text(99, 61, LangStr(116));
      r.fontBold = false;
    }
    r.Text(145, 24, widget->WordsText);
    r.Text(145, 42, widget->TimeText);
    r.Text(145, 61, widget->AverageSpeedText);
    r.fontHeight = 20;
    r.fontBold = true;
    r.Text(41, 56, widget->SpeedText);
    r.fontHeight = 16;
    r.fontColour = kGrey;
    if (widget->ShowStatusText) r.Text(109, 80, widget->StatusText);
  }
  ::RestoreDC(dc, saved);
  PaintButtons();
}

void Win32InfoOnTopView::PaintButtons() {
  HDC dc = resources_->buffer.Dc();
  if (!dc) return;
  for (int i = 0; i < kButtonCount; ++i) {
    const Button& b = buttons_[i];
    const bool down = pressed_ == i && hover_ == i;
    const COLORREF ink = b.enabled ? kLime : RGB(0x50, 0x50, 0x50);
    RECT area{b.left, b.top, b.left + b.size, b.top + b.size};
    ::FillRect(dc, &area, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    GdiObject<HPEN> frame(::CreatePen(PS_SOLID, 1, hover_ == i && b.enabled ? kLime : RGB(0x40, 0x40, 0x40)));
    {
      SelectedObject pen(dc, frame.Get());
      SelectedObject brush(dc, ::GetStockObject(NULL_BRUSH));
      ::Rectangle(dc, area.left, area.top, area.right, area.bottom);
    }
    const int shift = down ? 1 : 0;
    const int cx = b.left + b.size / 2 + shift, cy = b.top + b.size / 2 + shift;
    const int s = b.size;
    GdiObject<HPEN> glyph(::CreatePen(PS_SOLID, 2, ink));
    SelectedObject pen(dc, glyph.Get());
    SelectedObject brush(dc, ::GetStockObject(NULL_BRUSH));
    switch (i) {
      case kOnOff: {  // the power sign
        const int radius = s / 3;
        // Counter-clockwise from left of the top round to right of it: the
        // ring open at the top.
        ::Arc(dc, cx - radius, cy - radius + 1, cx + radius + 1, cy + radius + 2, cx - 3, cy - radius, cx + 3,
              cy - radius);
        ::MoveToEx(dc, cx, cy - radius - 1, nullptr);
        ::LineTo(dc, cx, cy + 1);
        break;
      }
      case kPractice: {  // a bar chart
        const int base = cy + s / 4 + 1;
        for (int bar = 0; bar < 3; ++bar) {
          const int x = cx - 5 + bar * 5;
          ::MoveToEx(dc, x, base, nullptr);
          ::LineTo(dc, x, base - 4 - bar * 3);
        }
        break;
      }
      case kSetup:  // a menu: three lines
        for (int line = -1; line <= 1; ++line) {
          ::MoveToEx(dc, cx - 5, cy + line * 4, nullptr);
          ::LineTo(dc, cx + 5, cy + line * 4);
        }
        break;
      case kHide:  // minimise
        ::MoveToEx(dc, cx - 5, cy + 4, nullptr);
        ::LineTo(dc, cx + 5, cy + 4);
        break;
      default:
        break;
    }
  }
}

void Win32InfoOnTopView::CopyToScreen() {
  if (!handle_ || !resources_->buffer.Dc()) return;
  HDC dc = ::GetDC(hwnd(handle_));
  ::BitBlt(dc, 0, 0, kClientWidth, kClientHeight, resources_->buffer.Dc(), 0, 0, SRCCOPY);
  ::ReleaseDC(hwnd(handle_), dc);
}

intptr_t Win32InfoOnTopView::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd(handle_), &ps);
      ::BitBlt(dc, 0, 0, kClientWidth, kClientHeight, resources_->buffer.Dc(), 0, 0, SRCCOPY);
      ::EndPaint(hwnd(handle_), &ps);
      DebugLog(3, "FormPaint1");
      if (TInfoOnTop* widget = Widget()) widget->ForceRepaint(100);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      if (TInfoOnTop* widget = Widget()) widget->ForceRepaint(10);
      break;
    case WM_TIMER:
      if (wParam == kAlphaTimer) AlphaTimerTick();
      else if (wParam == kAlphaOffTimer) AlphaOffTimerTick();
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_MOUSEMOVE: {
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, hwnd(handle_), 0};
        tracking_ = ::TrackMouseEvent(&track) != 0;
        MouseEnter();
      }
      const int over = ButtonAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      if (over != hover_) {
        hover_ = over;
        PaintButtons();
        CopyToScreen();
      }
      return 0;
    }
    case WM_MOUSELEAVE:
      tracking_ = false;
      MouseLeave();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const int button = ButtonAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam)));
      if (button >= 0 && PressResumes()) return 0;
      if (button >= 0) {
        pressed_ = hover_ = button;
        ::SetCapture(hwnd(handle_));
        PaintButtons();
        CopyToScreen();
      } else {
        FormMouseDown(false);
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      const int button = pressed_;
      if (button < 0) return 0;
      pressed_ = -1;
      ::ReleaseCapture();
      const bool inside = ButtonAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))) == button;
      PaintButtons();
      CopyToScreen();
      if (inside && buttons_[button].enabled) ButtonClick(button);
      return 0;
    }
    case WM_RBUTTONDOWN:
      if (ButtonAt(static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))) < 0) FormMouseDown(true);
      else PressResumes();
      return 0;
    case WM_CLOSE:
      // The widget is never closed, only hidden; its owner records where it
      // stood.
      if (TInfoOnTop* widget = Widget(); widget && widget->onClose) widget->onClose();
      return 0;
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace strevo
