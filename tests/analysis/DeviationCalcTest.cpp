#include "analysis/DeviationCalc.h"

#include <string>

#include "analysis/AnalysisFixture.h"
#include "analysis/Diffkeys.h"
#include "analysis/WordAnalyzer.h"

namespace strevo::test {
namespace {

// ---------------------------------------------------------- the detector --

TDeviationCalc strict_calc_with_ten_steady_delays() {
  TDeviationCalc calc;
  calc.StrictMode = true;
  for (int i = 0; i < 10; ++i) calc.Add(0.2f);
  return calc;
}

TEST(TDeviationCalcTest, StrictLineLetsADelayJustUnderItPassAndMarksOneAboveItSlow) {
  TDeviationCalc calc = strict_calc_with_ten_steady_delays();
  EXPECT_FALSE(calc.Add(0.65f));
  EXPECT_NEAR(calc.Average, 0.245f, 1e-6f);  // (9 * 0.2 + 0.65) / 10
  EXPECT_NEAR(calc.Threshold(), 0.686875f, 1e-5f);
  calc = strict_calc_with_ten_steady_delays();
  EXPECT_TRUE(calc.Add(0.8f));
  EXPECT_NEAR(calc.Average, 0.26f, 1e-6f);
  EXPECT_NEAR(calc.Threshold(), 0.7075f, 1e-5f);
}

TEST(TDeviationCalcTest, NormalLineIsTheLenientOne) {
  TDeviationCalc calc;
  for (int i = 0; i < 10; ++i) calc.Add(0.2f);
  EXPECT_FALSE(calc.Add(0.9f));  // average 0.27, line 0.95625
  EXPECT_NEAR(calc.Threshold(), 0.95625f, 1e-5f);
  calc.Reset();
  for (int i = 0; i < 10; ++i) calc.Add(0.2f);
  EXPECT_TRUE(calc.Add(1.0f));  // average 0.28, line 0.975
}

TEST(TDeviationCalcTest, FirstFourDelaysOfABurstAreNeverSlow) {
  TDeviationCalc calc;
  calc.StrictMode = true;
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(calc.Add(i == 0 ? 0.01f : 50.0f));
  EXPECT_EQ(calc.Count, 4);
}

TEST(TDeviationCalcTest, RingKeepsTheTenNewestDelays) {
  TDeviationCalc calc;
  for (int i = 1; i <= 12; ++i) calc.Add(static_cast<float>(i));
  EXPECT_EQ(calc.Count, 10);
  EXPECT_EQ(calc.Index, 2);
  EXPECT_FLOAT_EQ(calc.Sum, 75.0f);  // 3 + ... + 12
  EXPECT_FLOAT_EQ(calc.Average, 7.5f);
}

// The samples before a reset stay in the ring but must never be counted again.
TEST(TDeviationCalcTest, ResetRestartsTheRingButKeepsTheMode) {
  TDeviationCalc calc;
  calc.StrictMode = true;
  for (int i = 0; i < 7; ++i) calc.Add(0.3f);
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

TEST_F(ProblemIndexTest, WithoutDifficultKeysOrAnActiveSetTheFiguresAreZero) {
  EXPECT_EQ(KeyIndexUpper(analyzer.ActiveKeys()), 0);
  EXPECT_EQ(WordIndex(analyzer.CollectedWords()), 0);
  EXPECT_EQ(analyzer.ProblemIndex(), 0);
  set_key('a', 40, 10);
  analyzer.SetUser(nullptr);
  EXPECT_EQ(KeyIndexLower(analyzer.ActiveKeys()), 0);
  EXPECT_EQ(BandColour(40, analyzer.ActiveKeys()), kModerateColour);
}

TEST_F(ProblemIndexTest, KeyIndexLowerWeighsTheFirstFourHeavier) {
  set_key('a', 40, 4);  // 40
  set_key('b', 40, 2);  // 20
  set_key('c', 40, 1);  // 10
  set_key('d', 40, 1);  // 10
  set_key('e', 40, 1);  // 10, fifth: light weight
  set_key('Q', 40, 10);  // upper case: not in this list
  // (1.35 * (40 + 20 + 10 + 10) + 0.65 * 10) / 8 = 14.3125
  EXPECT_EQ(KeyIndexLower(analyzer.ActiveKeys()), 14);
}

TEST_F(ProblemIndexTest, KeyIndexUpperUsesSixUpperCaseKeys) {
  set_key('A', 40, 4);  // 40
  set_key('a', 40, 10);  // lower case: not in this list
  // 1.35 * 40 / 6 = 9
  EXPECT_EQ(KeyIndexUpper(analyzer.ActiveKeys()), 9);
}

TEST_F(ProblemIndexTest, FifteenWordsOfWeight100GiveWordIndex112) {
  analyzer.SetSource(1);
  collect_heavy_words(15);
  ASSERT_EQ(user.Words.WordWeight(1), 100);
  EXPECT_EQ(WordIndex(analyzer.CollectedWords()), 112);
  collect_heavy_words(20);  // only the first fifteen count
  EXPECT_EQ(WordIndex(analyzer.CollectedWords()), 112);
}

TEST_F(ProblemIndexTest, WordIndexIsZeroWhileWordsAreNotCollected) {
  collect_heavy_words(15);
  EXPECT_EQ(WordIndex(analyzer.CollectedWords()), 0);
}

TEST_F(ProblemIndexTest, ProblemIndexBlendsKeysAndWordsAndCanExceed100) {
  for (unsigned char c : std::string("abcdefgh")) set_key(c, 40, 10);  // index 100 each
  for (unsigned char c : std::string("ABCDEF")) set_key(c, 40, 10);
  ASSERT_EQ(KeyIndexLower(analyzer.ActiveKeys()), 100);
  ASSERT_EQ(KeyIndexUpper(analyzer.ActiveKeys()), 100);
  EXPECT_EQ(analyzer.ProblemIndex(), 100);  // 0.7 * 100 + 0.3 * 100
  analyzer.SetSource(1);
  collect_heavy_words(15);
  EXPECT_EQ(analyzer.ProblemIndex(), 104);  // 0.35 * 112 + 0.45 * 100 + 0.2 * 100 = 104.2
}

TEST_F(ProblemIndexTest, BandLimitsBelongToTheUpperBand) {
  EXPECT_EQ(BandColour(0, analyzer.ActiveKeys()), kEasyColour);
  EXPECT_EQ(BandColour(32, analyzer.ActiveKeys()), kEasyColour);
  EXPECT_EQ(BandColour(33, analyzer.ActiveKeys()), kModerateColour);
  EXPECT_EQ(BandColour(65, analyzer.ActiveKeys()), kModerateColour);
  EXPECT_EQ(BandColour(66, analyzer.ActiveKeys()), kDifficultColour);
  EXPECT_EQ(BandColour(250, analyzer.ActiveKeys()), kDifficultColour);
}

}  // namespace
}  // namespace strevo::test
