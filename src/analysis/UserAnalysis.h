// One user's analysis: both difficult-key sets, the collected words, the
// letter pairs and the monitored applications. The tray core's session makes
// one and hands it to the pipeline and to every user object it opens, which
// loads the user's files into it and saves them from it; a report or a tool
// reading a user makes its own, so nothing of one user's figures is shared.
// Main thread only.
#pragma once

#include <array>
#include <memory>

#include "analysis/BigramAnalyzer.h"
#include "analysis/Diffkeys.h"
#include "analysis/WordAnalyzer.h"
#include "storage/UserBlocks.h"

namespace strevo {

class UserAnalysis final : public IUserBlocks {
 public:
  // Without an applications list the ".SET" file is neither read nor written.
  explicit UserAnalysis(std::unique_ptr<IApplicationList> applications = nullptr);

  // Empties both key sets and the word table.
  void Clear() override;
  // Set 0 always; set 1 from version 6 on.
  void LoadKeys(TRecFile& file, int32_t version) override;
  // The old word format before version 11, the current one at the current
  // version; any other version has no words that can be read.
  void LoadWords(TRecFile& file, int32_t version) override;
  void SaveKeys(TRecFile& file) override;
  // At most limit words when it is 1..2000, else 2000.
  void SaveWords(TRecFile& file, int32_t limit) override;
  void LoadWordList(const std::string& path, int32_t weight) override;
  std::unique_ptr<IProfileBlock> NewResults() override;
  IApplicationList* Applications() override { return applications_.get(); }

  // 0 with Window 8, 1 with Window 20.
  std::array<TDifficultKeys, 2> KeySets;
  TWordList Words;
  TUserBigrams LetterPairs;

 private:
  std::unique_ptr<IApplicationList> applications_;
};

}  // namespace strevo
