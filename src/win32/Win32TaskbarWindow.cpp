#include "win32/Win32TaskbarWindow.h"

#include <windows.h>
#include <shobjidl.h>

#include <vector>

#include "storage/DebugLog.h"
#include "win32/Win32Gdi.h"

namespace strevo {

namespace {

HWND hwnd(WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

// The shell's taskbar object.
constexpr CLSID kTaskbarListClass = {0x56FDF344, 0xFD6D, 0x11D0, {0x95, 0x8A, 0x00, 0x60, 0x97, 0xC9, 0xA0, 0x90}};

}  // namespace

struct Win32TaskbarWindow::Taskbar {
  bool comStarted = false;
  ITaskbarList3* list = nullptr;
  HICON overlay = nullptr;
  ~Taskbar() {
    if (list) list->Release();
    if (overlay) ::DestroyIcon(overlay);
    if (comStarted) ::CoUninitialize();
  }
};

Win32TaskbarWindow::Win32TaskbarWindow() : taskbar_(std::make_unique<Taskbar>()) {
  WindowPlacement placement;
  placement.caption = "Wayfen 1";
  placement.style = WS_POPUP | WS_CLIPCHILDREN;
  placement.exStyle = WS_EX_TOPMOST | WS_EX_LAYERED | WS_EX_APPWINDOW;
  placement.width = kClientWidth;
  placement.height = kClientHeight;
  CreateWindowOf({"TIPCForm", 0, -1}, placement);
  HWND window = hwnd(handle_);
  ::SetLayeredWindowAttributes(window, 0, 100, LWA_ALPHA);
  ::SetWindowRgn(window, ::CreateRoundRectRgn(1, 1, kClientWidth - 1, kClientHeight - 1, 90, 90), FALSE);
  RightDown();

  // The taskbar extensions: progress and overlay icon on the taskbar button.
  const HRESULT started = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  taskbar_->comStarted = SUCCEEDED(started);
  void* list = nullptr;
  if (SUCCEEDED(::CoCreateInstance(kTaskbarListClass, nullptr, CLSCTX_INPROC_SERVER, __uuidof(ITaskbarList3), &list)) &&
      list) {
    taskbar_->list = static_cast<ITaskbarList3*>(list);
    if (FAILED(taskbar_->list->HrInit())) {
      DebugLog(0, "TIPCForm: taskbar list not available - no progress or overlay icon");
      taskbar_->list->Release();
      taskbar_->list = nullptr;
    }
  }
  const int size = ::GetSystemMetrics(SM_CXSMICON);
  taskbar_->overlay = static_cast<HICON>(
      ::LoadImageA(reinterpret_cast<HINSTANCE>(ModuleInstance()), "TRAYICON3", IMAGE_ICON, size, size, 0));
}

Win32TaskbarWindow::~Win32TaskbarWindow() { DestroyWindow(); }

bool Win32TaskbarWindow::TaskbarAvailable() const { return taskbar_->list != nullptr; }

void Win32TaskbarWindow::Show() {
  ::SetWindowPos(hwnd(handle_), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void Win32TaskbarWindow::Hide() { ::ShowWindow(hwnd(handle_), SW_HIDE); }

bool Win32TaskbarWindow::Visible() { return ::IsWindowVisible(hwnd(handle_)) != 0; }

void Win32TaskbarWindow::SetProgressValue(int value) {
  progress_ = value < 0 ? 0 : value > kProgressMaximum ? kProgressMaximum : value;
  // Without a taskbar button (the window is hidden) the shell refuses; that
  // changes nothing for the program.
  if (taskbar_->list) taskbar_->list->SetProgressValue(hwnd(handle_), progress_, kProgressMaximum);
}

void Win32TaskbarWindow::SetOverlayIcon(int index) {
  overlay_ = index;
  if (taskbar_->list)
    taskbar_->list->SetOverlayIcon(hwnd(handle_), index == 3 ? taskbar_->overlay : nullptr, index == 3 ? L"" : nullptr);
}

void Win32TaskbarWindow::SetCaption(const std::string& caption) { ::SetWindowTextA(hwnd(handle_), caption.c_str()); }

std::string Win32TaskbarWindow::Caption() {
  std::vector<char> buffer(static_cast<size_t>(::GetWindowTextLengthA(hwnd(handle_))) + 1);
  const int n = ::GetWindowTextA(hwnd(handle_), buffer.data(), static_cast<int>(buffer.size()));
  return std::string(buffer.data(), n > 0 ? static_cast<size_t>(n) : 0);
}

void Win32TaskbarWindow::RightDown() {
  RECT area;
  if (!::SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) return;
  ::SetWindowPos(hwnd(handle_), nullptr, area.right / 2, area.bottom / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32TaskbarWindow::Paint() {
  PAINTSTRUCT ps;
  HDC dc = ::BeginPaint(hwnd(handle_), &ps);
  RECT client;
  ::GetClientRect(hwnd(handle_), &client);
  ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
  // The typing-history chart's plot area.
  GdiObject<HPEN> grid(::CreatePen(PS_DOT, 1, RGB(0x30, 0x50, 0x30)));
  SelectedObject pen(dc, grid.Get());
  SelectedObject brush(dc, ::GetStockObject(NULL_BRUSH));
  ::Rectangle(dc, 40 + 10, 16 + 5, 226 + 10, 86 + 5);
  ::EndPaint(hwnd(handle_), &ps);
}

intptr_t Win32TaskbarWindow::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST: {
      // The whole window drags like a caption.
      const intptr_t hit = DefaultProc(message, wParam, lParam);
      return hit == HTCLIENT ? HTCAPTION : hit;
    }
    case WM_NCRBUTTONDOWN:
    case WM_RBUTTONDOWN:
      RightDown();
      return 0;
    case WM_CONTEXTMENU:  // no system menu on the caption-like client area
      return 0;
    case WM_CLOSE:
      // Closing only hides it; the program ends from its tray menu.
      Hide();
      return 0;
    default:
      break;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace strevo
