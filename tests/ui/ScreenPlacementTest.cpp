#include "ui/ScreenPlacement.h"

#include <gtest/gtest.h>

namespace strevo {
namespace {

// Primary 1920x1040 work area (taskbar below), a second monitor to its
// left, a little higher.
const std::vector<Rect> kTwoMonitors = {{0, 0, 1920, 1040}, {-1280, -200, 0, 824}};

void ExpectRect(const Rect& expected, const Rect& actual) {
  EXPECT_EQ(expected.left, actual.left);
  EXPECT_EQ(expected.top, actual.top);
  EXPECT_EQ(expected.right, actual.right);
  EXPECT_EQ(expected.bottom, actual.bottom);
}

TEST(ScreenPlacementTest, WindowOnEitherMonitorStays) {
  ExpectRect({100, 100, 359, 204}, KeepOnScreen({100, 100, 359, 204}, kTwoMonitors));
  ExpectRect({-600, -150, -341, -46}, KeepOnScreen({-600, -150, -341, -46}, kTwoMonitors));
  // Mostly off the right edge, 40 pixels still to grab.
  ExpectRect({1880, 500, 2139, 604}, KeepOnScreen({1880, 500, 2139, 604}, kTwoMonitors));
}

TEST(ScreenPlacementTest, WindowOfARemovedMonitorGoesToThePrimaryCorner) {
  // Where a monitor right of the primary used to be.
  ExpectRect({1661, 936, 1920, 1040}, KeepOnScreen({2100, 300, 2359, 404}, kTwoMonitors));
  // Under the second monitor's bottom, beside the primary: on neither.
  ExpectRect({1661, 936, 1920, 1040}, KeepOnScreen({-600, 900, -341, 1004}, kTwoMonitors));
}

TEST(ScreenPlacementTest, ASliverTooSmallToGrabCountsAsOff) {
  // 20 pixels over the primary's right edge, 10 over the taskbar.
  ExpectRect({1661, 936, 1920, 1040}, KeepOnScreen({1900, 300, 2159, 404}, kTwoMonitors));
  ExpectRect({1661, 936, 1920, 1040}, KeepOnScreen({500, 1030, 759, 1134}, {{0, 0, 1920, 1040}}));
}

TEST(ScreenPlacementTest, NoWorkAreaKnownLeavesTheWindow) {
  ExpectRect({5000, 5000, 5259, 5104}, KeepOnScreen({5000, 5000, 5259, 5104}, {}));
}

}  // namespace
}  // namespace strevo
