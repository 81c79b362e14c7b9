// TNervoGraph: turns the timing of single key presses into a smoothed
// current speed (characters per minute) and draws it as a scrolling chart.
// The value logic is here; drawing goes to an optional canvas.
#pragma once

#include <cstdint>

#include "ui/Forms.h"

namespace strevo {

// Where the chart draws; null draws nothing.
class IGraphCanvas {
 public:
  virtual ~IGraphCanvas() = default;
  virtual Rect PlotRect() = 0;
  virtual void EraseColumns(int fromX, int toX) = 0;  // ahead of the cursor
  virtual void Cursor(int x) = 0;
  virtual void Line(int x1, int y1, int x2, int y2) = 0;
  virtual void Wrap(int x) = 0;  // the chart is full: a solid line at x
};

class TNervoGraph {
 public:
  explicit TNervoGraph(IGraphCanvas* canvas = nullptr) : canvas_(canvas) {}
  void Start();
  void RecordKey();
  // Advances the value and draws one segment; returns the chart height scaled
  // by the unsmoothed target.
  int Step();
  int ValueToY(float value) const;

  double LastKeyTime = 0;
  int LastX = -1, LastY = -1;
  float LastStep = 0;
  float Intervals[7] = {};  // 1..6
  int IntervalCount = 0;
  int IntervalIndex = 0;
  float IntervalSum = 0;
  float AverageInterval = 0;
  Rect Plot{40, 16, 226, 86};
  float Value = 0;
  bool ClearBackground = false;
  int MinValue = 0, MaxValue = 1000;
  int ScaleStep = 200;
  int XStep = 1;

 private:
  IGraphCanvas* canvas_;
};

}  // namespace strevo
