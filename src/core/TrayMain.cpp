#include "core/TrayMain.h"

#include <cstdlib>
#include <exception>

#include "analysis/Analyzer.h"
#include "analysis/BigramAnalyzer.h"
#include "analysis/DeviationCalc.h"
#include "input/KeyInfo.h"
#include "input/SpyApps.h"
#include "platform/Application.h"
#include "storage/Ansi.h"
#include "storage/DateTime.h"
#include "storage/DebugLog.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/Numbers.h"
#include "storage/PrgSetup.h"
#include "storage/ToolBox.h"
#include "storage/User.h"
#include "ui/ChooseAppsFrm.h"
#include "ui/InfoOnTopWindow.h"
#include "ui/Nervgrph.h"
#include "ui/ULoginForm.h"

namespace strevo {

TTrayMain* TrayMain = nullptr;

namespace {

std::string day_key(const char* key, int index) { return std::string(key) + std::to_string(index); }

std::string trim_trailing_blanks(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

bool only_argument_is(const char* argument) {
  const std::vector<std::string> args = System().Arguments();
  return args.size() == 1 && same_text(args[0], argument);
}

bool first_argument_is(const char* argument) {
  const std::vector<std::string> args = System().Arguments();
  return !args.empty() && same_text(args[0], argument);
}

// The program's own executable: the autostart entry names it.
std::string own_executable_path() { return System().ExecutablePath(); }

}  // namespace

bool TutorRunning() { return Mutexes().MutexExists(kTutorMutex); }

void MakeAutoStartable(const std::string& path) {
  DebugLog(0, "TTrayMain.MakeAutoStartable ()");
  if (!WorkstationSettings) return;
  if (!Registry().OpenKey(kRunKey)) {
    DebugLog(0, "TTrayMain.MakeAutoStartable key creation FAILED");
    return;
  }
  if (WorkstationSettings->GetBool("LaunchAtStartup." + WindowsUserName())) {
    Registry().WriteString(kRunKey, kRunValue, "\"" + path + "\"");
    DebugLog(0, "TTrayMain.MakeAutoStartable: wrote " + path);
  } else {
    Registry().DeleteValue(kRunKey, kRunValue);
  }
}

void RemoveAutoStart() {
  if (Registry().OpenKey(kRunKey)) Registry().DeleteValue(kRunKey, kRunValue);
}

TTrayMain::TTrayMain(Forms forms, TInfoOnTop& widget, TLogForm& logon, TChooseApplications& settings)
    : forms_(forms), widget_(widget), logon_(logon), settings_(settings) {
  TrayMain = this;
}

TTrayMain::~TTrayMain() {
  SetWordObserver(nullptr);
  if (TrayMain == this) TrayMain = nullptr;
}

std::string TTrayMain::AccountKey(const std::string& key) const { return key + "." + WindowsUserName(); }

// ------------------------------------------------------------- start, end --

void TTrayMain::Run() {
  bool existed = false;
  MutexHandle = Mutexes().CreateNamedMutex(kInstanceMutex, true, existed);
  if (existed) {
    const WindowHandle running = Windows().FindWindowByCaption(kApplicationTitle);
    if (running) {
      Application().SetTitle("Closing");
      const uint32_t enable = Windows().RegisterMessage(msgname::kEnable);
      Windows().AllowMessage(enable);
      Windows().Post(running, enable, 2, 0);
    }
    Application().Terminate();
    return;
  }
  const std::string unc = Files().ExpandUncFileName(System().ExecutablePath());
  if (unc.size() >= 2 && unc[0] == '\\' && unc[1] == '\\') {
    Dialogs().ShowMessage(LangStr(1378), LangStr(1287), mb::kIconError);
    RemoveAutoStart();
    Application().Terminate();
    return;
  }
  Initialize();
  while (!Application().Terminated() && forms_.loop) {
    if (!forms_.loop->HandleOne([this](const PostedMessage& m, bool& handled) { AppMessage(m, handled); })) break;
  }
  if (Initialized) Finalize();
}

void TTrayMain::Initialize() {
  DebugLog(2, "Initialize{");
  if (Initialized) {
    Dialogs().ShowMessage("Init called twice #2222", LangStr(1287), mb::kOk);
    return;
  }
  DeadKeyPending = 0;
  RepeatCount = 0;
  CharsSinceWordEnd = 0;
  LastCheckTime = WorkPeriodStart = Now();
  PreviousUser.clear();
  Initialized = true;
  SelectKeySet(1);

  ProgramSettings = TProgramSettings::Create("");
  if (!Files().DirectoryExists(ProgramSettings->RootPath)) {
    Application().Terminate();
    return;
  }

  Bigrams = std::make_unique<TBigramAnalyzer>();
  Bigrams->Resume();
  Bigrams->SetEnabled(true);

  WM_NEWMONAPP = Windows().RegisterMessage(msgname::kNewMonApp);
  DISABLE = Windows().RegisterMessage(msgname::kDisable);
  ENABLE = Windows().RegisterMessage(msgname::kEnable);
  WM_SENDKEYINFO = Windows().RegisterMessage(msgname::kSendKeyInfo);
  WM_MOUSECLICKED = Windows().RegisterMessage(msgname::kMouseClicked);
  WM_SENDWORDHDR = Windows().RegisterMessage(msgname::kSendWordHdr);
  WM_SENDWORDDATA = Windows().RegisterMessage(msgname::kSendWordData);
  BRINGFRONT = Windows().RegisterMessage(msgname::kBringFront);
  for (uint32_t id : {WM_NEWMONAPP, DISABLE, ENABLE, WM_SENDKEYINFO, WM_MOUSECLICKED, WM_SENDWORDHDR, WM_SENDWORDDATA,
                      BRINGFRONT})
    Windows().AllowMessage(id);

  if (forms_.application) forms_.application->MakeTopmost();

  ProgramFolder = ExtractFilePath(System().ExecutablePath());
  if (ProgramFolder.size() > 1 && ProgramFolder.back() == '\\') ProgramFolder.pop_back();
  Files().ChangeDirectory(ProgramFolder);

  if (forms_.threads) {
    threadsTerminating_ = false;
    infoThread_ = forms_.threads->Start(150, [this] { InfoThreadStep(); }, true);
    DebugLog(2, "TCloseTrayIcon.Execute {" + std::to_string(Clock().TickCount()));
    iconThread_ = forms_.threads->Start(200, [this] { IconRevertCheck(); }, false);
  }

  totalHits = monitoredHits = BackSpaces = ArrowHits = 0;
  WidgetTop = WidgetLeft = -1;
  WidgetVisible = 0;

  BuildMenu();
  widget_.onOnOff = [this] { EnableClick(); };
  widget_.onSetup = [this] { PopupAtButton(); };
  widget_.onPractice = [this] { ReviewClick(); };

  DeviationCalc().Reset();
  DeviationCalc().StrictMode = true;

  SetTrayState(1);
  DebugLog(0, " 256 color check");
  if (forms_.trayIcon) {
    ITrayIcon& icon = *forms_.trayIcon;
    icon.SetIcon(1);
    icon.SetActive(true);
    DebugLog(0, " tray icon1");
    icon.SetToolTip(LangStr(1287));
    icon.beforePopup = [this] { BeforePopupEvent(); };
    icon.onClick = [this] { TrayClick(); };
    DebugLog(0, " tray icon2");
  }
  SetWordObserver(this);
  if (forms_.application) forms_.application->onDeactivate = [this] { AppDeactivate(); };
  DebugLog(0, " tray icon3");

  if (TutorRunning()) {
    DebugLog(0, LangStr(1776));
    setEnabledState(false);
    SetTrayState(3);
    PreviousUser.clear();
    widget_.Launching = true;
    RefreshMeter();
    widget_.Show();
    PlaceWidget();
    widget_.View().Repaint();
    widget_.View().SetAlphaTimer(true);
  } else {
    DebugLog(0, LangStr(1777));
    EnableNow("");
  }
  DebugLog(-2, "} Initialize");
}

void TTrayMain::BuildMenu() {
  if (!forms_.trayIcon) return;
  std::vector<MenuItem> items(5);
  items[0] = {LangStr(1265), "STATISTICS", true, false, [this] { ReviewClick(); }};
  items[1] = {LangStr(1267), "SETTINGS", true, false, [this] { ChooseAppsClick(); }};
  items[2] = {LangStr(1266), "", true, false, [this] { InfoOnTopClick(); }};
  items[3] = {"-", "", true, false, nullptr};
  items[4] = {LangStr(1268), "", true, false, [this] { ExitClick(); }};
  forms_.trayIcon->SetMenu(items);
}

void TTrayMain::Finalize() {
  if (!Initialized) return;
  Initialized = false;
  if (Enabled) {
    DisableNow("");
    setEnabledState(false);
  }
  Mutexes().CloseMutex(MutexHandle);
  MutexHandle = 0;
  threadsTerminating_ = true;
  if (forms_.threads) {
    if (infoThread_ >= 0) forms_.threads->Terminate(infoThread_);
    if (iconThread_ >= 0) forms_.threads->Terminate(iconThread_);
    DebugLog(-2, "} TCloseTrayIcon.Execute");
    infoThread_ = iconThread_ = -1;
  }
  if (forms_.trayIcon) forms_.trayIcon->SetActive(false);
}

void TTrayMain::ExitClick() {
  if (forms_.trayIcon) forms_.trayIcon->EnableItem(4, false);
  CloseDialogState state;
  state.question = LangStr(1271);
  state.permanentEnabled = false;
  bool wasOff = true;
  std::string previous;
  if (Enabled) {
    previous = DisableNow(PreviousUser);
    wasOff = false;
  }
  const bool opened = OpenWorkstation();
  if (opened) {
    state.permanentChecked = WorkstationSettings->GetBool(AccountKey("LaunchAtStartup"));
    state.permanentEnabled = true;
  }
  const int result = forms_.closeDialog ? forms_.closeDialog->ShowModal(state) : modal::kOk;
  if (opened && WorkstationSettings) {
    WorkstationSettings->SetBool(AccountKey("LaunchAtStartup"), state.permanentChecked);
    MakeAutoStartable(own_executable_path());
    WorkstationSettings->Save();
    WorkstationSettings.reset();
  }
  if (result == modal::kOk) {
    widget_.View().Repaint();
    Finalize();
    Application().Terminate();
    return;
  }
  if (forms_.trayIcon) forms_.trayIcon->EnableItem(4, true);
  if (!wasOff) EnableNow(previous);
}

// ---------------------------------------------------------- message dispatch --

void TTrayMain::AppMessage(const PostedMessage& message, bool& handled) {
  const uint32_t id = message.message;
  if (id == 0) return;
  if (id == WM_SENDKEYINFO) {
    uintptr_t word = message.wParam;
    CMKeyInfo(word, message.lParam, message.time);
  }
  if (id == WM_MOUSECLICKED) {
    uintptr_t wParam = message.wParam;
    CMMouseClicked(wParam, message.lParam);
  }
  if (id == DISABLE) {
    PreviousUser = DisableNow(PreviousUser);
    widget_.ForceRepaint(100);
  }
  // While the logon window asks, the person is already being enabled: a
  // second enabling would ask again inside the first.
  if (id == ENABLE && !logon_.Showing()) {
    EnableNow(PreviousUser);
    if (forms_.application) ForceForeground(forms_.application->Handle());
    widget_.ForceRepaint(100);
  }
  if (id == winmsg::kSysCommand && message.wParam == winmsg::kScRestore) {
    if (!Enabled && !TutorRunning()) EnableNow("");
    widget_.ForceRepaint(100);
    if (forms_.application) {
      forms_.application->HideToolWindow();
      forms_.application->Restore();
    }
    widget_.Show();
    handled = true;
  }
  if (id == winmsg::kKeyUp && message.wParam == vk::kEscape) {
    ActivatePrevWindow(true);
    ActivatePrevWindow(false);
  }
}

void TTrayMain::AppDeactivate() {
  if (forms_.application) forms_.application->MakeTopmost();
  if (Application().Terminated()) DebugLog(0, "TTrayMain.BeforeDestruction()");
}

// ----------------------------------------------------------------- tray core --

void TTrayMain::StartHook() {
  if (HooksRunning) return;
  HooksRunning = true;
  DebugLog(0, "TTrayMain.StartHook()");
  // The hooks post to the window captioned with the application title, as
  // found now.
  const WindowHandle target = Windows().FindWindowByCaption(kApplicationTitle);
  Hooks().Start(target, Windows().RegisterMessage(msgname::kSendKeyInfo),
                Windows().RegisterMessage(msgname::kMouseClicked));
}

void TTrayMain::ShutDown() {
  if (!HooksRunning) return;
  HooksRunning = false;
  DebugLog(0, "TTrayMain.ShutDown()");
  Hooks().Stop();
}

void TTrayMain::SetTrayState(int state) {
  switch (state) {
    case 1:
      if (forms_.taskbar) forms_.taskbar->SetOverlayIcon(0);
      if (forms_.trayIcon) forms_.trayIcon->SetIcon(1);
      break;
    case 2:
      if (forms_.taskbar) forms_.taskbar->SetOverlayIcon(0);
      if (forms_.trayIcon) forms_.trayIcon->SetIcon(2);
      iconArmTime_ = Clock().TickCount();
      iconArmed_ = true;
      break;
    case 3:
      if (forms_.taskbar) forms_.taskbar->SetOverlayIcon(3);
      if (forms_.trayIcon) forms_.trayIcon->SetIcon(3);
      break;
    default:
      return;
  }
  TrayState = state;
}

void TTrayMain::IconRevertCheck() {
  // Runs on the icon-revert thread: only reads the arming and hands the
  // work to the main thread.
  if (!iconArmed_ || Clock().TickCount() - iconArmTime_ < 6001) return;
  iconArmed_ = false;
  if (!forms_.threads) return;
  forms_.threads->Synchronize([this] {
    DebugLog(0, " Hiding");
    DebugLog(0, " TCloseTrayIcon.UpdateIcon()");
    if (!threadsTerminating_) CancelAnalyse(2);
  });
}

void TTrayMain::InfoThreadStep() {
  if (!forms_.threads) return;
  forms_.threads->Synchronize([this] {
    if (!threadsTerminating_) RefreshMeter();
  });
}

void TTrayMain::RefreshMeter() {
  if (!widget_.Visible()) return;
  const TEfficiencyInfo& info = EfficiencyInfo();
  const std::string words = std::to_string(info.Words);
  const int speed = SpeedGraph ? static_cast<int>(round_half_even(SpeedGraph->Value)) / 5 : 0;
  const std::string time = TypingTime().AsText();
  widget_.AverageSpeedText = std::to_string(info.CharsPerMinute() / 5);
  bool active;
  if (HooksRunning) {
    widget_.Paused = false;
    if (forms_.taskbar) forms_.taskbar->SetProgressValue(0);
    if (info.KeysPerMinute() > 0) {
      if (forms_.taskbar) forms_.taskbar->SetProgressValue(speed);
      widget_.View().SetAlphaTimer(true);
    } else {
      widget_.StatusText = " (...) ";
    }
    active = true;
  } else {
    widget_.Paused = true;
    widget_.StatusText = widget_.Launching ? "Strevo Launched!" : "";
    widget_.SpeedText.clear();
    if (forms_.taskbar) forms_.taskbar->SetProgressValue(0);
    active = false;
  }
  widget_.UpdateMeter(words, speed, time, active);
  if (SpeedGraph && widget_.GraphPending) SpeedGraph->Step();
  const WindowHandle foreground = Windows().ForegroundWindow();
  const std::string caption = foreground ? trim_trailing_blanks(Windows().WindowCaption(foreground)) : std::string();
  if (caption != LastForegroundCaption) {
    LastForegroundCaption = caption;
    CancelAnalyse(1);
  }
}

void TTrayMain::PlaceWidget() {
  DebugLog(0, "TTrayMain.InfoOnTopClick{");
  DebugLog(0, "Destroying and creating speedgraph #1");
  SpeedGraph = std::make_unique<TNervoGraph>();
  SpeedGraph->Start();
  SpeedGraph->ClearBackground = true;
  widget_.onClose = [this] { InfoCloseEvent(); };
  Rect area;
  if (WidgetTop < 0 && forms_.application && forms_.application->WorkArea(area)) {
    const Rect bounds = widget_.View().Bounds();
    widget_.View().SetPosition(area.right - (bounds.right - bounds.left), area.bottom - (bounds.bottom - bounds.top));
  }
  if (WidgetTop >= 0 && WidgetLeft >= 0) widget_.View().SetPosition(WidgetLeft, WidgetTop);
  widget_.Show();
  widget_.View().Repaint();
  if (forms_.threads && infoThread_ >= 0) forms_.threads->Resume(infoThread_);
}

void TTrayMain::InfoCloseEvent() {
  const Rect bounds = widget_.View().Bounds();
  WidgetTop = bounds.top;
  WidgetWidth = bounds.right - bounds.left;
  WidgetLeft = bounds.left;
  WidgetHeight = bounds.bottom - bounds.top;
  DebugLog(0, "TTrayMain.InfoCloseEvent() top: " + std::to_string(WidgetTop));
}

void TTrayMain::BeforePopupEvent() {
  ActivatePrevWindow(true);
  CurrentApp = nullptr;
  if (SpyedApps) {
    TAppSettings* app = SpyedApps->find(SpyedApps->CurrentPid);
    if (app && !app->Hidden) CurrentApp = app;
  }
}

void TTrayMain::PopupAtButton() {
  int x = 0, y = 0;
  widget_.View().SetupButtonOrigin(x, y);
  if (forms_.trayIcon) forms_.trayIcon->PopupMenu(x + 1, y + 1);
}

void TTrayMain::InfoOnTopClick() {
  if (!forms_.trayIcon) return;
  const bool checked = !forms_.trayIcon->ItemChecked(2);
  forms_.trayIcon->CheckItem(2, checked);
  if (forms_.taskbar) {
    if (checked) forms_.taskbar->Show();
    else forms_.taskbar->Hide();
  }
}

void TTrayMain::ActivatePrevWindow(bool remember) {
  DebugLog(0, "TTrayMain.ActivatePrevWindow{");
  if (remember) {
    PreviousWindow = forms_.application ? forms_.application->FindPreviousWindow() : 0;
  } else if (PreviousWindow) {
    Windows().ForceForeground(PreviousWindow);
  }
  DebugLog(0, "}TTrayMain.ActivatePrevWindow");
}

void TTrayMain::WordFinished(const std::string& word) { widget_.StatusText = word; }

// ----------------------------------------------------------- user session --

bool TTrayMain::OpenWorkstation() {
  std::string file;
  const std::string workstation = WorkstationName();
  if (workstation.empty()) {
    Dialogs().ShowMessage("This workstation does not have a name!", LangStr(1), mb::kIconExclamation);
    file = "noname.wk10";
  } else {
    file = ProgramSettings->DatabasePath + workstation + ".wk10";
  }
  return OpenWorkstationSettings(file);
}

void TTrayMain::setEnabledState(bool enabled) {
  Enabled = enabled;
  DebugLog(0, enabled ? "TTrayMain.setEnabledState to TRUE" : "TTrayMain.setEnabledState to FALSE");
  SetTrayState(enabled ? 1 : 3);
  if (forms_.trayIcon)
    for (int i = 0; i <= 3; ++i) forms_.trayIcon->EnableItem(i, enabled);
}

void TTrayMain::ApplyWordCollection() {
  if (!CurrentUser) return;
  if (PolicySettings && PolicySettings->GetBool("DoNotCollectWords")) CurrentUser->SetBool("DoNotCollectWords", true);
  Analyzer_SetSource(CurrentUser->GetBool("DoNotCollectWords") ? 100 : 1);
}

// A user that cannot be opened: say so and leave monitoring off.
void TTrayMain::UserOpenFailed(const std::string& name, const std::string& reason) {
  Dialogs().ShowMessage(LangStr(1286) + " " + name + LangStr(1285) + "\r\n" + reason, LangStr(1287), mb::kIconError);
  setEnabledState(false);
  DebugLog(-2, "} TTrayMain.EnableNow");
}

void TTrayMain::EnableNow(std::string name) {
  const bool noUserGiven = name.empty();
  bool changeRequested = false;
  if (name == kChangeUserRequest) {
    name.clear();
    changeRequested = true;
  }
  DebugLog(2, "TTrayMain.EnableNow {  - pUser:" + name);
  if (Enabled) {
    DebugLog(-2, "} TTrayMain.EnableNow - Enabled already true");
    return;
  }
  if (!OpenWorkstation()) {
    DebugLog(-2, "} TTrayMain.EnableNow");
    return;
  }
  LoadPolicy(ProgramSettings->RootPath + "policy.dyn");
  if (PolicySettings && PolicySettings->GetBool("Corvane.Hide")) {
    Dialogs().ShowMessage("Wayfen has been removed.", "Wayfen", mb::kIconInformation);
    RemoveAutoStart();
    Application().Terminate();
    DebugLog(-2, "} TTrayMain.EnableNow");
    return;
  }
  widget_.Launching = false;
  LogonMode = 0;
  const std::string account = WindowsUserName();
  TDynamicSettings& station = *WorkstationSettings;
  // The first run after installation is the first enabling of this process:
  // later enablings (after the tutor, a change of user) are ordinary ones.
  const bool install = only_argument_is("/INST") && !installDone_;
  installDone_ = true;
  if (install) {
    station.SetBool(AccountKey("WayfenInit"), true);
    station.SetString(AccountKey("SelectedUser"), account);
    station.SetBool(AccountKey("UseSelectedUser"), true);
    station.SetBool(AccountKey("LaunchAtStartup"), true);
    MakeAutoStartable(own_executable_path());
    name = account;
    station.Save();
    widget_.Launching = true;
  }
  bool openUser = true;
  if (!name.empty() && install) {
    try {
      CurrentUser = OpenUser(name, false, -1, 2);
      if (!CurrentUser) CurrentUser = CreateUser(name);
      name = CurrentUser->Name();
      CurrentUser->Save();
      openUser = false;
    } catch (const std::exception& error) {
      CurrentUser.reset();
      UserOpenFailed(name, error.what());
      return;
    }
    station.SetString(AccountKey("LastUser"), name);
    station.SetBool(AccountKey("LaunchAtStartup"), true);
    MakeAutoStartable(own_executable_path());
    station.SetString(AccountKey("SelectedUser"), name);
    station.SetBool(AccountKey("UseSelectedUser"), true);
  }
  if (name.empty()) {
    if (station.GetBool(AccountKey("UseSelectedUser"))) {
      name = station.GetString(AccountKey("SelectedUser"));
      station.SetString(AccountKey("LastUser"), name);
    }
    if (changeRequested) {
      name.clear();
      LogonMode = 1;
    }
    if (first_argument_is("/AUTOLOGON") && !changeRequested) name = station.GetString(AccountKey("LastUser"));
    if (name.empty()) {
      DebugLog(0, "Showing LogonFrm");
      setEnabledState(false);
      if (forms_.trayIcon) forms_.trayIcon->EnableItem(4, false);
      logon_.ListPrompt = LangStr(1281);
      logon_.GoCaption = LangStr(1173);
      logon_.CancelCaption = LangStr(722);
      logon_.DontShowAgainVisible = false;
      logon_.DontShowAgainChecked = false;
      if (noUserGiven) {
        logon_.ListPrompt = LangStr(1678);
        logon_.GoCaption = LangStr(1675);
        logon_.CancelCaption = LangStr(1677);
        logon_.DontShowAgainVisible = true;
      }
      logon_.NewUserPrompt = LangStr(1282);
      logon_.NoConfirmNewUser = false;
      logon_.ProposedName = station.GetString(AccountKey("LastUser"));
      if (logon_.ProposedName.empty()) {
        logon_.ProposedName = account;
        logon_.NoConfirmNewUser = true;
      }
      const int result = logon_.ShowModal();
      if (forms_.trayIcon) forms_.trayIcon->EnableItem(4, true);
      if (result == modal::kCancel && LogonMode == 0) {
        if (logon_.DontShowAgainChecked && WorkstationSettings) {
          WorkstationSettings->SetBool(AccountKey("LaunchAtStartup"), false);
          MakeAutoStartable(own_executable_path());
        }
        Application().Terminate();
      } else if (result == modal::kCancel) {
        name.clear();
        if (WorkstationSettings) WorkstationSettings->Save();
        WorkstationSettings.reset();
      } else if (CurrentUser && WorkstationSettings) {
        name = CurrentUser->Name();
        CurrentUser->Save();
        openUser = false;
        WorkstationSettings->SetString(AccountKey("LastUser"), name);
        if (logon_.DontShowAgainChecked) {
          WorkstationSettings->SetString(AccountKey("SelectedUser"), name);
          WorkstationSettings->SetBool(AccountKey("UseSelectedUser"), true);
        }
      }
    }
  }
  if (!name.empty()) {
    try {
      LoadStatistics(name, openUser);
    } catch (const std::exception& error) {
      UserOpenFailed(name, error.what());
      return;
    }
    ApplyWordCollection();
    widget_.View().SetAlphaTimer(true);
    StartHook();
    setEnabledState(true);
    if (Bigrams) Bigrams->SetEnabled(true);
  }
  DebugLog(-2, Application().Terminated() ? "} TTrayMain.EnableNow - APP WAS TERMINATED BY CANCELLING LOGON"
                                          : "} TTrayMain.EnableNow");
}

void TTrayMain::ReleaseSession() {
  if (WorkstationSettings) WorkstationSettings->Save();
  WorkstationSettings.reset();
  PolicySettings.reset();
}

std::string TTrayMain::DisableNow(const std::string& previous) {
  DebugLog(0, "TTrayMain.DisableNow()");
  std::string result = previous;
  if (logon_.Showing()) {
    LogonMode = 1;
    logon_.EndModal(modal::kCancel);
    DebugLog(0, "TTrayMain.DisableNow: closing modal logon win");
  }
  if (settings_.Showing()) {
    settings_.EndModal(modal::kCancel);
    DebugLog(0, "TTrayMain.DisableNow: closing modal settings win");
  }
  if (Enabled) {
    if (!ProgramSettings || !Files().DirectoryExists(ProgramSettings->DatabasePath)) {
      Dialogs().ShowMessage(LangStr(1379), LangStr(1), mb::kIconExclamation);
      ShutDown();
      Application().Terminate();
      return result;
    }
    if (CurrentUser) result = CurrentUser->Name();
    SaveStatistics();
    if (forms_.taskbar) forms_.taskbar->Hide();
    ReleaseSession();
    DebugLog(0, "TTrayMain.DisableNow: workstationSettings saved");
    if (Bigrams) Bigrams->SetEnabled(false);
    setEnabledState(false);
    ShutDown();
  }
  return result;
}

void TTrayMain::EnableClick() {
  DebugLog(0, "TTrayMain.EnableClick (  - prevuser: " + PreviousUser);
  if (Enabled) {
    widget_.View().SetOnOffEnabled(false);
    PreviousUser = DisableNow(PreviousUser);
    DebugLog(0, " Disabling, prevuser: " + PreviousUser);
  } else {
    widget_.View().SetOnOffEnabled(true);
    DebugLog(0, " Enabling");
    if (TutorRunning()) {
      if (forms_.trayIcon)
        forms_.trayIcon->ShowBalloon(
            "Strevo was launched but is not active yet. Strevo is activated when you exit Quorvel course.",
            LangStr(1775), 3000);
      RefreshMeter();
    } else {
      EnableNow(PreviousUser);
    }
  }
  DebugLog(0, ") TTrayMain.EnableClick");
}

void TTrayMain::ChooseAppsClick() {
  if (!Enabled || !CurrentUser) return;
  DebugLog(2, "TTrayMain.ChooseAppsClick{");
  if (settings_.Showing()) {
    settings_.Focus();
    DebugLog(-2, "} TTrayMain.ChooseAppsClick");
    return;
  }
  SetTrayState(3);
  const std::string old = WorkstationSettings ? WorkstationSettings->GetString(AccountKey("SelectedUser")) : "";
  setEnabledState(false);
  ShutDown();
  TUser& user = *CurrentUser;
  settings_.VersionLbl = LangStr(1274) + " " + kProgramVersion;
  settings_.DateStarted =
      std::to_string(user.GetInteger("WayfenDays.counter")) + LangStr(1273) + " " + user.GetString("DateStarted");
  settings_.TotalHits = std::to_string(totalHits);
  settings_.StatpanelHint = "Mouse Clicks: " + std::to_string(MouseClicks);
  settings_.AnalyzedHits = std::to_string(monitoredHits);
  settings_.BigramCountLbl = std::to_string(Bigrams ? Bigrams->Dictionary.GetCount() : 0);
  settings_.UsrNameLbl2 = user.Name();
  if (PolicySettings && PolicySettings->GetBool("DoNotCollectWords")) {
    user.SetBool("DoNotCollectWords", true);
    settings_.DoNotCollectWordsEnabled = false;
  } else {
    settings_.DoNotCollectWordsEnabled = true;
  }
  settings_.SetUserSettings(&user);
  const int result = settings_.ShowModal();
  if (result == modal::kCancel) {
    DebugLog(0, "going down");
    setEnabledState(true);
    DisableNow("");
    DebugLog(-2, "} TTrayMain.ChooseAppsClick");
    return;
  }
  if (!CurrentUser) {  // the user was released meanwhile
    DebugLog(-2, "} TTrayMain.ChooseAppsClick");
    return;
  }
  NotifyWhenDifficulties = user.GetBool("NotifyWhenDifficulties");
  PagesSetting = user.GetInteger("PagesTrackBar.position");
  BreakSetting = user.GetBool("NotifyWhenBreak") ? user.GetInteger("BreakTrackBar.position") : 0;
  MakeAutoStartable(own_executable_path());
  SetTrayState(1);
  widget_.ShowStatusText = !user.GetBool("DoNotCollectWords") && !user.GetBool("DoNotScroll");
  if (user.GetBool("ResetWidgetToScreen")) {
    PlaceWidget();
    WidgetTop = -1;
    user.SetBool("ResetWidgetToScreen", false);
  }
  widget_.Show();
  widget_.ForceRepaint(10);
  if (result == modal::kChangeUser) {
    setEnabledState(true);
    DisableNow("");
    EnableNow(kChangeUserRequest);
    DebugLog(-2, "} TTrayMain.ChooseAppsClick");
    return;
  }
  const std::string selected = WorkstationSettings ? WorkstationSettings->GetString(AccountKey("SelectedUser")) : "";
  if (WorkstationSettings && WorkstationSettings->GetBool(AccountKey("UseSelectedUser")) && selected != old) {
    setEnabledState(true);
    DisableNow("");
    EnableNow(selected);
    if (forms_.trayIcon) forms_.trayIcon->ShowBalloon(LangStr(470) + selected + "\"", "Strevo", 3000);
    DebugLog(-2, "} TTrayMain.ChooseAppsClick");
    return;
  }
  ApplyWordCollection();
  setEnabledState(true);
  StartHook();
  ActivatePrevWindow(false);
  DebugLog(-2, "} TTrayMain.ChooseAppsClick");
}

// ------------------------------------------------------- daily statistics --

void TTrayMain::LoadStatistics(const std::string& name, bool open) {
  DebugLog(2, "TrayMain.LoadStatistics{");
  if (open) {
    CurrentUser = OpenUser(name, false, -1, 2);
    if (!CurrentUser) throw EStrevoError("Userfile not opened!");
  }
  if (!CurrentUser) throw EStrevoError("Userfile not opened!");
  if (Bigrams) {
    Bigrams->Folder = ProgramSettings->DatabasePath;
    Bigrams->SetUser(name);
  }
  DailyLoad();
  TUser& user = *CurrentUser;
  totalHits = user.GetInt64("totalHits");
  monitoredHits = user.GetInt64("monitoredHits");
  ArrowHits = user.GetInt64("ArrowHits");
  BackSpaces = user.GetInt64("BackSpaces");
  MouseClicks = user.GetInt64("MouseClicks");
  WidgetTop = user.GetInteger("InfoWinTop");
  WidgetLeft = user.GetInteger("InfoWinLeft");
  WidgetWidth = user.GetInteger("InfoWinWidth");
  WidgetHeight = user.GetInteger("InfoWinHeight");
  WidgetVisible = user.GetInteger("InfoWinVisible");
  widget_.ShowStatusText = !user.GetBool("DoNotCollectWords") && !user.GetBool("DoNotScroll");
  NotifyWhenDifficulties = user.GetBool("NotifyWhenDifficulties");
  PagesSetting = user.GetInteger("PagesTrackBar.position");
  BreakSetting = user.GetBool("NotifyWhenBreak") ? user.GetInteger("BreakTrackBar.position") : 0;
  widget_.Show();
  if (forms_.trayIcon) forms_.trayIcon->CheckItem(2, false);
  PlaceWidget();
  widget_.View().Repaint();
  DebugLog(-2, "}TrayMain.LoadStatistics");
}

void TTrayMain::SaveStatistics() {
  DebugLog(2, "TrayMain.SaveStatistics{");
  if (!ProgramSettings || !Files().DirectoryExists(ProgramSettings->DatabasePath))
    DebugLog(0, "DataPath Directory Unavailable");
  if (SpyedApps && CurrentUser) SpyedApps->saveApps(UserFilePath(CurrentUser->BaseName, ".SET"));
  if (Bigrams) {
    // A failed bigram save must not cost the profile and the statistics.
    try {
      Bigrams->Save();
    } catch (const std::exception& error) {
      DebugLog(0, std::string("Bigram save failed: ") + error.what());
    }
  }
  const Rect bounds = widget_.View().Bounds();
  WidgetTop = bounds.top;
  WidgetLeft = bounds.left;
  WidgetWidth = bounds.right - bounds.left;
  WidgetHeight = bounds.bottom - bounds.top;
  WidgetVisible = widget_.Visible() ? 1 : 0;
  if (CurrentUser) {
    DailySave(2);
    TUser& user = *CurrentUser;
    user.SetInt64("totalHits", totalHits);
    user.SetInt64("monitoredHits", monitoredHits);
    user.SetInt64("ArrowHits", ArrowHits);
    user.SetInt64("BackSpaces", BackSpaces);
    user.SetInt64("MouseClicks", MouseClicks);
    user.SetInteger("InfoWinTop", WidgetTop);
    user.SetInteger("InfoWinLeft", WidgetLeft);
    user.SetInteger("InfoWinWidth", WidgetWidth);
    user.SetInteger("InfoWinHeight", WidgetHeight);
    user.SetInteger("InfoWinVisible", WidgetVisible);
    user.SaveStatistics();
    CurrentUser.reset();
  }
  DebugLog(0, "Info visible:" + std::to_string(WidgetVisible));
  DebugLog(-2, "} TrayMain.SaveStatistics");
}

void TTrayMain::DailyLoad() {
  DebugLog(0, "TrayMain.DailyLoad()");
  TUser& user = *CurrentUser;
  const double lastDate = user.GetFloat("Lastdate");
  const double today = Today();
  CurrentWeekday = day_of_week(today);
  if (today == lastDate) {
    const int d = CurrentWeekday;
    EfficiencyInfo().Characters = user.GetInteger(day_key("TotalHits.day", d));
    EfficiencyInfo().Words = user.GetInteger(day_key("TypedWords.day", d));
    TypingTime().SetSeconds(user.GetInteger(day_key("TypingSeconds.day", d)));
    DebugLog(0, "TrayMain.DailyLoad: Today case");
    return;
  }
  double gap = today - date_part(lastDate);
  if (gap >= 7) gap = 8;
  if (gap >= 2) {
    DebugLog(0, "TrayMain.DailyLoad: less than week case");
    int k = CurrentWeekday;
    for (int i = 0; i < static_cast<int>(gap) - 1; ++i) {
      k = k == 1 ? 7 : k - 1;
      ClearDaily(k);
    }
  } else {
    DebugLog(0, "TrayMain.DailyLoad: yesterday case");
  }
}

void TTrayMain::ClearDaily(int k) {
  TUser& user = *CurrentUser;
  user.SetInteger(day_key("TotalHits.day", k), 0);
  user.SetInteger(day_key("TypedWords.day", k), 0);
  user.SetInteger(day_key("TypingSeconds.day", k), 0);
  user.SetInteger(day_key("ProblemIndex.day", k), 0);
  DebugLog(0, "TrayMain.ClearDaily: Day deleted" + std::to_string(k));
}

void TTrayMain::DailySave(int mode) {
  if (!CurrentUser) return;
  const double now = Now();
  const double today = date_part(now);
  const int weekday = day_of_week(today);
  if (weekday == CurrentWeekday && mode != 2) return;
  TUser& user = *CurrentUser;
  TEfficiencyInfo& info = EfficiencyInfo();
  const int d = CurrentWeekday;
  const int32_t seconds = TypingTime().Seconds();
  const int32_t p = ProblemIndex();
  user.SetInteger(day_key("TotalHits.day", d), info.Characters);
  user.SetInteger(day_key("TypedWords.day", d), info.Words);
  user.SetInteger(day_key("TypingSeconds.day", d), seconds);
  user.SetInteger(day_key("ProblemIndex.day", d), p);
  // Records: an equal value keeps the date of the earlier one.
  const int32_t speed = info.CharsPerMinute();
  if (speed > user.GetInteger("Speed.TopTen")) {
    user.SetInteger("Speed.TopTen", speed);
    user.SetFloat("Speed.TopTen.Date", now);
  }
  if (seconds > user.GetInteger("TypingSeconds.TopTen")) {
    user.SetInteger("TypingSeconds.TopTen", seconds);
    user.SetFloat("TypingSeconds.TopTen.Date", now);
  }
  if (info.Words > user.GetInteger("TypedWords.TopTen")) {
    user.SetInteger("TypedWords.TopTen", info.Words);
    user.SetFloat("TypedWords.TopTen.Date", now);
  }
  if (p > user.GetInteger("ProblemIndex.TopTen")) {
    user.SetInteger("ProblemIndex.TopTen", p);
    user.SetFloat("ProblemIndex.TopTen.Date", now);
  }
  SaveWeekSamples();
  if (weekday != CurrentWeekday) {
    CurrentWeekday = weekday;
    user.SetInteger(day_key("ProblemIndex.day", CurrentWeekday), ProblemIndex());
  }
  info.Characters = 0;
  info.Words = 0;
  TypingTime().SetSeconds(0);
  if (today != date_part(user.GetFloat("Lastdate")))
    user.SetInteger("WayfenDays.counter", user.GetInteger("WayfenDays.counter") + 1);
  user.SetInteger("CurrentDay", CurrentWeekday);
  user.SetFloat("Lastdate", today);
}

void TTrayMain::SaveWeekSamples() {
  TUser& user = *CurrentUser;
  const int d = CurrentWeekday;
  const int32_t seconds = user.GetInteger(day_key("TypingSeconds.day", d));
  const int32_t hits = user.GetInteger(day_key("TotalHits.day", d));
  const double now = Now();
  const int w = WeekNumber(now);
  int year, month, day;
  decode_date(now, year, month, day);
  user.SetInteger(day_key("SaTi", w), seconds);
  user.SetInteger(day_key("SaSp", w), hits);
  user.SetInteger(day_key("SaWTi", day), seconds);
  user.SetInteger(day_key("SaWSp", day), hits);
}

// ------------------------------------------------------------ key decoding --

void TTrayMain::CMKeyInfo(uintptr_t& keyInfo, intptr_t lParam, uint32_t messageTime) {
  const bool log = DebugLogOn();
  if (log) DebugLog(0, "TTrayMain.CMKeyInfo()");
  const bool alt = keyInfo & kKeyInfoAlt;
  const bool shift = keyInfo & kKeyInfoShift;
  const bool ctrl = keyInfo & kKeyInfoCtrl;
  keyInfo &= ~static_cast<uintptr_t>(kKeyInfoAlt | kKeyInfoShift | kKeyInfoCtrl);
  const uint32_t virtualKey = static_cast<uint32_t>(keyInfo);
  if (log) DebugLog(0, "TTrayMain.CMKeyInfo :" + std::to_string(virtualKey));
  if (ctrl != alt) {
    NonCharKey(virtualKey, messageTime, lParam, ctrl, shift);
    return;
  }
  uint32_t c = Keyboard().MapVirtualKeyToChar(virtualKey);
  if (DeadKeyPending) {
    c = 0;
    DeadKeyPending = 0;
    if (log) DebugLog(0, "TTrayMain.CMKeyInfo : deadkey=0");
  } else if (!(c & 0x80000000u)) {
    if (log) DebugLog(0, "TTrayMain.CMKeyInfo : GetCharFromVK=" + std::to_string(virtualKey));
    c = GetCharFromVK(virtualKey, shift, ctrl, alt);
  } else {
    DeadKeyPending = 1;
  }
  if (log) DebugLog(0, "TTrayMain.CMKeyInfo : asciival=" + std::to_string(c));
  ++EfficiencyInfo().KeyMessages;
  if (c == 0 || c == 9 || c == 27 || c == 43 || (c >= 48 && c <= 57)) {
    NonCharKey(virtualKey, messageTime, lParam, ctrl, shift);
    return;
  }
  unsigned char ch = static_cast<unsigned char>(c & 0xFF);
  ch = shift ? ansi_upper_char(ch) : ansi_lower_char(ch);
  if (!DeadKeyPending) CharKey(ch, lParam, messageTime);
}

unsigned char TTrayMain::GetCharFromVK(uint32_t virtualKey, bool shift, bool ctrl, bool alt) {
  uint8_t state[256] = {};
  if (shift) state[vk::kShift] = 128;
  if (ctrl) state[vk::kControl] = 128;
  if (alt) state[vk::kMenu] = 128;
  char16_t out[2] = {};
  const int n = Keyboard().TranslateKey(virtualKey, state, out);
  return n == 1 ? static_cast<unsigned char>(out[0] & 0xFF) : 0;
}

void TTrayMain::CharKey(unsigned char ch, intptr_t, uint32_t messageTime) {
  ++totalHits;
  if (PreviousKeyTime == 0 && ch == ' ' && ch == LastCharacter) {
    CancelAnalyse(1);
    return;
  }
  if (settings_.Showing()) {
    DebugLog(-2, "} The ChooseApps dialog was visible, cancelling..!");
    CancelAnalyse(1);
    return;
  }
  SetTrayState(2);
  const int32_t delay = PreviousKeyTime != 0 ? static_cast<int32_t>(messageTime - PreviousKeyTime) : 0;
  const bool bigrams = Bigrams && Bigrams->Enabled;
  if (ch == 8) {
    ++BackSpaces;
    if (bigrams) Bigrams->Backspace();
  }
  if (EfficiencyInfo().Words != SavedWordCount && SpeedGraph) {
    SpeedGraph->Start();
    SpeedGraph->RecordKey();
    widget_.GraphPending = true;
  }
  AnalyseChar(ch, delay);
  if (bigrams) Bigrams->CharPressed(ch, static_cast<int32_t>(messageTime));
  PreviousKeyTime = messageTime;
}

void TTrayMain::AnalyseChar(unsigned char ch, int32_t delay) {
  ++monitoredHits;
  if (ch != LastCharacter) {
    LastCharacter = ch;
    RepeatCount = 0;
  } else if (++RepeatCount > 2) {
    CancelAnalyse(1);
  }
  if (CharsSinceWordEnd >= 9) {
    CancelAnalyse(3);
    CharsSinceWordEnd = 0;
  } else {
    ++CharsSinceWordEnd;
  }
  if (Analyzer_CharPressed(ch, delay)) {
    const bool bigrams = Bigrams && Bigrams->Enabled;
    if (EfficiencyInfo().Words != SavedWordCount) {
      Analyzer_EndWord();
      PreviousKeyTime = 0;
      CharsSinceWordEnd = 0;
      if (bigrams) Bigrams->WordEnd();
    } else {
      SavedWordCount = -1;
      Analyzer_Cancel();
      if (bigrams) Bigrams->Cancel();
    }
  }
}

void TTrayMain::NonCharKey(uint32_t virtualKey, uint32_t, intptr_t, bool, bool) {
  ++totalHits;
  if (virtualKey >= vk::kLeft && virtualKey <= vk::kDown) ++ArrowHits;
  CancelAnalyse(1);
}

void TTrayMain::CancelAnalyse(int reason) {
  if (reason == 2) {
    widget_.View().SetAlphaOffTimer(true);
    if (forms_.taskbar) forms_.taskbar->SetProgressValue(0);
  }
  if (Enabled) SetTrayState(1);
  if (reason > 0 && !Application().Terminated()) NotifyCheck(reason);
  if (DebugLogOn()) DebugLog(0, "Cancel analyse now " + std::to_string(reason));
  if (reason != 3 && Bigrams && Bigrams->Enabled) Bigrams->Cancel();
  Analyzer_Cancel();
  PreviousKeyTime = 0;
  SavedWordCount = EfficiencyInfo().Words;
  Analyzer_Pause();
  widget_.GraphPending = false;
}

void TTrayMain::CMMouseClicked(uintptr_t& wParam, intptr_t lParam) {
  DebugLog(2, "TTrayMain.CMMouseClicked(  pid" + std::to_string(lParam));
  if (wParam != winmsg::kLeftButtonDown && wParam != winmsg::kRightButtonDown) {
    DebugLog(-2, ") TTrayMain.CMMouseClicked");
    return;
  }
  MouseClicked();
  DebugLog(0, "checking pid" + std::to_string(lParam));
  if (SpyedApps) {
    TAppSettings* app = SpyedApps->find(static_cast<uint32_t>(lParam));
    if (app && !app->Hidden) {
      SpyedApps->CurrentPid = static_cast<uint32_t>(lParam);
      DebugLog(0, "TTrayMain.CMMouseClicked() App non hiddenpid" + std::to_string(lParam));
    }
  }
  DebugLog(-2, ") TTrayMain.CMMouseClicked");
}

void TTrayMain::MouseClicked() {
  DebugLog(0, "TrayMain.MouseClicked()");
  ++MouseClicks;
  CancelAnalyse(1);
}

void TTrayMain::NotifyCheck(int) {
  DebugLog(0, "TTrayMain.NotifyCheck()");
  if (!CurrentUser || !Enabled) return;
  DailySave(1);
}

// ------------------------------------------------------------ tutor launch --

int TTrayMain::QV2001Launch(int mode) {
  DebugLog(2, "TTrayMain.QV2001Launch(");
  int result = 0;
  if (TutorRunning()) {
    DebugLog(0, "WARNING: QV2001 running already");
  } else {
    std::string command = Files().FileExists(ProgramFolder + "\\Pellinor.exe") ? "Pellinor.exe" : "Quorvel.exe";
    command += mode == 1 ? " /WAYFEN" : " /STATISTICS";
    if (CurrentUser) {
      if (WorkstationSettings) WorkstationSettings->SetString("DraxelLogon", CurrentUser->Name());
      PreviousUser = DisableNow(PreviousUser);
      DebugLog(0, "prevUser = " + PreviousUser);
    }
    if (!Processes().Start(command, ProgramFolder)) {
      Dialogs().ShowMessage("Application main module not found: " + command, LangStr(1287), mb::kOk);
      result = -1;
    } else {
      DebugLog(0, "Running QV2001");
    }
  }
  PreviousUser = DisableNow(PreviousUser);
  DebugLog(-2, "} TTrayMain.QV2001Launch");
  return result;
}

void TTrayMain::ReviewClick() {
  DebugLog(0, "TTrayMain.ReviewClick(");
  if (Enabled) QV2001Launch(1);
  DebugLog(0, ") TTrayMain.ReviewClick");
}

void TTrayMain::StatisticsClick() {
  if (Enabled) QV2001Launch(2);
}

void TTrayMain::TrayClick() {
  if (!forms_.trayIcon) return;
  if (TutorRunning()) {
    forms_.trayIcon->ShowBalloon(LangStr(1780), LangStr(1781), 3000);
    return;
  }
  int x = 0, y = 0;
  if (forms_.application && forms_.application->CursorPos(x, y)) forms_.trayIcon->PopupMenu(x, y);
}

}  // namespace strevo
