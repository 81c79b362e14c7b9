// The speed graph: key intervals into a smoothed speed, the value's pixel
// row, and the curve scrolling across the chart.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/Fixture.h"
#include "ui/Nervgrph.h"

namespace strevo {
namespace {

// Keeps the widest area the graph fills; text 6 pixels a character.
class FillWatchingCanvas : public IGraphCanvas {
 public:
  void FillRect(const Rect& r, uint32_t) override { widest = std::max(widest, r.right - r.left); }
  void Line(int, int, int, int, uint32_t, bool) override {}
  void Frame(const Rect&, uint32_t, uint32_t) override {}
  void SetFont(const std::string&, int, uint32_t) override {}
  int FontHeight() override { return -11; }
  int TextWidth(const std::string& text) override { return 6 * static_cast<int>(text.size()); }
  int TextHeight(const std::string&) override { return 13; }
  void Text(int, int, const std::string&) override {}
  int widest = 0;
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

// Six keys a fifth of a second apart give the target 259; the first step
// from 0 may change the value by 6 only; a pause longer than twice the
// average interval drops the target to 0; the ring keeps the last six
// intervals.
TEST_F(NervoGraphTest, KeyIntervalsGiveTheTarget) {
  TypeSixKeys();
  EXPECT_EQ(graph.IntervalCount, 6);
  EXPECT_EQ(graph.Step(), 259);
  EXPECT_NEAR(graph.AverageInterval, 0.2315f, 0.0001f);
  EXPECT_FLOAT_EQ(graph.Value, 6);
  fake.clock.Advance(350);
  EXPECT_EQ(graph.Step(), 259) << "0.405 units of silence is less than 2 x 0.2315";
  fake.clock.Advance(100);
  EXPECT_EQ(graph.Step(), 0);
  EXPECT_EQ(graph.AverageInterval, 0);
  graph.Start();
  for (int i = 0; i < 6; ++i) {
    fake.clock.Advance(864);  // one unit each
    graph.RecordKey();
  }
  for (int i = 0; i < 6; ++i) {
    fake.clock.Advance(432);
    graph.RecordKey();
  }
  EXPECT_NEAR(graph.IntervalSum, 3, 0.0001);
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

TEST_F(NervoGraphTest, ValueToYReturnsMinus1BelowTheRangeAndTheTopRowAboveIt) {
  graph.PlotRect = {40, 16, 226, 86};
  EXPECT_EQ(graph.ValueToY(-0.5f), -1);
  EXPECT_EQ(graph.ValueToY(0), 86);
  EXPECT_EQ(graph.ValueToY(500), 51);
  EXPECT_EQ(graph.ValueToY(1000), 16);
  EXPECT_EQ(graph.ValueToY(1800), 16);
}

// Each step draws one column only, never the full chart, and the curve
// wraps at the right edge; painting the taskbar's chart leaves room for the
// widest label of the scale ("1000 " and 3 pixels) and for the ticks.
TEST_F(NervoGraphTest, CurveWrapsAtTheRightEdgeAndPaintPlacesThePlot) {
  FillWatchingCanvas canvas;
  TNervoGraph drawn(&canvas);
  drawn.PlotRect = {10, 0, 14, 100};
  for (int i = 0; i < 5; ++i) drawn.Step();
  EXPECT_EQ(canvas.widest, 1);
  EXPECT_EQ(drawn.LastX, 12);
  drawn.ClearBackground = true;
  drawn.Left = 10, drawn.Top = 5, drawn.Width = 230, drawn.Height = 105;
  drawn.Paint();
  EXPECT_EQ(drawn.PlotRect.left, 37);
  EXPECT_EQ(drawn.PlotRect.top, 15);
  EXPECT_EQ(drawn.PlotRect.right, 226);
  EXPECT_EQ(drawn.PlotRect.bottom, 90);
}

}  // namespace
}  // namespace strevo
