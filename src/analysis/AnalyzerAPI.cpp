#include "analysis/AnalyzerAPI.h"

#include <memory>

#include "analysis/Analyzer.h"
#include "analysis/DeviationCalc.h"
#include "analysis/Diffkeys.h"
#include "analysis/SinglePrecision.h"
#include "analysis/WordAnalyzer.h"
#include "platform/Ansi.h"
#include "storage/DebugLog.h"

namespace strevo {

namespace {

// The singletons, in the order module initialisation creates them.
struct AnalysisModule {
  TEfficiencyInfo efficiency;
  TDeviationCalc deviation;
  TTypingTimer typingTime;
  TTypingTimer burstTime;
  TWord currentWord;
  TDifficultKeys keySets[2];
  TDifficultKeys* active = nullptr;

  AnalysisModule() { keySets[1].Window = 20; }
};

std::unique_ptr<AnalysisModule> g_module;
int g_references = 0;

bool g_collectWords = false;
int32_t g_wordSource = 0;
IWordObserver* g_wordObserver = nullptr;

}  // namespace

void AnalyzerInitialize() {
  if (g_references++ > 0) return;
  g_collectWords = false;
  g_wordSource = 0;
  g_module = std::make_unique<AnalysisModule>();
}

void AnalyzerFinalize() {
  if (g_references == 0 || --g_references > 0) return;
  g_module.reset();
  g_wordObserver = nullptr;
}

bool AnalyzerInitialized() { return g_module != nullptr; }

TEfficiencyInfo& EfficiencyInfo() { return g_module->efficiency; }
TDeviationCalc& DeviationCalc() { return g_module->deviation; }
TTypingTimer& TypingTime() { return g_module->typingTime; }
TTypingTimer& BurstTime() { return g_module->burstTime; }
TWord& CurrentWord() { return g_module->currentWord; }

TDifficultKeys& DifficultKeySet(int index) { return g_module->keySets[index == 1 ? 1 : 0]; }

TDifficultKeys* ActiveDifficultKeys() { return g_module ? g_module->active : nullptr; }

void SelectKeySet(int index) {
  if (g_module) g_module->active = &g_module->keySets[index == 1 ? 1 : 0];
}

void SetActiveDifficultKeys(TDifficultKeys* keys) {
  if (g_module) g_module->active = keys;
}

void ClearKeySets() {
  if (!g_module) return;
  g_module->keySets[0].Clear();
  g_module->keySets[1].Clear();
}

void ClearUserAnalysis() {
  ClearKeySets();
  ClearWordTable();
}

bool CollectWords() { return g_collectWords; }
int32_t WordSource() { return g_wordSource; }

void SetWordObserver(IWordObserver* observer) { g_wordObserver = observer; }

// This runs for every analysed key press: with the debug log off it must not
// allocate or format anything.
bool Analyzer_CharPressed(unsigned char ch, int32_t delay) {
  AnalysisModule* m = g_module.get();
  if (!m) return false;
  TraceBlock trace("Analyzer_CharPressed {", "} Analyzer_CharPressed");
  if (!m->typingTime.IsRunning()) m->typingTime.Start();
  if (!m->burstTime.IsRunning()) {
    m->burstTime.Start();
    m->efficiency.KeyMessages = 0;
  }
  ++m->efficiency.Keystrokes;

  const bool endWord = IsWordEndChar(ch);
  if (endWord && DebugLogOn())
    DebugLog(1, "Analyzer_CharPressed: EndWord set to true because char was " + std::string(1, static_cast<char>(ch)));

  TWord& word = m->currentWord;
  if (ch == 8) {
    word.DelChar();
    --m->efficiency.Characters;
  } else {
    ++m->efficiency.Characters;
    if (!endWord) word.AddChar(ch);
  }

  if (delay > 0) {
    const bool slow = m->deviation.Add(single(static_cast<float>(delay) / 1000.0f)) && word.Text.size() >= 2;
    TDifficultKeys* keys = m->active;
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

void Analyzer_EndWord() {
  AnalysisModule* m = g_module.get();
  if (!m) return;
  TraceBlock trace("Analyzer_EndWord()", "Analyzer_EndWord()");
  TWord& word = m->currentWord;
  if (!word.Text.empty()) ++m->efficiency.Words;
  if (g_collectWords) {
    word.Notify(g_wordSource);
    if (word.Text.size() >= 2 && g_wordObserver) g_wordObserver->WordFinished(word.Text);
  }
  word.Clear();
}

void Analyzer_SetSource(int32_t source) {
  g_collectWords = true;
  if (source == kNoWordCollection) {
    g_collectWords = false;
    DebugLog(2, "Analyzer_SetSource:  Does not collect words!");
  } else {
    g_wordSource = source;
  }
}

void Analyzer_Cancel() {
  AnalysisModule* m = g_module.get();
  if (!m) return;
  TraceBlock trace("Analyzer_Cancel()", "Analyzer_Cancel()");
  m->currentWord.Clear();
  m->burstTime.Reset();
  m->efficiency.KeyMessages = 0;
  m->deviation.Reset();
}

void Analyzer_Pause() {
  AnalysisModule* m = g_module.get();
  if (!m) return;
  m->burstTime.Pause();
  m->typingTime.Pause();
  m->deviation.Reset();
}

}  // namespace strevo
