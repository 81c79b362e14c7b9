// The system's global atom table.
#include <windows.h>

#include "win32/Win32Platform.h"

namespace strevo {

uint16_t Win32Atoms::AddAtom(const std::string& name) { return ::GlobalAddAtomA(name.c_str()); }
uint16_t Win32Atoms::FindAtom(const std::string& name) { return ::GlobalFindAtomA(name.c_str()); }
void Win32Atoms::DeleteAtom(uint16_t atom) { ::GlobalDeleteAtom(atom); }

}  // namespace strevo
