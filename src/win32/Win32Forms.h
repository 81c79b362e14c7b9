// All the windows of the program on Windows, created in the order the
// program start wants them, and handed to the tray core as the Forms set.
#pragma once

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

class Win32Forms {
 public:
  // What exists from the very start: the application window (the owner of
  // the start-up message boxes), the message loop and the threads.
  explicit Win32Forms(const std::string& applicationCaption);
  ~Win32Forms();

  // The forms of the main block: the taskbar window first, then the settings
  // dialog, the widget, the notification window, the close dialog, the logon
  // window and the tray icon.
  // Throws EWindowError when one cannot be created.
  void CreateWindows();
  Forms Get();

  Win32ApplicationWindow application;
  Win32MessageLoop loop;
  std::unique_ptr<Win32TaskbarWindow> taskbar;
  std::unique_ptr<Win32SettingsView> settings;
  std::unique_ptr<Win32InfoOnTopView> widget;
  std::unique_ptr<Win32NotifyView> notify;
  std::unique_ptr<Win32CloseDialog> closeDialog;
  std::unique_ptr<Win32LogonView> logon;
  std::unique_ptr<Win32TrayIcon> trayIcon;
  // Last, so that the threads are stopped before any window goes.
  std::unique_ptr<Win32BackgroundThreads> threads;
};

}  // namespace strevo
