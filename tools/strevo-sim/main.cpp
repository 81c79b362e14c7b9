// strevo-sim: runs the program headless on the fake platform from an event
// script and prints the figures it measured. See README.md for the script.
#include <charconv>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "sim/Simulation.h"

int main(int argc, char** argv) {
  std::string installation = "data", root, script;
  bool quiet = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--install" && i + 1 < argc) installation = argv[++i];
    else if (arg == "--root" && i + 1 < argc) root = argv[++i];
    else if (arg == "--quiet") quiet = true;
    else if (arg == "-" || (!arg.empty() && arg[0] != '-')) script = arg;
    else {
      std::cerr << "usage: strevo-sim [--install DIR] [--root DIR] [--quiet] SCRIPT|-\n";
      return 2;
    }
  }
  if (script.empty()) {
    std::cerr << "strevo-sim: no script given\n";
    return 2;
  }
  std::vector<std::string> lines;
  if (script == "-") {
    lines = strevo::Simulation::ReadScript(std::cin);
  } else {
    std::ifstream in(script);
    if (!in) {
      std::cerr << "strevo-sim: cannot read " << script << "\n";
      return 2;
    }
    lines = strevo::Simulation::ReadScript(in);
  }
  const auto started = std::chrono::steady_clock::now();
  std::string error;
  bool ok;
  std::vector<strevo::SimulationSummary> summaries;
  std::vector<std::string> shown;
  {
    strevo::Simulation simulation(installation, root);
    ok = simulation.Run(lines, error);
    summaries = simulation.Summaries;
    shown = simulation.Shown();
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (!ok) {
    std::cerr << "strevo-sim: " << error << "\n";
    return 1;
  }
  if (!quiet)
    for (const std::string& s : shown) std::cout << "shown  " << s << "\n";
  for (const strevo::SimulationSummary& s : summaries) {
    std::cout << "user " << (s.user.empty() ? "(none)" : s.user) << (s.enabled ? " enabled" : " disabled") << "\n"
              << "totalHits " << s.totalHits << "\nmonitoredHits " << s.monitoredHits << "\nBackSpaces "
              << s.BackSpaces << "\nArrowHits " << s.ArrowHits << "\nMouseClicks " << s.MouseClicks << "\nWords "
              << s.Words << "\nCharacters " << s.Characters << "\nTypingTime " << s.TypingTime << " ("
              << s.TypingSeconds << " s)\nCharsPerMinute " << s.CharsPerMinute << "\nKeysPerMinute "
              << s.KeysPerMinute << "\n";
  }
  char took[64];
  const char* end = std::to_chars(took, took + sizeof took, seconds, std::chars_format::fixed, 3).ptr;
  std::fprintf(stderr, "strevo-sim: %zu script lines in %.*s s\n", lines.size(), static_cast<int>(end - took), took);
  return 0;
}
