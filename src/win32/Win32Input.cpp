// Keyboard translation, the low-level hooks, registry, atoms and processes
// over the real API.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "win32/Win32Platform.h"

namespace strevo {

// --------------------------------------------------------------- keyboard --

uint32_t Win32Keyboard::MapVirtualKeyToChar(uint32_t virtualKey) { return ::MapVirtualKeyA(virtualKey, 2); }

int Win32Keyboard::TranslateKey(uint32_t virtualKey, const uint8_t keyState[256], char16_t out[2]) {
  HWND foreground = ::GetForegroundWindow();
  const DWORD thread = foreground ? ::GetWindowThreadProcessId(foreground, nullptr) : ::GetCurrentThreadId();
  HKL layout = ::GetKeyboardLayout(thread);
  const UINT scan = ::MapVirtualKeyExA(virtualKey, 0, layout);
  wchar_t buffer[2] = {};
  BYTE state[256];
  for (int i = 0; i < 256; ++i) state[i] = keyState[i];
  const int n = ::ToUnicodeEx(virtualKey, scan, state, buffer, 2, 0, layout);
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
HookRules g_rules;  // written before the hook thread starts
// Durations of the last keyboard procedure calls, in performance-counter
// ticks, for measurements.
constexpr int kTimingSlots = 1024;
int64_t g_hookTimings[kTimingSlots];
std::atomic<int64_t> g_hookEvents{0};

HHOOK g_keyboardHook = nullptr;
HHOOK g_mouseHook = nullptr;
std::thread g_hookThread;
std::atomic<DWORD> g_hookThreadId{0};

bool key_down(int virtualKey) { return (::GetAsyncKeyState(virtualKey) & 0x8000) != 0; }

LRESULT CALLBACK LowLevelKeyboardProc(int code, WPARAM message, LPARAM lParam) {
  if (g_hooksActive && code >= 0 && lParam) {
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    const auto* record = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
    // Key releases and modifiers pass on without reading the key state.
    if (!g_rules.considers(static_cast<uint32_t>(message), record->vkCode))
      return ::CallNextHookEx(nullptr, code, message, lParam);
    const bool ctrl = key_down(VK_CONTROL);
    const bool alt = message == WM_SYSKEYDOWN ? key_down(VK_MENU) : false;
    uint32_t word = 0;
    if (g_rules.keyWord(static_cast<uint32_t>(message), record->vkCode, record->flags, ctrl, key_down(VK_SHIFT), alt,
                        word)) {
      if (HWND target = g_hookTarget.load()) ::PostMessageA(target, g_keyMessage, word, 0);
    }
    ::QueryPerformanceCounter(&end);
    g_hookTimings[g_hookEvents++ % kTimingSlots] = end.QuadPart - start.QuadPart;
  }
  return ::CallNextHookEx(nullptr, code, message, lParam);
}

LRESULT CALLBACK LowLevelMouseProc(int code, WPARAM message, LPARAM lParam) {
  if (g_hooksActive && code >= 0 && g_rules.clickPosted(static_cast<uint32_t>(message))) {
    if (HWND target = g_hookTarget.load()) ::PostMessageA(target, g_clickMessage, message, 0);
  }
  return ::CallNextHookEx(nullptr, code, message, lParam);
}

void HookThreadBody() {
  g_hooksActive = false;
  MSG msg;
  ::PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);  // makes the thread's queue
  HINSTANCE module = ::GetModuleHandleA(nullptr);
  g_mouseHook = ::SetWindowsHookExA(WH_MOUSE_LL, LowLevelMouseProc, module, 0);
  g_keyboardHook = ::SetWindowsHookExA(WH_KEYBOARD_LL, LowLevelKeyboardProc, module, 0);
  g_hooksActive = g_mouseHook && g_keyboardHook;
  g_hookThreadId = ::GetCurrentThreadId();
  while (::GetMessageA(&msg, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  g_hooksActive = false;
  if (g_keyboardHook) ::UnhookWindowsHookEx(g_keyboardHook);
  if (g_mouseHook) ::UnhookWindowsHookEx(g_mouseHook);
  g_keyboardHook = g_mouseHook = nullptr;
}

}  // namespace

Win32Hooks::~Win32Hooks() { Stop(); }

void Win32Hooks::Start(WindowHandle target, uint32_t keyMessage, uint32_t clickMessage, const HookRules& rules) {
  Stop();
  g_rules = rules;
  g_hookTarget = reinterpret_cast<HWND>(target);
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

std::vector<double> Win32Hooks::HookTimings() {
  LARGE_INTEGER f;
  ::QueryPerformanceFrequency(&f);
  const int64_t n = std::min<int64_t>(g_hookEvents, kTimingSlots);
  std::vector<double> microseconds;
  for (int64_t i = 0; i < n; ++i) microseconds.push_back(1e6 * static_cast<double>(g_hookTimings[i]) / static_cast<double>(f.QuadPart));
  return microseconds;
}

// --------------------------------------------------------------- registry --

namespace {
std::string relative_key(const std::string& path) {
  size_t start = 0;
  while (start < path.size() && path[start] == '\\') ++start;
  return path.substr(start);
}
}  // namespace

bool Win32Registry::OpenKey(const std::string& path) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, relative_key(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
    return false;
  ::RegCloseKey(key);
  return true;
}

bool Win32Registry::WriteString(const std::string& path, const std::string& name, const std::string& value) {
  HKEY key = nullptr;
  if (::RegCreateKeyExA(HKEY_CURRENT_USER, relative_key(path).c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
    return false;
  const LONG rc = ::RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>(value.size() + 1));
  ::RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

bool Win32Registry::ReadString(const std::string& path, const std::string& name, std::string& value) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, relative_key(path).c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return false;
  char buffer[2048];
  DWORD size = sizeof buffer - 1, type = 0;
  const LONG rc = ::RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  ::RegCloseKey(key);
  if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  buffer[size] = '\0';
  value = buffer;
  return true;
}

bool Win32Registry::DeleteValue(const std::string& path, const std::string& name) {
  HKEY key = nullptr;
  if (::RegOpenKeyExA(HKEY_CURRENT_USER, relative_key(path).c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return false;
  const LONG rc = ::RegDeleteValueA(key, name.c_str());
  ::RegCloseKey(key);
  return rc == ERROR_SUCCESS;
}

// ------------------------------------------------------------------ atoms --

uint16_t Win32Atoms::AddAtom(const std::string& name) { return ::GlobalAddAtomA(name.c_str()); }
uint16_t Win32Atoms::FindAtom(const std::string& name) { return ::GlobalFindAtomA(name.c_str()); }
void Win32Atoms::DeleteAtom(uint16_t atom) { ::GlobalDeleteAtom(atom); }

// -------------------------------------------------------------- processes --

bool Win32Processes::IsRunning(uint32_t processId) { return processId != 0 && ::GetProcessVersion(processId) != 0; }

bool Win32Processes::Start(const std::string& commandLine, const std::string& currentDirectory) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::string command = commandLine;
  if (!::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentDirectory.empty() ? nullptr : currentDirectory.c_str(), &startup, &info))
    return false;
  ::CloseHandle(info.hThread);
  ::CloseHandle(info.hProcess);
  return true;
}

}  // namespace strevo
