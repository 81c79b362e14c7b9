// The keyboard focus as a test or the simulator moves it: each move is one
// change at the clock's tick, into a password field or out of one. At the
// start the focus is in no password field.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/KeyboardFocus.h"

namespace strevo {

class FakeKeyboardFocus : public IKeyboardFocus {
 public:
  uint32_t ChangesUntil(uint32_t messageTime) override;
  FieldAnswer InPasswordField(uint32_t changes) override;

  void Move(FieldAnswer field);
  void Move(bool intoPasswordField) { Move(intoPasswordField ? FieldAnswer::Password : FieldAnswer::NotPassword); }
  int questions = 0;  // InPasswordField calls

 private:
  struct Change {
    uint32_t time;
    FieldAnswer field;
  };
  std::vector<Change> changes_;
};

}  // namespace strevo
