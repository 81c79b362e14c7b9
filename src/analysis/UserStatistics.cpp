#include "analysis/UserStatistics.h"

#include "analysis/AnalyzerAPI.h"
#include "analysis/Diffkeys.h"
#include "analysis/UResults.h"
#include "analysis/WordAnalyzer.h"

namespace strevo {

void TUserStatistics::Acquire() { AnalyzerInitialize(); }
void TUserStatistics::Release() { AnalyzerFinalize(); }

void TUserStatistics::Clear() { ClearUserAnalysis(); }

void TUserStatistics::LoadKeys(TRecFile& file, int32_t version) {
  DifficultKeySet(0).LoadFrom(file);
  if (version >= 6) DifficultKeySet(1).LoadFrom(file);
}

void TUserStatistics::LoadWords(TRecFile& file, int32_t version) {
  if (version < 11) CurrentWord().LoadOldFrom(file);
  else if (version == kStatisticsVersion) CurrentWord().LoadFrom(file);
}

void TUserStatistics::SaveKeys(TRecFile& file) {
  DifficultKeySet(0).SaveTo(file);
  DifficultKeySet(1).SaveTo(file);
}

void TUserStatistics::SaveWords(TRecFile& file, int32_t limit) { CurrentWord().Save(file, limit); }

void TUserStatistics::LoadWordList(const std::string& path, int32_t weight) { CurrentWord().LoadWordFile(path, weight); }

std::unique_ptr<IProfileBlock> TUserStatistics::NewResults() { return std::make_unique<TResults>(); }

TUserStatistics& UserStatistics() {
  static TUserStatistics instance;
  return instance;
}

}  // namespace strevo
