// The program's windows against the real API (run under Wine): the hidden
// application window, the message loop and its hook, Synchronize, the tray
// icon, the widget, the modal windows and the progress window. No window
// waits for a person: modal ones are ended by posted messages and each has
// a watchdog that ends it after a few seconds.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <tuple>
#include <vector>

#include "analysis/DeviationCalc.h"
#include "platform/Application.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "ui/ChooseAppsFrm.h"
#include "ui/InfoOnTopWindow.h"
#include "ui/Nervgrph.h"
#include "ui/NotifyFrm.h"
#include "ui/ULoginForm.h"
#include "win32/Win32ApplicationWindow.h"
#include "win32/Win32BackgroundThreads.h"
#include "win32/Win32CloseDialog.h"
#include "win32/Win32Dwm.h"
#include "win32/Win32InfoOnTopView.h"
#include "win32/Win32LogonView.h"
#include "win32/Win32MessageLoop.h"
#include "win32/Win32NotifyView.h"
#include "win32/Win32Platform.h"
#include "win32/Win32SettingsView.h"
#include "win32/Win32SpeedButton.h"
#include "win32/Win32TaskbarWindow.h"
#include "win32/Win32TrayIcon.h"

#include "win32/Win32TestSupport.h"

namespace strevo {
namespace test {
namespace {


TEST_F(Win32FormsTest, ApplicationWindowIsFoundByItsCaption) {
  Win32ApplicationWindow application("Strevo forms test 11");
  ASSERT_NE(application.Handle(), 0u);
  EXPECT_EQ(Windows().FindWindowByCaption("Strevo forms test 11"), application.Handle());
  EXPECT_EQ(Windows().WindowCaption(application.Handle()), "Strevo forms test 11");
  EXPECT_FALSE(::IsWindowVisible(ToHwnd(application.Handle()))) << "the application window is never seen";
  EXPECT_TRUE(::GetWindowLongPtrA(ToHwnd(application.Handle()), GWL_EXSTYLE) & WS_EX_TOOLWINDOW)
      << "no taskbar button of its own";

  // The application title is the caption other processes look for.
  Application().onTitle = [&](const std::string& title) { application.SetCaption(title); };
  Application().SetTitle("Strevo forms test 12");
  EXPECT_EQ(Windows().FindWindowByCaption("Strevo forms test 12"), application.Handle());
  EXPECT_EQ(Windows().FindWindowByCaption("Strevo forms test 11"), 0u);

  application.MakeTopmost();
  EXPECT_TRUE(::GetWindowLongPtrA(ToHwnd(application.Handle()), GWL_EXSTYLE) & WS_EX_TOPMOST);
  Rect area;
  EXPECT_TRUE(application.WorkArea(area) && area.right > area.left && area.bottom > area.top);
}

TEST_F(Win32FormsTest, MinimizeGivesATaskbarButtonAndHideToolWindowTakesItAway) {
  Win32ApplicationWindow application("Strevo forms test minimize");
  HWND window = ToHwnd(application.Handle());
  application.Minimize();
  EXPECT_TRUE(application.Minimized());
  EXPECT_TRUE(::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_FALSE(::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  application.HideToolWindow();
  application.Restore();
  EXPECT_FALSE(application.Minimized());
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_TRUE(::GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
}

TEST_F(Win32FormsTest, PostedMessageReachesTheHookThroughTheLoop) {
  Win32ApplicationWindow application("Strevo forms test loop");
  Win32MessageLoop loop;
  const uint32_t key = Windows().RegisterMessage("QVWayfen1999.WM_SENDKEYINFO");
  EXPECT_GE(key, 0xC000u);
  EXPECT_EQ(key, Windows().RegisterMessage("qvwayfen1999.wm_sendkeyinfo")) << "registration ignores letter case";
  Windows().AllowMessage(key);
  ASSERT_TRUE(Windows().Post(application.Handle(), key, 0x41, 7));
  std::vector<std::tuple<WindowHandle, uint32_t, uintptr_t, intptr_t>> seen;
  ASSERT_TRUE(loop.HandleOne([&](const PostedMessage& m, bool& handled) {
    seen.emplace_back(m.window, m.message, m.wParam, m.lParam);
    EXPECT_NE(m.time, 0u) << "the message time is the system's";
    handled = true;
  }));
  // Long work pumps the queue through the same hook.
  Application().onProcessMessages = [&] { loop.ProcessMessages(); };
  ASSERT_TRUE(Windows().Post(application.Handle(), key, 0x42, 8));
  Application().ProcessMessages();
  const WindowHandle window = application.Handle();
  EXPECT_EQ(seen, (decltype(seen){{window, key, 0x41, 7}, {window, key, 0x42, 8}}));

  // The quit request ends the loop.
  ::PostQuitMessage(0);
  EXPECT_FALSE(loop.HandleOne([](const PostedMessage&, bool&) {}));
}

TEST_F(Win32FormsTest, SystemRestoreSentToTheApplicationWindowReachesTheHook) {
  Win32ApplicationWindow application("Strevo forms test restore");
  Win32MessageLoop loop;
  application.sentHook = [&](const PostedMessage& m, bool& handled) {
    if (const auto hook = loop.CurrentHook()) hook(m, handled);
  };
  int restores = 0;
  loop.fallbackHook = [&](const PostedMessage& m, bool& handled) {
    if (m.message == WM_SYSCOMMAND && m.wParam == SC_RESTORE) {
      ++restores;
      handled = true;
    }
  };
  ::SendMessageA(ToHwnd(application.Handle()), WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_EQ(restores, 1);
}

TEST_F(Win32FormsTest, SynchronizeFromAThreadRunsOnTheMainThreadWhileTheLoopRuns) {
  Win32ApplicationWindow application("Strevo forms test sync");
  Win32MessageLoop loop;
  Win32BackgroundThreads threads;
  const DWORD mainThread = ::GetCurrentThreadId();
  std::atomic<int> bodies{0};
  int calls = 0;
  bool allOnMain = true;
  const int thread = threads.Start(
      20,
      [&] {
        ++bodies;
        EXPECT_NE(::GetCurrentThreadId(), mainThread) << "the body runs on its own thread";
        threads.Synchronize([&] {
          ++calls;
          allOnMain = allOnMain && ::GetCurrentThreadId() == mainThread;
          // Lets the loop's GetMessage return, so the test can look again.
          ::PostMessageA(ToHwnd(application.Handle()), WM_NULL, 0, 0);
        });
        return kNextPeriod;
      },
      true);
  Pump(100);
  EXPECT_EQ(bodies.load(), 0) << "created suspended";
  threads.Resume(thread);
  const UINT_PTR tick = ::SetTimer(nullptr, 0, 50, nullptr);
  const DWORD deadline = ::GetTickCount() + 5000;
  while (calls < 3 && static_cast<int32_t>(deadline - ::GetTickCount()) > 0)
    loop.HandleOne([](const PostedMessage&, bool&) {});
  ::KillTimer(nullptr, tick);
  EXPECT_GE(calls, 3);
  EXPECT_TRUE(allOnMain);
  threads.Terminate(thread);
  EXPECT_FALSE(threads.Running(thread));
  const int after = bodies.load();
  Pump(100);
  EXPECT_EQ(bodies.load(), after) << "a terminated thread calls its body no more";
}

TEST_F(Win32FormsTest, TerminatingAThreadThatWaitsInSynchronizeDoesNotHang) {
  Win32BackgroundThreads threads;
  std::atomic<bool> waiting{false};
  int calls = 0;
  const int thread = threads.Start(
      5,
      [&] {
        waiting = true;
        threads.Synchronize([&] { ++calls; });
        return kNextPeriod;
      },
      false);
  while (!waiting) ::Sleep(1);
  const DWORD start = ::GetTickCount();
  threads.Terminate(thread);  // answers the pending Synchronize while it waits
  EXPECT_LT(::GetTickCount() - start, 2000u);
  EXPECT_FALSE(threads.Running(thread));
  EXPECT_GE(calls, 1);
}

// A resting thread runs again when woken or when its rest is over, and not
// before; a terminated one rests no longer.
TEST_F(Win32FormsTest, AThreadRestsUntilWokenOrForThePeriodsItAsked) {
  Win32BackgroundThreads threads;
  std::atomic<int> runs{0};
  std::atomic<uint32_t> answer{kUntilWoken};
  const int thread = threads.Start(20, [&] { return ++runs, answer.load(); }, false);
  const auto runsWithin = [&](int n, DWORD ms) {
    for (const DWORD end = ::GetTickCount() + ms; runs < n && static_cast<int32_t>(end - ::GetTickCount()) > 0;)
      ::Sleep(5);
    return runs.load();
  };
  EXPECT_EQ(runsWithin(1, 2000), 1);
  ::Sleep(300);
  EXPECT_EQ(runs.load(), 1) << "rests until woken";
  answer = 15;
  threads.Wake(thread);
  EXPECT_EQ(runsWithin(2, 2000), 2) << "woken";
  ::Sleep(100);
  EXPECT_EQ(runs.load(), 2) << "rests fifteen periods";
  EXPECT_EQ(runsWithin(3, 2000), 3) << "its rest is over";
  answer = kUntilWoken;
  const DWORD start = ::GetTickCount();
  threads.Terminate(thread);
  EXPECT_LT(::GetTickCount() - start, 1000u);
}

// Over-long tips and balloon texts are cut to what the shell takes; the
// shell's notifications reach their events; a restarted shell gets the
// icon again.
TEST_F(Win32FormsTest, TrayIconLivesThroughTheShellsCallsAndNotifications) {
  Win32ApplicationWindow application("Strevo forms test tray");
  Win32TrayIcon icon(application);
  icon.SetIcon(1);
  icon.SetToolTip(std::string(80, 'x'));
  EXPECT_EQ(icon.ToolTip().size(), 62u) << "the tool-tip is cut to 62 characters";
  icon.SetActive(true);
  EXPECT_TRUE(icon.LastCallSucceeded()) << "NIM_ADD";
  icon.SetIcon(2);
  EXPECT_TRUE(icon.LastCallSucceeded()) << "NIM_MODIFY icon";
  icon.ShowBalloon(std::string(300, 'b'), std::string(80, 't'), 3000);
  EXPECT_TRUE(icon.LastCallSucceeded()) << "NIM_MODIFY balloon, then NIM_SETVERSION";
  icon.SetActive(false);
  EXPECT_FALSE(icon.Active());
  EXPECT_TRUE(icon.LastCallSucceeded()) << "NIM_DELETE";

  int clicks = 0, doubles = 0, balloons = 0, rights = 0;
  icon.onClick = [&] { ++clicks; };
  icon.onDblClick = [&] { ++doubles; };
  icon.onBalloonClick = [&] { ++balloons; };
  icon.onRightClick = [&] { ++rights; };
  HWND window = ToHwnd(icon.NotifyWindow());
  ::SendMessageA(window, Win32TrayIcon::kCallbackMessage, 1, WM_LBUTTONUP);
  ::SendMessageA(window, Win32TrayIcon::kCallbackMessage, 1, WM_LBUTTONDBLCLK);
  ::SendMessageA(window, Win32TrayIcon::kCallbackMessage, 1, NIN_BALLOONUSERCLICK);
  ::SendMessageA(window, Win32TrayIcon::kCallbackMessage, 1, WM_RBUTTONUP);
  ::SendMessageA(window, Win32TrayIcon::kCallbackMessage, 1, WM_MOUSEMOVE);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(doubles, 1);
  EXPECT_EQ(balloons, 1);
  EXPECT_EQ(rights, 1);

  // The shell restarted and forgot the icon: it is added again.
  icon.SetActive(true);
  NOTIFYICONDATAA forgotten{};
  forgotten.cbSize = sizeof forgotten;
  forgotten.hWnd = window;
  forgotten.uID = 1;
  ::Shell_NotifyIconA(NIM_DELETE, &forgotten);
  ::SendMessageA(window, ::RegisterWindowMessageA("TaskbarCreated"), 0, 0);
  EXPECT_TRUE(icon.LastCallSucceeded()) << "NIM_ADD again";
  icon.SetActive(false);
  EXPECT_TRUE(icon.LastCallSucceeded()) << "the re-added icon is there to delete";
}

TEST_F(Win32FormsTest, TrayMenuRunsBeforePopupAndClosesWithoutAChoice) {
  Win32ApplicationWindow application("Strevo forms test menu");
  Win32TrayIcon icon(application);
  int before = 0, first = 0, disabled = 0;
  icon.beforePopup = [&] { ++before; };
  std::vector<MenuItem> items(4);
  items[0] = {"Statistics", "STATISTICS", true, false, [&] { ++first; }};
  items[1] = {"Settings", "SETTINGS", false, false, [&] { ++disabled; }};
  items[2] = {"-", "", true, false, nullptr};
  items[3] = {"Exit", "", true, false, nullptr};
  icon.SetMenu(items);
  icon.CheckItem(3, true);
  EXPECT_TRUE(icon.ItemChecked(3));
  // Closes the menu once it is up (the system's own way of cancelling).
  Watchdog watchdog([] { ::EndMenu(); }, 300);
  icon.PopupMenu(100, 100);
  EXPECT_EQ(before, 1) << "beforePopup runs before the menu opens";
  EXPECT_EQ(first + disabled, 0) << "nothing was chosen";
}


TEST_F(WidgetTest, WidgetShowsRedrawsAndFades) {
  ASSERT_FALSE(data_.empty()) << "the data folder with the face bitmaps";
  Win32ApplicationWindow application("Strevo forms test widget");
  Win32InfoOnTopView view(&application);
  TInfoOnTop widget(view);
  view.Attach(&widget);
  EXPECT_TRUE(view.FaceLoaded(true));
  EXPECT_TRUE(view.FaceLoaded(false));
  EXPECT_TRUE(view.PauseOverlayLoaded());
  EXPECT_EQ(view.Alpha(), 1) << "starts nearly transparent";
  HWND window = ToHwnd(view.Handle());
  constexpr LONG_PTR kOnTop = WS_EX_TOPMOST | WS_EX_NOACTIVATE | WS_EX_TOOLWINDOW | WS_EX_LAYERED;
  EXPECT_EQ(::GetWindowLongPtrA(window, GWL_EXSTYLE) & kOnTop, kOnTop) << "on top, never active, no taskbar button";

  view.SetPosition(100, 100);
  view.Show();
  EXPECT_TRUE(view.Visible());
  widget.ShowStatusText = true;
  widget.StatusText = "keyboard";
  widget.AverageSpeedText = "38";
  widget.UpdateMeter("123", 57, "00:12:34", true);
  Pump(300);
  EXPECT_GT(view.Alpha(), 1) << "the alpha timer fades the widget in";

  // Mouse over: fully visible at once, and the next update redraws.
  ::SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(50, 50));
  EXPECT_EQ(view.Alpha(), 250);
  EXPECT_TRUE(widget.LastShownKey.empty());
  ::SendMessageA(window, WM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(view.Alpha(), 128);

  int setups = 0, onOffs = 0, closes = 0;
  widget.onSetup = [&] { ++setups; };
  widget.onOnOff = [&] { ++onOffs; };
  widget.onClose = [&] { ++closes; };
  // A right press on the paused widget activates monitoring, then opens the
  // menu.
  widget.Paused = true;
  ::SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(60, 60));
  EXPECT_EQ(onOffs, 1);
  EXPECT_EQ(setups, 1);
  // A press on the greyed on/off button of the paused widget activates it;
  // its release switches nothing off again. (230, 44) lies on the button in
  // both layouts.
  view.SetOnOffEnabled(false);
  ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(230, 44));
  ::SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(230, 44));
  EXPECT_EQ(onOffs, 2);
  view.SetOnOffEnabled(true);
  widget.Paused = false;

  // Closing is refused: the widget stays.
  ::SendMessageA(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(::IsWindow(window));
  EXPECT_TRUE(view.Visible());

  // The minimise button: the application gets a taskbar button and is
  // minimised, the widget goes.
  ::SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(215, 13));
  ::SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(215, 13));
  EXPECT_TRUE(application.Minimized());
  EXPECT_FALSE(view.Visible());
}

TEST_F(WidgetTest, WidgetWithoutCompositionIsClippedToARoundedRegion) {
  DesktopCompositionEnabled = false;
  Win32InfoOnTopView view(nullptr);
  DesktopCompositionEnabled = true;
  EXPECT_FALSE(view.RoundedByWindowManager()) << "without composition the window manager is not asked";
  const GdiObject<HRGN> region(::CreateRectRgn(0, 0, 0, 0));
  EXPECT_NE(::GetWindowRgn(ToHwnd(view.Handle()), region.Get()), ERROR) << "the 100 x 100 rounded region clips it";
}

TEST_F(WidgetTest, WidgetWithoutFaceFilesStillDraws) {
  char temp[MAX_PATH];
  ::GetTempPathA(MAX_PATH, temp);
  ::SetCurrentDirectoryA(temp);
  Win32InfoOnTopView view(nullptr);
  TInfoOnTop widget(view);
  view.Attach(&widget);
  EXPECT_FALSE(view.FaceLoaded(true));
  view.Show();
  widget.UpdateMeter("1", 7, "00:00:01", true);
  widget.Paused = true;
  widget.UpdateMeter("2", 8, "00:00:02", false);
  EXPECT_EQ(widget.Redraws, 2);
  EXPECT_EQ(widget.SpeedText, "07") << "paused, the kept figures show";
}

// The tray core's hook, as the main loop gives it, sees the messages
// while the window is up: asked for again, the window shares the first
// request's answer; ended, both requests return.
TEST_F(Win32FormsTest, LogonWindowAnswersTheMessagesTheHookSeesWhileUp) {
  Win32ApplicationWindow application("Strevo forms test logon");
  Win32MessageLoop loop;
  Win32LogonView view(loop, application.Handle());
  TLogForm form(view);
  const uint32_t enable = Windows().RegisterMessage("QVWayfen1999.ENABLE");
  const uint32_t disable = Windows().RegisterMessage("QVWayfen1999.DISABLE");
  ModalResult inner = ModalResult::None;
  bool showingWhenSeen = false;
  auto hook = [&](const PostedMessage& m, bool&) {
    if (m.message == enable) inner = form.ShowModal();
    if (m.message == disable) {
      showingWhenSeen = view.Showing();
      view.EndModal(ModalResult::Cancel);
    }
  };
  ::PostMessageA(ToHwnd(application.Handle()), WM_NULL, 0, 0);
  ASSERT_TRUE(loop.HandleOne(hook));  // the loop now knows the hook
  form.ListPrompt = "Choose your name";
  form.ProposedName = "Ann";
  ASSERT_TRUE(Windows().Post(application.Handle(), enable, 0, 0));
  ASSERT_TRUE(Windows().Post(application.Handle(), disable, 0, 0));
  Watchdog watchdog([&] { view.EndModal(static_cast<ModalResult>(99)); });
  EXPECT_EQ(form.ShowModal(), ModalResult::Cancel);
  EXPECT_EQ(inner, ModalResult::Cancel);
  EXPECT_FALSE(watchdog.fired);
  EXPECT_TRUE(showingWhenSeen);
  EXPECT_FALSE(::IsWindowVisible(ToHwnd(view.Handle())));
}

TEST_F(Win32FormsTest, LogonWindowKeysGoThroughTheFormsShortCuts) {
  Win32ApplicationWindow application("Strevo forms test logon keys");
  Win32MessageLoop loop;
  Win32LogonView view(loop, application.Handle());
  TLogForm form(view);
  form.NewUserPrompt = "Type a new name";
  form.ListPrompt = "Choose your name";
  form.CancelCaption = "&Not now";
  Watchdog watchdog([&] { view.EndModal(static_cast<ModalResult>(99)); });
  // "New user" (the policy allows new users and keeps the list hidden),
  // then Escape goes back to the list, and Alt with the underlined letter
  // of "Not now" cancels.
  PolicySettings = std::make_unique<TDynamicSettings>();
  PolicySettings->SetBool("DisableUserList", true);
  HWND name = ToHwnd(view.Control("NameField"));
  const Rect link = view.Buttons().Button("NewUserBtn").Bounds();
  const LPARAM at = MAKELPARAM((link.left + link.right) / 2, (link.top + link.bottom) / 2);
  ::PostMessageA(ToHwnd(view.Handle()), WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::PostMessageA(ToHwnd(view.Handle()), WM_LBUTTONUP, 0, at);
  int modeAfterClick = 0;
  Look::Arm("logon-keys", [&] { modeAfterClick = form.Mode; }, [&] {
    ::PostMessageA(name, WM_KEYDOWN, VK_ESCAPE, 0);
    ::PostMessageA(name, WM_SYSCHAR, 'n', 1 << 29);
  });
  form.NoConfirmNewUser = false;
  EXPECT_EQ(form.ShowModal(), ModalResult::Cancel);
  ResetPolicy();
  EXPECT_FALSE(watchdog.fired);
  EXPECT_EQ(modeAfterClick, 2) << "the link asked for a new user";
  EXPECT_EQ(form.Mode, 1);
}

TEST_F(Win32FormsTest, LogonWindowClosesWithCancelWhenTheApplicationEnds) {
  Win32ApplicationWindow application("Strevo forms test logon quit");
  Win32MessageLoop loop;
  Win32LogonView view(loop, application.Handle());
  TLogForm form(view);
  Application().onTerminate = [] { ::PostQuitMessage(0); };
  Watchdog watchdog([&] { view.EndModal(static_cast<ModalResult>(99)); });
  ::PostMessageA(ToHwnd(application.Handle()), WM_NULL, 0, 0);
  loop.fallbackHook = [](const PostedMessage&, bool&) { Application().Terminate(); };
  EXPECT_EQ(form.ShowModal(), ModalResult::Cancel);
  EXPECT_FALSE(watchdog.fired);
  MSG msg;
  EXPECT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
      << "the quit request stays for the main loop";
}

TEST_F(Win32FormsTest, SettingsWindowWritesItsControlsBackBeforeOk) {
  Win32ApplicationWindow application("Strevo forms test settings");
  Win32MessageLoop loop;
  Win32SettingsView view(loop, application.Handle());
  TChooseApplications dialog(view);
  dialog.TakeABreak = true;
  dialog.BreakInterval = 6;
  dialog.WordCount = 10;
  dialog.StatpanelHint = "Mouse Clicks: 5";
  dialog.AppListMode = 2;
  dialog.CheckList = {{"EDITOR.EXE", "Editor", true}, {"MAIL.EXE", "Mail", false}};
  Watchdog watchdog([&] { view.EndModal(static_cast<ModalResult>(99)); });
  ::PostMessageA(ToHwnd(view.Control("TakeABreak")), BM_CLICK, 0, 0);  // unchecks it
  std::string hints;
  int rows = 0;
  // The person ticks the second application, then presses OK.
  Look::Arm("settings-test", [&] {
    HWND apps = ToHwnd(view.Control("AppsCheckList"));
    rows = ListView_GetItemCount(apps);
    ListView_SetCheckState(apps, 1, TRUE);
    hints = view.Hint("DoNotCollectWords") + "|" + view.Hint("CenterButton1") + "|" + view.Hint("statpanel");
  }, [&] { ::SendMessageA(ToHwnd(view.Control("OkBtn")), BM_CLICK, 0, 0); });
  EXPECT_EQ(dialog.ShowModal(), ModalResult::Ok);
  EXPECT_FALSE(watchdog.fired);
  EXPECT_FALSE(dialog.TakeABreak);
  EXPECT_EQ(dialog.BreakInterval, 6) << "written back unchanged";
  EXPECT_NE(dialog.TakeABreakCaption.find("1:30 h"), std::string::npos) << "6 quarter hours";
  EXPECT_EQ(rows, 2);
  EXPECT_TRUE(dialog.CheckList[1].Monitored);
  EXPECT_EQ(hints, LangStr(1298) + "|Move Widget to Screen Default Position|Mouse Clicks: 5");
}

// The client area of a window as the screen shows it.
std::vector<uint32_t> ScreenPixels(HWND window) {
  RECT r{};
  ::GetClientRect(window, &r);
  ::MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&r), 2);
  const int width = r.right - r.left, height = r.bottom - r.top;
  const WindowDc screen(nullptr);
  const MemoryDc memory(::CreateCompatibleDC(screen.Get()));
  const GdiObject<HBITMAP> bitmap(::CreateCompatibleBitmap(screen.Get(), width, height));
  {
    const SelectedObject selected(memory.Get(), bitmap.Get());
    ::BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), r.left, r.top, SRCCOPY);
  }
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  std::vector<uint32_t> pixels(static_cast<size_t>(width) * height);
  ::GetDIBits(memory.Get(), bitmap.Get(), 0, height, pixels.data(), &info, DIB_RGB_COLORS);
  return pixels;
}

// A page shown again after the others looks as it did the first time: the
// group boxes of the pages between left their frames on it.
TEST_F(Win32FormsTest, SettingsPageLooksTheSameAfterAnotherPageWasShown) {
  Win32ApplicationWindow application("Strevo forms test settings pages");
  Win32MessageLoop loop;
  Win32SettingsView view(loop, application.Handle());
  TChooseApplications dialog(view);
  Watchdog watchdog([&] { view.EndModal(static_cast<ModalResult>(99)); }, 10000);
  HWND window = ToHwnd(view.Handle());
  std::vector<uint32_t> first, again;
  Look::Arm("settings-pages", [&] {
    Pump(300);
    first = ScreenPixels(window);
    for (int page : {1, 2, 0}) {
      view.ShowPage(page);
      Pump(300);
    }
    again = ScreenPixels(window);
  }, [&] { view.EndModal(ModalResult::Cancel); });
  dialog.ShowModal();
  EXPECT_FALSE(watchdog.fired);
  ASSERT_EQ(first.size(), again.size());
  size_t differing = 0;
  for (size_t i = 0; i < first.size(); ++i) differing += (first[i] & 0xFFFFFF) != (again[i] & 0xFFFFFF);
  EXPECT_EQ(differing, 0u) << "pixels left over from the other pages";
}

TEST_F(Win32FormsTest, CloseDialogAnswersYesOnEnterAndNoOnEscape) {
  Win32ApplicationWindow application("Strevo forms test close");
  Win32MessageLoop loop;
  Win32CloseDialog dialog(loop, application.Handle());
  Watchdog watchdog([&] { dialog.EndModal(static_cast<ModalResult>(99)); });
  CloseDialogState state;
  state.question = "Close?";
  state.permanentEnabled = true;
  state.permanentChecked = true;
  ::PostMessageA(ToHwnd(dialog.Control("OKBtn")), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(dialog.ShowModal(state), ModalResult::Ok);
  EXPECT_TRUE(state.permanentChecked);

  ::PostMessageA(ToHwnd(dialog.Control("PermanentChk")), BM_CLICK, 0, 0);
  ::PostMessageA(ToHwnd(dialog.Control("OKBtn")), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(dialog.ShowModal(state), ModalResult::Cancel);
  EXPECT_FALSE(state.permanentChecked) << "the check box comes back in the state";
  EXPECT_FALSE(watchdog.fired);
}

// The taskbar window starts hidden and keeps its progress in range. The
// thumbnail toolbar goes to the taskbar when the shell announces the
// button; its clicks arrive as commands with the button's id. The graph
// paints its scale and frame on the window.
TEST_F(Win32FormsTest, TaskbarWindowProgressToolbarClicksAndGraph) {
  Win32TaskbarWindow taskbar;
  EXPECT_FALSE(taskbar.Visible());
  taskbar.SetProgressValue(500);
  EXPECT_EQ(taskbar.ProgressValue(), Win32TaskbarWindow::kProgressMaximum);
  std::string error;
  ASSERT_TRUE(taskbar.ToolbarActive(error)) << error;
  std::vector<int> clicked;
  taskbar.onThumbButton = [&](int id) { clicked.push_back(id); };
  ::SendMessageA(ToHwnd(taskbar.Handle()), ::RegisterWindowMessageA("TaskbarButtonCreated"), 0, 0);
  ::SendMessageA(ToHwnd(taskbar.Handle()), WM_COMMAND, MAKEWPARAM(kThumbStatistics, THBN_CLICKED), 0);
  ::SendMessageA(ToHwnd(taskbar.Handle()), WM_COMMAND, MAKEWPARAM(kThumbHistory, THBN_CLICKED), 0);
  EXPECT_EQ(clicked, (std::vector<int>{kThumbStatistics, kThumbHistory}));

  TNervoGraph graph(taskbar.GraphCanvas());
  graph.ClearBackground = true;
  graph.Left = 10, graph.Top = 5, graph.Width = 230, graph.Height = 105;
  taskbar.SetGraph(&graph);
  taskbar.Show();
  ::UpdateWindow(ToHwnd(taskbar.Handle()));
  EXPECT_EQ(graph.PlotRect.right, 226) << "painted: the chart's place follows the font";
  EXPECT_GT(graph.PlotRect.left, 20);
  for (int i = 0; i < 300; ++i) graph.Step();  // past the right edge
  EXPECT_LT(graph.LastX, graph.PlotRect.right);
  taskbar.SetGraph(nullptr);
}

TEST_F(Win32FormsTest, ProgressWindowHideLeavesTheBarAtItsMaximum) {
  Win32ProgressWindow& progress = platform_.progress;
  EXPECT_EQ(&ProgressWindow(), &progress) << "installed with the platform";
  progress.Show();
  progress.ShowProgress(0, 400, "Updating the user list, please wait...", "ignored", 0);
  EXPECT_TRUE(progress.Visible());
  EXPECT_TRUE(progress.BarVisible());
  progress.SetProgress(120);
  progress.Hide();  // the work stopped early
  EXPECT_EQ(progress.Position(), 400);
  EXPECT_EQ(progress.Maximum(), 400);
  EXPECT_FALSE(progress.BarVisible());
  EXPECT_FALSE(progress.Visible());
}

TEST_F(Win32FormsTest, NotificationWindowShowsAndItsPartsGiveTheirResults) {
  Win32ApplicationWindow application("Strevo forms test notification");
  Win32MessageLoop loop;
  Win32NotifyView view(loop, application.Handle());
  TNotifyForm form(view);
  form.KeyIndexGraph = {30, 0x008000};
  Watchdog watchdog([&] { view.EndModal(static_cast<ModalResult>(99)); });
  bool visible = false;
  // A press and release on "Begin Training" (the middle of its place),
  // while the window is up.
  Look::Arm("notification-test", [&] { visible = ::IsWindowVisible(ToHwnd(view.Handle())) != FALSE; }, [&] {
    ::SendMessageA(ToHwnd(view.Handle()), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(162, 313));
    ::SendMessageA(ToHwnd(view.Handle()), WM_LBUTTONUP, 0, MAKELPARAM(162, 313));
  });
  EXPECT_EQ(form.ShowModal(), ModalResult::BeginTraining);
  EXPECT_TRUE(visible);
  EXPECT_FALSE(watchdog.fired);
  EXPECT_EQ(view.PartAt(300, 310), Win32NotifyView::Part::Skip);
  EXPECT_EQ(view.PartAt(320, 350), Win32NotifyView::Part::Settings);
  EXPECT_EQ(view.PartAt(100, 30), Win32NotifyView::Part::Header);
  // Escape skips the training, as the link does.
  ::PostMessageA(ToHwnd(view.Handle()), WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_EQ(form.ShowModal(), ModalResult::Ok);
}

}  // namespace
}  // namespace test
}  // namespace strevo
