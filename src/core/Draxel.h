// The life of the process from its entry to its end: the start-up checks,
// the forms, the tray core and its run.
#pragma once

#include "ui/Forms.h"

namespace strevo {

// Runs before any window exists: creates the analysis singletons and loads
// the language. A missing or unusable language ends the program.
void ProgramStartup();
// The main block: the forms given by the platform, the tray core, the one
// message loop. Returns when the program ends.
void ProgramMain(const Forms& forms);

}  // namespace strevo
