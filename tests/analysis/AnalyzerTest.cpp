// The pipeline: its timers, speeds, word ends, slow keys and collection.
#include "analysis/Analyzer.h"

#include <string>
#include <vector>

#include "analysis/AnalysisFixture.h"
#include "analysis/Diffkeys.h"

namespace strevo::test {
namespace {

struct RecordingObserver : IWordObserver {
  void WordFinished(const std::string& word) override { words.push_back(word); }
  std::vector<std::string> words;
};

class PipelineTest : public AnalysisTest {
 protected:
  void SetUp() override {
    AnalysisTest::SetUp();
    analyzer.SelectKeySet(1);
  }
  // Each character with its delay, the word's end after a word end, as the
  // tray core does.
  void type(const std::string& text, int32_t delay) {
    for (char c : text)
      if (analyzer.CharPressed(static_cast<unsigned char>(c), delay)) analyzer.EndWord();
  }
  TDifficultKeys& keys() { return *analyzer.ActiveKeys(); }
};

// ------------------------------------------------------------- the timer --

// Whole seconds rounded half to even, from tick 0 and across the counter's
// wrap, without wrapping at a day. Stored seconds (more than the system's
// uptime, which put the start before tick 0) show paused; Start resumes from
// there; a second Pause or Start changes nothing. (Stored and shown typing
// times: the scenarios of TypingFiguresTest.)
TEST_F(PipelineTest, TimerCountsOnlyRunningTimeInWholeSecondsRoundedHalfToEven) {
  for (uint32_t tick : {0u, 0xFFFFFA00u}) {
    fake.clock.SetTick(tick);
    TTypingTimer running;
    running.Start();
    EXPECT_TRUE(running.IsRunning());
    fake.clock.Advance(2500);
    EXPECT_EQ(running.Seconds(), 2) << tick;
    fake.clock.Advance(1000);
    EXPECT_EQ(running.Seconds(), 4) << tick;
  }
  fake.clock.SetTick(1000);
  TTypingTimer timer;
  timer.SetSeconds(7200);
  fake.clock.Advance(5000);
  EXPECT_EQ(timer.Seconds(), 7200);
  EXPECT_FALSE(timer.IsRunning());
  timer.Start();
  fake.clock.Advance(2000);
  timer.Pause();
  timer.Pause();
  fake.clock.Advance(50000);
  timer.Start();
  timer.Start();
  fake.clock.Advance(1000);
  EXPECT_EQ(timer.Seconds(), 7203);
}

// (The speeds: the scenarios of TypingFiguresTest.)

// ---------------------------------------------------------- the pipeline --

TEST_F(PipelineTest, FirstCharacterOfABurstIsNotRegisteredAndASpaceEndsTheWord) {
  type("ab", 150);
  analyzer.Cancel();
  analyzer.Efficiency.KeyMessages = 7;
  EXPECT_FALSE(analyzer.CharPressed('c', 0));
  EXPECT_TRUE(analyzer.BurstTime.IsRunning());
  EXPECT_EQ(analyzer.Efficiency.KeyMessages, 0);
  EXPECT_EQ(keys().Hits['c'], 0);
  analyzer.CharPressed('d', -40);  // a negative delay counts as none
  EXPECT_EQ(keys().Hits['d'], 0);
  analyzer.CharPressed('e', 120);
  EXPECT_EQ(keys().Hits['e'], 1);
  EXPECT_TRUE(analyzer.CharPressed(' ', 100));
  EXPECT_EQ(analyzer.CurrentWord.Text, "cde");
  EXPECT_EQ(analyzer.Efficiency.Characters, 6);
  // Backspaces are keystrokes that take characters away, below zero too.
  type("\b\b\b\b\b\b\b\b", 100);
  EXPECT_EQ(analyzer.Efficiency.Characters, -2);
  EXPECT_EQ(analyzer.Efficiency.Keystrokes, 14);
}

// Five steady keys give the detector its rhythm; the sixth comes far too
// late. A slow lower-case letter is registered as an error, a slow capital
// not at all; both count against the word, but not while it is shorter
// than two letters.
TEST_F(PipelineTest, SlowKeysCountAgainstTheWordAndOnlyLowerCaseLettersAsErrors) {
  for (const unsigned char late : {'x', 'X'}) {
    type("abcde", 200);
    analyzer.CharPressed(late, 3000);
    EXPECT_EQ(keys().Hits[late], late == 'x' ? 1 : 0) << late;
    EXPECT_EQ(keys().Errors[late], late == 'x' ? 1 : 0) << late;
    EXPECT_EQ(analyzer.CurrentWord.SlowCount, 1) << late;
    analyzer.Cancel();
  }
  type("abcd ", 200);
  analyzer.CharPressed('y', 3000);
  EXPECT_EQ(keys().Hits['y'], 1);
  EXPECT_EQ(keys().Errors['y'], 0);
  EXPECT_EQ(analyzer.CurrentWord.SlowCount, 0);
}

TEST_F(PipelineTest, KeysGoToTheActiveSetAndWithoutAUserNowhere) {
  analyzer.SelectKeySet(0);
  type("ab", 100);
  EXPECT_EQ(user.KeySets[0].Hits['b'], 1);
  EXPECT_EQ(user.KeySets[1].Hits['b'], 0);
  analyzer.SetUser(nullptr);
  type("abcde", 200);
  analyzer.CharPressed('x', 3000);
  EXPECT_EQ(user.KeySets[0].Hits['c'] + user.KeySets[0].Hits['x'], 0);
  EXPECT_EQ(analyzer.CurrentWord.SlowCount, 1);
}

TEST_F(PipelineTest, WordsWithTextAreCountedAndCollectedWordsGoToTheTableAndTheObserver) {
  RecordingObserver observer;
  analyzer.SetWordObserver(&observer);
  analyzer.EndWord();
  EXPECT_EQ(analyzer.Efficiency.Words, 0);
  analyzer.SetSource(1);
  type("the a ", 100);
  EXPECT_EQ(analyzer.Efficiency.Words, 2);
  EXPECT_EQ(user.Words.Entry(1).Word(), "the");
  EXPECT_EQ(user.Words.Entry(1).Flags, 1);
  EXPECT_TRUE(user.Words.Entry(2).Empty());
  EXPECT_EQ(observer.words, std::vector<std::string>{"the"});  // one letter is not shown
  // Source 100 stops the collection and keeps the source.
  analyzer.SetSource(4);
  analyzer.SetSource(100);
  EXPECT_FALSE(analyzer.CollectWords());
  EXPECT_EQ(analyzer.WordSource(), 4);
  type("dog ", 100);
  EXPECT_TRUE(user.Words.Entry(2).Empty());
  EXPECT_EQ(observer.words.size(), 1u);
  EXPECT_EQ(analyzer.Efficiency.Words, 3);
  analyzer.SetWordObserver(nullptr);
  // Nothing of this user is left for the next one.
  user.KeySets[0].TotalHits['q'] = 12;
  user.Clear();
  EXPECT_EQ(user.KeySets[0].TotalHits['q'] + user.KeySets[1].Hits['h'], 0);
  EXPECT_TRUE(user.Words.Entry(1).Empty());
}

// The typing time pauses (TypingFiguresTest/TheNextBurstAddsToTheTypingTime);
// the burst, the word and the detector start afresh.
TEST_F(PipelineTest, AbandoningResetsBurstWordAndDetectorAndPausesTheTypingTime) {
  type("abcdef", 200);
  analyzer.Cancel();
  analyzer.Pause();
  EXPECT_FALSE(analyzer.BurstTime.IsRunning());
  EXPECT_EQ(analyzer.BurstTime.Seconds(), 0);
  EXPECT_FALSE(analyzer.TypingTime.IsRunning());
  EXPECT_EQ(analyzer.CurrentWord.Text, "");
  EXPECT_EQ(analyzer.Deviation.Count, 0);
  EXPECT_EQ(analyzer.Efficiency.KeyMessages, 0);
  analyzer.CharPressed('a', 0);
  analyzer.Pause();  // a pause alone resets the detector too
  EXPECT_EQ(analyzer.Deviation.Count, 0);
}

}  // namespace
}  // namespace strevo::test
