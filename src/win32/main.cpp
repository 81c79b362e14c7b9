// Entry point of strevo.exe.
#include <windows.h>

#include "platform/Application.h"
#include "storage/DebugLog.h"
#include "win32/Win32Platform.h"

using namespace strevo;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Win32Platform platform;
  ConfigureDebugLogFromEnvironment();
  std::string headless;
  platform.http.interactive = !System().GetEnvironment("STREVO_HEADLESS", headless);
  Application().SetTitle("Strevo 11");
  Dialogs().ShowMessage(std::string("Strevo 11\r\nVersion ") + STREVO_VERSION_TEXT, "Strevo", mb::kIconInformation);
  return 0;
}
