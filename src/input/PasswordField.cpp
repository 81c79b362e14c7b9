#include "input/PasswordField.h"

#include "platform/KeyboardFocus.h"

namespace strevo {

bool TPasswordField::Moved(uint32_t messageTime) {
  IKeyboardFocus* focus = KeyboardFocus();
  if (!focus) return false;
  const uint32_t changes = focus->ChangesUntil(messageTime);
  if (asked_ && changes == changes_) return false;
  asked_ = true;
  changes_ = changes;
  const bool inside = focus->InPasswordField(changes);
  if (inside == inside_) return false;
  inside_ = inside;
  return true;
}

}  // namespace strevo
