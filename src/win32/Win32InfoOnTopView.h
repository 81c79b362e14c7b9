// The meter widget's window: a small layered, always-on-top tool window
// that never takes the focus. It draws the face bitmap, the needle and the
// figures of TInfoOnTop off screen, its four skinned buttons over them, and
// copies the picture in one step; it fades with its two alpha timers and
// is dragged with the left mouse button.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

#include "ui/Forms.h"
#include "win32/Win32Window.h"

namespace strevo {

class Win32ApplicationWindow;
class Win32SpeedButtons;

class Win32InfoOnTopView : public IInfoOnTopView, private Win32Window {
 public:
  // Loads the face bitmaps from the current directory (the program folder)
  // and creates the window hidden, at alpha 1, with the alpha timer running.
  explicit Win32InfoOnTopView(Win32ApplicationWindow* application);
  ~Win32InfoOnTopView() override;

  void Show() override;
  void Hide() override;
  bool Visible() override;
  void Redraw(const TInfoOnTop& widget) override;
  void Repaint() override;
  Rect Bounds() override;
  void SetPosition(int left, int top) override;
  void SetAlphaTimer(bool enabled) override;
  void SetAlphaOffTimer(bool enabled) override;
  void SetOnOffEnabled(bool enabled) override;
  void SetupButtonOrigin(int& x, int& y) override;

  // The widget whose flags and handlers the window serves. Without one
  // attached, findWidget supplies it (the tray core's widget).
  void Attach(TInfoOnTop* widget) { attached_ = widget; }
  std::function<TInfoOnTop*()> findWidget;

  WindowHandle Handle() const { return handle_; }
  int Alpha() const { return alpha_; }
  bool AlphaTimerEnabled() const { return alphaTimer_; }
  bool AlphaOffTimerEnabled() const { return alphaOffTimer_; }
  // The window manager rounded the corners (else a rounded region clips it).
  bool RoundedByWindowManager() const { return roundedByWindowManager_; }
  // Which face files were found.
  bool FaceLoaded(bool english) const;
  bool PauseOverlayLoaded() const;
  // The buttons (tests and screenshots).
  Win32SpeedButtons& Buttons() { return *buttons_; }
  // How often the meter was drawn.
  int Paints() const { return paints_; }

  static constexpr int kClientWidth = 259, kClientHeight = 104;

 private:
  struct Resources;

  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  TInfoOnTop* Widget();
  void CreateButtons();
  void FitToDpi(const void* suggested);
  void KeepOnScreen();
  void SetAlpha(int alpha);
  void AlphaTimerTick();
  void AlphaOffTimerTick();
  void MouseEnter();
  void MouseLeave();
  void FormMouseDown(bool right);
  // A press on a button of the paused widget: monitoring is activated and
  // the press taken; false when the widget is not paused.
  bool PressResumes();
  void HideClick();
  void Paint(const TInfoOnTop* widget);
  void DrawFace(const TInfoOnTop* widget);
  void DrawSpeed(const std::string& speed);
  void DrawStatus(const std::string& status);
  void DrawFitted(int x, int y, const std::string& text, int right, int steps);
  int DrawRowLabels(const std::array<std::string, 3>& labels);
  // Where a line of text between top and bottom must end: before the
  // buttons beside it.
  int ButtonsRight(int top, int bottom) const;

  Win32ApplicationWindow* application_;
  TInfoOnTop* attached_ = nullptr;
  std::unique_ptr<Resources> resources_;
  std::unique_ptr<Win32SpeedButtons> buttons_;
  int alpha_ = 1;
  bool alphaTimer_ = false, alphaOffTimer_ = false;
  bool tracking_ = false;
  bool roundedByWindowManager_ = false;
  int paints_ = 0;
};

}  // namespace strevo
