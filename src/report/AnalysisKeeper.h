// The report reads a user's statistics file the way the program does: a
// user object loads it into the analysis's process-wide tables (both
// difficult-key sets and the word table). Inside the running program those
// tables hold the monitored user's unsaved figures, so a report may only
// borrow them: TAnalysisKeeper copies them when it is made and puts them
// back when it goes. It also registers the analysis's statistics blocks for
// its lifetime (without the monitored-applications list, which a user
// object would otherwise drop and reload). Main thread only, as the
// analysis itself.
#pragma once

#include <memory>

namespace strevo {

class IApplicationList;
class IStatisticsBlocks;

class TAnalysisKeeper {
 public:
  TAnalysisKeeper();
  ~TAnalysisKeeper();
  TAnalysisKeeper(const TAnalysisKeeper&) = delete;
  TAnalysisKeeper& operator=(const TAnalysisKeeper&) = delete;

 private:
  struct Saved;
  std::unique_ptr<Saved> saved_;
  IStatisticsBlocks* previousStatistics_ = nullptr;
  IApplicationList* previousApplications_ = nullptr;
};

}  // namespace strevo
