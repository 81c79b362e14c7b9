// Where the keyboard focus is, as far as the key path needs to know: whether
// keys go into a password field. The platform counts the changes of the
// foreground window and of the keyboard focus, each with the message time at
// which it happened; the key path asks about a field again only when a key
// comes after a change it has not seen, so a key costs one read of the count.
#pragma once

#include <cstdint>

#include "platform/Platform.h"

namespace strevo {

// What is known of the field the keys go into.
enum class FieldAnswer { NotPassword, Password, NotKnown };

class IKeyboardFocus {
 public:
  virtual ~IKeyboardFocus() = default;
  // The changes of the foreground window or of the keyboard focus that came
  // no later than messageTime (a key's message time): a key still waiting
  // in the queue when the focus moved is judged by the field it was typed
  // into.
  virtual uint32_t ChangesUntil(uint32_t messageTime) = 0;
  // Whether the keyboard focus was in a password field after that many
  // changes. A question the system does not answer within a short limit is
  // NotKnown (asked again at the next key, without waiting); where the
  // system has no such service, the field's style alone answers.
  virtual FieldAnswer InPasswordField(uint32_t changes) = 0;
};

// A change came after a key when its message time is later, by less than a
// minute: tick counts wrap, and no key waits in the queue that long.
inline bool ChangeCameAfter(uint32_t changeTime, uint32_t messageTime) {
  const uint32_t ahead = changeTime - messageTime;
  return ahead != 0 && ahead < 60000;
}

// Null where the platform cannot tell (then no key is ever taken for one
// typed into a password field).
inline IKeyboardFocus* KeyboardFocus() { return CurrentPlatform().focus; }

}  // namespace strevo
