// Every scenario of tests/core/scenarios that no C++ test prepares: its runs
// one after another on the same drive C:, then its expectations.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "core/Scenario.h"

namespace strevo::test {
namespace {

std::vector<Scenario> ScenariosRunHere() {
  std::vector<Scenario> scenarios = ReadScenarios();
  std::erase_if(scenarios, [](const Scenario& scenario) { return scenario.runByCpp; });
  return scenarios;
}

class ScenarioTest : public ::testing::TestWithParam<Scenario> {
 protected:
  void SetUp() override { std::filesystem::remove_all(drive_); }
  void TearDown() override { std::filesystem::remove_all(drive_); }
  const std::filesystem::path drive_ =
      std::filesystem::temp_directory_path() / ("strevo-scenario-" + std::to_string(::getpid()));
};

TEST_P(ScenarioTest, LeavesWhatItExpects) {
  const Scenario& scenario = GetParam();
  ASSERT_FALSE(scenario.runs.empty()) << "no script";
  ASSERT_FALSE(scenario.expectations.empty()) << "no expectations";
  std::unique_ptr<Simulation> sim;
  for (const std::vector<std::string>& run : scenario.runs) {
    sim.reset();  // one program at a time: a simulation holds the process's globals
    sim = std::make_unique<Simulation>(Installation(), drive_.string());
    WatchSettings(*sim);
    std::string error;
    ASSERT_TRUE(sim->Run(run, error)) << error;
  }
  ExpectOutcome(scenario, *sim);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ScenarioTest, ::testing::ValuesIn(ScenariosRunHere()),
                         [](const ::testing::TestParamInfo<Scenario>& info) {
                           std::string name = info.param.name;
                           std::replace(name.begin(), name.end(), '/', '_');
                           return name;
                         });

// A script left out of the index never runs; an entry without a script
// checks nothing.
TEST(ScenarioIndexTest, ListsEveryScriptOnce) {
  std::vector<std::string> listed;
  for (const Scenario& scenario : ReadScenarios()) listed.push_back(scenario.name);
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, ScenarioFiles());
}

}  // namespace
}  // namespace strevo::test
