// Not part of the normal run: every window with sample figures, held up
// for a person or for tests/wine/looks, which keeps a picture of each.
#include <windows.h>

#include <cmath>

#include "analysis/DeviationCalc.h"
#include "storage/DateTime.h"
#include "storage/LangRes.h"
#include "ui/ChooseAppsFrm.h"
#include "ui/InfoOnTopWindow.h"
#include "ui/Nervgrph.h"
#include "ui/NotifyFrm.h"
#include "ui/ULoginForm.h"
#include "win32/Win32ApplicationWindow.h"
#include "win32/Win32CloseDialog.h"
#include "win32/Win32Dpi.h"
#include "win32/Win32Dwm.h"
#include "win32/Win32InfoOnTopView.h"
#include "win32/Win32LogonView.h"
#include "win32/Win32MessageLoop.h"
#include "win32/Win32NotifyView.h"
#include "win32/Win32SettingsView.h"
#include "win32/Win32SpeedButton.h"
#include "win32/Win32TaskbarWindow.h"
#include "win32/Win32TestSupport.h"

namespace strevo {
namespace test {
namespace {

TEST_F(WidgetTest, DISABLED_LookWindows) {
  ASSERT_FALSE(data_.empty());
  Localize().Load("language", TLocalize::kMainFile);
  Win32ApplicationWindow application("Strevo forms look");
  Win32MessageLoop loop;
  ::PostMessageA(ToHwnd(application.Handle()), WM_NULL, 0, 0);
  loop.HandleOne([](const PostedMessage&, bool&) {});

  // Each look is cut to its own window, wherever the window manager put it;
  // the meter widget and the taskbar window have looks of their own
  // (DISABLED_LookWidget, DISABLED_LookTaskbar).
  Win32ProgressWindow& progress = platform_.progress;
  progress.Show();
  progress.ShowProgress(0, 400, LangStr(546), "", 250);
  WaitForLook("progress", ToHwnd(progress.Handle()), true);
  progress.Hide();

  Win32LogonView logonView(loop, application.Handle());
  TLogForm logon(logonView);
  logon.FormCreate();
  logon.ListPrompt = LangStr(1678);
  logon.GoCaption = LangStr(1675);
  logon.CancelCaption = LangStr(1677);
  logon.DontShowAgainVisible = true;
  logon.ProposedName = "Ann";
  Look::Arm("logon", nullptr, [&] { logonView.EndModal(ModalResult::Cancel); }, logonView.Handle());
  logon.ShowModal();
  // The pointer on the start button, then on the close button: the button
  // under it alone shows its hover picture.
  for (const auto& [look, name] : {std::pair{"logon-hover-go", "GoBtn"}, std::pair{"logon-hover-close", "CloseBtn"}}) {
    const auto pointAtButton = [&logonView, name] {
      HWND window = ToHwnd(logonView.Handle());
      const Rect place = DpiScale::Of(window)(logonView.Buttons().Button(name).Bounds());
      POINT p{(place.left + place.right) / 2, (place.top + place.bottom) / 2};
      const LPARAM at = MAKELPARAM(p.x, p.y);
      ::ClientToScreen(window, &p);
      ::SetCursorPos(p.x, p.y);
      ::SendMessageA(window, WM_MOUSEMOVE, 0, at);
    };
    const auto end = [&logonView] {
      ::SetCursorPos(1000, 700);
      logonView.EndModal(ModalResult::Cancel);
    };
    Look::Arm(look, pointAtButton, end, logonView.Handle());
    logon.ShowModal();
  }

  Win32SettingsView settingsView(loop, application.Handle());
  TChooseApplications settings(settingsView);
  settings.FormCreate();
  settings.UsrNameLbl2 = "Ann";
  settings.AppliedWinUser = LangStr(1326) + " (ann)";
  settings.TakeABreak = true;
  settings.BreakInterval = 6;
  settings.NotifyWhenDifficulties = true;
  settings.PagesTrackBar = 5;
  settings.WordCount = 40;
  settings.SelectedUserList = {"Ann", "Bob"};
  settings.SelectedUser = "Ann";
  settings.VersionLbl = LangStr(1274) + " 12.0.974";
  settings.StatusLabel = LangStr(1327);
  settings.UserNameLbl = "Ann";
  settings.DateStarted = "12" + LangStr(1273) + " 2024-05-01";
  settings.TotalHits = "123456";
  settings.AnalyzedHits = "100000";
  settings.BigramCountLbl = "412";
  settings.AppListMode = 2;
  settings.CheckList = {{"WINWORD.EXE", "Word processor", true},
                        {"OUTLOOK.EXE", "Mail", true},
                        {"CMD.EXE", "", false},
                        {"NOTEPAD.EXE", "Notepad", true}};
  for (int page = 0; page < 4; ++page) {
    Look::Arm("settings" + std::to_string(page), [&settingsView, page] { settingsView.ShowPage(page); },
              [&settingsView] { settingsView.EndModal(ModalResult::Cancel); }, settingsView.Handle());
    settings.ShowModal();
  }

  // The three bands' colours, one on each gauge.
  Win32NotifyView notifyView(loop, application.Handle());
  TNotifyForm notify(notifyView);
  notify.FormCreate();
  notify.KeyIndexGraph = {82, BandColour(82, nullptr)};
  notify.CapitalIndexGraph = {47, BandColour(47, nullptr)};
  notify.WordIndexGraph = {18, BandColour(18, nullptr)};
  notify.KeyInfoLbl = "q z x";
  notify.CapitalInfoLbl = "Q W";
  notify.WordInfoLbl = "rhythm";
  Look::Arm("notification", nullptr, [&] { notifyView.EndModal(ModalResult::Ok); }, notifyView.Handle(), true);
  notify.ShowModal();

  Win32CloseDialog closeDialog(loop, application.Handle());
  CloseDialogState state;
  state.question = LangStr(1271);
  state.permanentEnabled = true;
  state.permanentChecked = true;
  Look::Arm("close", nullptr, [&] { closeDialog.EndModal(ModalResult::Cancel); }, closeDialog.Handle(), true);
  closeDialog.ShowModal(state);
  Localize().Clear();
}

// The meter widget, each look cut to its window: launching, active, each
// button under the pointer, the needle in each band, paused, and the
// layout of systems that clip it to a rounded region.
TEST_F(WidgetTest, DISABLED_LookWidget) {
  ASSERT_FALSE(data_.empty());
  Localize().Load("language", TLocalize::kMainFile);
  Win32ApplicationWindow application("Strevo widget look");
  Win32InfoOnTopView view(&application);
  TInfoOnTop widget(view);
  view.Attach(&widget);
  HWND window = ToHwnd(view.Handle());
  view.SetPosition(60, 60);
  widget.AverageSpeedText = "38";
  widget.ShowStatusText = true;

  // Started, monitoring not on yet: half-way up the launching fade.
  ::SetCursorPos(600, 500);
  widget.Launching = true;
  widget.Paused = true;
  widget.StatusText = "Strevo Launched!";
  view.Show();
  widget.UpdateMeter("0", 0, "00:00:00", false);
  Pump(1000);
  WaitForLook("widget-launching", window);

  // From here the pointer is on the widget: a move sent to it says where.
  // The hints stay off: they would cover the looks.
  view.Buttons().ShowHints(false);
  const auto pointAt = [&](int designX, int designY) {
    const DpiScale scale = DpiScale::Of(window);
    const int x = scale(designX), y = scale(designY);
    POINT p{x, y};
    ::ClientToScreen(window, &p);
    ::SetCursorPos(p.x, p.y);
    ::SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
  };
  pointAt(30, 30);
  widget.Launching = false;
  widget.Paused = false;
  widget.StatusText = "keyboard";
  widget.UpdateMeter("1234", 57, "00:12:34", true);
  widget.UpdateMeter("1234", 57, "00:12:35", true);  // the second redraw: figures bold
  WaitForLook("widget-active", window);

  const std::pair<WidgetButton, const char*> buttons[] = {{WidgetButton::OnOff, "onoff"},
                                                          {WidgetButton::Practice, "practice"},
                                                          {WidgetButton::Setup, "setup"},
                                                          {WidgetButton::Hide, "hide"}};
  for (const auto& [button, name] : buttons) {
    const Rect place = WidgetButtonPlace(button, view.RoundedByWindowManager());
    pointAt((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    WaitForLook(std::string("widget-hover-") + name, window);
  }
  pointAt(30, 30);

  const std::pair<int, const char*> bands[] = {{23, "low"}, {64, "middle"}, {137, "high"}};
  for (const auto& [speed, band] : bands) {
    widget.UpdateMeter("2345", speed, "00:20:00", true);
    WaitForLook(std::string("widget-") + band, window);
  }

  // Paused from the on/off button: the dimmed dial beside the face's labels.
  view.SetOnOffEnabled(false);
  widget.Paused = true;
  widget.StatusText.clear();
  widget.UpdateMeter("2345", 0, "00:20:01", false);
  WaitForLook("widget-paused", window);

  // A language without labels on its face, whose labels are long.
  Localize().Strings[658] = "W\xF6rter:";
  Localize().Strings[130] = "Schreibzeit:";
  Localize().Strings[116] = "Durchschnitt:";
  widget.EnglishFace = false;
  view.SetOnOffEnabled(true);
  widget.Paused = false;
  widget.StatusText = "keyboard";
  widget.UpdateMeter("2345", 64, "00:20:02", true);
  WaitForLook("widget-other-language", window);
  view.Hide();

  DesktopCompositionEnabled = false;
  Win32InfoOnTopView clipped(&application);
  DesktopCompositionEnabled = true;
  TInfoOnTop clippedWidget(clipped);
  clipped.Attach(&clippedWidget);
  clipped.SetPosition(60, 60);
  clipped.Show();
  clipped.Buttons().ShowHints(false);
  window = ToHwnd(clipped.Handle());
  clippedWidget.AverageSpeedText = "41";
  clippedWidget.ShowStatusText = true;
  clippedWidget.StatusText = "Strevo Launched!";
  clippedWidget.UpdateMeter("321", 112, "01:02:03", true);
  clippedWidget.UpdateMeter("321", 112, "01:02:04", true);
  const Rect practice = WidgetButtonPlace(WidgetButton::Practice, false);
  pointAt((practice.left + practice.right) / 2, (practice.top + practice.bottom) / 2);
  WaitForLook("widget-clipped", window);
  Localize().Clear();
}

// The taskbar window after a burst of typing: the speed climbs, wavers and
// falls back, drawn step by step as the program draws it.
TEST_F(WidgetTest, DISABLED_LookTaskbar) {
  Win32TaskbarWindow taskbar;
  TNervoGraph graph(taskbar.GraphCanvas());
  graph.ClearBackground = true;
  graph.Left = 10, graph.Top = 5, graph.Width = 230, graph.Height = 105;
  taskbar.SetGraph(&graph);
  taskbar.Show();
  Pump(300);
  for (int i = 0; i < 170; ++i) {
    const double target = i < 150 ? 320 + 140 * std::sin(i / 9.0) : 0;
    graph.LastKeyTime = Now();
    graph.IntervalCount = target > 0 ? 6 : 0;
    graph.IntervalSum = target > 0 ? static_cast<float>(6 * 60 / target) : 0;
    graph.Step();
  }
  WaitForLook("taskbar", ToHwnd(taskbar.Handle()));
  taskbar.SetGraph(nullptr);
}

}  // namespace
}  // namespace test
}  // namespace strevo
