#include "platform/Platform.h"

#include <cstdlib>
#include <cstdio>

namespace strevo {

namespace {
Platform g_platform;
}

void InstallPlatform(const Platform& platform) { g_platform = platform; }

bool PlatformInstalled() { return g_platform.files != nullptr; }

const Platform& CurrentPlatform() {
  if (!g_platform.files) {
    std::fputs("strevo: no platform installed\n", stderr);
    std::abort();
  }
  return g_platform;
}

}  // namespace strevo
