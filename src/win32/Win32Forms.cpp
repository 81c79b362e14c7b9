#include "win32/Win32Forms.h"

namespace strevo {

Win32Forms::Win32Forms(const std::string& applicationCaption)
    : application(applicationCaption), threads(std::make_unique<Win32BackgroundThreads>()) {
  application.sentHook = [this](const PostedMessage& message, bool& handled) {
    if (const Win32MessageLoop::Hook hook = loop.CurrentHook()) hook(message, handled);
  };
}

Win32Forms::~Win32Forms() {
  threads.reset();
  application.sentHook = nullptr;
}

void Win32Forms::CreateWindows() {
  taskbar = std::make_unique<Win32TaskbarWindow>();
  settings = std::make_unique<Win32SettingsWhenShown>(loop, application.Handle());
  widget = std::make_unique<Win32InfoOnTopView>(&application);
  settings->onMade = [this](Win32SettingsView& view) {
    view.onReturnToScreen = [this] {
      application.Restore();
      widget->Show();
    };
  };
  notify = std::make_unique<Win32NotifyWhenShown>(loop, application.Handle());
  closeDialog = std::make_unique<Win32CloseDialogWhenShown>(loop, application.Handle());
  logon = std::make_unique<Win32LogonWhenShown>(loop, application.Handle());
  trayIcon = std::make_unique<Win32TrayIcon>(application);
}

Forms Win32Forms::Get() {
  Forms forms;
  forms.application = &application;
  forms.trayIcon = trayIcon.get();
  forms.widget = widget.get();
  forms.logon = logon.get();
  forms.settings = settings.get();
  forms.notify = notify.get();
  forms.closeDialog = closeDialog.get();
  forms.taskbar = taskbar.get();
  forms.threads = threads.get();
  forms.loop = &loop;
  return forms;
}

}  // namespace strevo
