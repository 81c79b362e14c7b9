// The application's hidden window. Its caption is the application title,
// by which the hooks, the tutor and a second copy find the running program;
// it owns the program's dialogs and, while the widget is minimised, carries
// the taskbar button.
#pragma once

#include <functional>
#include <string>

#include "ui/Forms.h"
#include "win32/Win32Window.h"

namespace strevo {

class Win32ApplicationWindow : public IApplicationWindow, private Win32Window {
 public:
  explicit Win32ApplicationWindow(const std::string& caption);

  WindowHandle Handle() override { return handle_; }
  void MakeTopmost() override;
  void HideToolWindow() override;
  void Minimize() override;
  void Restore() override;
  WindowHandle FindPreviousWindow() override;
  bool WorkArea(Rect& area) override;
  bool CursorPos(int& x, int& y) override;

  void SetCaption(const std::string& caption);
  std::string Caption();
  bool Minimized();

  // The hook of the main loop, for the messages the system sends instead of
  // posting (the restore command from the taskbar button).
  std::function<void(const PostedMessage&, bool& handled)> sentHook;
  // The Windows session ends: the process is ended as soon as the answer is
  // given, so what must be saved is saved here.
  std::function<void()> onEndSession;

 private:
  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
};

}  // namespace strevo
