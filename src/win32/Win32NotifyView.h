// The training notification window: a white window with the header picture,
// the title and description, the shaded panel with three rows (bullet,
// label, a gauge coloured by its difficulty band, the count text), the
// "Begin Training" button and the two links, all three skinned buttons.
// TNotifyForm holds the texts and turns the presses into results; the
// window draws them.
#pragma once

#include <memory>

#include "ui/Forms.h"
#include "win32/Win32ModalWindow.h"

namespace strevo {

class Win32SpeedButtons;

class Win32NotifyView : public INotifyView, private Win32ModalWindow {
 public:
  Win32NotifyView(Win32MessageLoop& loop, WindowHandle owner);
  ~Win32NotifyView() override;

  ModalResult ShowModal(TNotifyForm& form) override;
  bool Showing() override { return ModalShowing(); }
  void Hide() override;
  void EndModal(ModalResult result) override { EndModalWith(result); }

  using Win32ModalWindow::Handle;
  // Whether the pictures of the installation could be shown (tests).
  bool HeaderLoaded() const;
  bool BulletLoaded() const;
  // The place of a part of the window, in client coordinates (tests).
  enum class Part { None, Header, Begin, Skip, Settings };
  Part PartAt(int x, int y) const;
  // The buttons (tests and screenshots).
  Win32SpeedButtons& Buttons() { return *buttons_; }

  static constexpr int kClientWidth = 494, kClientHeight = 371;

 private:
  struct Resources;
  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  bool KeyPressed(int key) override;
  void DpiChanged() override;
  bool AltKey(int key) override;
  void CreateButtons();
  // The form's texts into the buttons and the window's picture.
  void Load();
  void DrawBackground();

  TNotifyForm* form_ = nullptr;
  std::unique_ptr<Resources> resources_;
  std::unique_ptr<Win32SpeedButtons> buttons_;
};

}  // namespace strevo
