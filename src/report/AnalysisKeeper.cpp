#include "report/AnalysisKeeper.h"

#include <array>
#include <optional>

#include "analysis/AnalyzerAPI.h"
#include "analysis/Diffkeys.h"
#include "analysis/UserStatistics.h"
#include "analysis/WordAnalyzer.h"
#include "storage/UserBlocks.h"

namespace strevo {

namespace {

// The analysis module's parts, which exist only while it is initialised.
// Declared outside Saved: clang cannot see a nested class with member
// initialisers as constructible inside its enclosing class.
struct SavedModule {
  TDifficultKeys keys0, keys1;
  int32_t slot = 0, pass = 0;
  bool modified = false;
};

}  // namespace

struct TAnalysisKeeper::Saved {
  std::array<TWordEntry, kWordTableSize> words;
  std::optional<SavedModule> module;
};

TAnalysisKeeper::TAnalysisKeeper() : saved_(std::make_unique<Saved>()) {
  for (int32_t slot = 1; slot <= kWordTableSize; ++slot) saved_->words[static_cast<size_t>(slot - 1)] = WordEntry(slot);
  if (AnalyzerInitialized()) {
    SavedModule& m = saved_->module.emplace();
    m.keys0 = DifficultKeySet(0);
    m.keys1 = DifficultKeySet(1);
    if (const TWordList* list = CurrentWord().WordList.get()) {
      m.slot = list->Slot;
      m.pass = list->Pass;
      m.modified = list->Modified;
    }
  }
  previousStatistics_ = StatisticsBlocks();
  previousApplications_ = ApplicationList();
  RegisterUserBlocks(&UserStatistics(), nullptr);
}

TAnalysisKeeper::~TAnalysisKeeper() {
  RegisterUserBlocks(previousStatistics_, previousApplications_);
  const bool module = saved_->module && AnalyzerInitialized();
  // A new list empties the table, so it comes before the words go back.
  if (module && !CurrentWord().WordList) CurrentWord().WordList = std::make_unique<TWordList>();
  for (int32_t slot = 1; slot <= kWordTableSize; ++slot) WordEntry(slot) = saved_->words[static_cast<size_t>(slot - 1)];
  if (module) {
    const SavedModule& m = *saved_->module;
    DifficultKeySet(0) = m.keys0;
    DifficultKeySet(1) = m.keys1;
    TWordList& list = *CurrentWord().WordList;
    list.Slot = m.slot;
    list.Pass = m.pass;
    list.Modified = m.modified;
  }
}

}  // namespace strevo
