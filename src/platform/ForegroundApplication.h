// Which application the foreground window belongs to, as the key path needs
// to know it for the user's list of monitored applications: the process, the
// file name of its executable and the description in the executable's
// version information. The key path asks only after the foreground window
// or the keyboard focus changed (the change count of IKeyboardFocus), never
// for every key.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"

namespace strevo {

struct ApplicationIdentity {
  uint32_t processId = 0;     // 0 when there is no foreground window
  std::string executable;     // file name without folder ("notepad.exe"); empty when it cannot be read
  std::string description;    // the version information's FileDescription; empty when there is none
};

class IForegroundApplication {
 public:
  virtual ~IForegroundApplication() = default;
  // The application of the window in front now.
  virtual ApplicationIdentity Current() = 0;
};

// Null where the platform cannot tell (then typing is never attributed to an
// application).
inline IForegroundApplication* ForegroundApplication() { return CurrentPlatform().application; }

}  // namespace strevo
