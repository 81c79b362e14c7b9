// All the windows of the program on Windows, created in the order the
// program start wants them, and handed to the tray core as the Forms set.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "ui/Forms.h"
#include "win32/Win32ApplicationWindow.h"
#include "win32/Win32BackgroundThreads.h"
#include "win32/Win32CloseDialog.h"
#include "win32/Win32InfoOnTopView.h"
#include "win32/Win32LogonView.h"
#include "win32/Win32NotifyView.h"
#include "win32/Win32MessageLoop.h"
#include "win32/Win32SettingsView.h"
#include "win32/Win32TaskbarWindow.h"
#include "win32/Win32TrayIcon.h"

namespace strevo {

// A modal window made at its first showing, not at the start: most runs
// never show it, and a window made costs memory for the whole run (its
// controls, the common-controls library, fonts). Until then it is not
// showing, and closing or focusing it does nothing.
template <typename View>
class MadeWhenShown {
 public:
  MadeWhenShown(Win32MessageLoop& loop, WindowHandle owner) : loop_(loop), owner_(owner) {}
  View& Get();  // throws EWindowError when it cannot be made
  View* Made() { return view_.get(); }
  std::function<void(View&)> onMade;

 private:
  Win32MessageLoop& loop_;
  WindowHandle owner_;
  std::unique_ptr<View> view_;
};

class Win32SettingsWhenShown : public ISettingsView {
 public:
  Win32SettingsWhenShown(Win32MessageLoop& loop, WindowHandle owner) : view(loop, owner) {}
  ModalResult ShowModal(TChooseApplications& dialog) override { return view.Get().ShowModal(dialog); }
  bool Showing() override { return view.Made() && view.Made()->Showing(); }
  void EndModal(ModalResult result) override;
  void Focus() override;
  MadeWhenShown<Win32SettingsView> view;
};

class Win32NotifyWhenShown : public INotifyView {
 public:
  Win32NotifyWhenShown(Win32MessageLoop& loop, WindowHandle owner) : view(loop, owner) {}
  ModalResult ShowModal(TNotifyForm& form) override { return view.Get().ShowModal(form); }
  bool Showing() override { return view.Made() && view.Made()->Showing(); }
  void Hide() override;
  void EndModal(ModalResult result) override;
  MadeWhenShown<Win32NotifyView> view;
};

class Win32CloseDialogWhenShown : public ICloseDialog {
 public:
  Win32CloseDialogWhenShown(Win32MessageLoop& loop, WindowHandle owner) : view(loop, owner) {}
  ModalResult ShowModal(CloseDialogState& state) override { return view.Get().ShowModal(state); }
  MadeWhenShown<Win32CloseDialog> view;
};

class Win32LogonWhenShown : public ILogonView {
 public:
  Win32LogonWhenShown(Win32MessageLoop& loop, WindowHandle owner) : view(loop, owner) {}
  ModalResult ShowModal(TLogForm& form) override { return view.Get().ShowModal(form); }
  bool Showing() override { return view.Made() && view.Made()->Showing(); }
  void EndModal(ModalResult result) override;
  MadeWhenShown<Win32LogonView> view;
};

class Win32Forms {
 public:
  // What exists from the very start: the application window (the owner of
  // the start-up message boxes), the message loop and the threads.
  explicit Win32Forms(const std::string& applicationCaption);
  ~Win32Forms();

  // The forms of the main block: the taskbar window first, then the widget
  // and the tray icon; the settings dialog, the notification window, the
  // close dialog and the logon window are made when first shown.
  // Throws EWindowError when one cannot be created.
  void CreateWindows();
  Forms Get();

  Win32ApplicationWindow application;
  Win32MessageLoop loop;
  std::unique_ptr<Win32TaskbarWindow> taskbar;
  std::unique_ptr<Win32SettingsWhenShown> settings;
  std::unique_ptr<Win32InfoOnTopView> widget;
  std::unique_ptr<Win32NotifyWhenShown> notify;
  std::unique_ptr<Win32CloseDialogWhenShown> closeDialog;
  std::unique_ptr<Win32LogonWhenShown> logon;
  std::unique_ptr<Win32TrayIcon> trayIcon;
  // Last, so that the threads are stopped before any window goes.
  std::unique_ptr<Win32BackgroundThreads> threads;
};

}  // namespace strevo
