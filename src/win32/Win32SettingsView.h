// The settings dialog: three pages (Personal, Common, About) of check
// boxes, track bars and labels over the fields of TChooseApplications. The
// controls are filled from the dialog's fields when it is shown and written
// back before its OK and Change User buttons act.
#pragma once

#include <string>

#include "ui/Forms.h"
#include "win32/Win32ModalWindow.h"

namespace strevo {

class Win32ApplicationWindow;
class Win32InfoOnTopView;

class Win32SettingsView : public ISettingsView, private Win32ModalWindow {
 public:
  // The application window and the widget come back on screen with the
  // "Return To Screen" button.
  Win32SettingsView(Win32MessageLoop& loop, Win32ApplicationWindow* application, Win32InfoOnTopView* widget);
  ~Win32SettingsView() override;

  int ShowModal(TChooseApplications& dialog) override;
  bool Showing() override { return ModalShowing(); }
  void EndModal(int result) override;
  void Focus() override;

  using Win32ModalWindow::Handle;
  // A control by the dialog's name for it ("OkBtn", "WordCount", ...).
  WindowHandle Control(const std::string& name) const;
  // Shows page 0 (Personal), 1 (Common) or 2 (About).
  void ShowPage(int page);

  static constexpr int kClientWidth = 415, kClientHeight = 420;

 private:
  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  bool KeyPressed(int key) override;
  void CreateControls();
  void Load();
  void Pull();
  void RefreshTexts();
  void Command(int id);

  TChooseApplications* dialog_ = nullptr;
  Win32ApplicationWindow* application_;
  Win32InfoOnTopView* widget_;
  int page_ = 0;
};

}  // namespace strevo
