#include "analysis/UserAnalysis.h"

#include "analysis/UResults.h"
#include "storage/DebugLog.h"

namespace strevo {

UserAnalysis::UserAnalysis(std::unique_ptr<IApplicationList> applications)
    : applications_(std::move(applications)) {
  KeySets[1].Window = 20;
}

void UserAnalysis::Clear() {
  KeySets[0].Clear();
  KeySets[1].Clear();
  Words.Clear();
}

void UserAnalysis::LoadKeys(TRecFile& file, int32_t version) {
  KeySets[0].LoadFrom(file);
  if (version >= 6) KeySets[1].LoadFrom(file);
}

void UserAnalysis::LoadWords(TRecFile& file, int32_t version) {
  if (version < 11) Words.LoadOldFrom(file);
  else if (version == kStatisticsVersion) Words.LoadFrom(file);
}

void UserAnalysis::SaveKeys(TRecFile& file) {
  KeySets[0].SaveTo(file);
  KeySets[1].SaveTo(file);
}

void UserAnalysis::SaveWords(TRecFile& file, int32_t limit) {
  if (DebugLogOn()) DebugLog(0, "TWord.Save() lim" + std::to_string(limit));
  Words.SaveTo(file, (limit >= 1 && limit <= kWordTableSize) ? limit : kWordTableSize);
}

void UserAnalysis::LoadWordList(const std::string& path, int32_t weight) { Words.LoadWordFile(path, weight); }

std::unique_ptr<IProfileBlock> UserAnalysis::NewResults() { return std::make_unique<TResults>(); }

}  // namespace strevo
