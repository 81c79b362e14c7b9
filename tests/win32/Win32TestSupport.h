// What the Wine tests of the windows share: pumping messages, the data
// folder, a watchdog for modal windows, the fixtures, and looks held up for
// a screenshot script.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/Application.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32Handles.h"
#include "win32/Win32Platform.h"

namespace strevo::test {

// Handles the waiting messages for a while (timers, paints, sent messages).
inline void Pump(DWORD milliseconds) {
  const DWORD end = ::GetTickCount() + milliseconds;
  MSG msg;
  while (static_cast<int32_t>(end - ::GetTickCount()) > 0) {
    while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageA(&msg);
    }
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

// The installation's data folder (face bitmaps, language file), found by
// walking up from the test program.
inline std::string DataFolder() {
  char path[MAX_PATH];
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path);
  for (int up = 0; up < 6; ++up) {
    const size_t slash = folder.find_last_of('\\');
    if (slash == std::string::npos) break;
    folder.resize(slash);
    const std::string candidate = folder + "\\data\\";
    if (::GetFileAttributesA((candidate + "spmeter1.bmp").c_str()) != INVALID_FILE_ATTRIBUTES) return candidate;
  }
  return {};
}

// Ends whatever modal window is up after a few seconds, so that a broken
// window fails its test instead of hanging the run.
class Watchdog {
 public:
  explicit Watchdog(std::function<void()> rescue, UINT milliseconds = 5000) {
    current_ = this;
    rescue_ = std::move(rescue);
    timer_ = ::SetTimer(nullptr, 0, milliseconds, Fire);
  }
  ~Watchdog() {
    ::KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  bool fired = false;

 private:
  static void CALLBACK Fire(HWND, UINT, UINT_PTR, DWORD) {
    if (!current_ || current_->fired) return;
    current_->fired = true;
    current_->rescue_();
  }
  static inline Watchdog* current_ = nullptr;
  std::function<void()> rescue_;
  UINT_PTR timer_ = 0;
};

class Win32FormsTest : public ::testing::Test {
 protected:
  void SetUp() override { Application().Reset(); }
  void TearDown() override {
    Application().Reset();
    // A quit request left by a test must not end the next one's loops.
    MSG msg;
    while (::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
  }
  Win32Platform platform_;
};

class WidgetTest : public Win32FormsTest {
 protected:
  void SetUp() override {
    Win32FormsTest::SetUp();
    DeclareDpiAwareness();  // as the program does: windows at the session's DPI
    char current[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, current);
    previous_ = current;
    data_ = DataFolder();
    if (!data_.empty()) ::SetCurrentDirectoryA(data_.c_str());
  }
  void TearDown() override {
    ::SetCurrentDirectoryA(previous_.c_str());
    Win32FormsTest::TearDown();
  }
  std::string previous_, data_;
};

// A window held up for a person or a screenshot script: with
// STREVO_SCREENSHOT_DIR set, each step writes <name>.ready there and waits
// until <name>.done appears (the script takes the picture in between);
// without it, a short pause.
// A window whose caption the display's window manager would draw (none
// here) is cut out by its client area.
inline void WaitForLook(const std::string& name, HWND window = nullptr, bool clientOnly = false) {
  char dir[MAX_PATH] = {};
  if (!::GetEnvironmentVariableA("STREVO_SCREENSHOT_DIR", dir, MAX_PATH)) {
    Pump(1500);
    return;
  }
  Pump(400);
  const std::string base = std::string(dir) + "\\" + name;
  // The window's place on the screen, for the script to cut it out.
  RECT r{};
  if (window && clientOnly && ::GetClientRect(window, &r))
    ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  else if (window)
    ::GetWindowRect(window, &r);
  const std::string place = !window ? std::string() : std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top) +
                                                          "+" + std::to_string(r.left) + "+" + std::to_string(r.top);
  HANDLE ready = ::CreateFileA((base + ".ready").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(ready, place.data(), static_cast<DWORD>(place.size()), &written, nullptr);
  ::CloseHandle(ready);
  const DWORD deadline = ::GetTickCount() + 20000;
  while (::GetFileAttributesA((base + ".done").c_str()) == INVALID_FILE_ATTRIBUTES &&
         static_cast<int32_t>(deadline - ::GetTickCount()) > 0)
    Pump(50);
}

// A look taken from inside a modal loop: a timer fires there, prepares the
// window, waits for the look and ends the window.
struct Look {
  static void Arm(const std::string& name, std::function<void()> before, std::function<void()> end,
                  WindowHandle window = 0, bool clientOnly = false) {
    name_ = name;
    clientOnly_ = clientOnly;
    before_ = std::move(before);
    end_ = std::move(end);
    window_ = window;
    ::SetTimer(nullptr, 0, 50, Fire);
  }
  static void CALLBACK Fire(HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    if (before_) before_();
    WaitForLook(name_, ToHwnd(window_), clientOnly_);
    if (end_) end_();
  }
  static inline std::string name_;
  static inline std::function<void()> before_, end_;
  static inline WindowHandle window_ = 0;
  static inline bool clientOnly_ = false;
};

}  // namespace strevo::test
