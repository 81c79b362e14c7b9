#include "analysis/TypingRun.h"

#include "analysis/AnalyzerAPI.h"
#include "analysis/UserAnalysis.h"

namespace strevo {

TTypingRun::TTypingRun(TAnalyzer& analyzer) : analyzer_(analyzer) {}

void TTypingRun::SetUser(UserAnalysis* user) {
  analyzer_.SetUser(user);
  pairs_.Table = user ? &user->LetterPairs : nullptr;
}

int32_t TTypingRun::DelayTo(uint32_t messageTime) const {
  return previousKeyTime_ != 0 ? static_cast<int32_t>(messageTime - previousKeyTime_) : 0;
}

bool TTypingRun::WordCounted() const { return analyzer_.Efficiency.Words != savedWordCount_; }

void TTypingRun::Backspace() {
  if (pairs_.Enabled) pairs_.Backspace();
}

void TTypingRun::Analyse(unsigned char ch, int32_t delay) {
  if (ch != lastCharacter_) {
    lastCharacter_ = ch;
    repeatCount_ = 0;
  } else if (++repeatCount_ > 2) {
    Cancel(CancelReason::Interrupted);
  }
  if (charsSinceWordEnd_ >= 9) {
    Cancel(CancelReason::NoWordEnd);
    charsSinceWordEnd_ = 0;
  } else {
    ++charsSinceWordEnd_;
  }
  if (!analyzer_.CharPressed(ch, delay)) return;
  if (WordCounted()) {
    analyzer_.EndWord();
    previousKeyTime_ = 0;
    charsSinceWordEnd_ = 0;
    if (pairs_.Enabled) pairs_.WordEnd();
  } else {
    savedWordCount_ = -1;
    analyzer_.Cancel();
    if (pairs_.Enabled) pairs_.Cancel();
  }
}

void TTypingRun::KeyDone(unsigned char ch, uint32_t messageTime) {
  if (pairs_.Enabled) pairs_.CharPressed(ch, static_cast<int32_t>(messageTime));
  previousKeyTime_ = messageTime;
}

void TTypingRun::Abandon(CancelReason reason, std::optional<uint32_t> endedAt) {
  if (reason != CancelReason::NoWordEnd && pairs_.Enabled) pairs_.Cancel();
  analyzer_.Cancel();
  previousKeyTime_ = 0;
  savedWordCount_ = analyzer_.Efficiency.Words;
  analyzer_.Pause(endedAt);
}

}  // namespace strevo
