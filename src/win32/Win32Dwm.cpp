#include "win32/Win32Dwm.h"

#include <windows.h>

#include "win32/Win32Handles.h"

namespace strevo {

bool DesktopCompositionEnabled = true;

namespace {

HMODULE DwmLibrary() {
  static HMODULE library = ::LoadLibraryA("dwmapi.dll");
  return library;
}

template <typename Function>
Function DwmFunction(const char* name) {
  HMODULE library = DwmLibrary();
  if (!library) return nullptr;
  return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name)));
}

}  // namespace

void CheckDesktopComposition() {
  using IsCompositionEnabledFn = HRESULT(WINAPI*)(BOOL*);
  DesktopCompositionEnabled = true;
  if (auto fn = DwmFunction<IsCompositionEnabledFn>("DwmIsCompositionEnabled")) {
    BOOL enabled = TRUE;
    if (SUCCEEDED(fn(&enabled)) && !enabled) DesktopCompositionEnabled = false;
  }
}

bool RequestCornerPreference(WindowHandle window, int preference) {
  if (!DesktopCompositionEnabled) return false;
  using SetWindowAttributeFn = HRESULT(WINAPI*)(HWND, DWORD, LPCVOID, DWORD);
  auto fn = DwmFunction<SetWindowAttributeFn>("DwmSetWindowAttribute");
  if (!fn) return false;
  constexpr DWORD kWindowCornerPreference = 33;
  DWORD value = 0;  // default
  switch (preference) {
    case 1: value = 1; break;  // do not round
    case 2: value = 2; break;  // round
    case 3: value = 3; break;  // round small
    default: value = 0; break;
  }
  return fn(ToHwnd(window), kWindowCornerPreference, &value, sizeof value) >= 0;
}

}  // namespace strevo
