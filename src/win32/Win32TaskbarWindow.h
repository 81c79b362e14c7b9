// The taskbar window: the program's main form, hidden normally. Created
// first at start; its taskbar button carries the speed as a progress value,
// the disabled state as an overlay icon and the thumbnail toolbar (Windows 7
// and later), and the window shows the typing-history graph.
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
  void SetGraph(TNervoGraph* graph) override;
  IGraphCanvas* GraphCanvas() override;
  bool ToolbarActive(std::string& error) override;

  WindowHandle Handle() const { return handle_; }
  std::string Caption();
  int ProgressValue() const { return progress_; }
  int OverlayIcon() const { return overlay_; }
  // The system's taskbar interface was found.
  bool TaskbarAvailable() const;
  // The thumbnail toolbar's buttons were handed to the taskbar (after the
  // taskbar button was created), and the last answer of the taskbar.
  bool ToolbarButtonsAdded() const { return toolbarAdded_; }

  static constexpr int kClientWidth = 263, kClientHeight = 111;
  static constexpr int kProgressMaximum = 120;

 private:
  struct Taskbar;
  class GraphCanvasImpl;
  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void RightDown();
  void FitToDpi(const void* suggestedRect);
  void Paint();
  void AddToolbarButtons();
  void SendProgress();

  std::unique_ptr<Taskbar> taskbar_;
  int progress_ = 0, overlay_ = 0;
  TNervoGraph* graph_ = nullptr;
  std::unique_ptr<GraphCanvasImpl> canvas_;
  uint32_t buttonCreatedMessage_ = 0;
  bool toolbarAdded_ = false;
  std::string toolbarError_;
};

}  // namespace strevo
