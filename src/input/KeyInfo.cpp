#include "input/KeyInfo.h"

namespace strevo {

bool KeyboardHookConsiders(uint32_t message, uint32_t virtualKey) {
  if (message != winmsg::kKeyDown && message != winmsg::kSysKeyDown) return false;
  if (virtualKey >= vk::kLeftShift && virtualKey <= vk::kRightMenu) return false;
  return virtualKey != vk::kShift && virtualKey != vk::kControl && virtualKey != vk::kMenu;
}

bool KeyboardHookWord(uint32_t message, uint32_t virtualKey, uint32_t flags, bool ctrlDown, bool shiftDown,
                      bool altDown, uint32_t& word) {
  if (message == winmsg::kSysKeyDown) {
    if (!(ctrlDown && altDown)) return false;
  } else if (message != winmsg::kKeyDown) {
    return false;
  }
  // Modifier keys are never posted: the left/right codes that hardware
  // reports, and the generic codes that injected input carries.
  if (!KeyboardHookConsiders(message, virtualKey)) return false;
  word = virtualKey & 0xFF;
  if (flags & kLowLevelAltDown) word |= kKeyInfoAlt;
  if (flags & kLowLevelInjected) word |= kKeyInfoInjected;
  if (shiftDown) word |= kKeyInfoShift;
  if (ctrlDown) word |= kKeyInfoCtrl;
  return true;
}

const HookRules& PostingRules() {
  static const HookRules rules{KeyboardHookConsiders, KeyboardHookWord, MouseHookPosts};
  return rules;
}

}  // namespace strevo
