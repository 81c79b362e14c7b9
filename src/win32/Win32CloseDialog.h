// The question asked before the program shuts down from its menu: Yes or
// No, and the choice of launching automatically at logon.
#pragma once

#include <string>

#include "ui/Forms.h"
#include "win32/Win32Handles.h"
#include "win32/Win32ModalWindow.h"

namespace strevo {

class Win32CloseDialog : public ICloseDialog, private Win32ModalWindow {
 public:
  Win32CloseDialog(Win32MessageLoop& loop, WindowHandle owner);
  ~Win32CloseDialog() override;

  // 1 yes, 2 no; Enter answers yes, Escape no.
  ModalResult ShowModal(CloseDialogState& state) override;
  bool Showing() const { return ModalShowing(); }
  void EndModal(ModalResult result) { EndModalWith(result); }
  using Win32ModalWindow::Handle;
  WindowHandle Control(const std::string& name) const;

  static constexpr int kClientWidth = 346, kClientHeight = 100;

 private:
  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  bool KeyPressed(int key) override;
  void DpiChanged() override;
  GdiObject<HFONT> questionFont_;
};

}  // namespace strevo
