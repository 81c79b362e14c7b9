// The running monitor end to end on the fake platform, where data cannot
// say it all: a run watched while it goes, a dialog edited; the
// simulator's own script. The scenarios that
// data says alone are in scenarios/ and run by ScenarioTest.
#include <gtest/gtest.h>
#include <sys/time.h>

#include <csignal>
#include <set>

#include "analysis/UserAnalysis.h"
#include "analysis/WordAnalyzer.h"
#include "core/Scenario.h"
#include "core/TrayMain.h"
#include "platform/Ansi.h"
#include "sim/Simulation.h"
#include "ui/ChooseAppsFrm.h"
#include "ui/InfoOnTopWindow.h"

namespace strevo {
namespace {

using test::ExpectOutcome;
using test::Lines;
using test::ReadScenario;
using test::Scenario;

const std::string kInstallation = test::Installation();

// This test's scenario in scenarios/<suite>/<test>: its script and
// expectations.
Scenario ThisScenario() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return ReadScenario(std::string(test->test_suite_name()) + "/" + test->name());
}

class TrayMainTest : public ::testing::Test {
 protected:
  // Runs this test's scenario on the machine the test prepared and checks
  // its expectations.
  void RunScenario() {
    const Scenario scenario = ThisScenario();
    ASSERT_EQ(scenario.runs.size(), 1u) << scenario.name;
    std::string error;
    ASSERT_TRUE(sim.Run(scenario.runs[0], error)) << error;
    ExpectOutcome(scenario, sim);
  }
  Simulation sim{kInstallation};
};

TEST_F(TrayMainTest, APasswordTypedBetweenTwoSentencesIsCountedButNeverKeptOrShown) {
  // Every status text the widget is given, looked at every 10 ms, and the
  // collected-words table as the program holds it.
  std::set<std::string> statuses, words;
  sim.Forms().threads.Start(10, [&] {
    if (!TrayMain) return kNextPeriod;
    statuses.insert(TrayMain->Widget().StatusText);
    if (const UserAnalysis* analysis = TrayMain->Analysis()) {
      words.clear();
      for (int32_t slot = 1; slot <= kWordTableSize; ++slot) words.insert(ascii_lower(analysis->Words.Entry(slot).Word()));
    }
    return kNextPeriod;
  }, false);
  RunScenario();
  const auto holdsPassword = [](const std::string& text) {
    const std::string lower = ascii_lower(text);
    for (const char* part : {"jq", "qx", "xv", "vk", "kz", "xq"})
      if (lower.find(part) != std::string::npos) return true;
    return false;
  };
  EXPECT_FALSE(holdsPassword(sim.Platform().ReadHostFile("C:\\Strevo\\Database\\ann.json")));
  EXPECT_TRUE(words.count("eats") && words.count("sleeps"));
  for (const std::string& word : words) EXPECT_FALSE(holdsPassword(word)) << word;
  EXPECT_TRUE(statuses.count("eats") && statuses.count("sleeps"));
  for (const std::string& status : statuses) EXPECT_FALSE(holdsPassword(status)) << status;
}

// ------------------------------------------ machines prepared before the run --

TEST_F(TrayMainTest, EnableUnderTheCloseDialogKeepsTheWorkstationSettingsOfTheSession) {
  sim.Forms().settings.edit = [](TChooseApplications& dialog) { dialog.LaunchAtStartup = false; };
  RunScenario();
}

// Telling the notification area is a send to another process, during
// which the system lets the information thread's waiting refresh in: the
// widget refreshed while the pause was saving, and then held the day's
// figures as the save had cleared them.
TEST_F(TrayMainTest, PausingKeepsTheFiguresOfTheMomentItWasPaused) {
  sim.Forms().trayIcon.whileTold = [] {
    if (TrayMain) TrayMain->InfoThreadStep();
  };
  RunScenario();
}

// ------------------------------------------- the simulator's own script --

// Numbers outside their range used to wrap: "typeslow -1" waited 49 days
// per key, "date 2026-02-31" set a day that does not exist.
TEST(SimulationScriptTest, NumbersOutOfRangeAndTooMuchVirtualTimeFailTheScript) {
  for (const char* script : {"date 2026-02-31\n", "date 2026-12-07 24:00:00\n", "interval 4294967296\n",
                             "run\ntypeslow -1 abc\n", "run\nkey 65 -1\n", "run\nwait -5\n",
                             "run\ndays 99999999999999\n", "file C:\\x a\\q\n", "file C:\\x \\x4\n", "repeat x\nend\n",
                             "repeat 1000\nrepeat 1001\nwait 1\nend\nend\n", "repeat 2\n", "end\n"}) {
    Simulation sim(kInstallation);
    std::string error;
    EXPECT_FALSE(sim.Run(Lines(std::string("args /INST\n") + script), error)) << script;
    EXPECT_FALSE(error.empty()) << script;
  }
  Simulation sim(kInstallation);
  sim.virtualTimeLimitMs = 60000;
  std::string error;
  EXPECT_FALSE(sim.Run(Lines("args /INST\nrun\ntype hello \nwait 59000\ntype more\n"), error));
  EXPECT_NE(error.find("virtual time"), std::string::npos) << error;
}

// The installation was copied with a kernel copy that a timer's signal
// interrupts: under the fuzzer's timer the simulator failed to start at random.
TEST(SimulationScriptTest, TimerSignalsNeverStopTheCopyOfTheInstallation) {
  struct sigaction tick {}, before {};
  tick.sa_handler = [](int) {};  // no SA_RESTART, as the fuzzer's own timer
  ASSERT_EQ(sigaction(SIGALRM, &tick, &before), 0);
  const itimerval often{{0, 100}, {0, 100}}, off{};
  setitimer(ITIMER_REAL, &often, nullptr);
  int failed = 0;
  for (int i = 0; i < 50; ++i) {
    try {
      Simulation sim(kInstallation);
    } catch (const std::exception&) {
      ++failed;
    }
  }
  setitimer(ITIMER_REAL, &off, nullptr);
  sigaction(SIGALRM, &before, nullptr);
  EXPECT_EQ(failed, 0);
}

}  // namespace
}  // namespace strevo
