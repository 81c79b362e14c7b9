// The floor the monitor's cost at rest is measured against: a hidden window
// and a tray icon, nothing else. tests/wine/idle runs it beside strevo.exe
// under the same Wine.
#include <windows.h>
#include <shellapi.h>

namespace {

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    ::PostQuitMessage(0);
    return 0;
  }
  return ::DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = "StrevoBareTray";
  if (!::RegisterClassA(&windowClass)) return 1;
  HWND window = ::CreateWindowExA(WS_EX_TOOLWINDOW, "StrevoBareTray", "Bare tray", WS_POPUP, 0, 0, 0, 0, nullptr,
                                  nullptr, instance, nullptr);
  if (!window) return 1;
  NOTIFYICONDATAA icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  icon.uCallbackMessage = WM_APP;
  icon.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  ::lstrcpynA(icon.szTip, "Bare tray", sizeof icon.szTip);
  ::Shell_NotifyIconA(NIM_ADD, &icon);
  ::OutputDebugStringA("bare-tray: shown\n");
  MSG msg;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  ::Shell_NotifyIconA(NIM_DELETE, &icon);
  return 0;
}
