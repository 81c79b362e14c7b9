// Not part of the normal run: every window with sample figures, held up
// for a person or for scripts/wine-looks, which keeps a picture of each.
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
#include "win32/Win32Dwm.h"
#include "win32/Win32InfoOnTopView.h"
#include "win32/Win32LogonView.h"
#include "win32/Win32MessageLoop.h"
#include "win32/Win32NotifyView.h"
#include "win32/Win32SettingsView.h"
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
  ::PostMessageA(hwnd(application.Handle()), WM_NULL, 0, 0);
  loop.HandleOne([](const PostedMessage&, bool&) {});

  // The paused one as on a system without composition: clipped to the
  // rounded region, its buttons where the square form has them.
  Win32InfoOnTopView active(&application);
  DesktopCompositionEnabled = false;
  Win32InfoOnTopView paused(&application);
  DesktopCompositionEnabled = true;
  paused.SetOnOffEnabled(false);
  TInfoOnTop activeWidget(active), pausedWidget(paused);
  active.Attach(&activeWidget);
  paused.Attach(&pausedWidget);
  pausedWidget.EnglishFace = false;
  active.SetPosition(60, 60);
  paused.SetPosition(60, 200);
  active.Show();
  paused.Show();
  Pump(1200);  // the fade
  activeWidget.ShowStatusText = true;
  activeWidget.StatusText = "keyboard";
  activeWidget.AverageSpeedText = "38";
  activeWidget.UpdateMeter("1234", 57, "00:12:34", true);
  activeWidget.UpdateMeter("1234", 57, "00:12:35", true);  // the second redraw: figures bold
  pausedWidget.UpdateMeter("88", 41, "00:03:10", true);
  pausedWidget.Paused = true;
  pausedWidget.StatusText = "Strevo Launched!";
  pausedWidget.SpeedText.clear();
  pausedWidget.UpdateMeter("90", 0, "00:03:11", false);
  pausedWidget.UpdateMeter("91", 0, "00:03:12", false);

  Win32TaskbarWindow taskbar;
  taskbar.Show();
  Win32ProgressWindow& progress = platform_.progress;
  progress.Show();
  progress.ShowProgress(0, 400, LangStr(546), "", 250);
  WaitForLook("widgets");
  taskbar.Hide();
  progress.Hide();
  active.Hide();
  paused.Hide();

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
  notify.KeyIndexGraph = {82, BandColour(82)};
  notify.CapitalIndexGraph = {47, BandColour(47)};
  notify.WordIndexGraph = {18, BandColour(18)};
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
  WaitForLook("taskbar", hwnd(taskbar.Handle()));
  taskbar.SetGraph(nullptr);
}

}  // namespace
}  // namespace test
}  // namespace strevo
