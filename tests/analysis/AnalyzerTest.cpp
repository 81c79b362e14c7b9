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
// character with its delay, Analyzer_EndWord after a word end.
void type(const std::string& text, int32_t delay) {
  for (char c : text)
    if (Analyzer_CharPressed(static_cast<unsigned char>(c), delay)) Analyzer_EndWord();
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
  EfficiencyInfo().Characters = 100;
  EfficiencyInfo().KeyMessages = 100;
  EXPECT_EQ(EfficiencyInfo().CharsPerMinute(), 0);
  EXPECT_EQ(EfficiencyInfo().KeysPerMinute(), 0);
}

TEST_F(TEfficiencyInfoTest, KeysPerMinuteUsesTheBurst) {
  BurstTime().Start();
  fake.clock.Advance(20000);
  EXPECT_EQ(EfficiencyInfo().KeysPerMinute(), 0);  // no key messages yet
  EfficiencyInfo().KeyMessages = 50;
  EXPECT_EQ(EfficiencyInfo().KeysPerMinute(), 150);
}

TEST_F(TEfficiencyInfoTest, RunOfBackspacesMakesCharactersAndSpeedNegative) {
  type("\b\b\b", 100);
  EXPECT_EQ(EfficiencyInfo().Characters, -3);
  EXPECT_EQ(EfficiencyInfo().Keystrokes, 3);
  TypingTime().SetSeconds(60);
  EXPECT_EQ(EfficiencyInfo().CharsPerMinute(), -3);
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
    SelectKeySet(1);
  }
  TDifficultKeys& keys() { return *ActiveDifficultKeys(); }
};

TEST_F(PipelineTest, FirstCharacterAfterCancelStartsBurstAndIsNotRegistered) {
  type("ab", 150);
  Analyzer_Cancel();
  EfficiencyInfo().KeyMessages = 7;
  Analyzer_CharPressed('c', 0);
  EXPECT_TRUE(BurstTime().IsRunning());
  EXPECT_EQ(EfficiencyInfo().KeyMessages, 0);
  EXPECT_EQ(keys().Hits['c'], 0);
  Analyzer_CharPressed('d', 120);
  EXPECT_EQ(keys().Hits['d'], 1);
}

TEST_F(PipelineTest, SpaceEndsTheWordAndIsCountedButNotAddedToTheWord) {
  EXPECT_FALSE(Analyzer_CharPressed('a', 0));
  EXPECT_FALSE(Analyzer_CharPressed('b', 100));
  EXPECT_TRUE(Analyzer_CharPressed(' ', 100));
  EXPECT_EQ(CurrentWord().Text, "ab");
  EXPECT_EQ(EfficiencyInfo().Characters, 3);
  EXPECT_EQ(EfficiencyInfo().Keystrokes, 3);
}

TEST_F(PipelineTest, NegativeDelayCountsAsZeroAndRegistersNothing) {
  Analyzer_CharPressed('a', -40);
  EXPECT_EQ(keys().Hits['a'], 0);
  EXPECT_EQ(DeviationCalc().Count, 0);
}

// Five steady keys give the detector its rhythm; the sixth comes far too late.
// A slow lower-case letter is registered as an error, a slow capital is not
// registered at all; both count against the word.
TEST_F(PipelineTest, SlowLetterCountsAgainstTheWordAndOnlyLowerCaseIsRegisteredAsAnError) {
  for (const unsigned char late : {'x', 'X'}) {
    type("abcde", 200);
    Analyzer_CharPressed(late, 3000);
    EXPECT_EQ(keys().Hits[late], late == 'x' ? 1 : 0) << late;
    EXPECT_EQ(keys().Errors[late], late == 'x' ? 1 : 0) << late;
    EXPECT_EQ(CurrentWord().SlowCount, 1) << late;
    Analyzer_Cancel();
  }
}

TEST_F(PipelineTest, SlowKeyWhileTheWordIsShorterThanTwoCountsAsAPlainHit) {
  type("abcd ", 200);  // five samples; the word ends
  ASSERT_EQ(CurrentWord().Text, "");
  Analyzer_CharPressed('x', 3000);
  EXPECT_EQ(keys().Hits['x'], 1);
  EXPECT_EQ(keys().Errors['x'], 0);
  EXPECT_EQ(CurrentWord().SlowCount, 0);
}

TEST_F(PipelineTest, WithoutAnActiveKeySetNothingIsRegistered) {
  SetActiveDifficultKeys(nullptr);
  type("abcde", 200);
  Analyzer_CharPressed('x', 3000);
  EXPECT_EQ(DifficultKeySet(0).Hits['x'] + DifficultKeySet(1).Hits['x'], 0);
  EXPECT_EQ(DifficultKeySet(0).Hits['b'] + DifficultKeySet(1).Hits['b'], 0);
  EXPECT_EQ(CurrentWord().SlowCount, 1);
}

TEST_F(PipelineTest, ReportsGoToTheActiveSetOnly) {
  SelectKeySet(0);
  type("ab", 100);
  EXPECT_EQ(DifficultKeySet(0).Hits['b'], 1);
  EXPECT_EQ(DifficultKeySet(1).Hits['b'], 0);
  EXPECT_EQ(DifficultKeySet(0).Window, 8);
  EXPECT_EQ(DifficultKeySet(1).Window, 20);
}

TEST_F(PipelineTest, EndWordCountsOnlyWordsWithText) {
  Analyzer_EndWord();
  EXPECT_EQ(EfficiencyInfo().Words, 0);
  type("hi ", 100);
  EXPECT_EQ(EfficiencyInfo().Words, 1);
  EXPECT_EQ(CurrentWord().Text, "");
}

TEST_F(PipelineTest, CollectedWordGoesToTheTableAndTheObserver) {
  RecordingObserver observer;
  SetWordObserver(&observer);
  Analyzer_SetSource(1);
  type("the a ", 100);
  EXPECT_EQ(WordEntry(1).Word(), "the");
  EXPECT_EQ(WordEntry(1).Flags, 1);
  EXPECT_TRUE(WordEntry(2).Empty());
  EXPECT_EQ(observer.words, std::vector<std::string>{"the"});  // one letter is not shown
  SetWordObserver(nullptr);
}

TEST_F(PipelineTest, WordsAreNotCollectedWithSource100) {
  RecordingObserver observer;
  SetWordObserver(&observer);
  Analyzer_SetSource(4);
  Analyzer_SetSource(100);
  EXPECT_FALSE(CollectWords());
  EXPECT_EQ(WordSource(), 4);
  type("the ", 100);
  EXPECT_TRUE(WordEntry(1).Empty());
  EXPECT_TRUE(observer.words.empty());
  EXPECT_EQ(EfficiencyInfo().Words, 1);
  SetWordObserver(nullptr);
}

TEST_F(PipelineTest, CancelResetsBurstWordAndDetectorButNotTypingTime) {
  type("abcdef", 200);
  fake.clock.Advance(4000);
  Analyzer_Cancel();
  Analyzer_Pause();
  EXPECT_FALSE(BurstTime().IsRunning());
  EXPECT_EQ(BurstTime().Seconds(), 0);
  EXPECT_FALSE(TypingTime().IsRunning());
  EXPECT_EQ(TypingTime().Seconds(), 4);
  EXPECT_EQ(CurrentWord().Text, "");
  EXPECT_EQ(DeviationCalc().Count, 0);
  EXPECT_EQ(EfficiencyInfo().KeyMessages, 0);
  // The next burst adds to the day's typing time.
  Analyzer_CharPressed('a', 0);
  fake.clock.Advance(2000);
  EXPECT_EQ(TypingTime().Seconds(), 6);
}

TEST_F(PipelineTest, TypingTimeRunsUntilTheAnalysisIsAbandoned) {
  Analyzer_CharPressed('a', 0);
  fake.clock.Advance(6001);  // the idle watchdog fires only now
  Analyzer_Cancel();
  Analyzer_Pause();
  fake.clock.Advance(60000);
  EXPECT_EQ(TypingTime().Seconds(), 6);
}

TEST_F(PipelineTest, PauseResetsTheDetector) {
  type("abcdef", 200);
  Analyzer_Pause();
  EXPECT_EQ(DeviationCalc().Count, 0);
  EXPECT_FALSE(BurstTime().IsRunning());
}

TEST_F(PipelineTest, UserSwitchClearingLeavesNothingOfThePreviousUser) {
  Analyzer_SetSource(1);
  type("hello world ", 150);
  DifficultKeySet(0).TotalHits['q'] = 12;
  WordEntry(1).Flags |= 8;
  ClearUserAnalysis();
  EXPECT_EQ(DifficultKeySet(0).TotalHits['q'], 0);
  EXPECT_EQ(DifficultKeySet(1).Hits['e'], 0);
  for (int slot = 1; slot <= kWordTableSize; ++slot) {
    ASSERT_TRUE(WordEntry(slot).Empty());
    ASSERT_EQ(WordEntry(slot).Flags, 0);
  }
  EXPECT_EQ(CurrentWord().WordList->Slot, 0);
  type("again ", 150);
  EXPECT_EQ(WordEntry(1).Word(), "again");
}

// --------------------------------------------------------------- module --

TEST_F(AnalysisTest, ModuleLivesUntilTheLastFinalisation) {
  TTypingTimer* timer = &TypingTime();
  AnalyzerInitialize();
  EXPECT_EQ(&TypingTime(), timer);  // the second initialisation creates nothing
  AnalyzerFinalize();
  EXPECT_TRUE(AnalyzerInitialized());
  AnalyzerFinalize();
  EXPECT_FALSE(AnalyzerInitialized());
  AnalyzerFinalize();  // an extra finalisation does no harm
  EXPECT_FALSE(Analyzer_CharPressed(' ', 100));  // entry points do nothing without the module
  Analyzer_EndWord();
  Analyzer_Cancel();
  Analyzer_Pause();
  EXPECT_EQ(ActiveDifficultKeys(), nullptr);
  AnalyzerInitialize();
  EXPECT_TRUE(AnalyzerInitialized());
  EXPECT_FALSE(CollectWords());
  EXPECT_EQ(ActiveDifficultKeys(), nullptr);  // no set is selected until the tray core does it
}

}  // namespace
}  // namespace strevo::test
