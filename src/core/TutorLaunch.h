// The tutor's presence and the program's autostart entry under the current
// user's Run key.
#pragma once

#include <string>

namespace strevo {

inline constexpr const char* kRunKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "TypingWayfen";
// The program's own key, for what it keeps in the registry beside the
// autostart entry.
inline constexpr const char* kProgramKey = "\\SOFTWARE\\Strevo";

// The tutor runs: its mutex exists.
bool TutorRunning();
// The autostart entry as the account's "LaunchAtStartup." setting says:
// written for the program's own executable, or deleted. Needs the
// workstation settings open.
void MakeAutoStartable();
void RemoveAutoStart();
// Without the taskbar's toolbar the autostart entry is removed, once: a mark
// in the program's key keeps later starts from removing it again. True when
// it was removed now.
bool RemoveAutoStartForToolbar();

}  // namespace strevo
