// The developer's trace: an indented, time-stamped text file. Off unless a
// path is configured (the environment variable STREVO_DEBUGLOG names the file),
// and then every call opens, appends one row and closes, so the log survives
// a crash up to its last row. Off, it costs one test of a flag.
#pragma once

#include <string>
#include <string_view>

namespace strevo {

namespace debuglog {
extern bool enabled;  // switched on and a path is set
}

inline bool DebugLogOn() { return debuglog::enabled; }

// Levels: 0 plain, 1 " " prefix, 2 "{" opening a level, -2 "}" closing it,
// 3 "--> " and never indented.
void DebugLogWrite(int level, std::string_view text);
inline void DebugLog(int level, std::string_view text) {
  if (debuglog::enabled) DebugLogWrite(level, text);
}

// An empty path switches the log off. The depth starts again at 0.
void SetDebugLog(const std::string& path);
void ConfigureDebugLogFromEnvironment();  // reads STREVO_DEBUGLOG
int DebugLogDepth();

}  // namespace strevo
