#include "ui/ScreenPlacement.h"

#include <algorithm>

namespace strevo {

bool OnSomeWorkArea(const Rect& window, const std::vector<Rect>& workAreas) {
  const int wide = std::min(kReachablePixels, window.right - window.left);
  const int high = std::min(kReachablePixels, window.bottom - window.top);
  return std::any_of(workAreas.begin(), workAreas.end(), [&](const Rect& area) {
    const int across = std::min(window.right, area.right) - std::max(window.left, area.left);
    const int down = std::min(window.bottom, area.bottom) - std::max(window.top, area.top);
    return across >= wide && down >= high && across > 0 && down > 0;
  });
}

Rect KeepOnScreen(const Rect& window, const std::vector<Rect>& workAreas) {
  if (workAreas.empty() || OnSomeWorkArea(window, workAreas)) return window;
  const Rect& primary = workAreas.front();
  const int width = window.right - window.left, height = window.bottom - window.top;
  return {primary.right - width, primary.bottom - height, primary.right, primary.bottom};
}

}  // namespace strevo
