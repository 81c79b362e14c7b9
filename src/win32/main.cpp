// Entry point of strevo.exe: the Win32 platform, the start-up checks, the
// program's windows, and the tray core's run with its one message loop.
#include <windows.h>

#include <string>

#include "core/Draxel.h"
#include "core/TrayMain.h"
#include "platform/Application.h"
#include "analysis/AnalyzerAPI.h"
#include "storage/DebugLog.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32Dwm.h"
#include "win32/Win32Forms.h"
#include "win32/Win32Handles.h"
#include "win32/Win32Platform.h"

using namespace strevo;

namespace {

void RunProgram(Win32Platform& platform) {
  // The application window exists before anything can show a message box;
  // it is captioned with the program's name until the main block gives it
  // the application title.
  Win32Forms forms("Strevo");
  platform.dialogs.owner = forms.application.Handle();
  platform.http.owner = forms.application.Handle();
  Application().onTerminate = [] { ::PostQuitMessage(0); };
  Application().onProcessMessages = [&forms] { forms.loop.ProcessMessages(); };
  Application().onTitle = [&forms](const std::string& title) { forms.application.SetCaption(title); };
  // The tray core's message hook: modal windows shown while it initializes
  // (the logon window) already run their messages through it.
  forms.loop.fallbackHook = [](const PostedMessage& message, bool& handled) {
    if (TrayMain) TrayMain->AppMessage(message, handled);
  };
  // At the end of the Windows session the process ends as soon as the
  // application window has answered: the user's figures are saved first.
  forms.application.onEndSession = [] {
    if (TrayMain) TrayMain->EndSession();
  };

  CheckDesktopComposition();
  const std::unique_ptr<TAnalyzer> analyzer = ProgramStartup();

  try {
    forms.CreateWindows();
  } catch (const EWindowError& error) {
    Dialogs().ShowMessage(std::string("Strevo failed to start in this Operating System: could not create the window.\r\n") +
                              error.ClassName() + ": " + error.what(),
                          "Strevo - startup error", mb::kIconError);
    Application().Reset();
    return;
  }
  forms.widget->findWidget = []() -> TInfoOnTop* { return TrayMain ? &TrayMain->Widget() : nullptr; };

  ProgramMain(forms.Get(), *analyzer);

  forms.widget->findWidget = nullptr;
  Application().Reset();
  platform.dialogs.owner = 0;
  platform.http.owner = 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // The manifest says so already where the system reads it; systems that
  // read only part of it are asked here.
  DeclareDpiAwareness();
  Win32Platform platform;
  ConfigureDebugLogFromEnvironment();
  std::string headless;
  platform.http.interactive = !System().GetEnvironment("STREVO_HEADLESS", headless);
  const ComInitialization com(COINIT_APARTMENTTHREADED);
  RunProgram(platform);
  return 0;
}
