#include "win32/Win32ModalWindow.h"

#include <windows.h>

#include "win32/Win32Dpi.h"
#include "win32/Win32Gdi.h"
#include "win32/Win32MessageLoop.h"

namespace strevo {

namespace {

bool Inside(HWND window, HWND target) { return target == window || ::IsChild(window, target); }

// An open combo box list keeps Enter and Escape for itself.
bool ComboListOpen(HWND target) {
  for (HWND w = target; w; w = ::GetParent(w)) {
    char name[32] = {};
    ::GetClassNameA(w, name, sizeof name);
    if (lstrcmpiA(name, "ComboBox") == 0) return ::SendMessageA(w, CB_GETDROPPEDSTATE, 0, 0) != 0;
    if (!(::GetWindowLongPtrA(w, GWL_STYLE) & WS_CHILD)) break;
  }
  return false;
}

}  // namespace

void Win32ModalWindow::EndModalWith(ModalResult result) {
  if (!showing_) return;
  result_ = result;
  done_ = true;
  // Wakes the modal loop when it waits for a message.
  ::PostMessageA(ToHwnd(handle_), WM_NULL, 0, 0);
}

ModalResult Win32ModalWindow::RunModal(WindowHandle focus) {
  HWND window = ToHwnd(handle_);
  const Win32MessageLoop::Preview preview = [this, window](const PostedMessage& m) {
    HWND target = ToHwnd(m.window);
    if (!target || !Inside(window, target)) return false;
    if (m.message == WM_KEYDOWN && (m.wParam == VK_RETURN || m.wParam == VK_ESCAPE) && !ComboListOpen(target))
      return KeyPressed(static_cast<int>(m.wParam));
    if (m.message == WM_SYSCHAR && AltKey(static_cast<int>(m.wParam))) return true;
    MSG msg = ToMsg(m.window, m.message, m.wParam, m.lParam, m.time);
    return ::IsDialogMessageA(window, &msg) != 0;
  };
  if (showing_) {
    // Asked for again while it is up (an ENABLE arriving during the logon):
    // the second caller waits for the window that shows and shares its
    // answer.
    ::SetForegroundWindow(window);
    return loop_.RunModal([this] { return done_; }, preview) ? result_ : ModalResult::Cancel;
  }

  showing_ = true;
  done_ = false;
  result_ = ModalResult::None;
  // Whatever ends the loop, an error included, the window goes and the
  // others come back.
  struct Showing {
    Win32ModalWindow& self;
    ModalDisabler disabler;
    ~Showing() {
      // Enable the others before hiding, so that the system activates one
      // of them and not some other program's window.
      disabler.Restore();
      ::ShowWindow(ToHwnd(self.handle_), SW_HIDE);
      self.showing_ = false;
    }
  } showing{*this, ModalDisabler(window)};
  ::ShowWindow(window, SW_SHOW);
  ::SetForegroundWindow(window);
  if (focus) ::SetFocus(ToHwnd(focus));
  if (!loop_.RunModal([this] { return done_; }, preview)) result_ = ModalResult::Cancel;
  return result_;
}

intptr_t Win32ModalWindow::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_CLOSE:
      EndModalWith(ModalResult::Cancel);
      return 0;
    case WM_DPICHANGED: {
      const int old = dpi_;
      dpi_ = HIWORD(wParam);
      RelayoutForDpi(ToHwnd(handle_), old, dpi_, *reinterpret_cast<const RECT*>(lParam));
      DpiChanged();
      return 0;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (whiteBackground_) {
        ::SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
        return reinterpret_cast<intptr_t>(::GetStockObject(WHITE_BRUSH));
      }
      break;
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace strevo
