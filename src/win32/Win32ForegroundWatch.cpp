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

struct Win32ForegroundWatch::Hooks {
  WinEventHook hooks[4];
};

Win32ForegroundWatch::Win32ForegroundWatch(std::function<void()> changed)
    : changed_(std::move(changed)), hooks_(std::make_unique<Hooks>()) {
  current_watch = this;
  front_ = ::GetForegroundWindow();
  constexpr DWORD kOutOfContext = WINEVENT_OUTOFCONTEXT;
  // Wine reports no change of the window in front, but the keyboard focus
  // that goes with it; the window in front hidden or destroyed leaves
  // another, or none, in front.
  constexpr DWORD kRanges[4][2] = {{EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND},
                                   {EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS},
                                   {EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE},
                                   {EVENT_OBJECT_DESTROY, EVENT_OBJECT_HIDE}};
  watching_ = true;
  for (int i = 0; i < 4; ++i) {
    hooks_->hooks[i].Reset(::SetWinEventHook(kRanges[i][0], kRanges[i][1], nullptr, Event, 0, 0, kOutOfContext));
    watching_ = watching_ && hooks_->hooks[i];
  }
}

Win32ForegroundWatch::~Win32ForegroundWatch() { current_watch = nullptr; }

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
