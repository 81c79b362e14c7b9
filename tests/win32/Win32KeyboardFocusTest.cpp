// Whether the keyboard focus is in a password field, over the real API (run
// under Wine, on a virtual display).
#include <windows.h>

#include <gtest/gtest.h>


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
  EXPECT_EQ(focus.InPasswordField(start), FieldAnswer::NotPassword);
  const DWORD typedBefore = ::GetTickCount();
  ::Sleep(50);
  FocusOn(password_);
  const uint32_t entered = focus.ChangesUntil(::GetTickCount());
  ASSERT_GT(entered, start) << "the focus change was reported";
  EXPECT_EQ(focus.InPasswordField(entered), FieldAnswer::Password);
  EXPECT_EQ(focus.ChangesUntil(typedBefore), start) << "a key typed before the change, still in the queue";
  FocusOn(text_);
  const uint32_t left = focus.ChangesUntil(::GetTickCount());
  ASSERT_GT(left, entered);
  EXPECT_EQ(focus.InPasswordField(left), FieldAnswer::NotPassword);
}

}  // namespace
}  // namespace strevo
