// The speed graph: key intervals into a smoothed speed, the value's pixel
// row, and the curve scrolling across the chart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Fixture.h"
#include "ui/Nervgrph.h"

namespace strevo {
namespace {

// Records what the graph draws, in order; text 6 pixels a character and
// 13 high, a font 11 high.
class RecordingCanvas : public IGraphCanvas {
 public:
  void FillRect(const Rect& r, uint32_t colour) override { Add("fill", r.left, r.top, r.right, r.bottom, colour); }
  void Line(int x1, int y1, int x2, int y2, uint32_t colour, bool dotted) override {
    Add(dotted ? "dots" : "line", x1, y1, x2, y2, colour);
  }
  void Frame(const Rect& r, uint32_t pen, uint32_t brush) override {
    Add("frame", r.left, r.top, r.right, r.bottom, pen, brush);
  }
  void SetFont(const std::string& name, int size, uint32_t colour) override { Add("font " + name, size, colour); }
  int FontHeight() override { return -11; }
  int TextWidth(const std::string& text) override { return 6 * static_cast<int>(text.size()); }
  int TextHeight(const std::string&) override { return 13; }
  void Text(int x, int y, const std::string& text) override { Add("text " + text, x, y); }

  std::vector<std::string> calls;

 private:
  template <typename... Numbers>
  void Add(const std::string& what, Numbers... numbers) {
    std::string call = what;
    ((call += " " + std::to_string(numbers)), ...);
    calls.push_back(call);
  }
};

class NervoGraphTest : public test::PlatformTest {
 protected:
  // A plot 1000 rows high: Step returns the target itself, fraction dropped.
  void SetUp() override { graph.PlotRect = {0, 0, 250, 1000}; }
  void TypeSixKeys() {
    graph.Start();
    for (int i = 0; i < 6; ++i) {
      fake.clock.Advance(200);
      graph.RecordKey();
    }
  }
  TNervoGraph graph;
};

TEST_F(NervoGraphTest, SixKeysAFifthOfASecondApartGiveTarget259) {
  TypeSixKeys();
  EXPECT_EQ(graph.IntervalCount, 6);
  EXPECT_NEAR(graph.IntervalSum / 6, 0.2315f, 0.0001f);
  EXPECT_EQ(graph.Step(), 259);
  EXPECT_NEAR(graph.AverageInterval, 0.2315f, 0.0001f);
  EXPECT_FLOAT_EQ(graph.Value, 6) << "the first step from 0 may change the value by 6 only";
}

TEST_F(NervoGraphTest, RingKeepsOnlyTheLastSixIntervals) {
  graph.Start();
  for (int i = 0; i < 6; ++i) {
    fake.clock.Advance(864);  // one unit each
    graph.RecordKey();
  }
  for (int i = 0; i < 6; ++i) {
    fake.clock.Advance(432);
    graph.RecordKey();
    EXPECT_NEAR(graph.IntervalSum, 6 - 0.5 * (i + 1), 0.0001) << "key " << i + 7;
  }
  EXPECT_EQ(graph.IntervalIndex, 6);
  graph.Step();
  EXPECT_NEAR(graph.AverageInterval, 0.5f, 0.0001f);
}

TEST_F(NervoGraphTest, WithoutKeysTheValueDecaysByAFifthOfTheGapAtMost6FasterThanBefore) {
  graph.Value = 100;
  graph.Step();
  EXPECT_FLOAT_EQ(graph.LastStep, -6) << "-20 limited to the previous change (0) - 6";
  EXPECT_FLOAT_EQ(graph.Value, 94);
  graph.Step();
  EXPECT_FLOAT_EQ(graph.LastStep, -12) << "-18.8 limited to -6 - 6";
  graph.Step();
  EXPECT_FLOAT_EQ(graph.LastStep, -16.4f) << "a fifth of the gap of 82, within 6 of -12";
  EXPECT_FLOAT_EQ(graph.Value, 65.6f);
  for (int i = 0; i < 200; ++i) graph.Step();
  EXPECT_NEAR(graph.Value, 0, 0.001);
}

TEST_F(NervoGraphTest, PauseLongerThanTwiceTheAverageIntervalDropsTheTargetTo0) {
  TypeSixKeys();
  fake.clock.Advance(350);
  EXPECT_EQ(graph.Step(), 259) << "0.405 units of silence is less than 2 x 0.2315";
  fake.clock.Advance(100);
  EXPECT_EQ(graph.Step(), 0);
  EXPECT_EQ(graph.AverageInterval, 0);
}

TEST_F(NervoGraphTest, ValueToYReturnsMinus1BelowTheRangeAndTheTopRowAboveIt) {
  graph.PlotRect = {40, 16, 226, 86};
  EXPECT_EQ(graph.ValueToY(-0.5f), -1);
  EXPECT_EQ(graph.ValueToY(0), 86);
  EXPECT_EQ(graph.ValueToY(500), 51);
  EXPECT_EQ(graph.ValueToY(1000), 16);
  EXPECT_EQ(graph.ValueToY(1800), 16);
}

// Each step draws one column and one segment only; the full chart is
// never redrawn while typing.
TEST_F(NervoGraphTest, CurveWrapsAtTheRightEdgeErasingAheadOfTheCursorFirst) {
  RecordingCanvas canvas;
  TNervoGraph drawn(&canvas);
  drawn.PlotRect = {10, 0, 14, 100};
  for (int i = 0; i < 5; ++i) drawn.Step();
  const std::vector<std::string> expected = {
      // starts at the bottom left
      "fill 11 0 12 101 0", "dots 12 0 12 101 16777215", "line 10 100 11 100 16777215",
      "fill 12 0 13 101 0", "dots 13 0 13 101 16777215", "line 11 100 12 100 16777215",
      "fill 13 0 14 101 0", "dots 14 0 14 101 16777215", "line 12 100 13 100 16777215",
      // full: a line in the background colour, and back to the left edge
      "line 14 0 14 101 0", "fill 11 0 12 101 0", "dots 12 0 12 101 16777215", "line 10 100 11 100 16777215",
      "fill 12 0 13 101 0", "dots 13 0 13 101 16777215", "line 11 100 12 100 16777215",
  };
  EXPECT_EQ(canvas.calls, expected);
  EXPECT_EQ(drawn.LastX, 12);
}

// The taskbar window's graph: the scale in words per minute (no user: five
// characters a word), right-aligned and centred on its ticks, then the
// frame that clears the chart.
TEST_F(NervoGraphTest, PaintDrawsTheScaleInWordsPerMinuteAndTheFrame) {
  RecordingCanvas canvas;
  TNervoGraph drawn(&canvas);
  drawn.ClearBackground = true;
  drawn.Left = 10, drawn.Top = 5, drawn.Width = 230, drawn.Height = 105;
  drawn.Paint();
  // Label width: "1000 " is 30 pixels, + 3; the chart from 37 to 226, rows
  // 15 to 90.
  EXPECT_EQ(drawn.PlotRect.left, 37);
  EXPECT_EQ(drawn.PlotRect.top, 15);
  EXPECT_EQ(drawn.PlotRect.right, 226);
  EXPECT_EQ(drawn.PlotRect.bottom, 90);
  const std::vector<std::string> expected = {
      "fill 0 0 230 105 0", "font Arial 8 8947848",
      "line 37 90 34 90 4473924",  "text 0 27 84",  "line 37 75 34 75 4473924",  "text 40 21 69",
      "line 37 60 34 60 4473924",  "text 80 21 54", "line 37 45 34 45 4473924",  "text 120 15 39",
      "line 37 30 34 30 4473924",  "text 160 15 24", "line 37 15 34 15 4473924", "text 200 15 9",
      "frame 37 14 228 92 4473924 0",
  };
  EXPECT_EQ(canvas.calls, expected);
}

}  // namespace
}  // namespace strevo
