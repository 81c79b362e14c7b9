// Keyboard translation and the low-level hooks over the real API.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "win32/Win32Handles.h"
#include "win32/Win32Platform.h"

namespace strevo {

// --------------------------------------------------------------- keyboard --

bool Win32Keyboard::ToCodePage(char16_t character, unsigned char& ansi) {
  const wchar_t wide = static_cast<wchar_t>(character);
  char bytes[4] = {};
  BOOL replaced = FALSE;
  const int n = ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide, 1, bytes, sizeof bytes, nullptr, &replaced);
  if (n != 1 || replaced) return false;
  ansi = static_cast<unsigned char>(bytes[0]);
  return true;
}

int Win32Keyboard::TranslateKey(uint32_t virtualKey, const uint8_t keyState[256], char16_t out[2]) {
  HWND foreground = ::GetForegroundWindow();
  const DWORD thread = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : ::GetCurrentThreadId();
  HKL layout = ::GetKeyboardLayout(thread);
  const UINT scan = ::MapVirtualKeyExA(virtualKey, 0, layout);
  wchar_t buffer[2] = {};
  BYTE state[256];
  for (int i = 0; i < 256; ++i) state[i] = keyState[i];
  // Flag 4: the keyboard state is left as it is, where the system knows the
  // flag; a dead key left behind anyway is taken away by asking once more,
  // so it never joins a later key of this thread.
  const int n = ::ToUnicodeEx(virtualKey, scan, state, buffer, 2, 4, layout);
  if (n < 0) {
    wchar_t flushed[4];
    ::ToUnicodeEx(virtualKey, scan, state, flushed, 4, 4, layout);
  }
  for (int i = 0; i < 2; ++i) out[i] = static_cast<char16_t>(buffer[i]);
  return n;
}

// ------------------------------------------------------------------ hooks --

namespace {

// Shared by the hook procedures: written before the hooks are installed,
// read by the procedures on the hook thread.
std::atomic<HWND> g_hookTarget{nullptr};
std::atomic<UINT> g_keyMessage{0};
std::atomic<UINT> g_clickMessage{0};
std::atomic<bool> g_hooksActive{false};
std::atomic<DWORD> g_lastEventTime{0};  // see LastEventTime
HookRules g_rules;  // written before the hook thread starts

std::thread g_hookThread;  // started and joined by the thread that owns Win32Hooks
std::atomic<DWORD> g_hookThreadId{0};

#ifdef STREVO_HOOK_TIMING
// The measurements of the keyboard procedure, kept only by the program that
// measures it (the adapter's tests): the durations of its last calls for
// the key events it considered, in performance-counter ticks, and since the
// start of the process those events, the key-state reads and the posts
// made for them. Written on the hook thread, read on the measuring one.
constexpr int kTimingSlots = 1024;
std::atomic<int64_t> g_hookTimings[kTimingSlots];
std::atomic<int64_t> g_hookEvents{0}, g_stateReads{0}, g_posts{0};

// Times one call of the keyboard procedure from its start to Considered.
class KeyEventTiming {
 public:
  KeyEventTiming() { ::QueryPerformanceCounter(&start_); }
  void Considered() {
    LARGE_INTEGER end;
    ::QueryPerformanceCounter(&end);
    g_hookTimings[g_hookEvents++ % kTimingSlots] = end.QuadPart - start_.QuadPart;
  }

 private:
  LARGE_INTEGER start_;
};
void CountStateRead() { ++g_stateReads; }
void CountPost() { ++g_posts; }
#else
struct KeyEventTiming {
  void Considered() {}
};
void CountStateRead() {}
void CountPost() {}
#endif

bool key_down(int virtualKey) { return (::GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

// The modifiers as the keyboard procedure's own events leave them (hook
// thread only), so that an ordinary key needs no round trip to the system
// for the key state. A modifier that counts as down is confirmed with the
// system's state before it is used: a release the procedure never saw (the
// secure desktop, another hook) cannot leave it stuck; a press it never saw
// is a press no window saw either. Read from the system when the hooks start.
struct Modifiers {
  bool ctrl[2], shift[2], alt[2];  // left, right
  void Read() {
    ctrl[0] = key_down(VK_LCONTROL), ctrl[1] = key_down(VK_RCONTROL);
    shift[0] = key_down(VK_LSHIFT), shift[1] = key_down(VK_RSHIFT);
    alt[0] = key_down(VK_LMENU), alt[1] = key_down(VK_RMENU);
  }
  void Track(WPARAM message, DWORD virtualKey) {
    const bool down = message == WM_KEYDOWN || message == WM_SYSKEYDOWN;
    // Events injected with the side-less codes count as the left key.
    switch (virtualKey) {
      case VK_CONTROL:
      case VK_LCONTROL: ctrl[0] = down; break;
      case VK_RCONTROL: ctrl[1] = down; break;
      case VK_SHIFT:
      case VK_LSHIFT: shift[0] = down; break;
      case VK_RSHIFT: shift[1] = down; break;
      case VK_MENU:
      case VK_LMENU: alt[0] = down; break;
      case VK_RMENU: alt[1] = down; break;
      default: break;
    }
  }
};
Modifiers g_modifiers;  // hook thread only

// Down by the events, and still down for the system; a stale one is dropped.
bool confirmed(bool (&sides)[2], int virtualKey) {
  if (!sides[0] && !sides[1]) return false;
  CountStateRead();
  if (key_down(virtualKey)) return true;
  sides[0] = sides[1] = false;
  return false;
}

LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM message, LPARAM lParam) {
  if (g_hooksActive && code >= 0 && lParam) {
    KeyEventTiming timing;
    const auto* record = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    g_lastEventTime.store(record->time, std::memory_order_relaxed);
    g_modifiers.Track(message, record->vkCode);
    // Key releases and modifiers pass on without reading the key state.
    if (!g_rules.considers(static_cast<uint32_t>(message), record->vkCode))
      return ::CallNextHookEx(nullptr, code, message, lParam);
    const bool ctrl = confirmed(g_modifiers.ctrl, VK_CONTROL);
    const bool alt = message == WM_SYSKEYDOWN ? confirmed(g_modifiers.alt, VK_MENU) : false;
    const bool shift = confirmed(g_modifiers.shift, VK_SHIFT);
    uint32_t word = 0;
    if (g_rules.keyWord(static_cast<uint32_t>(message), record->vkCode, record->flags, ctrl, shift, alt, word)) {
      if (HWND target = g_hookTarget.load()) {
        ::PostMessageA(target, g_keyMessage, word, 0);
        CountPost();
      }
    }
    timing.Considered();
  }
  return ::CallNextHookEx(nullptr, code, message, lParam);
}

LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM message, LPARAM lParam) {
  if (code >= 0 && lParam)
    g_lastEventTime.store(reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->time, std::memory_order_relaxed);
  if (g_hooksActive && code >= 0 && g_rules.clickPosted(static_cast<uint32_t>(message))) {
    if (HWND target = g_hookTarget.load()) ::PostMessageA(target, g_clickMessage, message, 0);
  }
  return ::CallNextHookEx(nullptr, code, message, lParam);
}

// The Wine tests have the system's silent removal of the hooks happen on
// purpose: STREVO_TEST_HOOK_LOSS_MS=N removes the first hooks installed N
// milliseconds after their start, once in the process's life.
UINT_PTR SimulatedLossTimer() {
  static std::atomic<bool> lost{false};
  char text[16] = {};
  const DWORD n = ::GetEnvironmentVariableA("STREVO_TEST_HOOK_LOSS_MS", text, sizeof text);
  if (n == 0 || n >= sizeof text || lost.exchange(true)) return 0;
  const UINT delay = static_cast<UINT>(std::strtoul(text, nullptr, 10));
  return delay > 0 ? ::SetTimer(nullptr, 0, delay, nullptr) : 0;
}

void HookThreadBody() {
  g_hooksActive = false;
  MSG msg;
  ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the thread's queue
  g_modifiers.Read();
  HINSTANCE module = ::GetModuleHandleA(nullptr);
  // Removed in the opposite order when the thread ends, after the
  // procedures have been told to stop.
  WindowsHook mouseHook(::SetWindowsHookExA(WH_MOUSE_LL, LowLevelMouseProc, module, 0));
  WindowsHook keyboardHook(::SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelKeyboardProc, module, 0));
  g_lastEventTime = ::GetTickCount();
  g_hooksActive = mouseHook.Valid() && keyboardHook.Valid();
  g_hookThreadId = ::GetCurrentThreadId();
  const UINT_PTR lossTimer = SimulatedLossTimer();
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && lossTimer != 0 && msg.wParam == lossTimer) {
      // What the system does to a hook it finds too slow: removed, and the
      // program not told.
      ::KillTimer(nullptr, lossTimer);
      keyboardHook.Reset();
      mouseHook.Reset();
      ::OutputDebugStringA("strevo: the hooks were removed\n");
      continue;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  g_hooksActive = false;
}

}  // namespace

Win32Hooks::~Win32Hooks() { Stop(); }

void Win32Hooks::Start(WindowHandle target, uint32_t keyMessage, uint32_t clickMessage, const HookRules& rules) {
  Stop();
  g_rules = rules;
  g_hookTarget = ToHwnd(target);
  g_keyMessage = keyMessage;
  g_clickMessage = clickMessage;
  g_hookThreadId = 0;
  g_hookThread = std::thread(HookThreadBody);
  // Wait until the thread has its queue, so that Stop can always reach it.
  for (int i = 0; i < 500 && g_hookThreadId == 0; ++i) ::Sleep(2);
}

void Win32Hooks::Stop() {
  g_hooksActive = false;
  if (!g_hookThread.joinable()) return;
  for (int i = 0; i < 500 && g_hookThreadId == 0; ++i) ::Sleep(2);
  ::PostThreadMessageA(g_hookThreadId, WM_QUIT, 0, 0);
  g_hookThread.join();
}

bool Win32Hooks::Active() { return g_hooksActive; }

uint32_t Win32Hooks::LastEventTime() { return g_lastEventTime.load(std::memory_order_relaxed); }

uint32_t Win32Hooks::LastInputTime() {
  LASTINPUTINFO info{sizeof info, 0};
  return ::GetLastInputInfo(&info) ? info.dwTime : g_lastEventTime.load(std::memory_order_relaxed);
}

#ifdef STREVO_HOOK_TIMING
std::vector<double> Win32Hooks::HookTimings() {
  LARGE_INTEGER f;
  ::QueryPerformanceFrequency(&f);
  const int64_t n = std::min<int64_t>(g_hookEvents, kTimingSlots);
  std::vector<double> microseconds;
  for (int64_t i = 0; i < n; ++i)
    microseconds.push_back(1e6 * static_cast<double>(g_hookTimings[i]) / static_cast<double>(f.QuadPart));
  return microseconds;
}

void Win32Hooks::HookCallCounts(int64_t& keyEvents, int64_t& stateReads, int64_t& posts) {
  keyEvents = g_hookEvents;
  stateReads = g_stateReads;
  posts = g_posts;
}
#endif

}  // namespace strevo
