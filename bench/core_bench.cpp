// The whole program in the simulator: a run that types 100 000 keys of
// lower-case words, and one meter refresh with nothing changed (the 150 ms
// tick that must cost next to nothing while nobody types). And the key
// path's look at the focus: per focus change, and per key without one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/TrayMain.h"
#include "input/PasswordField.h"
#include "platform/fake/FakePlatform.h"
#include "sim/Simulation.h"
#include "ui/InfoOnTopWindow.h"

namespace strevo {
namespace {

const std::string kInstallation =
    (std::filesystem::path(__FILE__).parent_path() / ".." / "data").lexically_normal().string();

constexpr int kKeys = 100000;

// The first run after installation: the account's user is created without
// asking, so typing is monitored from the first key.
std::vector<std::string> StartScript() { return {"account ann", "args /INST", "run"}; }

// kKeys keys of words and spaces, a line of about a hundred at a time. No
// word repeats a letter four times or runs past ten characters, so no run is
// abandoned on the way.
std::vector<std::string> TypingScript() {
  static const char* const kWords[] = {"the",  "quick", "brown", "fox",  "jumps", "over",    "lazy",
                                       "dog",  "while", "small", "keys", "click", "softly",  "under",
                                       "warm", "light", "and",   "time", "goes",  "quietly", "by"};
  std::vector<std::string> script = StartScript();
  int typed = 0;
  size_t next = 0;
  while (typed < kKeys) {
    std::string line;
    while (line.size() < 100 && typed + static_cast<int>(line.size()) < kKeys) {
      line += kWords[next++ % std::size(kWords)];
      line += ' ';
    }
    line.resize(std::min<size_t>(line.size(), static_cast<size_t>(kKeys - typed)));
    typed += static_cast<int>(line.size());
    script.push_back("type " + line);
  }
  script.push_back("wait 7000");
  return script;
}

void BM_SimulatorTypes100000Keys(benchmark::State& state) {
  const std::vector<std::string> script = TypingScript();
  int64_t keys = 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto sim = std::make_unique<Simulation>(kInstallation);  // copies the installation folder
    state.ResumeTiming();
    std::string error;
    if (!sim->Run(script, error)) {
      state.SkipWithError(error.c_str());
      break;
    }
    if (sim->Summary().totalHits != kKeys || sim->Summary().monitoredHits != kKeys) {
      state.SkipWithError("not every key was analysed");
      break;
    }
    keys += sim->Summary().totalHits;
    state.PauseTiming();
    sim.reset();  // removes the temporary drive
    state.ResumeTiming();
  }
  state.counters["keys/s"] = benchmark::Counter(static_cast<double>(keys), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SimulatorTypes100000Keys)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });

// Runs measure once from inside a running program: a thread on the virtual
// clock fires 20 s after the start, long after the few typed words have been
// abandoned (6 s of silence), so the figures no longer change. measure
// returns a failure, empty when none.
void MeasureInsideTheProgram(benchmark::State& state, const std::function<std::string()>& measure) {
  Simulation sim(kInstallation);
  bool measured = false;
  std::string failure;
  sim.Forms().threads.Start(
      20000,
      [&] {
        if (measured || !TrayMain) return kNextPeriod;
        measured = true;
        failure = measure();
        return kUntilWoken;
      },
      false);
  std::vector<std::string> script = StartScript();
  script.insert(script.end(), {"type the quick brown fox jumps over the lazy dog ", "wait 30000"});
  std::string error;
  if (!sim.Run(script, error)) failure = error;
  else if (!measured) failure = "the program ended before the measurement";
  if (!failure.empty()) state.SkipWithError(failure.c_str());
}

// RefreshMeter with nothing changed: the 150 ms tick while nobody types.
void BM_RefreshMeterWithNothingChanged(benchmark::State& state) {
  MeasureInsideTheProgram(state, [&]() -> std::string {
    TInfoOnTop& widget = TrayMain->Widget();
    if (!widget.Visible()) return "the widget is hidden: RefreshMeter would return at once";
    TrayMain->RefreshMeter();  // settles the caption and the figures
    const int redraws = widget.Redraws;
    for (auto _ : state) TrayMain->RefreshMeter();
    return widget.Redraws != redraws ? "RefreshMeter drew with nothing changed" : "";
  });
}
BENCHMARK(BM_RefreshMeterWithNothingChanged)
    ->Unit(benchmark::kNanosecond)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });

// One checkpoint of a user's figures, written at a pause of a running
// program: the profile, the statistics file with the full word table the
// word lists seed, the letter pairs and the applications, each written whole
// to the disk, and the figures put back.
void BM_CheckpointAtAPause(benchmark::State& state) {
  MeasureInsideTheProgram(state, [&]() -> std::string {
    for (auto _ : state) TrayMain->Checkpoint();
    return "";
  });
}
BENCHMARK(BM_CheckpointAtAPause)
    ->Unit(benchmark::kMillisecond)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });

// The first key after a change of the focus asks whether the field is a
// password field (the fake answers at once, as a Win32 edit control's style
// does); the focus goes into a password field and out again by turns. The
// fake's record of each change is timed with it.
void BM_PasswordFieldCheckPerFocusChange(benchmark::State& state) {
  FakePlatform platform;
  TPasswordField field;
  bool into = false;
  for (auto _ : state) {
    into = !into;
    platform.focus.Move(into);
    benchmark::DoNotOptimize(field.Moved(platform.clock.TickCount()));
  }
  if (field.Inside() != into) state.SkipWithError("a change was missed");
}
BENCHMARK(BM_PasswordFieldCheckPerFocusChange)
    ->Unit(benchmark::kNanosecond)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });

// Every other key: the focus has not moved, so only the change count is read.
void BM_PasswordFieldCheckPerKeyWithoutChange(benchmark::State& state) {
  FakePlatform platform;
  TPasswordField field;
  platform.focus.Move(true);
  field.Moved(platform.clock.TickCount());
  const int questions = platform.focus.questions;
  for (auto _ : state) benchmark::DoNotOptimize(field.Moved(platform.clock.TickCount()));
  if (platform.focus.questions != questions) state.SkipWithError("an ordinary key asked about the field");
}
BENCHMARK(BM_PasswordFieldCheckPerKeyWithoutChange)
    ->Unit(benchmark::kNanosecond)
    ->ComputeStatistics("min", [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); })
    ->ComputeStatistics("max", [](const std::vector<double>& v) { return *std::max_element(v.begin(), v.end()); });

}  // namespace
}  // namespace strevo

BENCHMARK_MAIN();
