#include "win32/Win32MessageLoop.h"

#include <windows.h>

#include "platform/Application.h"
#include "win32/Win32Handles.h"

namespace strevo {

bool Win32MessageLoop::HandleOne(const Hook& hook) {
  hook_ = hook;
  // The main loop ends at the quit request and keeps it.
  return TakeOne(true, hook_, nullptr, false);
}

Win32MessageLoop::Hook Win32MessageLoop::CurrentHook() const { return hook_ ? hook_ : fallbackHook; }

bool Win32MessageLoop::TakeOne(bool wait, const Hook& hook, const Preview& preview, bool repostQuit) {
  MSG msg;
  if (wait) {
    const BOOL result = ::GetMessageA(&msg, nullptr, 0, 0);
    if (result == 0) {
      // Put the request back so that every loop up to the main one ends.
      if (repostQuit) ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    if (result == -1) return false;
  } else {
    if (!::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return true;
    if (msg.message == WM_QUIT) {
      if (repostQuit) ::PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
  }
  ++handled;
  const PostedMessage posted{FromHwnd(msg.hwnd), msg.message, msg.wParam, msg.lParam,
                             static_cast<uint32_t>(msg.time)};
  bool done = false;
  if (hook) hook(posted, done);
  if (!done && preview) done = preview(posted);
  if (!done) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return true;
}

void Win32MessageLoop::ProcessMessages() {
  const Hook hook = CurrentHook();
  MSG peek;
  while (::PeekMessageA(&peek, nullptr, 0, 0, PM_NOREMOVE)) {
    if (!TakeOne(false, hook, nullptr, true)) return;
  }
}

bool Win32MessageLoop::RunModal(const std::function<bool()>& finished, const Preview& preview) {
  while (!finished()) {
    if (Application().Terminated()) return false;
    if (!TakeOne(true, CurrentHook(), preview, true)) return false;
  }
  return true;
}

}  // namespace strevo
