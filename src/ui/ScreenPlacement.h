// Whether a window stands where the user can reach it, and where it goes
// when it does not: a stored position from another screen layout, a
// monitor unplugged, a resolution made smaller.
#pragma once

#include <vector>

#include "ui/Forms.h"

namespace strevo {

// Some work area must show this much of a window across and down for the
// user to see it and drag it back.
inline constexpr int kReachablePixels = 32;

// True when some work area shows enough of the window to grab it.
bool OnSomeWorkArea(const Rect& window, const std::vector<Rect>& workAreas);

// The window where it is when it is on some work area, else moved (same
// size) into the bottom-right corner of the first work area, the primary
// monitor's, where the widget stands when no position is stored. With no
// work area known the window stays.
Rect KeepOnScreen(const Rect& window, const std::vector<Rect>& workAreas);

}  // namespace strevo
