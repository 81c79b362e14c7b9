// The meter widget: where the needle points for a speed, and where its
// buttons lie. When its figures are drawn again is in the scenarios of
// tests/core/scenarios/WidgetTest and TrayMainTest.
#include <gtest/gtest.h>

#include "ui/InfoOnTopWindow.h"

namespace strevo {
namespace {

// The needle's end lies on a circle of 42 around the centre (x and y of 0:
// not checked).
TEST(NeedleTest, AngleFollowsTheDialBandsAndStepsBackAtEachBandBoundary) {
  struct Case {
    int speed, angle, x, y;
  };
  for (const Case& c : {
           Case{0, 224, 22, 80}, Case{40, 360, 51, 8}, Case{41, 367, 0, 0}, Case{125, 493, 82, 79},
           Case{126, 141, 77, 83}, Case{130, 145, 0, 0}, Case{131, 144, 0, 0}, Case{190, 193, 0, 0},
           Case{191, 191, 0, 0}, Case{400, 400, 78, 18}, Case{700, 600, 15, 71},
           Case{601, 600, 0, 0},                     // capped at 600
           Case{-10, 190, 0, 0},                     // but not below
           Case{43, 369, 0, 0}, Case{45, 373, 0, 0},  // 64.5 and 67.5 round to the even neighbour
       }) {
    EXPECT_EQ(NeedleAngle(c.speed), c.angle) << c.speed << " wpm";
    int x = 0, y = 0;
    NeedleEnd(c.speed, x, y);
    if (c.x == 0) continue;
    EXPECT_EQ(x, c.x) << c.speed << " wpm";
    EXPECT_EQ(y, c.y) << c.speed << " wpm";
  }
}

// Frames drawn while hot must never touch: the buttons keep two pixels
// apart and off the face in both layouts, and inside the rounded region
// that clips the window where the window manager cannot round it. The
// end-to-end test clicks the practice button at (232, 75).
TEST(WidgetButtonsTest, KeepClearOfEachOtherTheFaceAndTheRoundedRegion) {
  const auto inRegion = [](int px, int py) {
    const double x = px + 0.5, y = py + 0.5;
    if (x < 1 || y < 1 || x > 258 || y > 103) return false;
    const double centreY = y < 51 ? 51 : y > 53 ? 53 : y;
    return x <= 208 || (x - 208) * (x - 208) + (y - centreY) * (y - centreY) <= 50 * 50;
  };
  for (bool rounded : {true, false}) {
    for (int i = 0; i < kWidgetButtons; ++i) {
      const Rect a = WidgetButtonPlace(static_cast<WidgetButton>(i), rounded);
      EXPECT_GE(a.left, 206) << i;
      for (int j = i + 1; j < kWidgetButtons; ++j) {
        const Rect b = WidgetButtonPlace(static_cast<WidgetButton>(j), rounded);
        EXPECT_TRUE(a.right + 2 <= b.left || b.right + 2 <= a.left || a.bottom + 2 <= b.top || b.bottom + 2 <= a.top)
            << i << " and " << j << (rounded ? " rounded" : " clipped");
      }
      if (rounded) continue;
      for (int x : {a.left, a.right - 1})
        for (int y : {a.top, a.bottom - 1}) EXPECT_TRUE(inRegion(x, y)) << i << " at " << x << ", " << y;
    }
    const Rect practice = WidgetButtonPlace(WidgetButton::Practice, rounded);
    EXPECT_TRUE(practice.left <= 232 && 232 < practice.right && practice.top <= 75 && 75 < practice.bottom);
  }
}

}  // namespace
}  // namespace strevo
