// The desktop window manager, looked up at run time so that the program
// starts on systems without it: the composition check made once at start,
// and the rounded-corner request of the widget and the logon window.
#pragma once

#include "platform/Platform.h"

namespace strevo {

// False only when the composition check at start succeeded and reported
// composition off; then the window manager's window attributes are treated
// as unavailable for the whole run.
extern bool DesktopCompositionEnabled;

// Asks dwmapi.dll's DwmIsCompositionEnabled and sets the flag above.
void CheckDesktopComposition();

// Window corner preference (attribute 33): 1 do not round, 2 round, 3 round
// small, anything else the default. True when the window manager accepted.
bool RequestCornerPreference(WindowHandle window, int preference);

}  // namespace strevo
