// What the low-level hook procedures decide for each event: which events are
// posted, and the key-information word a key down becomes. Shared by the
// Win32 hook procedures and the simulated hooks of the fake platform.
#pragma once

#include <cstdint>

#include "platform/Platform.h"
#include "platform/SystemCodes.h"

namespace strevo {

// Bits of the key-information word (wParam of WM_SENDKEYINFO).
constexpr uint32_t kKeyInfoCtrl = 0x1000;
constexpr uint32_t kKeyInfoShift = 0x2000;
constexpr uint32_t kKeyInfoAlt = 0x4000;
constexpr uint32_t kKeyInfoInjected = 0x8000;  // the system marked the key as sent by a program

// Whether an event can be posted at all (a key down or system key down of a
// key that is not a modifier); the key state is read only for those.
bool KeyboardHookConsiders(uint32_t message, uint32_t virtualKey);

// The keyboard hook posts key downs, and system key downs only while both
// Ctrl and Alt are down (AltGr), never a modifier key itself. ctrlDown,
// shiftDown and altDown are the asynchronous key states at the event.
bool KeyboardHookWord(uint32_t message, uint32_t virtualKey, uint32_t flags, bool ctrlDown, bool shiftDown,
                      bool altDown, uint32_t& word);
// The mouse hook posts left and right button presses only.
inline bool MouseHookPosts(uint32_t message) {
  return message == winmsg::kLeftButtonDown || message == winmsg::kRightButtonDown;
}

// The three decisions above, as the hooks take them when they start.
const HookRules& PostingRules();

}  // namespace strevo
