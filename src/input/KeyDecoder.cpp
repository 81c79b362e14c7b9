#include "input/KeyDecoder.h"

#include <string>

#include "input/KeyInfo.h"
#include "platform/Ansi.h"
#include "platform/Platform.h"
#include "storage/DebugLog.h"

namespace strevo {

namespace {
// The top bit of the system's type-2 key mapping marks a dead key.
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
  keyInfo &= ~static_cast<uintptr_t>(kKeyInfoAlt | kKeyInfoShift | kKeyInfoCtrl);
  key.virtualKey = static_cast<uint32_t>(keyInfo);
  if (log) DebugLog(0, "TTrayMain.CMKeyInfo :" + std::to_string(key.virtualKey));
  if (key.ctrl != key.alt) {
    key.kind = DecodedKey::Kind::Command;
    return key;
  }
  uint32_t c = Keyboard().MapVirtualKeyToChar(key.virtualKey);
  if (deadKeyPending_) {
    c = 0;
    deadKeyPending_ = false;
    if (log) DebugLog(0, "TTrayMain.CMKeyInfo : deadkey=0");
  } else if (!(c & kDeadKeyBit)) {
    if (log) DebugLog(0, "TTrayMain.CMKeyInfo : GetCharFromVK=" + std::to_string(key.virtualKey));
    c = GetCharFromVK(key.virtualKey, key.shift, key.ctrl, key.alt);
  } else {
    deadKeyPending_ = true;
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
  const auto ch = static_cast<unsigned char>(c & 0xFF);
  key.character = key.shift ? ansi_upper_char(ch) : ansi_lower_char(ch);
  key.kind = DecodedKey::Kind::Character;
  return key;
}

unsigned char TKeyDecoder::GetCharFromVK(uint32_t virtualKey, bool shift, bool ctrl, bool alt) {
  uint8_t state[256] = {};
  if (shift) state[vk::kShift] = 128;
  if (ctrl) state[vk::kControl] = 128;
  if (alt) state[vk::kMenu] = 128;
  char16_t out[2] = {};
  const int n = Keyboard().TranslateKey(virtualKey, state, out);
  return n == 1 ? static_cast<unsigned char>(out[0] & 0xFF) : 0;
}

}  // namespace strevo
