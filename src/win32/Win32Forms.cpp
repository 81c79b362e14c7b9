#include "win32/Win32Forms.h"

#include "win32/Win32Gdi.h"

namespace strevo {

template <typename View>
View& MadeWhenShown<View>::Get() {
  if (!view_) {
    // Standard controls come from the common-controls library the
    // program's manifest names.
    EnsureCommonControls();
    view_ = std::make_unique<View>(loop_, owner_);
    if (onMade) onMade(*view_);
  }
  return *view_;
}

void Win32SettingsWhenShown::EndModal(ModalResult result) {
  if (Win32SettingsView* made = view.Made()) made->EndModal(result);
}

void Win32SettingsWhenShown::Focus() {
  if (Win32SettingsView* made = view.Made()) made->Focus();
}

void Win32NotifyWhenShown::Hide() {
  if (Win32NotifyView* made = view.Made()) made->Hide();
}

void Win32NotifyWhenShown::EndModal(ModalResult result) {
  if (Win32NotifyView* made = view.Made()) made->EndModal(result);
}

void Win32LogonWhenShown::EndModal(ModalResult result) {
  if (Win32LogonView* made = view.Made()) made->EndModal(result);
}

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
  settings->view.onMade = [this](Win32SettingsView& view) {
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
