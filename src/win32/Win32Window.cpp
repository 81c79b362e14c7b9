#include "win32/Win32Window.h"

#include <windows.h>

#include <exception>
#include <set>

#include "storage/DebugLog.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32Handles.h"

namespace strevo {

struct WindowProcedure {
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Win32Window* self = nullptr;
    if (message == WM_NCCREATE) {
      self = static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
      ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (self) self->handle_ = FromHwnd(window);
    } else {
      self = reinterpret_cast<Win32Window*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
    }
    if (!self) return ::DefWindowProcA(window, message, wParam, lParam);
    // No error may cross the system's frames: an error of a handler is
    // shown in a message box and the message counts as handled.
    try {
      if (message == WM_NCDESTROY) {
        const LRESULT result = self->WindowProc(message, wParam, lParam);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->handle_ = 0;
        return result;
      }
      return self->WindowProc(message, wParam, lParam);
    } catch (const std::exception& error) {
      DebugLog(0, std::string("Error in window message ") + std::to_string(message) + ": " + error.what());
      ::MessageBoxA(window, error.what(), "Strevo", MB_OK | MB_ICONERROR);
    } catch (...) {
      DebugLog(0, "Error in window message " + std::to_string(message));
    }
    return 0;
  }
};

namespace {

void RegisterOnce(const WindowClass& windowClass) {
  static std::set<std::string> registered;
  if (registered.count(windowClass.name)) return;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.style = windowClass.style;
  wc.lpfnWndProc = WindowProcedure::Proc;
  wc.hInstance = reinterpret_cast<HINSTANCE>(ModuleInstance());
  wc.hIcon = ::LoadIconA(wc.hInstance, "MAINICON");
  if (!wc.hIcon) wc.hIcon = ::LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
  wc.hCursor = ::LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(windowClass.handCursor ? IDC_HAND : IDC_ARROW));
  wc.hbrBackground =
      windowClass.backgroundColour >= 0 ? reinterpret_cast<HBRUSH>(static_cast<intptr_t>(windowClass.backgroundColour + 1)) : nullptr;
  wc.lpszClassName = windowClass.name;
  if (!::RegisterClassExA(&wc) && ::GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
    throw EWindowError("window class " + std::string(windowClass.name) + ": " + LastErrorText());
  registered.insert(windowClass.name);
}

}  // namespace

Win32Window::~Win32Window() { DestroyWindow(); }

void Win32Window::DestroyWindow() {
  if (handle_) ::DestroyWindow(ToHwnd(handle_));
  handle_ = 0;
}

void Win32Window::CreateWindowOf(const WindowClass& windowClass, const WindowPlacement& placement) {
  RegisterOnce(windowClass);
  HWND window = ::CreateWindowExA(placement.exStyle, windowClass.name, placement.caption.c_str(), placement.style,
                                  placement.left, placement.top, placement.width, placement.height,
                                  ToHwnd(placement.owner), nullptr,
                                  reinterpret_cast<HINSTANCE>(ModuleInstance()), this);
  if (!window) throw EWindowError(LastErrorText());
  handle_ = FromHwnd(window);
  dpi_ = WindowDpi(window);
}

intptr_t Win32Window::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return DefaultProc(message, wParam, lParam);
}

intptr_t Win32Window::DefaultProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  return ::DefWindowProcA(ToHwnd(handle_), message, wParam, lParam);
}

std::string LastErrorText() {
  const DWORD code = ::GetLastError();
  char* text = nullptr;
  const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string message = n && text ? std::string(text, n) : "System Error.  Code: " + std::to_string(code) + ".";
  if (text) ::LocalFree(text);
  while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
    message.pop_back();
  return message;
}

uintptr_t ModuleInstance() { return reinterpret_cast<uintptr_t>(::GetModuleHandleA(nullptr)); }

WindowPlacement CentredPlacement(const std::string& caption, uint32_t style, uint32_t exStyle, int clientWidth,
                                 int clientHeight, WindowHandle owner) {
  const DpiScale scale(SystemDpi());
  RECT rect{0, 0, scale(clientWidth), scale(clientHeight)};
  ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
  WindowPlacement placement;
  placement.caption = caption;
  placement.style = style;
  placement.exStyle = exStyle;
  placement.width = rect.right - rect.left;
  placement.height = rect.bottom - rect.top;
  placement.left = (::GetSystemMetrics(SM_CXSCREEN) - placement.width) / 2;
  placement.top = (::GetSystemMetrics(SM_CYSCREEN) - placement.height) / 2;
  placement.owner = owner;
  return placement;
}

}  // namespace strevo
