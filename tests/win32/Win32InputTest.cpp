// Hooks, keyboard translation, registry, atoms and processes over the real
// API (run under Wine, on a virtual display).
#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

#include "input/KeyInfo.h"
#include "win32/Win32Handles.h"
#include "win32/Win32Platform.h"

namespace strevo {
namespace {

LRESULT CALLBACK TargetProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(window, message, wParam, lParam);
}

class Win32InputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc{};
    wc.lpfnWndProc = TargetProc;
    wc.hInstance = ::GetModuleHandleA(nullptr);
    wc.lpszClassName = "StrevoHookTarget";
    ::RegisterClassA(&wc);
    target_ = ::CreateWindowA("StrevoHookTarget", "Strevo hook target", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                              nullptr, wc.hInstance, nullptr);
    keyMessage_ = Windows().RegisterMessage("QVWayfen1999.WM_SENDKEYINFO");
    clickMessage_ = Windows().RegisterMessage("QVWayfen1999.WM_MOUSECLICKED");
  }
  void TearDown() override {
    Hooks().Stop();
    ::DestroyWindow(target_);
  }
  // Collects the posted key and click messages for a while.
  std::vector<MSG> Collect(DWORD milliseconds) {
    std::vector<MSG> got;
    const DWORD end = ::GetTickCount() + milliseconds;
    MSG msg;
    while (::GetTickCount() < end) {
      while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.hwnd == target_ && (msg.message == keyMessage_ || msg.message == clickMessage_)) got.push_back(msg);
        ::DispatchMessageA(&msg);
      }
      ::Sleep(5);
    }
    return got;
  }
  void StartHooks(HWND target) {
    Hooks().Start(FromHwnd(target), keyMessage_, clickMessage_, PostingRules());
    for (int i = 0; i < 100 && !Hooks().Active(); ++i) ::Sleep(10);
    ASSERT_TRUE(Hooks().Active());
  }
  // A virtual key pressed, or released when negative.
  static void Keys(std::initializer_list<int> keys) {
    for (int key : keys) {
      INPUT input{};
      input.type = INPUT_KEYBOARD;
      input.ki.wVk = static_cast<WORD>(key < 0 ? -key : key);
      input.ki.dwFlags = key < 0 ? KEYEVENTF_KEYUP : 0;
      ::SendInput(1, &input, sizeof input);
    }
  }
  static void Mouse(std::initializer_list<DWORD> flags) {
    for (DWORD flag : flags) {
      INPUT input{};
      input.type = INPUT_MOUSE;
      input.mi.dwFlags = flag;
      ::SendInput(1, &input, sizeof input);
    }
  }

  Win32Platform platform_;
  HWND target_ = nullptr;
  UINT keyMessage_ = 0, clickMessage_ = 0;
};

TEST_F(Win32InputTest, HooksPostKeyWordsAndClicksButNeverModifiersOrReleases) {
  StartHooks(target_);
  Keys({VK_SHIFT, 'A', -'A', -VK_SHIFT, 'B', -'B'});
  Mouse({MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP,
         MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP});
  const std::vector<MSG> got = Collect(1500);
  std::vector<std::pair<UINT, WPARAM>> seen;
  for (const MSG& m : got) seen.emplace_back(m.message, m.wParam);
  // Keys sent with SendInput carry the injected mark (0x8000) as the system
  // flags them.
  const std::vector<std::pair<UINT, WPARAM>> expected = {
      {keyMessage_, 0x8000 | 0x2000 | 'A'}, {keyMessage_, 0x8000 | 'B'}, {clickMessage_, 513}, {clickMessage_, 516}};
  EXPECT_EQ(seen, expected);
  for (const MSG& m : got) EXPECT_EQ(m.lParam, 0);
  Hooks().Stop();
  EXPECT_FALSE(Hooks().Active());
  Keys({'C', -'C'});
  EXPECT_TRUE(Collect(300).empty()) << "nothing is posted after the hooks stopped";
}

// Hooks started before the program's window had its caption have no target:
// they pass every event on and post nothing, until started again.
TEST_F(Win32InputTest, HooksWithoutATargetPostNothing) {
  StartHooks(nullptr);
  Keys({'A', -'A'});
  EXPECT_TRUE(Collect(500).empty());
  Hooks().Stop();
  StartHooks(target_);
  Keys({'A', -'A'});
  EXPECT_EQ(Collect(800).size(), 1u);
}

// The euro sign is byte 80 of the code page; a Cyrillic letter has none.
TEST_F(Win32InputTest, KeyboardTranslatesWithShiftAndConvertsToTheCodePage) {
  unsigned char ansi = 0;
  EXPECT_TRUE(Keyboard().ToCodePage(0x20AC, ansi));
  EXPECT_EQ(ansi, 0x80);
  EXPECT_FALSE(Keyboard().ToCodePage(0x0416, ansi));
  uint8_t state[256] = {};
  char16_t out[2] = {};
  EXPECT_EQ(Keyboard().TranslateKey('A', state, out), 1);
  EXPECT_EQ(out[0], u'a');
  state[VK_SHIFT] = 0x80;
  EXPECT_EQ(Keyboard().TranslateKey('A', state, out), 1);
  EXPECT_EQ(out[0], u'A');
  EXPECT_EQ(Keyboard().TranslateKey(VK_F5, state, out), 0);
}

// The registry, global atoms and processes through their thin wrappers.
TEST_F(Win32InputTest, RegistryAtomsAndProcesses) {
  const std::string key = "\\SOFTWARE\\StrevoTest\\Run";
  ASSERT_TRUE(Registry().OpenKey(key));
  ASSERT_TRUE(Registry().WriteString(key, "TypingWayfen", "\"C:\\Strevo\\DRAXEL.EXE\""));
  std::string value;
  ASSERT_TRUE(Registry().ReadString(key, "TypingWayfen", value));
  EXPECT_EQ(value, "\"C:\\Strevo\\DRAXEL.EXE\"");
  EXPECT_TRUE(Registry().DeleteValue(key, "TypingWayfen"));
  EXPECT_FALSE(Registry().ReadString(key, "TypingWayfen", value));

  const std::string name = "QVSADtestEXCEL.EXE";
  EXPECT_EQ(Atoms().FindAtom(name), 0);
  const uint16_t atom = Atoms().AddAtom(name);
  ASSERT_NE(atom, 0);
  EXPECT_EQ(::GlobalFindAtomA("qvsadtestexcel.exe"), atom) << "atom names ignore letter case";
  Atoms().DeleteAtom(atom);
  EXPECT_EQ(Atoms().FindAtom(name), 0);

  EXPECT_TRUE(Processes().IsRunning(::GetCurrentProcessId()));
  EXPECT_FALSE(Processes().IsRunning(0));
  EXPECT_FALSE(Processes().Start("NoSuchProgramOfStrevo.exe /WAYFEN", ""));
}

}  // namespace
}  // namespace strevo
