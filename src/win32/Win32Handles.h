// One small owner per kind of Windows handle, so that no handle is closed by
// hand: registry keys, find handles, kernel objects, internet handles,
// hooks, GDI objects, memory device contexts, icons, menus and COM
// interface pointers, each a ScopedHandle with its traits. What needs more
// than the handle to give it back (a window's device context, a painting,
// an object selected into a device context, the COM library) has an owner
// of its own below, built the same way. Also the one conversion between the
// platform's window handles and the system's.
#pragma once

#include <windows.h>
#include <objbase.h>
#include <wininet.h>

#include "platform/Platform.h"

namespace strevo {

inline HWND ToHwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }
inline WindowHandle FromHwnd(HWND window) { return reinterpret_cast<WindowHandle>(window); }

template <typename Traits>
class ScopedHandle {
 public:
  using Type = typename Traits::Type;
  ScopedHandle() = default;
  explicit ScopedHandle(Type handle) : handle_(handle) {}
  ~ScopedHandle() { Reset(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.Release()) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    Reset(other.Release());
    return *this;
  }

  Type Get() const { return handle_; }
  bool Valid() const { return handle_ != Traits::Invalid(); }
  explicit operator bool() const { return Valid(); }
  // For the functions that hand a new handle out through a pointer.
  Type* Receive() {
    Reset();
    return &handle_;
  }
  Type Release() {
    const Type handle = handle_;
    handle_ = Traits::Invalid();
    return handle;
  }
  void Reset(Type handle = Traits::Invalid()) {
    if (Valid()) Traits::Close(handle_);
    handle_ = handle;
  }

 private:
  Type handle_ = Traits::Invalid();
};

struct RegistryKeyTraits {
  using Type = HKEY;
  static Type Invalid() { return nullptr; }
  static void Close(Type key) { ::RegCloseKey(key); }
};
struct FindTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type find) { ::FindClose(find); }
};
struct KernelObjectTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type object) { ::CloseHandle(object); }
};
void CloseInternetHandle(HINTERNET handle);  // WinINet is loaded late (Win32Libraries.h)
struct InternetTraits {
  using Type = HINTERNET;
  static Type Invalid() { return nullptr; }
  static void Close(Type handle) { CloseInternetHandle(handle); }
};

struct WinEventHookTraits {
  using Type = HWINEVENTHOOK;
  static Type Invalid() { return nullptr; }
  static void Close(Type hook) { ::UnhookWinEvent(hook); }
};
struct WindowsHookTraits {
  using Type = HHOOK;
  static Type Invalid() { return nullptr; }
  static void Close(Type hook) { ::UnhookWindowsHookEx(hook); }
};
// A pen, brush, font, bitmap or region; it must no longer be selected into
// a device context when its owner ends.
template <typename Handle>
struct GdiObjectTraits {
  using Type = Handle;
  static Type Invalid() { return nullptr; }
  static void Close(Type object) { ::DeleteObject(object); }
};
// A device context of our own (CreateCompatibleDC), not a window's.
struct MemoryDcTraits {
  using Type = HDC;
  static Type Invalid() { return nullptr; }
  static void Close(Type dc) { ::DeleteDC(dc); }
};
// An icon made or loaded for us alone; a shared icon (LR_SHARED) is the
// system's and has no owner here.
struct IconTraits {
  using Type = HICON;
  static Type Invalid() { return nullptr; }
  static void Close(Type icon) { ::DestroyIcon(icon); }
};
struct MenuTraits {
  using Type = HMENU;
  static Type Invalid() { return nullptr; }
  static void Close(Type menu) { ::DestroyMenu(menu); }
};
template <typename Interface>
struct ComTraits {
  using Type = Interface*;
  static Type Invalid() { return nullptr; }
  static void Close(Type pointer) { pointer->Release(); }
};

using RegistryKey = ScopedHandle<RegistryKeyTraits>;
using FindHandle = ScopedHandle<FindTraits>;
using KernelObject = ScopedHandle<KernelObjectTraits>;
using InternetHandle = ScopedHandle<InternetTraits>;
using WinEventHook = ScopedHandle<WinEventHookTraits>;
using WindowsHook = ScopedHandle<WindowsHookTraits>;
template <typename Handle>
using GdiObject = ScopedHandle<GdiObjectTraits<Handle>>;
using MemoryDc = ScopedHandle<MemoryDcTraits>;
using IconHandle = ScopedHandle<IconTraits>;
using MenuHandle = ScopedHandle<MenuTraits>;
template <typename Interface>
using ComPointer = ScopedHandle<ComTraits<Interface>>;

// A window's device context (GetDC; the screen's for no window), given back
// to the window.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
  ~WindowDc() {
    if (dc_) ::ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// The painting of a window's invalid area, for one WM_PAINT.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(::BeginPaint(window, &paint_)) {}
  ~PaintDc() { ::EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// An object selected into a device context for the length of a scope; the
// object that was there before comes back at the end, also when others
// were selected in between with Select.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), previous_(::SelectObject(dc, object)) {}
  ~SelectedObject() { ::SelectObject(dc_, previous_); }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  void Select(HGDIOBJ object) { ::SelectObject(dc_, object); }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

// The COM library on the calling thread, ended again only when starting it
// succeeded (also when it was started already with the same model).
class ComInitialization {
 public:
  explicit ComInitialization(DWORD model) : result_(::CoInitializeEx(nullptr, model)) {}
  ~ComInitialization() {
    if (Succeeded()) ::CoUninitialize();
  }
  ComInitialization(const ComInitialization&) = delete;
  ComInitialization& operator=(const ComInitialization&) = delete;
  bool Succeeded() const { return SUCCEEDED(result_); }

 private:
  HRESULT result_;
};

}  // namespace strevo
