// The analysis pipeline: the entry points the tray core calls for every
// analysed character, word end, abandonment and pause, with the live
// counters, the two typing timers, the deviation detector and the word being
// typed. The program start makes one and hands it to the tray core. What it
// learns about keys and words goes to the analysis of the user it is given;
// without one it keeps the counters only. Main thread only.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/Analyzer.h"
#include "analysis/DeviationCalc.h"
#include "analysis/WordAnalyzer.h"

namespace strevo {

class TDifficultKeys;
class UserAnalysis;

// Told about every finished word of at least two characters while words are
// collected; the tray core shows it in the meter's status text.
class IWordObserver {
 public:
  virtual ~IWordObserver() = default;
  virtual void WordFinished(const std::string& word) = 0;
};

// Sources for SetSource: words are not collected, or collected as typed
// outside the tutor.
constexpr int32_t kNoWordCollection = 100;
constexpr int32_t kTypedWordsSource = 1;

class TAnalyzer {
 public:
  TAnalyzer();
  TAnalyzer(const TAnalyzer&) = delete;
  TAnalyzer& operator=(const TAnalyzer&) = delete;

  // The analysis of the user being monitored; none between users.
  void SetUser(UserAnalysis* user);
  UserAnalysis* User() const { return user_; }
  // 1 selects the user's key set with Window 20 (the tray core does this at
  // start), any other value the set with Window 8. Until a set is selected
  // the pipeline skips every call on the keys.
  void SelectKeySet(int index);
  // The set every report from the analysis goes to; none while no set is
  // selected or no user is analysed.
  TDifficultKeys* ActiveKeys() const;
  // The collection words go to: the user's while words are collected, else none.
  const TWordList* CollectedWords() const;

  bool CollectWords() const { return collectWords_; }
  int32_t WordSource() const { return wordSource_; }
  // Null removes the observer. The observer must outlive its registration.
  void SetWordObserver(IWordObserver* observer) { wordObserver_ = observer; }

  // A character that passed the tray core's filters, with the delay in ms
  // since the previous analysed character (0 for the first one of a run).
  // True when the character ends a word.
  bool CharPressed(unsigned char ch, int32_t delay);
  void EndWord();
  // kNoWordCollection: words are not collected; any other value: collect
  // words with that source.
  void SetSource(int32_t source);
  void Cancel();
  // The timers stop; with until, at that tick at the latest.
  void Pause(std::optional<uint32_t> until = std::nullopt);

  // The day's average speed over the day's typing time, and the key
  // messages over the current burst (see TEfficiencyInfo).
  int32_t CharsPerMinute() const { return Efficiency.CharsPerMinute(TypingTime); }
  int32_t KeysPerMinute() const { return Efficiency.KeysPerMinute(BurstTime); }
  // The day's problem figure of the active key set and the collected words.
  int32_t ProblemIndex() const;

  TEfficiencyInfo Efficiency;
  TDeviationCalc Deviation;
  TTypingTimer TypingTime;  // the day's accumulated typing time
  TTypingTimer BurstTime;   // the current burst; reset by every cancel
  TWord CurrentWord;        // the word being typed

 private:
  // The word being typed follows the user and the selected set.
  void Connect();

  UserAnalysis* user_ = nullptr;
  int keySet_ = -1;  // none selected
  bool collectWords_ = false;
  int32_t wordSource_ = 0;
  IWordObserver* wordObserver_ = nullptr;
};

}  // namespace strevo
