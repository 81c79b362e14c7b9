#include "input/MessageNames.h"

#include "platform/Platform.h"

namespace strevo {

void TMessageIds::Register() {
  WM_NEWMONAPP = Windows().RegisterMessage(msgname::kNewMonApp);
  DISABLE = Windows().RegisterMessage(msgname::kDisable);
  ENABLE = Windows().RegisterMessage(msgname::kEnable);
  WM_SENDKEYINFO = Windows().RegisterMessage(msgname::kSendKeyInfo);
  WM_MOUSECLICKED = Windows().RegisterMessage(msgname::kMouseClicked);
  WM_SENDWORDHDR = Windows().RegisterMessage(msgname::kSendWordHdr);
  WM_SENDWORDDATA = Windows().RegisterMessage(msgname::kSendWordData);
  BRINGFRONT = Windows().RegisterMessage(msgname::kBringFront);
  for (uint32_t id :
       {WM_NEWMONAPP, DISABLE, ENABLE, WM_SENDKEYINFO, WM_MOUSECLICKED, WM_SENDWORDHDR, WM_SENDWORDDATA, BRINGFRONT})
    Windows().AllowMessage(id);
}

}  // namespace strevo
