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
#include "win32/Win32Gdi.h"
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
// showing, and closing, hiding or focusing it does nothing. Showing,
// EndModal, Hide and Focus answer for the interface's methods of those
// names where it has them (and are never made where it has not).
template <typename Interface, typename View, typename Form>
class Win32WhenShown : public Interface {
 public:
  Win32WhenShown(Win32MessageLoop& loop, WindowHandle owner) : loop_(loop), owner_(owner) {}
  ModalResult ShowModal(Form& form) override { return Get().ShowModal(form); }
  bool Showing() { return view_ && view_->Showing(); }
  void EndModal(ModalResult result) {
    if (view_) view_->EndModal(result);
  }
  void Hide() {
    if (view_) view_->Hide();
  }
  void Focus() {
    if (view_) view_->Focus();
  }
  std::function<void(View&)> onMade;

 private:
  // Throws EWindowError when it cannot be made.
  View& Get() {
    if (!view_) {
      // Standard controls come from the common-controls library the
      // program's manifest names.
      EnsureCommonControls();
      view_ = std::make_unique<View>(loop_, owner_);
      if (onMade) onMade(*view_);
    }
    return *view_;
  }

  Win32MessageLoop& loop_;
  WindowHandle owner_;
  std::unique_ptr<View> view_;
};

using Win32SettingsWhenShown = Win32WhenShown<ISettingsView, Win32SettingsView, TChooseApplications>;
using Win32NotifyWhenShown = Win32WhenShown<INotifyView, Win32NotifyView, TNotifyForm>;
using Win32CloseDialogWhenShown = Win32WhenShown<ICloseDialog, Win32CloseDialog, CloseDialogState>;
using Win32LogonWhenShown = Win32WhenShown<ILogonView, Win32LogonView, TLogForm>;

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
