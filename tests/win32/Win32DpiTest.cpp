// The windows at the DPI the session runs at (96 normally; tests/wine/
// run-at-dpi runs these at 144), and the widget kept on the screen.
#include <windows.h>

#include <gtest/gtest.h>

#include "storage/LangRes.h"
#include "ui/InfoOnTopWindow.h"
#include "win32/Win32ApplicationWindow.h"
#include "win32/Win32CloseDialog.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32InfoOnTopView.h"
#include "win32/Win32MessageLoop.h"
#include "win32/Win32TestSupport.h"

namespace strevo {
namespace test {
namespace {

// The session's DPI as the user set it, read past the program's own code.
int SessionDpi() {
  DWORD dpi = 96, size = sizeof dpi;
  ::RegGetValueA(HKEY_CURRENT_USER, "Control Panel\\Desktop", "LogPixels", RRF_RT_REG_DWORD, nullptr, &dpi, &size);
  return static_cast<int>(dpi);
}

struct Expected {
  int dpi;
  SIZE widget, closeDialog, okButton;
  int questionFont;
};
// The widget is 259 x 104 at 96 DPI, the close dialog 346 x 100 with its
// buttons 75 x 25 and its question in 12-pixel Segoe UI.
constexpr Expected kExpected[] = {{96, {259, 104}, {346, 100}, {75, 25}, -12},
                                  {144, {389, 156}, {519, 150}, {113, 38}, -18},
                                  {192, {518, 208}, {692, 200}, {150, 50}, -24}};

SIZE ClientSize(HWND window) {
  RECT r{};
  ::GetClientRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

TEST_F(WidgetTest, WindowsAreLaidOutForTheSessionsDpi) {
  const Expected* expected = nullptr;
  for (const Expected& e : kExpected)
    if (e.dpi == SessionDpi()) expected = &e;
  if (!expected) GTEST_SKIP() << "no figures for " << SessionDpi() << " DPI";
  Win32ApplicationWindow application("Strevo DPI test");
  Win32MessageLoop loop;

  Win32InfoOnTopView widget(&application);
  const Rect bounds = widget.Bounds();
  EXPECT_EQ(bounds.right - bounds.left, expected->widget.cx);
  EXPECT_EQ(bounds.bottom - bounds.top, expected->widget.cy);

  Win32CloseDialog dialog(loop, application.Handle());
  HWND window = ToHwnd(dialog.Handle());
  EXPECT_EQ(ClientSize(window).cx, expected->closeDialog.cx);
  EXPECT_EQ(ClientSize(window).cy, expected->closeDialog.cy);
  HWND ok = ToHwnd(dialog.Control("OKBtn"));
  EXPECT_EQ(ClientSize(ok).cx, expected->okButton.cx);
  EXPECT_EQ(ClientSize(ok).cy, expected->okButton.cy);
  LOGFONTA question{};
  ::GetObjectA(reinterpret_cast<HFONT>(::SendMessageA(ToHwnd(dialog.Control("QuestionLbl")), WM_GETFONT, 0, 0)),
               sizeof question, &question);
  EXPECT_EQ(question.lfHeight, expected->questionFont);
}

TEST_F(WidgetTest, WidgetOffEveryMonitorComesBackToThePrimaryCorner) {
  Win32ApplicationWindow application("Strevo DPI test");
  Win32InfoOnTopView view(&application);
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const auto expectInCorner = [&](const char* when) {
    const Rect r = view.Bounds();
    EXPECT_EQ(r.right, work.right) << when;
    EXPECT_EQ(r.bottom, work.bottom) << when;
  };
  // A position stored while a monitor stood right of this one.
  view.SetPosition(work.right + 300, 200);
  expectInCorner("stored off screen");
  view.SetPosition(100, 100);
  EXPECT_EQ(view.Bounds().left, 100) << "a position on the screen is kept";
  // The monitor it stood on went away.
  ::SetWindowPos(ToHwnd(view.Handle()), nullptr, -3000, -3000, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::SendMessageA(ToHwnd(view.Handle()), WM_DISPLAYCHANGE, 32, MAKELPARAM(1280, 800));
  expectInCorner("after the display changed");
}

}  // namespace
}  // namespace test
}  // namespace strevo
