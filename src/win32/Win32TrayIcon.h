// The notification-area icon (shell callback message 1025) with its pop-up
// menu and balloons. It re-adds itself when the shell restarts.
#pragma once

#include <string>
#include <vector>

#include "ui/Forms.h"
#include "win32/Win32Handles.h"
#include "win32/Win32Window.h"

namespace strevo {

class Win32ApplicationWindow;

class Win32TrayIcon : public ITrayIcon, private Win32Window {
 public:
  explicit Win32TrayIcon(Win32ApplicationWindow& application);
  ~Win32TrayIcon() override;

  void SetActive(bool active) override;
  void SetIcon(int index) override;
  void SetToolTip(const std::string& text) override;
  void ShowBalloon(const std::string& text, const std::string& title, int timeoutMs) override;
  void SetMenu(const std::vector<MenuItem>& items) override;
  void EnableItem(int position, bool enabled) override;
  void CheckItem(int position, bool checked) override;
  bool ItemChecked(int position) override;
  void PopupMenu(int x, int y) override;

  bool Active() const { return active_; }
  int Icon() const { return icon_; }
  const std::string& ToolTip() const { return toolTip_; }
  // The last call to the shell succeeded.
  bool LastCallSucceeded() const { return lastCallSucceeded_; }
  WindowHandle NotifyWindow() const { return handle_; }
  // Handles a notification as the shell would send it (tests).
  void Notify(uint32_t mouseMessage);

  static constexpr uint32_t kCallbackMessage = 1025;

 private:
  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  bool Call(uint32_t action, uint32_t flags);
  void DoRightClick();
  // The entry the person chose from the menu shown at (x, y), or 0; the
  // menu is gone again when it returns.
  uint32_t ChooseFromMenu(int x, int y);
  HICON ShownIcon(int index) const;

  Win32ApplicationWindow& application_;
  bool active_ = false;
  int icon_ = 1;
  std::string toolTip_;
  std::string balloonText_, balloonTitle_;
  uint32_t balloonTimeout_ = 0;
  std::vector<MenuItem> items_;
  HICON icons_[3] = {};          // shown for the states 1 to 3
  IconHandle loadedIcons_[3];    // those of them that are ours
  GdiObject<HBITMAP> glyphs_[2];  // STATISTICS, SETTINGS
  uint32_t taskbarCreated_ = 0;
  bool lastCallSucceeded_ = true;
};

}  // namespace strevo
