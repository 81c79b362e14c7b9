// Whether the keys go into a password field. Such keys count as key
// presses and nothing more: the key path keeps none of them. The field is
// asked about again only for a key that comes after a change of the focus,
// so an ordinary key costs one read of the platform's change count.
#pragma once

#include <cstdint>

namespace strevo {

class TPasswordField {
 public:
  // Follows the focus up to a key's message time; true when the keys moved
  // into a password field or out of one since the previous key.
  bool Moved(uint32_t messageTime);
  bool Inside() const { return inside_; }

 private:
  bool asked_ = false;
  uint32_t changes_ = 0;
  bool inside_ = false;
};

}  // namespace strevo
