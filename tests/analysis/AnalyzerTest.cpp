#include "analysis/Analyzer.h"

#include <string>
#include <utility>
#include <vector>

#include "analysis/AnalysisFixture.h"
#include "analysis/AnalyzerAPI.h"
#include "analysis/DeviationCalc.h"
#include "analysis/Diffkeys.h"
#include "analysis/WordAnalyzer.h"

namespace strevo::test {
namespace {

class RecordingObserver : public IWordObserver {
 public:
  void WordFinished(const std::string& word) override { words.push_back(word); }
  std::vector<std::string> words;
};

// Types a text through the pipeline the way the tray core does: each
// character with its delay, the word's end after a word end.
void type(TAnalyzer& analyzer, const std::string& text, int32_t delay) {
  for (char c : text)
    if (analyzer.CharPressed(static_cast<unsigned char>(c), delay)) analyzer.EndWord();
}

// ------------------------------------------------------------- the timer --

using TTypingTimerTest = AnalysisTest;

TEST_F(TTypingTimerTest, AsTextShowsHoursMinutesSecondsWithoutWrappingAtADay) {
  TTypingTimer timer;
  timer.SetSeconds(3661);
  EXPECT_EQ(timer.AsText(), "01:01:01");
  timer.SetSeconds(360000);
  EXPECT_EQ(timer.AsText(), "100:00:00");
}

// A negative value behaves as zero.
TEST_F(TTypingTimerTest, SetSecondsLeavesTheTimerPausedAndStartResumesFromThere) {
  for (const auto& [stored, shown] : {std::pair{120, 120}, std::pair{-5, 0}}) {
    TTypingTimer timer;
    timer.SetSeconds(stored);
    fake.clock.Advance(5000);
    EXPECT_EQ(timer.Seconds(), shown);
    EXPECT_FALSE(timer.IsRunning());
    timer.Start();
    fake.clock.Advance(3000);
    EXPECT_EQ(timer.Seconds(), shown + 3);
  }
}

// A day's stored typing time larger than the system's uptime put the start
// before tick 0; the timer must still count and report it.
TEST_F(TTypingTimerTest, SetSecondsLargerThanUptimeStillCountsAfterResume) {
  fake.clock.SetTick(1000);
  TTypingTimer timer;
  timer.SetSeconds(7200);
  EXPECT_EQ(timer.Seconds(), 7200);
  timer.Start();
  EXPECT_TRUE(timer.IsRunning());
  fake.clock.Advance(4000);
  EXPECT_EQ(timer.Seconds(), 7204);
  timer.Pause();
  EXPECT_FALSE(timer.IsRunning());
  EXPECT_EQ(timer.Seconds(), 7204);
}

TEST_F(TTypingTimerTest, TickCounterWrapDuringTypingKeepsCounting) {
  fake.clock.SetTick(0xFFFFF000u);  // 4 096 ms before the wrap
  TTypingTimer timer;
  timer.Start();
  fake.clock.Advance(10000);
  EXPECT_EQ(timer.Seconds(), 10);
  timer.Pause();
  fake.clock.Advance(60000);
  timer.Start();
  fake.clock.Advance(2000);
  EXPECT_EQ(timer.Seconds(), 12);
}

TEST_F(TTypingTimerTest, StartAtTickZeroIsAValidStart) {
  fake.clock.SetTick(0);
  TTypingTimer timer;
  timer.Start();
  EXPECT_TRUE(timer.IsRunning());
  fake.clock.Advance(3000);
  EXPECT_EQ(timer.Seconds(), 3);
}

TEST_F(TTypingTimerTest, PausedTimeIsNotCounted) {
  TTypingTimer timer;
  timer.Start();
  fake.clock.Advance(2000);
  timer.Pause();
  fake.clock.Advance(50000);
  timer.Pause();  // pausing a paused timer changes nothing
  timer.Start();
  fake.clock.Advance(1000);
  timer.Start();  // starting a running timer changes nothing
  EXPECT_EQ(timer.Seconds(), 3);
}

TEST_F(TTypingTimerTest, SecondsRoundHalfToEven) {
  TTypingTimer timer;
  timer.Start();
  fake.clock.Advance(2500);
  EXPECT_EQ(timer.Seconds(), 2);
  fake.clock.Advance(1000);
  EXPECT_EQ(timer.Seconds(), 4);
  fake.clock.Advance(1);
  EXPECT_EQ(timer.Seconds(), 4);
}

// ------------------------------------------------------------ the speeds --

using TEfficiencyInfoTest = AnalysisTest;

TEST_F(TEfficiencyInfoTest, SpeedsAreZeroUnderOneSecond) {
  analyzer.Efficiency.Characters = 100;
  analyzer.Efficiency.KeyMessages = 100;
  EXPECT_EQ(analyzer.CharsPerMinute(), 0);
  EXPECT_EQ(analyzer.KeysPerMinute(), 0);
}

TEST_F(TEfficiencyInfoTest, KeysPerMinuteUsesTheBurst) {
  analyzer.BurstTime.Start();
  fake.clock.Advance(20000);
  EXPECT_EQ(analyzer.KeysPerMinute(), 0);  // no key messages yet
  analyzer.Efficiency.KeyMessages = 50;
  EXPECT_EQ(analyzer.KeysPerMinute(), 150);
}

TEST_F(TEfficiencyInfoTest, RunOfBackspacesMakesCharactersAndSpeedNegative) {
  type(analyzer, "\b\b\b", 100);
  EXPECT_EQ(analyzer.Efficiency.Characters, -3);
  EXPECT_EQ(analyzer.Efficiency.Keystrokes, 3);
  analyzer.TypingTime.SetSeconds(60);
  EXPECT_EQ(analyzer.CharsPerMinute(), -3);
}

TEST(WordEndTest, ApostropheAndBackspaceDoNotEndAWord) {
  EXPECT_TRUE(IsWordEndChar(' '));
  EXPECT_FALSE(IsWordEndChar('\''));
  EXPECT_FALSE(IsWordEndChar(8));
}

// ---------------------------------------------------------- the pipeline --

class PipelineTest : public AnalysisTest {
 protected:
  void SetUp() override {
    AnalysisTest::SetUp();
    analyzer.SelectKeySet(1);
  }
  TDifficultKeys& keys() { return *analyzer.ActiveKeys(); }
};

TEST_F(PipelineTest, FirstCharacterAfterCancelStartsBurstAndIsNotRegistered) {
  type(analyzer, "ab", 150);
  analyzer.Cancel();
  analyzer.Efficiency.KeyMessages = 7;
  analyzer.CharPressed('c', 0);
  EXPECT_TRUE(analyzer.BurstTime.IsRunning());
  EXPECT_EQ(analyzer.Efficiency.KeyMessages, 0);
  EXPECT_EQ(keys().Hits['c'], 0);
  analyzer.CharPressed('d', 120);
  EXPECT_EQ(keys().Hits['d'], 1);
}

TEST_F(PipelineTest, SpaceEndsTheWordAndIsCountedButNotAddedToTheWord) {
  EXPECT_FALSE(analyzer.CharPressed('a', 0));
  EXPECT_FALSE(analyzer.CharPressed('b', 100));
  EXPECT_TRUE(analyzer.CharPressed(' ', 100));
  EXPECT_EQ(analyzer.CurrentWord.Text, "ab");
  EXPECT_EQ(analyzer.Efficiency.Characters, 3);
  EXPECT_EQ(analyzer.Efficiency.Keystrokes, 3);
}

TEST_F(PipelineTest, NegativeDelayCountsAsZeroAndRegistersNothing) {
  analyzer.CharPressed('a', -40);
  EXPECT_EQ(keys().Hits['a'], 0);
  EXPECT_EQ(analyzer.Deviation.Count, 0);
}

// Five steady keys give the detector its rhythm; the sixth comes far too late.
// A slow lower-case letter is registered as an error, a slow capital is not
// registered at all; both count against the word.
TEST_F(PipelineTest, SlowLetterCountsAgainstTheWordAndOnlyLowerCaseIsRegisteredAsAnError) {
  for (const unsigned char late : {'x', 'X'}) {
    type(analyzer, "abcde", 200);
    analyzer.CharPressed(late, 3000);
    EXPECT_EQ(keys().Hits[late], late == 'x' ? 1 : 0) << late;
    EXPECT_EQ(keys().Errors[late], late == 'x' ? 1 : 0) << late;
    EXPECT_EQ(analyzer.CurrentWord.SlowCount, 1) << late;
    analyzer.Cancel();
  }
}

TEST_F(PipelineTest, SlowKeyWhileTheWordIsShorterThanTwoCountsAsAPlainHit) {
  type(analyzer, "abcd ", 200);  // five samples; the word ends
  ASSERT_EQ(analyzer.CurrentWord.Text, "");
  analyzer.CharPressed('x', 3000);
  EXPECT_EQ(keys().Hits['x'], 1);
  EXPECT_EQ(keys().Errors['x'], 0);
  EXPECT_EQ(analyzer.CurrentWord.SlowCount, 0);
}

TEST_F(PipelineTest, WithoutAUserNothingIsRegistered) {
  analyzer.SetUser(nullptr);
  type(analyzer, "abcde", 200);
  analyzer.CharPressed('x', 3000);
  EXPECT_EQ(user.KeySets[0].Hits['x'] + user.KeySets[1].Hits['x'], 0);
  EXPECT_EQ(user.KeySets[0].Hits['b'] + user.KeySets[1].Hits['b'], 0);
  EXPECT_EQ(analyzer.CurrentWord.SlowCount, 1);
}

TEST_F(PipelineTest, ReportsGoToTheActiveSetOnly) {
  analyzer.SelectKeySet(0);
  type(analyzer, "ab", 100);
  EXPECT_EQ(user.KeySets[0].Hits['b'], 1);
  EXPECT_EQ(user.KeySets[1].Hits['b'], 0);
  EXPECT_EQ(user.KeySets[0].Window, 8);
  EXPECT_EQ(user.KeySets[1].Window, 20);
}

TEST_F(PipelineTest, EndWordCountsOnlyWordsWithText) {
  analyzer.EndWord();
  EXPECT_EQ(analyzer.Efficiency.Words, 0);
  type(analyzer, "hi ", 100);
  EXPECT_EQ(analyzer.Efficiency.Words, 1);
  EXPECT_EQ(analyzer.CurrentWord.Text, "");
}

TEST_F(PipelineTest, CollectedWordGoesToTheTableAndTheObserver) {
  RecordingObserver observer;
  analyzer.SetWordObserver(&observer);
  analyzer.SetSource(1);
  type(analyzer, "the a ", 100);
  EXPECT_EQ(user.Words.Entry(1).Word(), "the");
  EXPECT_EQ(user.Words.Entry(1).Flags, 1);
  EXPECT_TRUE(user.Words.Entry(2).Empty());
  EXPECT_EQ(observer.words, std::vector<std::string>{"the"});  // one letter is not shown
  analyzer.SetWordObserver(nullptr);
}

TEST_F(PipelineTest, WordsAreNotCollectedWithSource100) {
  RecordingObserver observer;
  analyzer.SetWordObserver(&observer);
  analyzer.SetSource(4);
  analyzer.SetSource(100);
  EXPECT_FALSE(analyzer.CollectWords());
  EXPECT_EQ(analyzer.WordSource(), 4);
  type(analyzer, "the ", 100);
  EXPECT_TRUE(user.Words.Entry(1).Empty());
  EXPECT_TRUE(observer.words.empty());
  EXPECT_EQ(analyzer.Efficiency.Words, 1);
  analyzer.SetWordObserver(nullptr);
}

TEST_F(PipelineTest, CancelResetsBurstWordAndDetectorButNotTypingTime) {
  type(analyzer, "abcdef", 200);
  fake.clock.Advance(4000);
  analyzer.Cancel();
  analyzer.Pause();
  EXPECT_FALSE(analyzer.BurstTime.IsRunning());
  EXPECT_EQ(analyzer.BurstTime.Seconds(), 0);
  EXPECT_FALSE(analyzer.TypingTime.IsRunning());
  EXPECT_EQ(analyzer.TypingTime.Seconds(), 4);
  EXPECT_EQ(analyzer.CurrentWord.Text, "");
  EXPECT_EQ(analyzer.Deviation.Count, 0);
  EXPECT_EQ(analyzer.Efficiency.KeyMessages, 0);
  // The next burst adds to the day's typing time.
  analyzer.CharPressed('a', 0);
  fake.clock.Advance(2000);
  EXPECT_EQ(analyzer.TypingTime.Seconds(), 6);
}

TEST_F(PipelineTest, TypingTimeRunsUntilTheAnalysisIsAbandoned) {
  analyzer.CharPressed('a', 0);
  fake.clock.Advance(6001);  // the idle watchdog fires only now
  analyzer.Cancel();
  analyzer.Pause();
  fake.clock.Advance(60000);
  EXPECT_EQ(analyzer.TypingTime.Seconds(), 6);
}

TEST_F(PipelineTest, PauseResetsTheDetector) {
  type(analyzer, "abcdef", 200);
  analyzer.Pause();
  EXPECT_EQ(analyzer.Deviation.Count, 0);
  EXPECT_FALSE(analyzer.BurstTime.IsRunning());
}

TEST_F(PipelineTest, UserSwitchClearingLeavesNothingOfThePreviousUser) {
  analyzer.SetSource(1);
  type(analyzer, "hello world ", 150);
  user.KeySets[0].TotalHits['q'] = 12;
  user.Words.Entry(1).Flags |= 8;
  user.Clear();
  EXPECT_EQ(user.KeySets[0].TotalHits['q'], 0);
  EXPECT_EQ(user.KeySets[1].Hits['e'], 0);
  for (int slot = 1; slot <= kWordTableSize; ++slot) {
    ASSERT_TRUE(user.Words.Entry(slot).Empty());
    ASSERT_EQ(user.Words.Entry(slot).Flags, 0);
  }
  EXPECT_EQ(user.Words.Slot, 0);
  type(analyzer, "again ", 150);
  EXPECT_EQ(user.Words.Entry(1).Word(), "again");
}

// ------------------------------------------------------------- two users --

TEST_F(AnalysisTest, AnotherUsersAnalysisSharesNothingWithTheMonitoredOne) {
  analyzer.SelectKeySet(1);
  analyzer.SetSource(1);
  for (unsigned char c : std::string("hello ")) analyzer.CharPressed(c, 150);
  analyzer.EndWord();
  UserAnalysis other;
  other.Words.AddWord("other", 1, 1);
  other.KeySets[1].Register('q', true);
  other.Clear();
  EXPECT_EQ(user.Words.Entry(1).Word(), "hello");
  EXPECT_EQ(user.KeySets[1].Hits['e'], 1);
  EXPECT_EQ(user.KeySets[1].Hits['q'], 0);
}

}  // namespace
}  // namespace strevo::test
