// The taskbar window: the program's main form, hidden normally. Created
// first at start; its taskbar button carries the speed as a progress value
// and the disabled state as an overlay icon (Windows 7 and later).
#pragma once

#include <memory>
#include <string>

#include "ui/Forms.h"
#include "win32/Win32Window.h"

namespace strevo {

class Win32TaskbarWindow : public ITaskbarWindow, private Win32Window {
 public:
  // Throws EWindowError when the window cannot be created.
  Win32TaskbarWindow();
  ~Win32TaskbarWindow() override;

  void Show() override;
  void Hide() override;
  bool Visible() override;
  void SetProgressValue(int value) override;
  void SetOverlayIcon(int index) override;
  void SetCaption(const std::string& caption) override;

  WindowHandle Handle() const { return handle_; }
  std::string Caption();
  int ProgressValue() const { return progress_; }
  int OverlayIcon() const { return overlay_; }
  // The system's taskbar interface was found.
  bool TaskbarAvailable() const;

  static constexpr int kClientWidth = 263, kClientHeight = 111;
  static constexpr int kProgressMaximum = 120;

 private:
  struct Taskbar;
  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void RightDown();
  void Paint();

  std::unique_ptr<Taskbar> taskbar_;
  int progress_ = 0, overlay_ = 0;
};

}  // namespace strevo
