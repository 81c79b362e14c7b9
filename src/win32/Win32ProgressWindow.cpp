#include "win32/Win32ProgressWindow.h"

#include <windows.h>
#include <commctrl.h>

#include <utility>
#include <vector>

#include "storage/LangRes.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32Gdi.h"
#include "win32/Win32Handles.h"

namespace strevo {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;

}  // namespace

struct Win32ProgressWindow::TextFont {
  GdiObject<HFONT> font;
};

Win32ProgressWindow::Win32ProgressWindow() = default;

// The window goes before the font its text uses.
Win32ProgressWindow::~Win32ProgressWindow() { DestroyWindow(); }

void Win32ProgressWindow::Create() {
  if (handle_) return;
  EnsureCommonControls();
  CreateWindowOf({"TMyMsgForm", 0, COLOR_WINDOW},
                 CentredPlacement("Quorvel", kStyle, WS_EX_TOOLWINDOW, kClientWidth, kClientHeight, 0));
  HINSTANCE module = reinterpret_cast<HINSTANCE>(ModuleInstance());
  const DpiScale s(dpi_);
  textFont_ = std::make_unique<TextFont>(TextFont{MakeFont("Arial", s(-16), true)});
  HWND text = ::CreateWindowExA(0, "STATIC", "Processing database, please wait...", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                s(22), s(8), s(270), s(20), ToHwnd(handle_), nullptr, module, nullptr);
  ::SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(textFont_->font.Get()), FALSE);
  HWND bar = ::CreateWindowExA(0, PROGRESS_CLASSA, "", WS_CHILD, s(22), s(30), s(257), s(13), ToHwnd(handle_), nullptr,
                               module, nullptr);
  text_ = FromHwnd(text);
  bar_ = FromHwnd(bar);
}

void Win32ProgressWindow::Show() {
  Create();
  ::SetWindowTextA(ToHwnd(handle_), LangStr(1).c_str());
  ::ShowWindow(ToHwnd(handle_), SW_SHOWNA);
  ::UpdateWindow(ToHwnd(handle_));
}

void Win32ProgressWindow::ShowProgress(int min, int max, const std::string& message, const std::string&, int position) {
  // The title is not used: the caption is the one Show gave.
  Create();
  if (!message.empty()) {
    ::SetWindowTextA(ToHwnd(text_), message.c_str());
    FitMessage(message);
  }
  ::SendMessageA(ToHwnd(bar_), PBM_SETRANGE32, min, max);
  ::SendMessageA(ToHwnd(bar_), PBM_SETPOS, position, 0);
  ::ShowWindow(ToHwnd(bar_), SW_SHOWNA);
  ::UpdateWindow(ToHwnd(handle_));
}

// The message is one line: a font a little smaller where the monitor's
// scale makes it wider than its place, never a second line out of sight.
void Win32ProgressWindow::FitMessage(const std::string& message) {
  HWND text = ToHwnd(text_);
  RECT place{};
  ::GetClientRect(text, &place);
  const int designHeight = -16;
  for (int height = DpiScale(dpi_)(designHeight); height < designHeight / 2; ++height) {
    GdiObject<HFONT> font = MakeFont("Arial", height, true);
    const WindowDc dc(text);
    SelectedObject selected(dc.Get(), font.Get());
    SIZE extent{};
    ::GetTextExtentPoint32A(dc.Get(), message.data(), static_cast<int>(message.size()), &extent);
    if (extent.cx > place.right) continue;
    ::SendMessageA(text, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
    textFont_->font = std::move(font);
    return;
  }
}

void Win32ProgressWindow::SetProgress(int position) {
  if (!handle_) return;
  ::SendMessageA(ToHwnd(bar_), PBM_SETPOS, position, 0);
  ::UpdateWindow(ToHwnd(bar_));
}

void Win32ProgressWindow::Hide() {
  if (!handle_) return;
  // Even work that stopped early leaves the bar full.
  if (::IsWindowVisible(ToHwnd(bar_))) ::SendMessageA(ToHwnd(bar_), PBM_SETPOS, Maximum(), 0);
  ::ShowWindow(ToHwnd(bar_), SW_HIDE);
  ::ShowWindow(ToHwnd(handle_), SW_HIDE);
}

bool Win32ProgressWindow::Visible() const { return handle_ && ::IsWindowVisible(ToHwnd(handle_)); }

bool Win32ProgressWindow::BarVisible() const { return bar_ && (::GetWindowLongPtrA(ToHwnd(bar_), GWL_STYLE) & WS_VISIBLE); }

int Win32ProgressWindow::Position() const {
  return bar_ ? static_cast<int>(::SendMessageA(ToHwnd(bar_), PBM_GETPOS, 0, 0)) : 0;
}

int Win32ProgressWindow::Minimum() const {
  return bar_ ? static_cast<int>(::SendMessageA(ToHwnd(bar_), PBM_GETRANGE, TRUE, 0)) : 0;
}

int Win32ProgressWindow::Maximum() const {
  return bar_ ? static_cast<int>(::SendMessageA(ToHwnd(bar_), PBM_GETRANGE, FALSE, 0)) : 0;
}

std::string Win32ProgressWindow::Message() const {
  if (!text_) return {};
  std::vector<char> buffer(static_cast<size_t>(::GetWindowTextLengthA(ToHwnd(text_))) + 1);
  const int n = ::GetWindowTextA(ToHwnd(text_), buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

intptr_t Win32ProgressWindow::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_CTLCOLORSTATIC:
      ::SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
      ::SetTextColor(reinterpret_cast<HDC>(wParam), RGB(0, 0, 0));
      return reinterpret_cast<intptr_t>(::GetStockObject(WHITE_BRUSH));
    case WM_CLOSE:
      return 0;  // it goes when the work is done
    case WM_DPICHANGED: {
      const int old = dpi_;
      dpi_ = HIWORD(wParam);
      GdiObject<HFONT> font = MakeFont("Arial", DpiScale(dpi_)(-16), true);
      ::SendMessageA(ToHwnd(text_), WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), TRUE);
      textFont_->font = std::move(font);
      RelayoutForDpi(ToHwnd(handle_), old, dpi_, *reinterpret_cast<const RECT*>(lParam));
      return 0;
    }
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace strevo
