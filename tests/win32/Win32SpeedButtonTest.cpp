// The widget's skinned buttons against the real API (run under Wine): a
// button clicks only for a release inside, shows its hint where the pointer
// rests and loses its frame when the pointer leaves; a redraw happens only
// for new figures.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ui/InfoOnTopWindow.h"
#include "ui/SpeedButton2.h"
#include "win32/Win32InfoOnTopView.h"
#include "win32/Win32SpeedButton.h"
#include "win32/Win32TestSupport.h"

namespace strevo {
namespace test {
namespace {

TEST_F(WidgetTest, WidgetButtonClicksOnReleaseInsideOnlyAndShowsItsHint) {
  ASSERT_FALSE(data_.empty());
  Win32InfoOnTopView view(nullptr);
  TInfoOnTop widget(view);
  view.Attach(&widget);
  view.SetPosition(100, 100);
  view.Show();
  widget.UpdateMeter("1", 30, "00:00:01", true);
  int practices = 0;
  widget.onPractice = [&] { ++practices; };
  HWND window = ToHwnd(view.Handle());
  const Rect place = view.Buttons().Button("PracticeBtn").Bounds();
  const LPARAM on = MAKELPARAM((place.left + place.right) / 2, (place.top + place.bottom) / 2);
  const LPARAM off = MAKELPARAM(150, 50);

  ::SendMessageA(window, WM_MOUSEMOVE, 0, on);
  ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, on);
  ::SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, off);
  ::SendMessageA(window, WM_LBUTTONUP, 0, off);
  EXPECT_EQ(practices, 0) << "dragged off the button before the release";
  ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, on);
  EXPECT_EQ(practices, 0) << "nothing happens on the press";
  ::SendMessageA(window, WM_LBUTTONUP, 0, on);
  EXPECT_EQ(practices, 1);

  POINT rest{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
  ::ClientToScreen(window, &rest);
  ::SetCursorPos(rest.x, rest.y);
  ::SendMessageA(window, WM_MOUSEMOVE, 0, on);
  std::string hint;
  for (int wait = 0; wait < 50 && hint.empty(); ++wait) {
    Pump(100);
    hint = view.Buttons().HintShowing();
  }
  EXPECT_EQ(hint, "Stats and Training");
  TSpeedButton2& practice = view.Buttons().Button("PracticeBtn");
  EXPECT_EQ(practice.Look().edge, TButtonLook::Edge::Raised) << "the hot button has its frame";
  ::SendMessageA(window, WM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(practice.MouseInControl());
  EXPECT_EQ(practice.Look().edge, TButtonLook::Edge::None);
  ::SetCursorPos(700, 700);
}

TEST_F(WidgetTest, WidgetDrawsOnlyNewFigures) {
  Win32InfoOnTopView view(nullptr);
  TInfoOnTop widget(view);
  view.Attach(&widget);
  view.Show();
  widget.ShowStatusText = true;
  widget.StatusText = "keyboard";
  widget.UpdateMeter("12", 40, "00:00:10", true);
  const int paints = view.Paints(), buttonPaints = view.Buttons().ButtonPaints();
  widget.UpdateMeter("12", 40, "00:00:10", true);
  EXPECT_EQ(view.Paints(), paints) << "an unchanged key draws nothing";
  EXPECT_EQ(view.Buttons().ButtonPaints(), buttonPaints);
  widget.UpdateMeter("13", 40, "00:00:10", true);
  EXPECT_EQ(view.Paints(), paints + 1) << "a new key draws once";
}

}  // namespace
}  // namespace test
}  // namespace strevo
