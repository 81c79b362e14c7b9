#include "storage/UserBlocks.h"

namespace strevo {

namespace {
IStatisticsBlocks* g_statistics = nullptr;
IApplicationList* g_applications = nullptr;
}  // namespace

void RegisterUserBlocks(IStatisticsBlocks* statistics, IApplicationList* applications) {
  g_statistics = statistics;
  g_applications = applications;
}

IStatisticsBlocks* StatisticsBlocks() { return g_statistics; }
IApplicationList* ApplicationList() { return g_applications; }

}  // namespace strevo
