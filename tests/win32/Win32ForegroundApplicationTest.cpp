// The foreground window's application over the real API (run under Wine,
// on a virtual display).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/ForegroundApplication.h"
#include "win32/Win32TestSupport.h"

namespace strevo {
namespace {

std::string OwnExecutable() {
  char path[MAX_PATH] = {};
  ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

TEST(Win32ForegroundApplicationTest, AWindowOfThisProcessInFrontIsThisExecutable) {
  Win32Platform platform;
  HWND window = ::CreateWindowA("STATIC", "Strevo application test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 120,
                                nullptr, nullptr, ::GetModuleHandleA(nullptr), nullptr);
  ::SetForegroundWindow(window);
  test::Pump(50);
  const ApplicationIdentity app = ForegroundApplication()->Current();
  ::DestroyWindow(window);
  EXPECT_EQ(app.processId, ::GetCurrentProcessId());
  EXPECT_STRCASEEQ(app.executable.c_str(), "test_win32.exe");
  EXPECT_EQ(app.description, "") << "this test program has no version information";
}

TEST(Win32ForegroundApplicationTest, TheDescriptionIsTheProgramsFileDescription) {
  const std::string program = OwnExecutable().substr(0, OwnExecutable().find_last_of('\\') + 1) + "strevo.exe";
  EXPECT_EQ(Win32ForegroundApplication::FileDescription(program), "Strevo typing monitor");
  EXPECT_EQ(Win32ForegroundApplication::FileDescription(program + ".missing"), "");
}

}  // namespace
}  // namespace strevo
