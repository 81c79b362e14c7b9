// The foreground application as a test or the simulator sets it; at the
// start no application is in front, so typing joins no list.
#pragma once

#include "platform/ForegroundApplication.h"

namespace strevo {

class FakeForegroundApplication : public IForegroundApplication {
 public:
  ApplicationIdentity Current() override {
    ++questions;
    return current;
  }

  ApplicationIdentity current;
  int questions = 0;  // Current calls
};

}  // namespace strevo
