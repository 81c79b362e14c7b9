// The life of the process from its entry to its end: the start-up checks,
// the forms, the tray core and its run.
#pragma once

#include <memory>

#include "ui/Forms.h"

namespace strevo {

class TAnalyzer;

// Runs before any window exists: makes the analysis pipeline (kept by the
// caller for the whole run) and loads the language. A missing or unusable
// language ends the program.
std::unique_ptr<TAnalyzer> ProgramStartup();
// The main block: the forms given by the platform, the tray core on the
// pipeline, the one message loop. Returns when the program ends, with every
// settings object saved and released (ReleaseProgramObjects).
void ProgramMain(const Forms& forms, TAnalyzer& analyzer);
// Saves and releases what the program holds process-wide (the user, the
// workstation and policy settings, the program settings): nothing is saved
// after the platform goes, when a save can only fail.
void ReleaseProgramObjects();

}  // namespace strevo
