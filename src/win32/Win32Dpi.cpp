#include "win32/Win32Dpi.h"

#include "win32/Win32Gdi.h"

namespace strevo {

namespace {

template <typename Function>
Function SystemFunction(const char* module, const char* name) {
  HMODULE library = ::GetModuleHandleA(module);
  if (!library) library = ::LoadLibraryA(module);
  return library ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(library, name))) : nullptr;
}

// DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 and _PER_MONITOR_AWARE, by
// value: older headers lack them.
const HANDLE kPerMonitorV2 = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4));
const HANDLE kPerMonitor = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-3));
constexpr int kProcessPerMonitorDpiAware = 2;

struct ChildFonts {
  int oldDpi, newDpi;
};

BOOL CALLBACK MoveChild(HWND child, LPARAM context) {
  const ChildFonts& dpi = *reinterpret_cast<const ChildFonts*>(context);
  HWND parent = ::GetParent(child);
  RECT r{};
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  const auto scaled = [&](LONG v) { return ::MulDiv(v, dpi.newDpi, dpi.oldDpi); };
  ::SetWindowPos(child, nullptr, scaled(r.left), scaled(r.top), scaled(r.right) - scaled(r.left),
                 scaled(r.bottom) - scaled(r.top), SWP_NOZORDER | SWP_NOACTIVATE);
  const HFONT font = reinterpret_cast<HFONT>(::SendMessageA(child, WM_GETFONT, 0, 0));
  if (font == DialogFont(dpi.oldDpi))
    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(dpi.newDpi)), TRUE);
  else if (font == DialogFontBold(dpi.oldDpi))
    ::SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFontBold(dpi.newDpi)), TRUE);
  return TRUE;
}

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM list) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!::GetMonitorInfoA(monitor, &info)) return TRUE;
  auto& areas = *reinterpret_cast<std::vector<Rect>*>(list);
  const Rect area{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
  if (info.dwFlags & MONITORINFOF_PRIMARY) areas.insert(areas.begin(), area);
  else areas.push_back(area);
  return TRUE;
}

}  // namespace

void DeclareDpiAwareness() {
  using SetContext = BOOL(WINAPI*)(HANDLE);
  if (const auto setContext = SystemFunction<SetContext>("user32.dll", "SetProcessDpiAwarenessContext")) {
    if (setContext(kPerMonitorV2) || setContext(kPerMonitor)) return;
    // Refused also when the manifest has declared it already.
    if (::GetLastError() == ERROR_ACCESS_DENIED) return;
  }
  using SetAwareness = HRESULT(WINAPI*)(int);
  if (const auto setAwareness = SystemFunction<SetAwareness>("shcore.dll", "SetProcessDpiAwareness")) {
    if (setAwareness(kProcessPerMonitorDpiAware) >= 0) return;
  }
  using SetAware = BOOL(WINAPI*)();
  if (const auto setAware = SystemFunction<SetAware>("user32.dll", "SetProcessDPIAware")) setAware();
}

int SystemDpi() {
  const HDC screen = ::GetDC(nullptr);
  const int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSY) : kDesignDpi;
  if (screen) ::ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND window) {
  using GetDpiForWindow = UINT(WINAPI*)(HWND);
  static const auto forWindow = SystemFunction<GetDpiForWindow>("user32.dll", "GetDpiForWindow");
  if (forWindow && window) {
    if (const UINT dpi = forWindow(window)) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

void DpiScale::Apply(HDC dc) const {
  if (Identity() || !dc) return;
  ::SetGraphicsMode(dc, GM_ADVANCED);
  const float factor = static_cast<float>(dpi_) / kDesignDpi;
  const XFORM scale{factor, 0, 0, factor, 0, 0};
  ::SetWorldTransform(dc, &scale);
  // The face and the pictures are stretched smoothly, not by dropping and
  // doubling pixels.
  ::SetStretchBltMode(dc, HALFTONE);
  ::SetBrushOrgEx(dc, 0, 0, nullptr);
}

std::vector<Rect> MonitorWorkAreas() {
  std::vector<Rect> areas;
  ::EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
  return areas;
}

void RelayoutForDpi(HWND window, int oldDpi, int newDpi, const RECT& suggested) {
  if (oldDpi > 0 && newDpi > 0 && oldDpi != newDpi) {
    ChildFonts dpi{oldDpi, newDpi};
    // Direct children only: a control's own parts follow it.
    for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
      MoveChild(child, reinterpret_cast<LPARAM>(&dpi));
  }
  ::SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace strevo
