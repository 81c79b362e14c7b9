// TNervoGraph: turns the timing of single key presses into a smoothed
// current speed (characters per minute) and draws it as a scrolling chart
// with a speed scale on the left, on its parent's canvas. The value is kept
// whether or not there is a canvas to draw on.
#pragma once

#include <cstdint>
#include <string>

#include "ui/Forms.h"

namespace strevo {

// The parent's canvas, in the control's own coordinates (the control's
// top-left corner is 0, 0). Colours are 0xBBGGRR. Lines leave out their end
// point; rectangles their right and bottom edges.
class IGraphCanvas {
 public:
  virtual ~IGraphCanvas() = default;
  // Around each Step and Paint: one device context for all their drawing.
  virtual void Begin() {}
  virtual void End() {}
  virtual void FillRect(const Rect& r, uint32_t colour) = 0;
  virtual void Line(int x1, int y1, int x2, int y2, uint32_t colour, bool dotted) = 0;
  // Outlined in pen, filled with brush.
  virtual void Frame(const Rect& r, uint32_t pen, uint32_t brush) = 0;
  virtual void SetFont(const std::string& name, int size, uint32_t colour) = 0;
  // The font's height in pixels (its cell, as the font was asked for).
  virtual int FontHeight() = 0;
  virtual int TextWidth(const std::string& text) = 0;
  virtual int TextHeight(const std::string& text) = 0;
  // Drawn transparently with the font's colour.
  virtual void Text(int x, int y, const std::string& text) = 0;
};

class TNervoGraph {
 public:
  explicit TNervoGraph(IGraphCanvas* canvas = nullptr) : canvas_(canvas) {}
  void Start();
  void RecordKey();
  // Advances the value and draws one column and one segment; returns the
  // chart height scaled by the unsmoothed target.
  int Step();
  int ValueToY(float value) const;
  // Background, scale and frame; the frame clears the chart, which Step
  // then draws anew.
  void Paint();

  double LastKeyTime = 0;
  int LastX = -1, LastY = -1;
  float LastStep = 0;
  float Intervals[7] = {};  // 1..6
  int IntervalCount = 0;
  int IntervalIndex = 0;
  float IntervalSum = 0;
  float AverageInterval = 0;
  // The chart, from the last Paint; before any, the one the default size
  // and font give.
  Rect PlotRect{34, 15, 246, 185};
  float Value = 0;
  bool ClearBackground = false;
  int MinValue = 0, MaxValue = 1000;
  int ScaleStep = 200;
  uint32_t ScaleColor = 0x444444;
  uint32_t LineColor = 0xFFFFFF;
  uint32_t CursorColor = 0xFFFFFF;
  int XStep = 1;
  // The control on its parent.
  int Left = 0, Top = 0, Width = 250, Height = 200;
  uint32_t Color = 0x000000;
  std::string FontName = "Arial";
  int FontSize = 8;
  uint32_t FontColor = 0x888888;

 private:
  IGraphCanvas* canvas_;
};

}  // namespace strevo
