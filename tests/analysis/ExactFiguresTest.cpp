// Figures that are ratios of integers come out exact: no binary fraction
// may turn a whole number of characters per minute or a half into one less.
#include <gtest/gtest.h>

#include "analysis/Analyzer.h"
#include "analysis/Diffkeys.h"
#include "analysis/AnalysisFixture.h"

namespace strevo {
namespace {

class ExactFiguresTest : public test::AnalysisTest {};

TEST_F(ExactFiguresTest, SpeedsAreExactCharactersPerMinute) {
  // 23 characters in exactly 23 seconds are 60 a minute (12 words), not 59.
  TEfficiencyInfo& info = analyzer.Efficiency;
  info.Characters = 23;
  analyzer.TypingTime.SetSeconds(23);
  EXPECT_EQ(analyzer.CharsPerMinute(), 60);
  info.Characters = 41;  // 41 in 23 s: 106.95... a minute, the fraction dropped
  EXPECT_EQ(analyzer.CharsPerMinute(), 106);
  info.Characters = -7;  // backspaces can make the day negative: dropped toward zero
  EXPECT_EQ(analyzer.CharsPerMinute(), -18);
}

TEST_F(ExactFiguresTest, DecayRoundsTheExactRatioHalvesToEven) {
  TDifficultKeys keys;
  keys.Window = 20;
  keys.SavedHits['a'] = 45;  // 45 x 14/20 = 31.5: even neighbour 32
  keys.SavedHits['b'] = 33;  // 33 x 14/20 = 23.1
  keys.SavedHits['c'] = 35;  // 35 x 14/20 = 24.5: even neighbour 24
  for (unsigned char c : {'a', 'b', 'c'})
    for (int i = 0; i < 6; ++i) keys.Register(c, false);
  keys.Consolidate();
  EXPECT_EQ(keys.TotalHits['a'], 32 + 6);
  EXPECT_EQ(keys.TotalHits['b'], 23 + 6);
  EXPECT_EQ(keys.TotalHits['c'], 24 + 6);
}

}  // namespace
}  // namespace strevo
