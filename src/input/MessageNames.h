// The names of the protocol shared with the tutor and with a second copy of
// the program: the registered window messages, the named mutexes and the
// window captions by which the programs find each other.
#pragma once

#include <cstdint>

namespace strevo {

namespace msgname {
inline constexpr const char* kNewMonApp = "QVWayfen1999.WM_NEWMONAPP";
inline constexpr const char* kDisable = "QVWayfen1999.DISABLE";
inline constexpr const char* kEnable = "QVWayfen1999.ENABLE";
inline constexpr const char* kSendKeyInfo = "QVWayfen1999.WM_SENDKEYINFO";
inline constexpr const char* kMouseClicked = "QVWayfen1999.WM_MOUSECLICKED";
inline constexpr const char* kSendWordHdr = "QVWayfen1999.WM_SENDWORDHDR";
inline constexpr const char* kSendWordData = "QVWayfen1999.WM_SENDWORDDATA";
inline constexpr const char* kBringFront = "QV2001.BRINGFRONT";
}  // namespace msgname

// The registered ids of the eight messages.
struct TMessageIds {
  uint32_t WM_NEWMONAPP = 0, DISABLE = 0, ENABLE = 0, WM_SENDKEYINFO = 0, WM_MOUSECLICKED = 0, WM_SENDWORDHDR = 0,
           WM_SENDWORDDATA = 0, BRINGFRONT = 0;
  // Registers every name and admits each message through the message
  // filter, so that processes of lower integrity can post it.
  void Register();
};

// wParam of the ENABLE that a second copy posts to the running one.
inline constexpr unsigned kEnableFromSecondCopy = 2;

// The caption of the application's hidden window: how the hooks and a
// second copy find the running program.
inline constexpr const char* kApplicationTitle = "Strevo 11";
// The caption a second copy takes before it ends.
inline constexpr const char* kClosingTitle = "Closing";
inline constexpr const char* kTaskbarWindowCaption = "QV Draxel IPC";
inline constexpr const char* kInstanceMutex = "QVDraxelMutex";
inline constexpr const char* kTutorMutex = "QV2004Mutex";

}  // namespace strevo
