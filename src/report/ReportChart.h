// A chart of the statistics page as inline SVG: bars on the left scale, an
// optional line on a scale of its own at the right, one slot per label.
// Every slot can carry a tooltip. Coordinates are whole pixels, so no
// decimal separator of any locale ever reaches the picture.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace strevo {

class TReportChart {
 public:
  using Values = std::vector<std::optional<double>>;  // none: no figure for the slot

  std::string title;  // read out for the picture as a whole
  std::vector<std::string> labels;  // under the slots (Windows-1252, escaped here)
  std::vector<std::string> tips;    // per slot, may be shorter than labels
  std::string barName, lineName;    // the legend; no line without a name
  Values bars, line;
  int highlighted = -1;  // a slot whose bar stands out (the current day)

  std::string Svg() const;

  static constexpr int kWidth = 760;
  static constexpr int kHeight = 250;

  // The top of a scale for values up to largest: five steps of 1, 2, 2.5
  // (from 25 on) or 5 times a power of ten, at least 5. Non-positive and
  // non-finite values give 5.
  static double ScaleTop(double largest);
};

}  // namespace strevo
