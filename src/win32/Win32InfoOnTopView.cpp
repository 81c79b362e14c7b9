#include "win32/Win32InfoOnTopView.h"

#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <tuple>

#include "storage/DebugLog.h"
#include "storage/LangRes.h"
#include "ui/InfoOnTopWindow.h"
#include "ui/ScreenPlacement.h"
#include "ui/SpeedButton2.h"
#include "win32/Win32ApplicationWindow.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32Dwm.h"
#include "win32/Win32Gdi.h"
#include "win32/Win32SpeedButton.h"

namespace strevo {

namespace {

constexpr UINT_PTR kAlphaTimer = 1, kAlphaOffTimer = 2;
constexpr int kFaceWidth = 204;  // the face bitmap; the button strip continues its ground
constexpr COLORREF kGrey = RGB(0x80, 0x80, 0x80);
// The large speed figure stands under the needle's hub, between the
// dial's "0" and "120": three digits get a smaller font there.
constexpr int kHubX = 51, kSpeedTop = 56, kSpeedRoom = 28;
// The status line: under the figures, from their panel's left edge at
// most, up to the buttons beside it.
constexpr int kStatusLeft = 96, kStatusX = 109, kStatusTop = 80;
// The three rows: their labels start clear of the dial's rim, their figures
// at kFiguresX or, when a label of another language needs the room, further
// right as far as the widest figure still ends before the buttons.
constexpr int kRowTops[3] = {24, 42, 61};
constexpr int kLabelsX = 103, kFiguresX = 145;
constexpr int kRowHeight = 14, kSmallestLabel = 12;
constexpr const char* kWidestFigure = "00:00:00";

}  // namespace

// The drawing state. The font stays as the last redraw left it, so that the
// figures are drawn in the same font the meter always used (bold from the
// second redraw on with the English face).
struct Win32InfoOnTopView::Resources {
  GdiObject<HBITMAP> faceEnglish, faceOther, pauseOverlay;
  COLORREF overlayGround = 0;  // the overlay's ground shows the face through
  GdiObject<HPEN> needle{::CreatePen(PS_SOLID, 2, RGB(255, 0, 0))};
  MemoryDc source{::CreateCompatibleDC(nullptr)};  // for the bitmaps
  HDC dc = nullptr;                                // the picture being drawn
  std::map<std::tuple<std::string, int, bool>, GdiObject<HFONT>> fonts;
  std::string fontName = "Tahoma";
  int fontHeight = -11;
  bool fontBold = false;
  COLORREF fontColour = RGB(0, 0, 0);

  HFONT Font(int height) {
    auto key = std::make_tuple(fontName, height, fontBold);
    auto found = fonts.find(key);
    if (found == fonts.end())
      found = fonts.emplace(key, MakeFont(fontName.c_str(), height, fontBold)).first;
    return found->second.Get();
  }
  void Text(int x, int y, const std::string& text, int height = 0) {
    SelectedObject font(dc, Font(height ? height : fontHeight));
    ::SetTextColor(dc, fontColour);
    ::TextOutA(dc, x, y, text.data(), static_cast<int>(text.size()));
  }
  int TextWidth(const std::string& text, int height) {
    SelectedObject font(dc, Font(height));
    SIZE size{};
    ::GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    return size.cx;
  }
  // The font's height, or up to steps times two pixels smaller until the
  // text fits into room (the smallest tried when nothing fits).
  int FittingHeight(const std::string& text, int room, int steps) {
    int height = fontHeight;
    for (int step = 0; step < steps && TextWidth(text, height) > room; ++step)
      height = height < 0 ? height + 2 : height - 2;
    return height;
  }
};

Win32InfoOnTopView::Win32InfoOnTopView(Win32ApplicationWindow* application)
    : application_(application), resources_(std::make_unique<Resources>()) {
  Resources& r = *resources_;
  r.faceEnglish = LoadBitmapFile("spmeter1.bmp");
  r.faceOther = LoadBitmapFile("spmeterfor.bmp");
  r.pauseOverlay = LoadBitmapFile("spmeter2.bmp");
  if (r.pauseOverlay) {
    SelectedObject selected(r.source.Get(), r.pauseOverlay.Get());
    r.overlayGround = ::GetPixel(r.source.Get(), 0, 0);
  }

  WindowPlacement placement;
  placement.caption = "Raruru Ridaze Rivaruz ";
  placement.style = WS_POPUP | WS_CLIPCHILDREN;
  placement.exStyle = WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_LAYERED;
  const DpiScale scale(SystemDpi());
  placement.width = scale(kClientWidth);
  placement.height = scale(kClientHeight);
  placement.owner = FromHwnd(::GetDesktopWindow());
  CreateWindowOf({"TInfoOnTop", CS_DBLCLKS}, placement);
  SetAlpha(1);

  roundedByWindowManager_ = RequestCornerPreference(handle_, 2);
  FitToDpi(nullptr);
  CreateButtons();
  Paint(nullptr);
  SetAlphaTimer(true);
}

Win32InfoOnTopView::~Win32InfoOnTopView() {
  // The window goes before the drawing resources it paints with.
  DestroyWindow();
}

// The window's size and rounded region at its monitor's DPI; moved to the
// system's suggestion when given.
void Win32InfoOnTopView::FitToDpi(const void* suggestedRect) {
  const RECT* suggested = static_cast<const RECT*>(suggestedRect);
  HWND window = ToHwnd(handle_);
  const DpiScale s(dpi_);
  if (suggested) {
    ::SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    ::SetWindowPos(window, nullptr, 0, 0, s(kClientWidth), s(kClientHeight), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!roundedByWindowManager_)
    ::SetWindowRgn(window, ::CreateRoundRectRgn(s(1), s(1), s(kClientWidth - 1), s(kClientHeight - 1), s(100), s(100)),
                   TRUE);
}

void Win32InfoOnTopView::KeepOnScreen() {
  const Rect now = Bounds();
  const Rect kept = strevo::KeepOnScreen(now, MonitorWorkAreas());
  if (kept.left != now.left || kept.top != now.top)
    ::SetWindowPos(ToHwnd(handle_), nullptr, kept.left, kept.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32InfoOnTopView::CreateButtons() {
  buttons_ = std::make_unique<Win32SpeedButtons>(handle_, kClientWidth, kClientHeight);
  TButtonParent& parent = buttons_->Parent();
  CreateWidgetButtons(parent, roundedByWindowManager_);
  TSpeedButton2& onOff = buttons_->Button(WidgetButtonName(WidgetButton::OnOff));
  onOff.SetPicture(ButtonPicture("onoff"));
  onOff.SetPictureHover(ButtonPicture("onoff-hover"));
  onOff.SetPictureDisabled(ButtonPicture("onoff-disabled"));
  onOff.OnClick = [this] {
    if (TInfoOnTop* widget = Widget(); widget && widget->onOnOff) widget->onOnOff();
  };
  TSpeedButton2& practice = buttons_->Button(WidgetButtonName(WidgetButton::Practice));
  practice.SetPicture(ButtonPicture("practice"));
  practice.OnClick = [this] {
    if (TInfoOnTop* widget = Widget(); widget && widget->onPractice) widget->onPractice();
  };
  TSpeedButton2& setup = buttons_->Button(WidgetButtonName(WidgetButton::Setup));
  setup.SetPicture(ButtonPicture("setup"));
  setup.OnClick = [this] {
    if (TInfoOnTop* widget = Widget(); widget && widget->onSetup) widget->onSetup();
  };
  TSpeedButton2& hide = buttons_->Button(WidgetButtonName(WidgetButton::Hide));
  hide.SetPicture(ButtonPicture("hide"));
  hide.SetPictureHover(ButtonPicture("hide-hover"));
  hide.OnClick = [this] { HideClick(); };
  buttons_->UpdateHints();
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
  ::SetWindowPos(ToHwnd(handle_), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void Win32InfoOnTopView::Hide() { ::ShowWindow(ToHwnd(handle_), SW_HIDE); }

bool Win32InfoOnTopView::Visible() { return ::IsWindowVisible(ToHwnd(handle_)) != 0; }

void Win32InfoOnTopView::Redraw(const TInfoOnTop& widget) {
  Paint(&widget);
  buttons_->Compose();
}

void Win32InfoOnTopView::Repaint() {
  ::InvalidateRect(ToHwnd(handle_), nullptr, FALSE);
  ::UpdateWindow(ToHwnd(handle_));
}

Rect Win32InfoOnTopView::Bounds() {
  RECT r{};
  ::GetWindowRect(ToHwnd(handle_), &r);
  return {r.left, r.top, r.right, r.bottom};
}

void Win32InfoOnTopView::SetPosition(int left, int top) {
  ::SetWindowPos(ToHwnd(handle_), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // A position stored under another screen layout may be on no monitor now.
  KeepOnScreen();
}

void Win32InfoOnTopView::SetAlphaTimer(bool enabled) {
  if (enabled == alphaTimer_) return;
  alphaTimer_ = enabled;
  if (enabled) ::SetTimer(ToHwnd(handle_), kAlphaTimer, 10, nullptr);
  else ::KillTimer(ToHwnd(handle_), kAlphaTimer);
}

void Win32InfoOnTopView::SetAlphaOffTimer(bool enabled) {
  if (enabled == alphaOffTimer_) return;
  alphaOffTimer_ = enabled;
  if (enabled) ::SetTimer(ToHwnd(handle_), kAlphaOffTimer, 10, nullptr);
  else ::KillTimer(ToHwnd(handle_), kAlphaOffTimer);
}

void Win32InfoOnTopView::SetOnOffEnabled(bool enabled) {
  buttons_->Button(WidgetButtonName(WidgetButton::OnOff)).SetEnabled(enabled);
}

void Win32InfoOnTopView::SetupButtonOrigin(int& x, int& y) {
  const Rect place = DpiScale(dpi_)(buttons_->Button(WidgetButtonName(WidgetButton::Setup)).Bounds());
  POINT p{place.left, place.top};
  ::ClientToScreen(ToHwnd(handle_), &p);
  x = p.x;
  y = p.y;
}

void Win32InfoOnTopView::SetAlpha(int alpha) {
  alpha_ = alpha < 0 ? 0 : alpha > 255 ? 255 : alpha;
  ::SetLayeredWindowAttributes(ToHwnd(handle_), 0, static_cast<BYTE>(alpha_), LWA_ALPHA);
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
      widget->Changed();
    }
  } else if (alpha_ >= 70) {
    SetAlpha(alpha_ - 1);
  } else {
    SetAlphaOffTimer(false);
  }
}

void Win32InfoOnTopView::MouseEnter() {
  if (TInfoOnTop* widget = Widget()) widget->RedrawNext();
  SetAlpha(250);
}

void Win32InfoOnTopView::MouseLeave() {
  SetAlpha(128);
  // Back to the resting alpha at the next refresh, as after typing.
  if (TInfoOnTop* widget = Widget()) widget->Changed();
}

void Win32InfoOnTopView::FormMouseDown(bool right) {
  TInfoOnTop* widget = Widget();
  // A press on the paused widget activates monitoring first.
  if (widget && widget->Paused && widget->onOnOff) widget->onOnOff();
  if (!right) {
    ::ReleaseCapture();
    ::SendMessageA(ToHwnd(handle_), WM_SYSCOMMAND, 0xF012, 0);  // move by the caption: the system drags
  } else {
    buttons_->Button(WidgetButtonName(WidgetButton::Setup)).Click();
  }
  if ((widget = Widget())) widget->RedrawNext();
}

bool Win32InfoOnTopView::PressResumes() {
  TInfoOnTop* widget = Widget();
  if (!widget || !widget->Paused) return false;
  // While paused any press activates monitoring, the greyed on/off button
  // included; the press ends there, so its release switches nothing off.
  if (widget->onOnOff) widget->onOnOff();
  widget->RedrawNext();
  return true;
}

void Win32InfoOnTopView::HideClick() {
  if (TInfoOnTop* widget = Widget()) widget->ForceRepaint(10);
  if (application_) application_->Minimize();
  Hide();
}

void Win32InfoOnTopView::DrawFace(const TInfoOnTop* widget) {
  Resources& r = *resources_;
  const bool english = widget ? widget->EnglishFace : true;
  HBITMAP face = english ? r.faceEnglish.Get() : r.faceOther.Get();
  RECT all{0, 0, kClientWidth, kClientHeight};
  // Without its file the face stays plain black.
  ::FillRect(r.dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  if (!face) return;
  SelectedObject selected(r.source.Get(), face);
  const int width = std::min(BitmapWidth(face), kFaceWidth);
  const int height = std::min(BitmapHeight(face), kClientHeight);
  ::BitBlt(r.dc, 0, 0, width, height, r.source.Get(), 0, 0, SRCCOPY);
  // The button strip continues the face's last column, so no seam shows.
  ::StretchBlt(r.dc, width, 0, kClientWidth - width, height, r.source.Get(), width - 1, 0, 1, height, SRCCOPY);
}

void Win32InfoOnTopView::DrawSpeed(const std::string& speed) {
  if (speed.empty()) return;
  Resources& r = *resources_;
  const int height = r.FittingHeight(speed, kSpeedRoom, 2);
  r.Text(kHubX - r.TextWidth(speed, height) / 2, kSpeedTop + std::abs(r.fontHeight) - std::abs(height), speed, height);
}

int Win32InfoOnTopView::ButtonsRight(int top, int bottom) const {
  int right = kClientWidth - 4;
  for (const auto& button : buttons_->Parent().Buttons()) {
    const Rect place = button->Bounds();
    if (button->Visible() && place.top < bottom && place.bottom > top) right = std::min(right, place.left - 3);
  }
  return right;
}

// A text that does not fit gets a smaller font (at most steps times two
// pixels smaller), and is cut with an ellipsis only when that is not enough.
void Win32InfoOnTopView::DrawFitted(int x, int y, const std::string& text, int right, int steps) {
  if (text.empty()) return;
  Resources& r = *resources_;
  const int height = r.FittingHeight(text, right - x, steps);
  y += (std::abs(r.fontHeight) - std::abs(height)) / 2;
  if (r.TextWidth(text, height) <= right - x) {
    r.Text(x, y, text, height);
    return;
  }
  SelectedObject font(r.dc, r.Font(height));
  ::SetTextColor(r.dc, r.fontColour);
  RECT box{x, y, right, kClientHeight};
  ::DrawTextA(r.dc, text.data(), static_cast<int>(text.size()), &box,
              DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
}

// The labels of a face without them: as large as the figures, or one step
// smaller and never less (a longer one is cut). Returns where the figures
// go: right of the longest label, as far as the buttons leave the room.
int Win32InfoOnTopView::DrawRowLabels(const std::array<std::string, 3>& labels) {
  Resources& r = *resources_;
  int needed = 0;
  for (const std::string& label : labels) needed = std::max(needed, r.TextWidth(label, kRowHeight));
  int furthest = kClientWidth;
  const int figureWidth = r.TextWidth(kWidestFigure, kRowHeight);
  for (int top : kRowTops) furthest = std::min(furthest, ButtonsRight(top, top + kRowHeight) - figureWidth);
  const int figuresX = std::clamp(kLabelsX + needed + 2, kFiguresX, std::max(kFiguresX, furthest));
  for (size_t row = 0; row < labels.size(); ++row)
    DrawFitted(kLabelsX, kRowTops[row], labels[row], figuresX - 2, (kRowHeight - kSmallestLabel) / 2);
  return figuresX;
}

// The status line keeps its place while it fits; a longer one starts
// further left, as far as the figures' panel, before it gets smaller.
void Win32InfoOnTopView::DrawStatus(const std::string& status) {
  if (status.empty()) return;
  Resources& r = *resources_;
  const int right = ButtonsRight(kStatusTop, kStatusTop + std::abs(r.fontHeight));
  const int width = r.TextWidth(status, r.fontHeight);
  DrawFitted(std::max(kStatusLeft, std::min(kStatusX, right - width)), kStatusTop, status, right, 3);
}

void Win32InfoOnTopView::Paint(const TInfoOnTop* widget) {
  Resources& r = *resources_;
  r.dc = static_cast<HDC>(buttons_->Background());
  if (!r.dc) return;
  ++paints_;
  DrawFace(widget);
  if (!widget) return;
  ::SetBkMode(r.dc, TRANSPARENT);
  if (widget->Paused) {
    if (HBITMAP overlay = r.pauseOverlay.Get()) {
      // Only the dimmed dial: the overlay's ground lets the labels beside
      // it show.
      SelectedObject selected(r.source.Get(), overlay);
      ::TransparentBlt(r.dc, 0, 0, BitmapWidth(overlay), BitmapHeight(overlay), r.source.Get(), 0, 0,
                       BitmapWidth(overlay), BitmapHeight(overlay), r.overlayGround);
    }
    r.fontColour = RGB(255, 255, 0);
    DrawStatus(widget->StatusText);
  } else {
    int x = 0, y = 0;
    NeedleEnd(widget->NeedleSpeed, x, y);
    SelectedObject pen(r.dc, r.needle.Get());
    ::MoveToEx(r.dc, kHubX, 50, nullptr);
    ::LineTo(r.dc, x, y);
  }
  r.fontColour = RGB(255, 255, 255);
  r.fontHeight = 14;
  r.fontName = "Segoe UI";
  int figuresX = kFiguresX;
  if (!widget->EnglishFace) {
    r.fontBold = true;
    DrawFitted(95, 4, LangStr(1), ButtonsRight(4, 4 + r.fontHeight), 3);
    r.fontHeight = kRowHeight;
    r.fontBold = false;
    figuresX = DrawRowLabels({LangStr(658), LangStr(130), LangStr(116)});
  }
  r.Text(figuresX, kRowTops[0], widget->WordsText);
  r.Text(figuresX, kRowTops[1], widget->TimeText);
  r.Text(figuresX, kRowTops[2], widget->AverageSpeedText);
  r.fontHeight = 20;
  r.fontBold = true;
  DrawSpeed(widget->SpeedText);
  r.fontHeight = 16;
  r.fontColour = kGrey;
  // Paused, the line was drawn in yellow already.
  if (widget->ShowStatusText && !widget->Paused) DrawStatus(widget->StatusText);
}

intptr_t Win32InfoOnTopView::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  if (!buttons_) return DefaultProc(message, wParam, lParam);
  const DpiScale scale(dpi_);
  const int x = scale.Units(static_cast<short>(LOWORD(lParam))), y = scale.Units(static_cast<short>(HIWORD(lParam)));
  intptr_t result = 0;
  switch (message) {
    case WM_PAINT:
      buttons_->Message(message, wParam, lParam, result);
      DebugLog(3, "FormPaint1");
      if (TInfoOnTop* widget = Widget()) widget->ForceRepaint(100);
      return 0;
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
    case WM_MOUSEMOVE:
      if (!tracking_) {
        TRACKMOUSEEVENT track{sizeof(TRACKMOUSEEVENT), TME_LEAVE, ToHwnd(handle_), 0};
        tracking_ = ::TrackMouseEvent(&track) != 0;
        MouseEnter();
      }
      buttons_->Message(message, wParam, lParam, result);
      return 0;
    case WM_MOUSELEAVE:
      tracking_ = false;
      buttons_->Message(message, wParam, lParam, result);
      MouseLeave();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (buttons_->Parent().ButtonAt(x, y, true) && PressResumes()) return 0;
      if (buttons_->Message(message, wParam, lParam, result)) return result;
      FormMouseDown(false);
      return 0;
    case WM_LBUTTONUP:
      buttons_->Message(message, wParam, lParam, result);
      return 0;
    case WM_RBUTTONDOWN:
      if (buttons_->Parent().ButtonAt(x, y, true)) PressResumes();
      else FormMouseDown(true);
      return 0;
    case WM_CAPTURECHANGED:
      buttons_->Message(message, wParam, lParam, result);
      break;
    case WM_DPICHANGED:
      dpi_ = HIWORD(wParam);
      FitToDpi(reinterpret_cast<const RECT*>(lParam));
      buttons_->SetDpi(dpi_);
      Paint(Widget());
      buttons_->Compose();
      if (TInfoOnTop* widget = Widget()) widget->ForceRepaint(10);
      return 0;
    case WM_DISPLAYCHANGE:
      // A monitor unplugged or a resolution made smaller: the widget comes
      // back onto the screen.
      KeepOnScreen();
      break;
    case WM_SETTINGCHANGE:
      if (wParam == SPI_SETWORKAREA) KeepOnScreen();
      break;
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
