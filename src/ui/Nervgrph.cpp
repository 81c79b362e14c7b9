#include "ui/Nervgrph.h"

#include <algorithm>
#include <cmath>

#include "storage/DateTime.h"
#include "storage/Numbers.h"
#include "storage/User.h"

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
  const float fraction = static_cast<float>(PlotRect.bottom - PlotRect.top) * (value - static_cast<float>(MinValue)) /
                         static_cast<float>(MaxValue - MinValue);
  return PlotRect.bottom - static_cast<int>(round_half_even(fraction));
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
  if (LastX < 0) LastX = PlotRect.left;
  if (LastY < 0) LastY = PlotRect.bottom;
  const int y = ValueToY(Value);
  if (canvas_) canvas_->Begin();
  if (LastX >= PlotRect.right - 1) {
    // The chart is full: the curve starts again at the left edge.
    if (canvas_) canvas_->Line(LastX + 1, PlotRect.top, LastX + 1, PlotRect.bottom + 1, Color, false);
    LastX = PlotRect.left;
  }
  const int newX = std::min(PlotRect.right - 1, LastX + XStep);
  if (canvas_) {
    canvas_->FillRect({LastX + 1, PlotRect.top, newX + 1, PlotRect.bottom + 1}, Color);
    canvas_->Line(newX + 1, PlotRect.top, newX + 1, PlotRect.bottom + 1, CursorColor, true);
    canvas_->Line(LastX, LastY, newX, y, LineColor, false);
    canvas_->End();
  }
  LastX = newX;
  LastY = y;
  return static_cast<int>((PlotRect.bottom - PlotRect.top) * (target / static_cast<float>(MaxValue)));
}

void TNervoGraph::Paint() {
  if (!canvas_) return;
  IGraphCanvas& canvas = *canvas_;
  canvas.Begin();
  if (ClearBackground) canvas.FillRect({0, 0, Width, Height}, Color);
  canvas.SetFont(FontName, FontSize, FontColor);
  const int fontHeight = std::abs(canvas.FontHeight());
  const int labelWidth = canvas.TextWidth(std::to_string(MaxValue) + " ") + 3;
  PlotRect = {labelWidth + 4, fontHeight + 4, Width - 4, Height - 3 - fontHeight - 1};
  if (ScaleStep == 0) ScaleStep = 1;
  for (int i = 0; i <= (MaxValue - MinValue) / ScaleStep; ++i) {
    const int v = i * ScaleStep + MinValue;
    const int y = ValueToY(static_cast<float>(v));
    canvas.Line(PlotRect.left, y, PlotRect.left - 3, y, ScaleColor, false);
    // The scale in the user's unit: characters or words per minute.
    const std::string label = std::to_string(CurrentUser ? CurrentUser->DisplaySpeed(v) : v / 5);
    canvas.Text(labelWidth - canvas.TextWidth(label), y - canvas.TextHeight(label) / 2, label);
  }
  canvas.Frame({PlotRect.left, PlotRect.top - 1, PlotRect.right + 2, PlotRect.bottom + 2}, ScaleColor, Color);
  canvas.End();
}

}  // namespace strevo
