// The system's numbers for the window messages and virtual keys that the
// core handles.
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

// Flag of the low-level key record: the Alt key was down.
constexpr uint32_t kLowLevelAltDown = 0x20;
constexpr uint32_t kLowLevelInjected = 0x10;  // sent by a program, not typed on a keyboard

}  // namespace strevo
