#include "platform/fake/FakeKeyboardFocus.h"

#include <algorithm>

namespace strevo {

uint32_t FakeKeyboardFocus::ChangesUntil(uint32_t messageTime) {
  size_t seen = changes_.size();
  while (seen > 0 && ChangeCameAfter(changes_[seen - 1].time, messageTime)) --seen;
  return static_cast<uint32_t>(seen);
}

FieldAnswer FakeKeyboardFocus::InPasswordField(uint32_t changes) {
  ++questions;
  const size_t seen = std::min<size_t>(changes, changes_.size());
  return seen > 0 ? changes_[seen - 1].field : FieldAnswer::NotPassword;
}

void FakeKeyboardFocus::Move(FieldAnswer field) { changes_.push_back({Clock().TickCount(), field}); }

}  // namespace strevo
