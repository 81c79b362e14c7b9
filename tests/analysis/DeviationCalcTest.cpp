#include "analysis/DeviationCalc.h"

#include <string>
#include <tuple>

#include "analysis/AnalysisFixture.h"
#include "analysis/Diffkeys.h"
#include "analysis/WordAnalyzer.h"

namespace strevo::test {
namespace {

// ---------------------------------------------------------- the detector --

// After ten steady delays of 0.2 s the strict line lets a delay just under
// it pass and marks one above it slow; the normal line is the lenient one.
TEST(TDeviationCalcTest, StrictAndNormalLines) {
  for (const auto& [strict, passes, slow, line] : {std::tuple{true, 0.65f, 0.8f, 0.686875f}, std::tuple{false, 0.9f, 1.0f, 0.95625f}}) {
    TDeviationCalc calc;
    calc.StrictMode = strict;
    for (int i = 0; i < 10; ++i) calc.Add(0.2f);
    EXPECT_FALSE(calc.Add(passes));
    EXPECT_NEAR(calc.Threshold(), line, 1e-5f);
    calc.Reset();
    for (int i = 0; i < 10; ++i) calc.Add(0.2f);
    EXPECT_TRUE(calc.Add(slow));
  }
}

// The first four delays of a burst are never slow; the ring keeps the ten
// newest; a reset restarts the ring (its old samples never count again) but
// keeps the mode.
TEST(TDeviationCalcTest, TheRingOfDelays) {
  TDeviationCalc calc;
  calc.StrictMode = true;
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(calc.Add(i == 0 ? 0.01f : 50.0f));
  calc.Reset();
  for (int i = 1; i <= 12; ++i) calc.Add(static_cast<float>(i));
  EXPECT_EQ(calc.Count, 10);
  EXPECT_EQ(calc.Index, 2);
  EXPECT_FLOAT_EQ(calc.Average, 7.5f);
  calc.Reset();
  EXPECT_TRUE(calc.StrictMode);
  calc.Add(0.5f);
  EXPECT_EQ(calc.Count, 1);
  EXPECT_FLOAT_EQ(calc.Average, 0.5f);
}

// ------------------------------------------------------ the problem index --

class ProblemIndexTest : public AnalysisTest {
 protected:
  void SetUp() override {
    AnalysisTest::SetUp();
    analyzer.SelectKeySet(1);
  }
  // A key whose index is errors / hits * 400 (Presses 40, so no weakening).
  void set_key(unsigned char c, int hits, int errors) {
    TDifficultKeys& keys = *analyzer.ActiveKeys();
    keys.TotalHits[c] = hits;
    keys.TotalErrors[c] = errors;
    keys.Presses[c] = 40;
    keys.Sorted = false;
  }
  // Fifteen words typed seven times each with weight 3: word weight 100.
  void collect_heavy_words(int count) {
    for (int w = 0; w < count; ++w) {
      const std::string word = std::string("word") + static_cast<char>('a' + w);
      for (int i = 0; i < 7; ++i) user.Words.AddWord(word, 3, 1);
    }
  }
};

// Without difficult keys or an active set the figures are 0; a band's lower
// limit belongs to the upper band (33 and 66).
TEST_F(ProblemIndexTest, EmptyFiguresAreZeroAndBandLimitsBelongToTheUpperBand) {
  EXPECT_EQ(KeyIndexUpper(analyzer.ActiveKeys()), 0);
  EXPECT_EQ(WordIndex(analyzer.CollectedWords()), 0);
  EXPECT_EQ(analyzer.ProblemIndex(), 0);
  const std::pair<int, uint32_t> bands[] = {{0, 0xF7B4A7},  {32, 0xF7B4A7}, {33, 0x1DD2FF},
                                            {65, 0x1DD2FF}, {66, 0x4F01FF}, {250, 0x4F01FF}};
  for (const auto& [index, colour] : bands) EXPECT_EQ(BandColour(index, analyzer.ActiveKeys()), colour) << index;
  set_key('a', 40, 10);
  analyzer.SetUser(nullptr);
  EXPECT_EQ(KeyIndexLower(analyzer.ActiveKeys()), 0);
  EXPECT_EQ(BandColour(40, analyzer.ActiveKeys()), 0x1DD2FFu);
}

// The first four keys weigh heavier; each list takes only its own case.
TEST_F(ProblemIndexTest, KeyIndexesWeighTheFirstFourHeavier) {
  set_key('a', 40, 4);  // 40
  set_key('b', 40, 2);  // 20
  set_key('c', 40, 1);
  set_key('d', 40, 1);
  set_key('e', 40, 1);  // fifth: light weight
  set_key('A', 40, 4);
  // (1.35 * (40 + 20 + 10 + 10) + 0.65 * 10) / 8 = 14.3125; 1.35 * 40 / 6 = 9
  EXPECT_EQ(KeyIndexLower(analyzer.ActiveKeys()), 14);
  EXPECT_EQ(KeyIndexUpper(analyzer.ActiveKeys()), 9);
}

// Fifteen words of weight 100 give a word index of 112 (only the first
// fifteen count, and none while words are not collected); the problem index
// blends keys and words and can exceed 100.
TEST_F(ProblemIndexTest, ProblemIndexBlendsKeysAndWords) {
  for (unsigned char c : std::string("abcdefghABCDEF")) set_key(c, 40, 10);  // index 100 each
  collect_heavy_words(15);
  EXPECT_EQ(WordIndex(analyzer.CollectedWords()), 0);
  EXPECT_EQ(analyzer.ProblemIndex(), 100);  // 0.7 * 100 + 0.3 * 100
  analyzer.SetSource(1);
  collect_heavy_words(20);
  ASSERT_EQ(user.Words.WordWeight(1), 100);
  EXPECT_EQ(WordIndex(analyzer.CollectedWords()), 112);
  EXPECT_EQ(analyzer.ProblemIndex(), 104);  // 0.35 * 112 + 0.45 * 100 + 0.2 * 100 = 104.2
}

}  // namespace
}  // namespace strevo::test
