// The analysis pipeline: the entry points the tray core calls for every
// analysed character, word end, abandonment and pause, and the process-wide
// analysis singletons they work on. All of it runs on the main thread.
//
// The singletons exist between AnalyzerInitialize and AnalyzerFinalize
// (reference counted: only the first initialisation creates them, only the
// last finalisation frees them). The accessors returning references may be
// called only while they exist; the entry points do nothing before that.
#pragma once

#include <cstdint>
#include <string>

namespace strevo {

class TEfficiencyInfo;
class TTypingTimer;
class TDeviationCalc;
class TDifficultKeys;
class TWord;

void AnalyzerInitialize();
void AnalyzerFinalize();
bool AnalyzerInitialized();

// ------------------------------------------------------------- singletons --

TEfficiencyInfo& EfficiencyInfo();
TDeviationCalc& DeviationCalc();
TTypingTimer& TypingTime();  // the day's accumulated typing time
TTypingTimer& BurstTime();   // the current burst; reset by every cancel
TWord& CurrentWord();        // the word being typed, with the word collection

// The two difficult-key sets: 0 with Window 8, 1 with Window 20. Both are
// loaded and saved with the user.
TDifficultKeys& DifficultKeySet(int index);
// The set every report from the analysis goes to; null while none is
// selected (then the pipeline skips every call on it).
TDifficultKeys* ActiveDifficultKeys();
// 1 selects the set with Window 20 (the tray core does this at start), any
// other value the set with Window 8.
void SelectKeySet(int index);
void SetActiveDifficultKeys(TDifficultKeys* keys);
// Clears both sets: the user load calls it when the user has no statistics
// file yet, so no figures of the previous user carry over.
void ClearKeySets();

// Everything of the previous user the analysis holds: both key sets and the
// whole word table (Flags included; CurrentWord gets a fresh list). The user
// load calls it before it reads a user's statistics, so that figures and
// words of one user never reach another user's files, also when the new
// user's file is missing, short or of an older version.
void ClearUserAnalysis();

// Module values set by Analyzer_SetSource.
bool CollectWords();
int32_t WordSource();

// Told about every finished word of at least two characters while words are
// collected; the tray core shows it in the meter's status text.
class IWordObserver {
 public:
  virtual ~IWordObserver() = default;
  virtual void WordFinished(const std::string& word) = 0;
};
// Null removes the observer. The observer must outlive its registration.
void SetWordObserver(IWordObserver* observer);

// ----------------------------------------------------------- entry points --

// A character that passed the tray core's filters, with the delay in ms since
// the previous analysed character (0 for the first one of a run). True when
// the character ends a word.
bool Analyzer_CharPressed(unsigned char ch, int32_t delay);
void Analyzer_EndWord();
// Sources for Analyzer_SetSource: words are not collected, or collected as
// typed outside the tutor.
constexpr int32_t kNoWordCollection = 100;
constexpr int32_t kTypedWordsSource = 1;
// kNoWordCollection: words are not collected; any other value: collect words
// with that source.
void Analyzer_SetSource(int32_t source);
void Analyzer_Cancel();
void Analyzer_Pause();

}  // namespace strevo
