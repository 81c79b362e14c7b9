// The typing run the tray core feeds key by key: when the previous analysed
// key came, which character repeats, how many characters came since the last
// word end, whether a word was counted since the run was last abandoned, and
// the letter pairs of the run. It decides where a word ends and when the run
// must be abandoned; the abandonment itself belongs to the tray core (its
// icon, widget and notifications), which then calls Abandon. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "analysis/BigramAnalyzer.h"

namespace strevo {

class TAnalyzer;
class UserAnalysis;

// Why an analysis run is abandoned.
enum class CancelReason {
  Interrupted = 1,  // a click, a key without a character, a repeat, another window
  IdleTimeout = 2,  // the icon-revert thread after six seconds without a key
  NoWordEnd = 3,    // every tenth character without a word end
};

class TTypingRun {
 public:
  explicit TTypingRun(TAnalyzer& analyzer);
  TTypingRun(const TTypingRun&) = delete;
  TTypingRun& operator=(const TTypingRun&) = delete;

  // The run asks to be abandoned (the tray core's CancelAnalyse).
  std::function<void(CancelReason)> onCancel;

  // The user whose analysis the pipeline and the letter pairs feed; none
  // between users.
  void SetUser(UserAnalysis* user);

  // A blank right after an abandonment whose last character was a blank
  // too: not analysed, the run is abandoned again.
  bool RepeatedBlank(unsigned char ch) const { return previousKeyTime_ == 0 && ch == ' ' && ch == lastCharacter_; }
  // Milliseconds since the previous analysed key; 0 for the first of a run.
  int32_t DelayTo(uint32_t messageTime) const;
  // A word was counted since the run was last abandoned.
  bool WordCounted() const;
  // A backspace, before its analysis: the letter pairs mark the pair it undoes.
  void Backspace();
  // The character through the pipeline: a fourth repeat or a tenth
  // character without a word end abandon the run first; at a word end the
  // word is counted, unless none was counted since the last abandonment
  // (then the partial word is dropped).
  void Analyse(unsigned char ch, int32_t delay);
  // After the analysis: the character to the letter pairs, and its time as
  // the previous key's.
  void KeyDone(unsigned char ch, uint32_t messageTime);
  // The run's part of an abandonment; with endedAt, the run's time stops
  // there (a pause noticed late).
  void Abandon(CancelReason reason, std::optional<uint32_t> endedAt = std::nullopt);

  TBigramAnalyzer& LetterPairs() { return pairs_; }

 private:
  void Cancel(CancelReason reason) {
    if (onCancel) onCancel(reason);
  }

  TAnalyzer& analyzer_;
  TBigramAnalyzer pairs_;
  uint32_t previousKeyTime_ = 0;
  unsigned char lastCharacter_ = 0;
  int32_t repeatCount_ = 0;
  int32_t charsSinceWordEnd_ = 0;
  int32_t savedWordCount_ = 0;
};

}  // namespace strevo
