// What the low-level hook procedures decide for each event: which events are
// posted, and the key-information word a key down becomes. Shared by the
// Win32 hook procedures and the simulated hooks of the fake platform.
#pragma once

#include <cstdint>

namespace strevo {

namespace winmsg {
constexpr uint32_t kQuit = 18;
constexpr uint32_t kEndSession = 22;
constexpr uint32_t kKeyDown = 256;
constexpr uint32_t kKeyUp = 257;
constexpr uint32_t kSysKeyDown = 260;
constexpr uint32_t kSysKeyUp = 261;
constexpr uint32_t kSysCommand = 274;
constexpr uint32_t kLeftButtonDown = 513;
constexpr uint32_t kRightButtonDown = 516;
constexpr uint32_t kMiddleButtonDown = 519;
constexpr uint32_t kMouseWheel = 522;
constexpr uintptr_t kScRestore = 61728;
}  // namespace winmsg

namespace vk {
constexpr uint32_t kBack = 8;
constexpr uint32_t kTab = 9;
constexpr uint32_t kReturn = 13;
constexpr uint32_t kShift = 16;
constexpr uint32_t kControl = 17;
constexpr uint32_t kMenu = 18;  // Alt
constexpr uint32_t kEscape = 27;
constexpr uint32_t kSpace = 32;
constexpr uint32_t kLeft = 37;
constexpr uint32_t kDown = 40;
constexpr uint32_t kLeftShift = 160;
constexpr uint32_t kRightMenu = 165;
}  // namespace vk

// Bits of the key-information word (wParam of WM_SENDKEYINFO).
constexpr uint32_t kKeyInfoCtrl = 0x1000;
constexpr uint32_t kKeyInfoShift = 0x2000;
constexpr uint32_t kKeyInfoAlt = 0x4000;
// Flag of the low-level key record: the Alt key was down.
constexpr uint32_t kLowLevelAltDown = 0x20;

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

}  // namespace strevo
