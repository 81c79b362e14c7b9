// Key decoding: a key-information word from the hooks becomes a character,
// with the keyboard layout of the foreground application, or the decision
// that it has none. Dead keys are remembered: the key after one has no
// character either.
#pragma once

#include <cstdint>

namespace strevo {

struct DecodedKey {
  enum class Kind {
    // Ctrl or Alt alone with a key: never mapped.
    Command,
    // Mapped, but no character the analysis takes (none, Tab, Escape, "+",
    // a digit, or the key after a dead key).
    NonCharacter,
    // A dead key: it waits for the next key.
    DeadKey,
    Character,
  };
  Kind kind = Kind::NonCharacter;
  uint32_t virtualKey = 0;
  bool ctrl = false, shift = false, alt = false;
  bool injected = false;  // sent by a program (auto-type, a macro, a remote tool)
  // The character in the case Shift gives it (Kind::Character).
  unsigned char character = 0;
};

// Whether a mapped key value is a character the analysis takes: not 0, Tab,
// Escape, "+" or a digit.
bool IsAnalysableCharacter(uint32_t value);

// Whether decoding writes its trace rows (never for keys typed into a
// password field: the rows name the keys).
enum class KeyTrace { On, Off };

class TKeyDecoder {
 public:
  // Strips the modifier bits from keyInfo (what is left is the virtual key)
  // and decodes it.
  DecodedKey Decode(uintptr_t& keyInfo, KeyTrace trace = KeyTrace::On);
  // The layout's one character for the key with only the given modifiers
  // down, in the system's code page; 0 for none, two, a dead key, or one the
  // code page cannot write.
  unsigned char GetCharFromVK(uint32_t virtualKey, bool shift, bool ctrl, bool alt);

  // The previous key was a dead key.
  bool DeadKeyPending() const { return deadKeyPending_; }

 private:
  // GetCharFromVK, and whether the key is dead with those modifiers.
  unsigned char Translate(uint32_t virtualKey, bool shift, bool ctrl, bool alt, bool& dead);

  bool deadKeyPending_ = false;
};

}  // namespace strevo
