#include "core/Autostart.h"

#include "input/MessageNames.h"
#include "platform/Platform.h"
#include "storage/DebugLog.h"
#include "storage/DynamicSettings.h"
#include "storage/ToolBox.h"

namespace strevo {

bool TutorRunning() { return Mutexes().MutexExists(kTutorMutex); }

void MakeAutoStartable(const std::string& path) {
  DebugLog(0, "TTrayMain.MakeAutoStartable ()");
  if (!WorkstationSettings) return;
  if (!Registry().OpenKey(kRunKey)) {
    DebugLog(0, "TTrayMain.MakeAutoStartable key creation FAILED");
    return;
  }
  if (WorkstationSettings->GetBool("LaunchAtStartup." + WindowsUserName())) {
    Registry().WriteString(kRunKey, kRunValue, "\"" + path + "\"");
    DebugLog(0, "TTrayMain.MakeAutoStartable: wrote " + path);
  } else {
    Registry().DeleteValue(kRunKey, kRunValue);
  }
}

void RemoveAutoStart() {
  if (Registry().OpenKey(kRunKey)) Registry().DeleteValue(kRunKey, kRunValue);
}

}  // namespace strevo
