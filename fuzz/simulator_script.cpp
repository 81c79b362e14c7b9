// The key and word stream through the whole program: a simulator script
// (Simulation::ReadScript, Run) starts the real program on the fake platform
// with the default installation and types, waits, clicks and posts into it.
// A script is at most 2 KB and its waits and keys take at most an hour of
// virtual time, so each input runs in well under a second.
#include <sstream>
#include <string>

#include "sim/Simulation.h"
#include "support/FuzzMachine.h"

using namespace strevo;

namespace {

constexpr size_t kLargestScript = 2048;
constexpr uint64_t kVirtualTimeLimitMs = 60 * 60 * 1000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kLargestScript) return 0;
  fuzz::ResetProcessState();
  std::istringstream script(std::string(reinterpret_cast<const char*>(data), size));
  {
    Simulation simulation(STREVO_INSTALLATION_DIR);
    const fuzz::ConfinedPlatform confined(simulation.Platform());
    simulation.virtualTimeLimitMs = kVirtualTimeLimitMs;
    std::string error;
    simulation.Run(Simulation::ReadScript(script), error);
    simulation.Shown();
  }
  fuzz::ResetProcessState();
  return 0;
}
