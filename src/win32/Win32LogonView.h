// The logon window: a borderless white window with the product name in its
// header, the prompt, the user-name combo box, the "New user" and "View
// existing users" links, the OK and Cancel buttons and the "Don't show this
// window again" check box. The links, the two buttons and the close button
// are skinned buttons. TLogForm decides what it shows and what each button
// does; the window reports the person's actions to it.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/Forms.h"
#include "win32/Win32ModalWindow.h"

namespace strevo {

class Win32SpeedButtons;

class Win32LogonView : public ILogonView, private Win32ModalWindow {
 public:
  explicit Win32LogonView(Win32MessageLoop& loop, WindowHandle owner);
  ~Win32LogonView() override;

  ModalResult ShowModal(TLogForm& form) override;
  bool Showing() override { return ModalShowing(); }
  void EndModal(ModalResult result) override;

  using Win32ModalWindow::Handle;
  // The controls, for tests and screenshots: the window's own ones; the
  // buttons are in Buttons().
  WindowHandle Control(const std::string& name) const;
  Win32SpeedButtons& Buttons() { return *buttons_; }

  static constexpr int kClientWidth = 443, kClientHeight = 290;

 private:
  struct Resources;
  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  bool KeyPressed(int key) override;
  void DpiChanged() override;
  void SetFonts(bool redraw);
  bool AltKey(int key) override;
  void CreateButtons();
  void Click(const std::string& control);
  // Runs a handler of the form (true: the window closes with the form's
  // result).
  bool RunHandler(const std::function<bool()>& handler);
  // The form's state into the controls, and the person's entries back.
  void Load();
  void Pull();
  void DrawBackground();

  TLogForm* form_ = nullptr;
  std::unique_ptr<Resources> resources_;
  std::unique_ptr<Win32SpeedButtons> buttons_;
  std::string productName_;
  bool roundedByRegion_ = false;  // else the window manager rounds the corners
};

}  // namespace strevo
