// The tutor's presence and the program's autostart entry under the current
// user's Run key.
#pragma once

#include <string>

namespace strevo {

inline constexpr const char* kRunKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "TypingWayfen";

// The tutor runs: its mutex exists.
bool TutorRunning();
// The autostart entry as the account's "LaunchAtStartup." setting says:
// written for the program's own executable, or deleted. Needs the
// workstation settings open.
void MakeAutoStartable();
void RemoveAutoStart();

}  // namespace strevo
