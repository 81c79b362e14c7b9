#include "input/PasswordField.h"

#include "platform/KeyboardFocus.h"

namespace strevo {

void TPasswordField::FocusMayMove(uint32_t time) {
  IKeyboardFocus* focus = KeyboardFocus();
  if (!focus) return;
  settlingSince_ = time;
  changesBefore_ = focus->ChangesUntil(time);
}

bool TPasswordField::Moved(uint32_t messageTime) {
  IKeyboardFocus* focus = KeyboardFocus();
  if (!focus) return false;
  const uint32_t changes = focus->ChangesUntil(messageTime);
  bool settling = false;
  if (settlingSince_) {
    // A key can be older than the click taken before it (queued meanwhile).
    const int32_t since = static_cast<int32_t>(messageTime - *settlingSince_);
    if (changes != changesBefore_ || since >= static_cast<int32_t>(kSettleMs)) settlingSince_.reset();
    else settling = true;
  }
  if (!settling && asked_ && known_ && changes == changes_) return false;
  asked_ = true;
  changes_ = changes;
  const FieldAnswer answer = settling ? FieldAnswer::NotKnown : focus->InPasswordField(changes);
  known_ = answer != FieldAnswer::NotKnown;
  const bool inside = answer != FieldAnswer::NotPassword;
  if (inside == inside_) return false;
  inside_ = inside;
  return true;
}

}  // namespace strevo
