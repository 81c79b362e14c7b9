// One small owner per kind of Windows handle, so that no handle is closed by
// hand: registry keys, find handles, kernel objects, internet handles,
// WinEvent hooks and COM interface pointers.
#pragma once

#include <windows.h>
#include <wininet.h>

namespace strevo {

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
struct InternetTraits {
  using Type = HINTERNET;
  static Type Invalid() { return nullptr; }
  static void Close(Type handle) { ::InternetCloseHandle(handle); }
};

struct WinEventHookTraits {
  using Type = HWINEVENTHOOK;
  static Type Invalid() { return nullptr; }
  static void Close(Type hook) { ::UnhookWinEvent(hook); }
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
template <typename Interface>
using ComPointer = ScopedHandle<ComTraits<Interface>>;

}  // namespace strevo
