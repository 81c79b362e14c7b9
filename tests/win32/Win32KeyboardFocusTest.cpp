// Whether the keyboard focus is in a password field, over the real API (run
// under Wine, on a virtual display).
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/KeyboardFocus.h"
#include "win32/Win32TestSupport.h"

namespace strevo {
namespace {

class Win32KeyboardFocusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HINSTANCE instance = ::GetModuleHandleA(nullptr);
    window_ = ::CreateWindowA("STATIC", "Strevo focus test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 120, nullptr,
                              nullptr, instance, nullptr);
    text_ = ::CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 280, 24, window_, nullptr, instance, nullptr);
    password_ = ::CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | ES_PASSWORD, 0, 40, 280, 24, window_, nullptr,
                                instance, nullptr);
    ::SetForegroundWindow(window_);
    FocusOn(text_);
  }
  void TearDown() override { ::DestroyWindow(window_); }
  // The system reports the change through the queue.
  static void FocusOn(HWND control) {
    ::SetFocus(control);
    test::Pump(50);
  }

  Win32Platform platform_;
  HWND window_ = nullptr, text_ = nullptr, password_ = nullptr;
};

TEST_F(Win32KeyboardFocusTest, PasswordEditIsAPasswordFieldForTheKeysTypedAfterTheFocusGotThere) {
  IKeyboardFocus& focus = *KeyboardFocus();
  const uint32_t start = focus.ChangesUntil(::GetTickCount());  // watching begins
  EXPECT_FALSE(focus.InPasswordField(start));
  const DWORD typedBefore = ::GetTickCount();
  ::Sleep(50);
  FocusOn(password_);
  const uint32_t entered = focus.ChangesUntil(::GetTickCount());
  ASSERT_GT(entered, start) << "the focus change was reported";
  EXPECT_TRUE(focus.InPasswordField(entered));
  EXPECT_EQ(focus.ChangesUntil(typedBefore), start) << "a key typed before the change, still in the queue";
  FocusOn(text_);
  const uint32_t left = focus.ChangesUntil(::GetTickCount());
  ASSERT_GT(left, entered);
  EXPECT_FALSE(focus.InPasswordField(left));
}

// Not an assertion: what a focus change costs the main thread, the report
// (the control judged by its style) and the key path's question after it.
TEST_F(Win32KeyboardFocusTest, CostPerFocusChangeIsReported) {
  IKeyboardFocus& focus = *KeyboardFocus();
  focus.ChangesUntil(::GetTickCount());
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  std::vector<double> questions;
  for (int i = 0; i < 100; ++i) {
    FocusOn(i % 2 ? text_ : password_);
    LARGE_INTEGER start, end;
    ::QueryPerformanceCounter(&start);
    focus.InPasswordField(focus.ChangesUntil(::GetTickCount()));
    ::QueryPerformanceCounter(&end);
    questions.push_back(1e6 * static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
  }
  std::vector<double> reports = Win32KeyboardFocus::ReportTimings();
  ASSERT_FALSE(reports.empty());
  for (std::vector<double>* t : {&reports, &questions}) std::sort(t->begin(), t->end());
  std::printf("focus change on the main thread (us): report min %.2f median %.2f max %.2f over %zu; "
              "question min %.2f median %.2f max %.2f over %zu\n",
              reports.front(), reports[reports.size() / 2], reports.back(), reports.size(), questions.front(),
              questions[questions.size() / 2], questions.back(), questions.size());
}

}  // namespace
}  // namespace strevo
