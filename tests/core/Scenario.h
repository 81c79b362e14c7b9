// A simulator scenario of tests/core/scenarios: the script of each run of
// the program on one drive C: and what the runs must leave behind. The
// format is in scenarios/README.md.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "sim/Simulation.h"

namespace strevo::test {

struct Scenario {
  std::string name;  // "TrayMainTest/FirstRun...", its path in scenarios/ without the extension
  std::vector<std::vector<std::string>> runs;  // the script lines of each run
  std::vector<std::string> expectations;       // the lines of its .expect file
  bool runByCpp = false;                       // a C++ test prepares the machine, runs and checks it
};

inline void PrintTo(const Scenario& scenario, std::ostream* out) { *out << scenario.name; }

// The lines of a script or text file.
std::vector<std::string> Lines(const std::string& text);
// name=value lines of a settings file on the fake drive; a name given twice
// has its last value, as the program reads it.
std::map<std::string, std::string> Settings(FakePlatform& platform, const std::string& path);
// The default installation the program is copied from.
std::string Installation();
// The scenarios in the order of scenarios/index.
std::vector<Scenario> ReadScenarios();
Scenario ReadScenario(const std::string& name);
// The names of the script files in scenarios/, listed or not.
std::vector<std::string> ScenarioFiles();
// Records the settings dialog's texts at each of its steps for [fakes]
// (settings.seen.N.WordsLabel, ...).
void WatchSettings(Simulation& sim);
// Checks each expectation against the simulation of the last run.
void ExpectOutcome(const Scenario& scenario, Simulation& sim);

}  // namespace strevo::test
