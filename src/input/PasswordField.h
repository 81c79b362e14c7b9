// Whether the keys go into a password field. Such keys count as key
// presses and nothing more: the key path keeps none of them. The field is
// asked about again only for a key that comes after a change of the focus,
// so an ordinary key costs one read of the platform's change count.
//
// Fail closed: a field not known to be no password field counts as one. A
// Tab or a click may move the focus, and the report of where it went can
// come after the keys that followed (the hooks see them first): until a
// report newer than the Tab or click arrives, or kSettleMs pass without
// one, the keys' field is not known.
#pragma once

#include <cstdint>
#include <optional>

namespace strevo {

class TPasswordField {
 public:
  static constexpr uint32_t kSettleMs = 250;

  // Follows the focus up to a key's message time; true when the keys moved
  // into a password field (or one not known) or out of it since the
  // previous key.
  bool Moved(uint32_t messageTime);
  // The keys go into a password field, or into a field not known yet.
  bool Inside() const { return inside_; }
  // A Tab typed or a button pressed at that time: the focus may move.
  void FocusMayMove(uint32_t time);

 private:
  bool asked_ = false;
  bool known_ = false;
  uint32_t changes_ = 0;
  bool inside_ = false;
  std::optional<uint32_t> settlingSince_;  // a Tab or click not yet followed by a report
  uint32_t changesBefore_ = 0;             // the changes reported before it
};

}  // namespace strevo
