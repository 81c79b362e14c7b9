// What the program's work in the system's input path costs under this
// system, printed, never judged: the keyboard hook procedure per key event
// against a hook that only posts (both installed at once, so that they see
// the same events under the same load), its system calls per key, and a
// keyboard-focus change's report on the main thread with the key path's
// question after it. Run by tests/wine/costs.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "input/KeyInfo.h"
#include "platform/KeyboardFocus.h"
#include "win32/Win32Handles.h"
#include "win32/Win32KeyboardFocus.h"
#include "win32/Win32Platform.h"

namespace strevo {
namespace {

std::atomic<HWND> g_bareTarget{nullptr};
std::vector<double> g_bareTimings;

double Microseconds(const LARGE_INTEGER& start, const LARGE_INTEGER& end) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return 1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LRESULT CALLBACK BareKeyboardProc(int code, WPARAM message, LPARAM lParam) {
  if (code >= 0 && (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)) {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    ::PostMessageA(g_bareTarget.load(), WM_APP + 7, 0, 0);
    ::QueryPerformanceCounter(&end);
    g_bareTimings.push_back(Microseconds(start, end));
  }
  return ::CallNextHookEx(nullptr, code, message, lParam);
}

void Pump(DWORD milliseconds) {
  const DWORD end = ::GetTickCount() + milliseconds;
  MSG msg;
  while (static_cast<int32_t>(end - ::GetTickCount()) > 0) {
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageA(&msg);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
}

void Key(WORD virtualKey, bool up) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = virtualKey;
  input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
  ::SendInput(1, &input, sizeof input);
}

struct Spread {
  double min = 0, median = 0, max = 0;
  size_t count = 0;
};
Spread SpreadOf(std::vector<double> values) {
  if (values.empty()) return {};
  std::sort(values.begin(), values.end());
  return {values.front(), values[values.size() / 2], values.back(), values.size()};
}

void HookCost(HWND target) {
  const UINT keyMessage = Windows().RegisterMessage("QVWayfen1999.WM_SENDKEYINFO");
  const UINT clickMessage = Windows().RegisterMessage("QVWayfen1999.WM_MOUSECLICKED");
  Hooks().Start(FromHwnd(target), keyMessage, clickMessage, PostingRules());
  for (int i = 0; i < 100 && !Hooks().Active(); ++i) ::Sleep(10);
  g_bareTarget = target;
  std::atomic<DWORD> threadId{0};
  std::thread bare([&] {
    MSG msg;
    ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
    const WindowsHook hook(::SetWindowsHookExA(WH_KEYBOARD_LL, BareKeyboardProc, ::GetModuleHandleA(nullptr), 0));
    threadId = ::GetCurrentThreadId();
    while (::GetMessageA(&msg, nullptr, 0, 0) > 0) ::DispatchMessageA(&msg);
  });
  while (threadId == 0) ::Sleep(2);
  int64_t events0, reads0, posts0, events1, reads1, posts1;
  Win32Hooks::HookCallCounts(events0, reads0, posts0);
  for (int i = 0; i < 300; ++i) {
    Key('K', false);
    Key('K', true);
  }
  Pump(1500);
  Win32Hooks::HookCallCounts(events1, reads1, posts1);
  ::PostThreadMessageA(threadId, WM_QUIT, 0, 0);
  bare.join();
  Hooks().Stop();
  std::vector<double> ours = Win32Hooks::HookTimings();
  ours.erase(ours.begin(), ours.end() - std::min<ptrdiff_t>(300, static_cast<ptrdiff_t>(ours.size())));
  const Spread own = SpreadOf(ours), floor = SpreadOf(g_bareTimings);
  const double callsPerKey =
      events1 > events0 ? static_cast<double>((reads1 - reads0) + (posts1 - posts0)) / static_cast<double>(events1 - events0) : 0;
  std::printf("keyboard hook procedure per key event (us): median %.2f (min %.2f, max %.2f, %zu events); "
              "a hook that only posts, same events: median %.2f; ratio %.2f; system calls per plain key %.2f\n",
              own.median, own.min, own.max, own.count, floor.median, floor.median > 0 ? own.median / floor.median : 0.0,
              callsPerKey);
}

void FocusCost() {
  HINSTANCE instance = ::GetModuleHandleA(nullptr);
  HWND window = ::CreateWindowA("STATIC", "Strevo focus costs", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 120,
                                nullptr, nullptr, instance, nullptr);
  HWND text = ::CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 280, 24, window, nullptr, instance, nullptr);
  HWND password = ::CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | ES_PASSWORD, 0, 40, 280, 24, window, nullptr,
                                  instance, nullptr);
  ::SetForegroundWindow(window);
  IKeyboardFocus& focus = *KeyboardFocus();
  focus.ChangesUntil(::GetTickCount());
  std::vector<double> questions;
  for (int i = 0; i < 100; ++i) {
    ::SetFocus(i % 2 ? text : password);
    Pump(50);
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    focus.InPasswordField(focus.ChangesUntil(::GetTickCount()));
    ::QueryPerformanceCounter(&end);
    questions.push_back(Microseconds(start, end));
  }
  const Spread reports = SpreadOf(Win32KeyboardFocus::ReportTimings()), asked = SpreadOf(questions);
  std::printf("focus change on the main thread (us): report min %.2f median %.2f max %.2f over %zu; "
              "question min %.2f median %.2f max %.2f over %zu\n",
              reports.min, reports.median, reports.max, reports.count, asked.min, asked.median, asked.max, asked.count);
  ::DestroyWindow(window);
}

}  // namespace
}  // namespace strevo

int main() {
  using namespace strevo;
  Win32Platform platform;
  HWND target = ::CreateWindowA("STATIC", "Strevo hook costs", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                ::GetModuleHandleA(nullptr), nullptr);
  HookCost(target);
  FocusCost();
  ::DestroyWindow(target);
  return 0;
}
