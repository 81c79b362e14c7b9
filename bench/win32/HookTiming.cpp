// The hook procedures with their measurements: this program compiles its own
// copy of the adapter's hook code with STREVO_HOOK_TIMING, and the linker
// takes it in place of the library's copy, so that strevo.exe keeps no
// timing of its own.
#define STREVO_HOOK_TIMING
#include "win32/Win32Input.cpp"
