// The focus watcher with its measurements, as HookTiming.cpp does for the
// hooks: its own copy of the adapter's code with STREVO_HOOK_TIMING, taken
// by the linker in place of the library's, so strevo.exe times nothing.
#define STREVO_HOOK_TIMING
// The watcher's class is defined in the file included here, not in this
// one, which GCC takes for a header.
#pragma GCC diagnostic ignored "-Wsubobject-linkage"
#include "win32/Win32KeyboardFocus.cpp"
