// The settings dialog: four pages (Personal, Common, About, Applications)
// of check boxes, track bars, labels and the applications' check list over the fields of TChooseApplications. The
// controls are filled from the dialog's fields when it is shown and written
// back before its OK and Change User buttons act.
#pragma once

#include <functional>
#include <string>

#include "ui/Forms.h"
#include "win32/Win32ModalWindow.h"

namespace strevo {

class Win32SettingsView : public ISettingsView, private Win32ModalWindow {
 public:
  Win32SettingsView(Win32MessageLoop& loop, WindowHandle owner);
  ~Win32SettingsView() override;

  ModalResult ShowModal(TChooseApplications& dialog) override;
  bool Showing() override { return ModalShowing(); }
  void EndModal(ModalResult result) override;
  void Focus() override;

  using Win32ModalWindow::Handle;
  // A control by the dialog's name for it ("OkBtn", "WordCount", ...).
  WindowHandle Control(const std::string& name) const;
  // Shows page 0 (Personal), 1 (Common), 2 (About) or 3 (Applications).
  void ShowPage(int page);
  // The hint a control shows ("DoNotCollectWords", "CenterButton1",
  // "statpanel").
  std::string Hint(const std::string& name) const;

  // "Return To Screen": after the dialog has reset the widget's place, the
  // application is restored and the widget shown.
  std::function<void()> onReturnToScreen;

  static constexpr int kClientWidth = 415, kClientHeight = 420;

 private:
  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  bool KeyPressed(int key) override;
  void DpiChanged() override;
  void CreateControls();
  void Load();
  void Pull();
  void RefreshTexts();
  void Command(int id);
  void CreateHints();
  void SetStatpanelHint(const std::string& text);
  void FillApplications();

  TChooseApplications* dialog_ = nullptr;
  int page_ = 0;
  int stripHeight_ = 24;  // the tabs of the page control
  WindowHandle tips_ = 0;
  bool filling_ = false;  // the check list is being filled: no clicks
};

}  // namespace strevo
