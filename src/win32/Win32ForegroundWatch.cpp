#include "win32/Win32ForegroundWatch.h"

#include <windows.h>

#include <atomic>

#include "win32/Win32Handles.h"

namespace strevo {

namespace {

std::atomic<Win32ForegroundWatch*> current_watch{nullptr};  // the hooks' reports go to it

void CALLBACK Event(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
  if (Win32ForegroundWatch* watch = current_watch.load()) watch->Report(event, window, object, child);
}

}  // namespace

Win32ForegroundWatch::Win32ForegroundWatch(std::function<void()> changed) : changed_(std::move(changed)) {
  KernelObject started(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!started) return;
  current_watch = this;
  thread_ = std::thread([this, event = started.Get()] { Run(event); });
  ::WaitForSingleObject(started.Get(), INFINITE);
  if (!watching_) {
    thread_.join();
    current_watch = nullptr;
  }
}

Win32ForegroundWatch::~Win32ForegroundWatch() {
  if (!thread_.joinable()) return;
  current_watch = nullptr;
  ::PostThreadMessageA(threadId_, WM_QUIT, 0, 0);
  thread_.join();
}

void Win32ForegroundWatch::Run(void* started) {
  MSG msg;
  ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the thread's queue
  threadId_ = ::GetCurrentThreadId();
  front_ = ::GetForegroundWindow();
  constexpr DWORD kOutOfContext = WINEVENT_OUTOFCONTEXT;
  WinEventHook foreground(
      ::SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, Event, 0, 0, kOutOfContext));
  // Wine reports no foreground change, but the keyboard focus that goes
  // with it.
  WinEventHook focus(::SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, Event, 0, 0, kOutOfContext));
  WinEventHook names(
      ::SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, Event, 0, 0, kOutOfContext));
  // The window in front hidden or destroyed leaves another, or none, in front.
  WinEventHook gone(::SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_HIDE, nullptr, Event, 0, 0, kOutOfContext));
  watching_ = foreground && focus && names && gone;
  ::SetEvent(started);
  if (!watching_) return;
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
}

void Win32ForegroundWatch::Report(uint32_t event, void* window, long object, long child) {
  if (event == EVENT_SYSTEM_FOREGROUND) {
    front_ = window;
  } else if (event == EVENT_OBJECT_FOCUS) {
    front_ = ::GetAncestor(static_cast<HWND>(window), GA_ROOT);
  } else if (object != OBJID_WINDOW || child != CHILDID_SELF || window != front_) {
    return;  // another window's caption, a control, a caret or a cursor
  }
  changed_();
}

}  // namespace strevo
