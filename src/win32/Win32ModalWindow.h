// What the program's modal windows share: the modal loop through the main
// loop's hook, the other windows of the program disabled meanwhile, the end
// by a button, by a key or from outside (EndModal), and cancel when the
// application ends while the window is up.
#pragma once

#include <cstdint>

#include "ui/Forms.h"
#include "win32/Win32Window.h"

namespace strevo {

class Win32MessageLoop;

class Win32ModalWindow : protected Win32Window {
 public:
  bool ModalShowing() const { return showing_; }
  // Closes the showing window with a result; nothing when it is not up.
  void EndModalWith(ModalResult result);
  WindowHandle Handle() const { return handle_; }

 protected:
  explicit Win32ModalWindow(Win32MessageLoop& loop) : loop_(loop) {}
  // Shows the window, runs the modal loop and hides it again. The result of
  // EndModalWith, or cancel when the application ended meanwhile.
  ModalResult RunModal(WindowHandle focus);
  // Enter (13) and Escape (27) pressed inside the window; true when the key
  // was used. Tab, the arrows and the space go to the dialog navigation.
  virtual bool KeyPressed(int key) = 0;
  // Alt with a key inside the window, for the accelerators of its skinned
  // buttons; true when the key was used.
  virtual bool AltKey(int) { return false; }
  // Closing by the system (Alt+F4, the close box) cancels.
  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  // After the window and its standard controls were laid out for a
  // monitor of another DPI: the window's own fonts and drawing follow.
  virtual void DpiChanged() {}
  // Static texts and check boxes drawn on white.
  bool whiteBackground_ = false;

 private:
  Win32MessageLoop& loop_;
  bool showing_ = false, done_ = false;
  ModalResult result_ = ModalResult::None;
};

}  // namespace strevo
