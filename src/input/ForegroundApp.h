// The application the keys go into. Like the password field, it is asked
// about again only for a key that comes after a change of the foreground
// window or of the keyboard focus, so an ordinary key costs one read of the
// platform's change count.
#pragma once

#include <cstdint>

#include "platform/ForegroundApplication.h"

namespace strevo {

class TForegroundApp {
 public:
  // The application in front for a key of that message time; an empty
  // executable when none is known.
  const ApplicationIdentity& At(uint32_t messageTime);
  // Counts the times the platform was asked: the same count, the same
  // application.
  uint32_t Asked() const { return asked_; }

 private:
  uint32_t asked_ = 0;
  uint32_t changes_ = 0;
  ApplicationIdentity current_;
};

}  // namespace strevo
