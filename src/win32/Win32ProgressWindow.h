// The "please wait" window: a small tool window with a text and a progress
// bar, shown while the user-profile code works through the user files.
// Created on first use.
#pragma once

#include <memory>
#include <string>

#include "platform/Platform.h"
#include "win32/Win32Window.h"

namespace strevo {

class Win32ProgressWindow : public IProgressWindow, private Win32Window {
 public:
  Win32ProgressWindow();
  ~Win32ProgressWindow() override;

  void Show() override;
  void ShowProgress(int min, int max, const std::string& message, const std::string& title, int position) override;
  void SetProgress(int position) override;
  void Hide() override;

  WindowHandle Handle() const { return handle_; }
  bool Visible() const;
  bool BarVisible() const;
  int Position() const;
  int Minimum() const;
  int Maximum() const;
  std::string Message() const;

  static constexpr int kClientWidth = 299, kClientHeight = 48;

 private:
  void Create();
  intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) override;
  void FitMessage(const std::string& message);
  // Kept out of this header, which the platform's users include.
  struct TextFont;

  WindowHandle text_ = 0, bar_ = 0;
  std::unique_ptr<TextFont> textFont_;  // made with the window
};

}  // namespace strevo
