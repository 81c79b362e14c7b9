// The analysis side of a user's files: the two difficult-key sets and the
// word collection in the statistics file, the shared word lists, and the
// tutor's results in the profile.
#pragma once

#include "storage/UserBlocks.h"

namespace strevo {

class TUserStatistics : public IStatisticsBlocks {
 public:
  void Acquire() override;
  void Release() override;
  void Clear() override;
  // Set 0 always; set 1 from version 6 on.
  void LoadKeys(TRecFile& file, int32_t version) override;
  // The old word format before version 11, the current one at the current
  // version; any other version has no words that can be read.
  void LoadWords(TRecFile& file, int32_t version) override;
  void SaveKeys(TRecFile& file) override;
  void SaveWords(TRecFile& file, int32_t limit) override;
  void LoadWordList(const std::string& path, int32_t weight) override;
  std::unique_ptr<IProfileBlock> NewResults() override;
};

// The process-wide instance the program start registers.
TUserStatistics& UserStatistics();

}  // namespace strevo
