#include "input/KeyDecoder.h"

#include <string>

#include "input/KeyInfo.h"
#include "platform/Ansi.h"
#include "platform/Platform.h"
#include "storage/DebugLog.h"

namespace strevo {

namespace {
// The value a dead key stands for until the next key: not a character.
constexpr uint32_t kDeadKeyBit = 0x80000000u;
}  // namespace

bool IsAnalysableCharacter(uint32_t value) {
  return value != 0 && value != '\t' && value != 27 && value != '+' && !(value >= '0' && value <= '9');
}

DecodedKey TKeyDecoder::Decode(uintptr_t& keyInfo, KeyTrace trace) {
  const bool log = trace == KeyTrace::On && DebugLogOn();
  if (log) DebugLog(0, "TTrayMain.CMKeyInfo()");
  DecodedKey key;
  key.alt = keyInfo & kKeyInfoAlt;
  key.shift = keyInfo & kKeyInfoShift;
  key.ctrl = keyInfo & kKeyInfoCtrl;
  key.injected = keyInfo & kKeyInfoInjected;
  keyInfo &= ~static_cast<uintptr_t>(kKeyInfoAlt | kKeyInfoShift | kKeyInfoCtrl | kKeyInfoInjected);
  key.virtualKey = static_cast<uint32_t>(keyInfo);
  if (log) DebugLog(0, "TTrayMain.CMKeyInfo :" + std::to_string(key.virtualKey));
  if (key.ctrl != key.alt) {
    key.kind = DecodedKey::Kind::Command;
    return key;
  }
  uint32_t c = 0;
  if (deadKeyPending_) {
    deadKeyPending_ = false;
    if (log) DebugLog(0, "TTrayMain.CMKeyInfo : deadkey=0");
  } else {
    if (log) DebugLog(0, "TTrayMain.CMKeyInfo : GetCharFromVK=" + std::to_string(key.virtualKey));
    // Dead or not with the modifiers held: Shift+^ is the degree sign on a
    // layout whose ^ alone is dead.
    bool dead = false;
    c = Translate(key.virtualKey, key.shift, key.ctrl, key.alt, dead);
    if (dead) {
      deadKeyPending_ = true;
      c = kDeadKeyBit;
    }
  }
  if (log) DebugLog(0, "TTrayMain.CMKeyInfo : asciival=" + std::to_string(c));
  if (!IsAnalysableCharacter(c)) {
    key.kind = DecodedKey::Kind::NonCharacter;
    return key;
  }
  if (deadKeyPending_) {
    key.kind = DecodedKey::Kind::DeadKey;
    return key;
  }
  const auto ch = static_cast<unsigned char>(c);
  key.character = key.shift ? ansi_upper_char(ch) : ansi_lower_char(ch);
  key.kind = DecodedKey::Kind::Character;
  return key;
}

unsigned char TKeyDecoder::Translate(uint32_t virtualKey, bool shift, bool ctrl, bool alt, bool& dead) {
  uint8_t state[256] = {};
  if (shift) state[vk::kShift] = 128;
  if (ctrl) state[vk::kControl] = 128;
  if (alt) state[vk::kMenu] = 128;
  char16_t out[2] = {};
  const int n = Keyboard().TranslateKey(virtualKey, state, out);
  dead = n < 0;
  unsigned char ansi = 0;
  // A character the code page cannot write is no character of the analysis
  // (the euro sign is byte 80, never its low byte AC).
  if (n != 1 || !Keyboard().ToCodePage(out[0], ansi)) return 0;
  return ansi;
}

unsigned char TKeyDecoder::GetCharFromVK(uint32_t virtualKey, bool shift, bool ctrl, bool alt) {
  bool dead = false;
  return Translate(virtualKey, shift, ctrl, alt, dead);
}

}  // namespace strevo
