// TInfoOnTop: the meter widget's figures and the decision when to redraw.
// The view (a layered always-on-top window on Windows) draws them.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "ui/Forms.h"

namespace strevo {

class TButtonParent;

class TInfoOnTop {
 public:
  explicit TInfoOnTop(IInfoOnTopView& view) : view_(view) {}

  // The only way figures enter the widget; redraws only when the words,
  // speed and time differ from what was drawn last.
  void UpdateMeter(const std::string& words, int speed, const std::string& time, bool active);
  // Forces the next UpdateMeter to redraw (a random number as the key).
  void ForceRepaint(int range = 100);
  // The next UpdateMeter redraws whatever the figures.
  void RedrawNext() {
    LastShownKey.clear();
    Changed();
  }
  // Something the next refresh shows or acts on changed outside the figures
  // (the core handled an event, the window was uncovered, the fade ended,
  // the mouse came or went). The refresh thread reads the count to leave
  // ticks with nothing to do on their own thread; onChanged wakes it.
  void Changed() {
    changes_.fetch_add(1, std::memory_order_relaxed);
    if (onChanged) onChanged();
  }
  uint32_t Changes() const { return changes_.load(std::memory_order_relaxed); }
  std::function<void()> onChanged;  // set once, before the refresh thread starts

  IInfoOnTopView& View() { return view_; }
  void Show() { view_.Show(); }
  void Hide() { view_.Hide(); }
  bool Visible() { return view_.Visible(); }

  bool EnglishFace = true;
  std::string KeptWords, KeptTime;
  int KeptSpeed = 0;
  std::string LastShownKey;
  bool Launching = false;
  std::string WordsText, TimeText, AverageSpeedText, SpeedText;
  std::string StatusText;
  bool ShowStatusText = false;
  bool Paused = false;
  bool GraphPending = false;
  int NeedleSpeed = 0;
  int Redraws = 0;  // how often the meter was drawn

  // Button and close handlers, wired by the tray core.
  std::function<void()> onOnOff, onSetup, onPractice;
  std::function<void()> onClose;

 private:
  IInfoOnTopView& view_;
  std::atomic<uint32_t> changes_{0};
};

// The widget's four buttons, in the order they are created.
enum class WidgetButton { OnOff, Practice, Setup, Hide };
inline constexpr int kWidgetButtons = 4;
// The button's name on the form and its hint.
const char* WidgetButtonName(WidgetButton button);
// Where a button stands: with the corners rounded by the window manager,
// or inside the rounded clipping region of systems without it (where the
// two columns must stay clear of the region's curve and of each other).
Rect WidgetButtonPlace(WidgetButton button, bool roundedByWindowManager);
// Creates the four buttons on the widget as the form has them: flat, with
// a frame while hot, hints shown. Clicks are wired by the caller.
void CreateWidgetButtons(TButtonParent& parent, bool roundedByWindowManager);

// The needle's angle in degrees clockwise from 12 o'clock for a speed in
// words per minute.
int NeedleAngle(int wordsPerMinute);
// The needle's end point on the 204-pixel face (centre 51, 50; length 42).
void NeedleEnd(int wordsPerMinute, int& x, int& y);

}  // namespace strevo
