// The base of the program's own windows: one registered class per kind of
// window, the window procedure routed to the object that owns the window,
// and the window destroyed with its object.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Platform.h"
#include "storage/Exceptions.h"

namespace strevo {

// A window that the system refused to create; the message is the system's
// error text.
class EWindowError : public EStrevoError {
 public:
  explicit EWindowError(const std::string& message) : EStrevoError(message, "EWindowError") {}
};

struct WindowClass {
  const char* name = nullptr;
  uint32_t style = 0;           // class styles (double clicks, drop shadow)
  int backgroundColour = -1;    // a system colour index, or -1 for none
  bool handCursor = false;
};

struct WindowPlacement {
  std::string caption;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  int left = 0, top = 0, width = 0, height = 0;
  WindowHandle owner = 0;
};

class Win32Window {
 public:
  Win32Window() = default;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;
  virtual ~Win32Window();

  WindowHandle Handle() const { return handle_; }
  void DestroyWindow();

 protected:
  // Registers the class on first use and creates the window; throws
  // EWindowError when the system refuses.
  void CreateWindowOf(const WindowClass& windowClass, const WindowPlacement& placement);
  // The messages of this window; the default hands them to the system.
  virtual intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam);
  intptr_t DefaultProc(uint32_t message, uintptr_t wParam, intptr_t lParam);

  WindowHandle handle_ = 0;
  // The DPI of the monitor the window stands on: the window was made for
  // it, or has been laid out again for it.
  int dpi_ = 96;

 private:
  friend struct WindowProcedure;
};

// The text of the calling thread's last system error.
std::string LastErrorText();
// The program's module (resources).
uintptr_t ModuleInstance();

// A window of the given client size in 96-DPI units centred on the primary
// screen: the window rectangle for the style at the primary's DPI.
WindowPlacement CentredPlacement(const std::string& caption, uint32_t style, uint32_t exStyle, int clientWidth,
                                 int clientHeight, WindowHandle owner);

}  // namespace strevo
