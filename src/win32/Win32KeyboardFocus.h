// Whether the keyboard focus is in a password field, over the real API: the
// focused control is an edit control with the password style, or UI
// Automation says that the focused element is a password field.
//
// A WinEvent hook, set by the thread that asks first (the main thread, which
// pumps its queue), records every focus and foreground change with its event
// time and judges the control by its style at once. UI Automation is asked
// on a thread of its own, once per change, and never about this program's
// own windows; an answer that has not come within kAnswerLimitMs when a key
// needs it is "not known" (the keys are counted and not analysed until it
// comes, and they wait for it no more), so a slow UI Automation never holds
// the keys up and never lets a password through. Without UI Automation the
// style alone answers. The hook thread does none of this.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/KeyboardFocus.h"

namespace strevo {

class Win32KeyboardFocus : public IKeyboardFocus {
 public:
  Win32KeyboardFocus();
  ~Win32KeyboardFocus() override;
  Win32KeyboardFocus(const Win32KeyboardFocus&) = delete;
  Win32KeyboardFocus& operator=(const Win32KeyboardFocus&) = delete;

  uint32_t ChangesUntil(uint32_t messageTime) override;
  FieldAnswer InPasswordField(uint32_t changes) override;

  static constexpr uint32_t kAnswerLimitMs = 100;
  // For measurements: microseconds the main thread spent on each of the
  // last focus and foreground reports (up to 256); kept only by the
  // measuring build (bench/win32), empty in the program.
  static std::vector<double> ReportTimings();

 private:
  class Watcher;
  std::unique_ptr<Watcher> watcher_;  // made by the first question
};

}  // namespace strevo
