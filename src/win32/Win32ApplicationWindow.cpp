#include "win32/Win32ApplicationWindow.h"

#include <windows.h>

#include <vector>

#include "platform/Application.h"
#include "win32/Win32Handles.h"

namespace strevo {

namespace {

}  // namespace

Win32ApplicationWindow::Win32ApplicationWindow(const std::string& caption) {
  // No client area at all: the window exists for its caption, its messages
  // and its taskbar button, never to be seen.
  WindowPlacement placement;
  placement.caption = caption;
  placement.style = WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX;
  placement.exStyle = WS_EX_TOOLWINDOW;
  placement.left = ::GetSystemMetrics(SM_CXSCREEN) / 2;
  placement.top = ::GetSystemMetrics(SM_CYSCREEN) / 2;
  CreateWindowOf({"StrevoApplication"}, placement);
  // Told when the session is unlocked (the system may have removed the
  // hooks while it was locked); where the service is missing, resuming
  // from sleep is still told.
  if (HMODULE wts = ::LoadLibraryA("wtsapi32.dll")) {
    using Register = BOOL(WINAPI*)(HWND, DWORD);
    if (auto reg = reinterpret_cast<Register>(
            reinterpret_cast<void*>(::GetProcAddress(wts, "WTSRegisterSessionNotification"))))
      reg(ToHwnd(handle_), 0 /* NOTIFY_FOR_THIS_SESSION */);
  }
}

void Win32ApplicationWindow::MakeTopmost() {
  ::SetWindowPos(ToHwnd(handle_), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOREDRAW | SWP_NOACTIVATE);
}

void Win32ApplicationWindow::HideToolWindow() {
  ::ShowWindow(ToHwnd(handle_), SW_HIDE);
  const LONG_PTR ex = ::GetWindowLongPtrA(ToHwnd(handle_), GWL_EXSTYLE);
  ::SetWindowLongPtrA(ToHwnd(handle_), GWL_EXSTYLE, (ex & ~static_cast<LONG_PTR>(WS_EX_APPWINDOW)) | WS_EX_TOOLWINDOW);
}

void Win32ApplicationWindow::Minimize() {
  const LONG_PTR ex = ::GetWindowLongPtrA(ToHwnd(handle_), GWL_EXSTYLE);
  ::SetWindowLongPtrA(ToHwnd(handle_), GWL_EXSTYLE, (ex & ~static_cast<LONG_PTR>(WS_EX_TOOLWINDOW)) | WS_EX_APPWINDOW);
  ::ShowWindow(ToHwnd(handle_), SW_SHOWMINNOACTIVE);
}

void Win32ApplicationWindow::Restore() {
  if (::IsIconic(ToHwnd(handle_))) ::ShowWindow(ToHwnd(handle_), SW_RESTORE);
  ::ShowWindow(ToHwnd(handle_), SW_HIDE);
}

bool Win32ApplicationWindow::Minimized() { return ::IsIconic(ToHwnd(handle_)) != 0; }

WindowHandle Win32ApplicationWindow::FindPreviousWindow() {
  // The window directly below the application window is passed over.
  HWND window = ::GetWindow(ToHwnd(handle_), GW_HWNDNEXT);
  for (int step = 0; window && step < 1000; ++step) {
    window = ::GetWindow(window, GW_HWNDNEXT);
    if (!window) break;
    if (::GetWindowTextLengthA(window) > 0 && ::IsWindowVisible(window)) break;
  }
  return FromHwnd(window);
}

bool Win32ApplicationWindow::WorkArea(Rect& area) {
  RECT r;
  if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0)) return false;
  area = {r.left, r.top, r.right, r.bottom};
  return true;
}

bool Win32ApplicationWindow::CursorPos(int& x, int& y) {
  POINT p;
  if (!::GetCursorPos(&p)) return false;
  x = p.x;
  y = p.y;
  return true;
}

void Win32ApplicationWindow::SetCaption(const std::string& caption) {
  ::SetWindowTextA(ToHwnd(handle_), caption.c_str());
}

std::string Win32ApplicationWindow::Caption() {
  std::vector<char> buffer(static_cast<size_t>(::GetWindowTextLengthA(ToHwnd(handle_))) + 1);
  const int n = ::GetWindowTextA(ToHwnd(handle_), buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

intptr_t Win32ApplicationWindow::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_RESTORE && sentHook) {
        bool handled = false;
        sentHook(PostedMessage{handle_, message, SC_RESTORE, lParam, static_cast<uint32_t>(::GetMessageTime())},
                 handled);
        if (handled) return 0;
      }
      break;
    case WM_CLOSE:
      // Closing the taskbar button ends the program the orderly way.
      Application().Terminate();
      return 0;
    case WM_ACTIVATEAPP:
      // The program lost the activation to another application.
      if (!wParam && onDeactivate) onDeactivate();
      break;
    case WM_ENDSESSION:
      if (wParam && onEndSession) onEndSession();
      return 0;
    case WM_POWERBROADCAST:
      if (wParam == PBT_APMRESUMEAUTOMATIC && onWake) onWake("resumed");
      return TRUE;
    case WM_WTSSESSION_CHANGE:
      if (wParam == WTS_SESSION_UNLOCK && onWake) onWake("session unlocked");
      return 0;
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace strevo
