#include "input/ForegroundApp.h"

#include "platform/KeyboardFocus.h"

namespace strevo {

const ApplicationIdentity& TForegroundApp::At(uint32_t messageTime) {
  IForegroundApplication* application = ForegroundApplication();
  if (!application) {
    current_ = {};
    return current_;
  }
  // Without change counts the platform is asked at every key.
  if (IKeyboardFocus* focus = KeyboardFocus()) {
    const uint32_t changes = focus->ChangesUntil(messageTime);
    if (asked_ && changes == changes_) return current_;
    changes_ = changes;
  }
  ++asked_;
  current_ = application->Current();
  return current_;
}

}  // namespace strevo
