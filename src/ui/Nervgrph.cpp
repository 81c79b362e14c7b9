#include "ui/Nervgrph.h"

#include <algorithm>
#include <cmath>

#include "storage/DateTime.h"
#include "storage/Numbers.h"

namespace strevo {

void TNervoGraph::Start() {
  if (LastKeyTime == 0) LastKeyTime = Now();
}

void TNervoGraph::RecordKey() {
  if (++IntervalIndex > 6) IntervalIndex = 1;
  if (IntervalCount < 6) ++IntervalCount;
  // Once the ring is full the slot being reused holds the oldest interval.
  if (IntervalCount == 6) IntervalSum -= Intervals[IntervalIndex];
  const double now = Now();
  const float interval = static_cast<float>((now - LastKeyTime) * 100000.0);
  Intervals[IntervalIndex] = interval;
  LastKeyTime = now;
  IntervalSum += interval;
}

int TNervoGraph::ValueToY(float value) const {
  if (value < static_cast<float>(MinValue)) return -1;
  if (value > static_cast<float>(MaxValue)) value = static_cast<float>(MaxValue);
  const float fraction = static_cast<float>(Plot.bottom - Plot.top) * (value - static_cast<float>(MinValue)) /
                         static_cast<float>(MaxValue - MinValue);
  return Plot.bottom - static_cast<int>(round_half_even(fraction));
}

int TNervoGraph::Step() {
  AverageInterval = static_cast<float>(MinValue);
  if (IntervalCount > 0) AverageInterval = IntervalSum / static_cast<float>(IntervalCount);
  const float elapsed = static_cast<float>((Now() - LastKeyTime) * 100000.0);
  if (2 * AverageInterval < elapsed) AverageInterval = 0;
  const float target = AverageInterval != 0 ? 60.0f / AverageInterval : 0.0f;
  float step = 0.2f * (target - Value);
  if (std::fabs(step - LastStep) > 6) step = step - LastStep > 0 ? LastStep + 6 : LastStep - 6;
  Value += step;
  LastStep = step;
  Value = std::clamp(Value, static_cast<float>(MinValue), static_cast<float>(MaxValue));
  if (canvas_) Plot = canvas_->PlotRect();
  if (LastX < 0) LastX = Plot.left;
  if (LastY < 0) LastY = Plot.bottom;
  const int y = ValueToY(Value);
  if (LastX >= Plot.right - 1) {
    if (canvas_) canvas_->Wrap(LastX + 1);
    LastX = Plot.left;
  }
  const int newX = std::min(Plot.right - 1, LastX + XStep);
  if (canvas_) {
    canvas_->EraseColumns(LastX + 1, newX + 1);
    canvas_->Cursor(newX + 1);
    canvas_->Line(LastX, LastY, newX, y);
  }
  LastX = newX;
  LastY = y;
  return static_cast<int>((Plot.bottom - Plot.top) * (target / static_cast<float>(MaxValue)));
}

}  // namespace strevo
