// The speed graph: key intervals into a smoothed speed, the value's pixel
// row, and the curve scrolling across the chart.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/Fixture.h"
#include "ui/Nervgrph.h"

namespace strevo {
namespace {

// Records what the graph draws, in order.
class RecordingCanvas : public IGraphCanvas {
 public:
  Rect PlotRect() override { return plot; }
  void EraseColumns(int fromX, int toX) override { Add("erase", fromX, toX); }
  void Cursor(int x) override { Add("cursor", x); }
  void Line(int x1, int y1, int x2, int y2) override { Add("line", x1, y1, x2, y2); }
  void Wrap(int x) override { Add("wrap", x); }

  Rect plot{10, 0, 14, 100};
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
  void SetUp() override { graph.Plot = {0, 0, 250, 1000}; }
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
  graph.Plot = {40, 16, 226, 86};
  EXPECT_EQ(graph.ValueToY(-0.5f), -1);
  EXPECT_EQ(graph.ValueToY(0), 86);
  EXPECT_EQ(graph.ValueToY(500), 51);
  EXPECT_EQ(graph.ValueToY(1000), 16);
  EXPECT_EQ(graph.ValueToY(1800), 16);
}

TEST_F(NervoGraphTest, CurveWrapsAtTheRightEdgeErasingAheadOfTheCursorFirst) {
  RecordingCanvas canvas;
  TNervoGraph drawn(&canvas);
  for (int i = 0; i < 5; ++i) drawn.Step();
  const std::vector<std::string> expected = {
      "erase 11 12", "cursor 12", "line 10 100 11 100",  // starts at the bottom left
      "erase 12 13", "cursor 13", "line 11 100 12 100",
      "erase 13 14", "cursor 14", "line 12 100 13 100",
      "wrap 14",     "erase 11 12", "cursor 12", "line 10 100 11 100",  // full: back to the left edge
      "erase 12 13", "cursor 13", "line 11 100 12 100",
  };
  EXPECT_EQ(canvas.calls, expected);
  EXPECT_EQ(drawn.LastX, 12);
}

}  // namespace
}  // namespace strevo
