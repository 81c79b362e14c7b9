#include "analysis/AnalyzerAPI.h"

#include "analysis/Diffkeys.h"
#include "analysis/SinglePrecision.h"
#include "analysis/UserAnalysis.h"
#include "platform/Ansi.h"
#include "storage/DebugLog.h"

namespace strevo {

TAnalyzer::TAnalyzer() = default;

void TAnalyzer::SetUser(UserAnalysis* user) {
  user_ = user;
  Connect();
}

void TAnalyzer::SelectKeySet(int index) {
  keySet_ = index == 1 ? 1 : 0;
  Connect();
}

TDifficultKeys* TAnalyzer::ActiveKeys() const {
  return user_ && keySet_ >= 0 ? &user_->KeySets[static_cast<size_t>(keySet_)] : nullptr;
}

const TWordList* TAnalyzer::CollectedWords() const { return collectWords_ && user_ ? &user_->Words : nullptr; }

void TAnalyzer::Connect() {
  CurrentWord.WordList = user_ ? &user_->Words : nullptr;
  CurrentWord.Keys = ActiveKeys();
}

int32_t TAnalyzer::ProblemIndex() const { return strevo::ProblemIndex(ActiveKeys(), collectWords_, CollectedWords()); }

// This runs for every analysed key press: with the debug log off it must not
// allocate or format anything.
bool TAnalyzer::CharPressed(unsigned char ch, int32_t delay) {
  TraceBlock trace("Analyzer_CharPressed {", "} Analyzer_CharPressed");
  if (!TypingTime.IsRunning()) TypingTime.Start();
  if (!BurstTime.IsRunning()) {
    BurstTime.Start();
    Efficiency.KeyMessages = 0;
  }
  ++Efficiency.Keystrokes;

  const bool endWord = IsWordEndChar(ch);
  if (endWord && DebugLogOn())
    DebugLog(1, "Analyzer_CharPressed: EndWord set to true because char was " + std::string(1, static_cast<char>(ch)));

  TWord& word = CurrentWord;
  if (ch == 8) {
    word.DelChar();
    --Efficiency.Characters;
  } else {
    ++Efficiency.Characters;
    if (!endWord) word.AddChar(ch);
  }

  if (delay > 0) {
    const bool slow = Deviation.Add(single(static_cast<float>(delay) / 1000.0f)) && word.Text.size() >= 2;
    TDifficultKeys* keys = ActiveKeys();
    if (slow) {
      DebugLog(1, "Deviation detected to be too slow");
      // Only a lower-case letter marks its key; a slow capital or punctuation
      // mark counts against the word alone.
      if (keys && ch != ansi_upper_char(ch)) keys->Register(ch, true);
      ++word.SlowCount;
    } else if (keys) {
      keys->Register(ch, false);
    }
  }
  return endWord;
}

void TAnalyzer::EndWord() {
  TraceBlock trace("Analyzer_EndWord()", "Analyzer_EndWord()");
  TWord& word = CurrentWord;
  if (!word.Text.empty()) ++Efficiency.Words;
  if (collectWords_) {
    word.Notify(wordSource_);
    if (word.Text.size() >= 2 && wordObserver_) wordObserver_->WordFinished(word.Text);
  }
  word.Clear();
}

void TAnalyzer::SetSource(int32_t source) {
  collectWords_ = true;
  if (source == kNoWordCollection) {
    collectWords_ = false;
    DebugLog(2, "Analyzer_SetSource:  Does not collect words!");
  } else {
    wordSource_ = source;
  }
}

void TAnalyzer::Cancel() {
  TraceBlock trace("Analyzer_Cancel()", "Analyzer_Cancel()");
  CurrentWord.Clear();
  BurstTime.Reset();
  Efficiency.KeyMessages = 0;
  Deviation.Reset();
}

void TAnalyzer::Pause(std::optional<uint32_t> until) {
  BurstTime.Pause(until);
  TypingTime.Pause(until);
  Deviation.Reset();
}

}  // namespace strevo
