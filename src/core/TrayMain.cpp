#include "core/TrayMain.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <exception>

#include "analysis/Analyzer.h"
#include "analysis/BigramAnalyzer.h"
#include "analysis/UserAnalysis.h"
#include "core/Draxel.h"
#include "core/TutorLaunch.h"
#include "input/KeyInfo.h"
#include "input/MessageNames.h"
#include "input/SpyApps.h"
#include "platform/Ansi.h"
#include "platform/Application.h"
#include "platform/SystemCodes.h"
#include "storage/DateTime.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/Numbers.h"
#include "storage/PrgSetup.h"
#include "storage/ScopeGuard.h"
#include "storage/ToolBox.h"
#include "storage/User.h"
#include "ui/ChooseAppsFrm.h"
#include "ui/InfoOnTopWindow.h"
#include "ui/Nervgrph.h"
#include "ui/ULoginForm.h"

namespace strevo {

TTrayMain* TrayMain = nullptr;

namespace {

std::string trim_trailing_blanks(std::string text) {
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

}  // namespace

TTrayMain::TTrayMain(Forms forms, TAnalyzer& analyzer, TInfoOnTop& widget, TLogForm& logon,
                     TChooseApplications& settings, TNotifyForm& notify)
    : forms_(forms),
      widget_(widget),
      logon_(logon),
      settings_(settings),
      analyzer_(analyzer),
      run_(analyzer),
      choice_(logon),
      notifications_(*this, notify, forms.trayIcon),
      daily_(analyzer, counters_) {
  TrayMain = this;
  run_.onCancel = [this](CancelReason reason) { CancelAnalyse(reason); };
}

TTrayMain::~TTrayMain() {
  StopWatching();
  analyzer_.SetWordObserver(nullptr);
  run_.SetUser(nullptr);
  logon_.Blocks = nullptr;
  // A user still open when the program ends without disabling keeps its
  // settings; the analysis it loaded into goes with the session.
  if (CurrentUser && analysis_) CurrentUser->ReleaseBlocks();
  if (forms_.taskbar) forms_.taskbar->SetGraph(nullptr);
  // The application window may outlive the tray core (the entry point's
  // forms): its reports must not reach it any more.
  if (forms_.application) {
    forms_.application->onDeactivate = nullptr;
    forms_.application->onWake = nullptr;
  }
  if (TrayMain == this) TrayMain = nullptr;
}

void TTrayMain::EnableMenuItem(MenuEntry entry, bool enabled) {
  if (forms_.trayIcon) forms_.trayIcon->EnableItem(static_cast<int>(entry), enabled);
}

// ------------------------------------------------------------- start, end --

bool HandOverToRunningCopy(KernelHandle& mutex, const std::function<void()>& renameOwnWindow) {
  bool existed = false;
  mutex = Mutexes().CreateNamedMutex(kInstanceMutex, true, existed);
  if (!existed) return false;
  const WindowHandle running = Windows().FindWindowByCaption(kApplicationTitle);
  if (running) {
    renameOwnWindow();
    const uint32_t enable = Windows().RegisterMessage(msgname::kEnable);
    Windows().AllowMessage(enable);
    Windows().Post(running, enable, kEnableFromSecondCopy, 0);
  }
  return true;
}

void TTrayMain::Run() {
  if (HandOverToRunningCopy(mutexHandle_, [] { Application().SetTitle(kClosingTitle); })) {
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
  Entry([this] { Initialize(); });
  while (!Application().Terminated() && forms_.loop) {
    if (!forms_.loop->HandleOne([this](const PostedMessage& m, bool& handled) { AppMessage(m, handled); })) break;
  }
  if (initialized_) Finalize();
}

void TTrayMain::Initialize() {
  std::string checkpoint;
  if (System().GetEnvironment("STREVO_CHECKPOINT_MS", checkpoint))
    if (const int ms = std::atoi(checkpoint.c_str()); ms > 0) checkpointMs_ = static_cast<uint32_t>(ms);
  TraceBlock trace("Initialize{", "} Initialize");
  if (initialized_) {
    Dialogs().ShowMessage("Init called twice #2222", LangStr(1287), mb::kOk);
    return;
  }
  notifications_.Start();
  previousUser_.clear();
  initialized_ = true;
  analyzer_.SelectKeySet(1);

  ProgramSettings = TProgramSettings::Create("");
  if (!Files().DirectoryExists(ProgramSettings->RootPath)) {
    Application().Terminate();
    return;
  }

  run_.LetterPairs().Resume();
  run_.LetterPairs().SetEnabled(true);

  ids_.Register();
  if (forms_.application) forms_.application->MakeTopmost();

  programFolder_ = ExtractFilePath(System().ExecutablePath());
  if (programFolder_.size() > 1 && programFolder_.back() == '\\') programFolder_.pop_back();
  Files().ChangeDirectory(programFolder_);

  StartThreads();
  counters_ = {};
  geometry_ = {};

  BuildMenu();
  widget_.onOnOff = [this] { Entry([this] { EnableClick(); }); };
  widget_.onSetup = [this] { Entry([this] { PopupAtButton(); }); };
  widget_.onPractice = [this] { Entry([this] { ReviewClick(); }); };
  if (forms_.taskbar) forms_.taskbar->onThumbButton = [this](int id) { Entry([this, id] { tbThumbButtonClick(id); }); };

  analyzer_.Deviation.Reset();
  analyzer_.Deviation.StrictMode = true;

  CreateTrayIcon();
  analyzer_.SetWordObserver(this);
  if (forms_.application) {
    forms_.application->onDeactivate = [this] { AppDeactivate(); };
    forms_.application->onWake = [this](const std::string& what) { Entry([this, what] { ReinstallHooks(what); }); };
  }
  DebugLog(0, " tray icon3");

  if (TutorRunning()) {
    StayOffForTutor();
  } else {
    DebugLog(0, LangStr(1777));
    EnableNow("");
  }
}

void TTrayMain::StartThreads() {
  if (!forms_.threads) return;
  threadsTerminating_ = false;
  infoThread_ = forms_.threads->Start(timing::kRefreshPeriodMs, [this] { return InfoThreadStep(); }, true);
  iconThreadTrace_.emplace([] { return "TCloseTrayIcon.Execute {" + std::to_string(Clock().TickCount()); },
                           "} TCloseTrayIcon.Execute");
  hookWatchedAt_ = Clock().TickCount();
  iconThread_ = forms_.threads->Start(timing::kIconCheckPeriodMs, [this] { return IconRevertCheck(); }, false);
  // What gives the resting refresh thread work wakes it.
  widget_.onChanged = [this] { forms_.threads->Wake(infoThread_); };
  foregroundWatched_ = Windows().WatchForeground([this] { forms_.threads->Wake(infoThread_); });
}

void TTrayMain::CreateTrayIcon() {
  SetTrayState(TrayState::Idle);
  DebugLog(0, " 256 color check");
  if (!forms_.trayIcon) return;
  ITrayIcon& icon = *forms_.trayIcon;
  icon.SetIcon(static_cast<int>(TrayState::Idle));
  icon.SetActive(true);
  DebugLog(0, " tray icon1");
  icon.SetToolTip(LangStr(1287));
  icon.beforePopup = [this] { BeforePopupEvent(); };
  icon.onClick = [this] { Entry([this] { TrayClick(); }); };
  DebugLog(0, " tray icon2");
}

// The tutor runs at start: monitoring stays off and the widget says that
// the program is there.
void TTrayMain::StayOffForTutor() {
  DebugLog(0, LangStr(1776));
  setEnabledState(false);
  SetTrayState(TrayState::Off);
  previousUser_.clear();
  widget_.Launching = true;
  RefreshMeter();
  widget_.Show();
  PlaceWidget();
  widget_.View().Repaint();
  widget_.View().SetAlphaTimer(true);
}

void TTrayMain::BuildMenu() {
  if (!forms_.trayIcon) return;
  std::vector<MenuItem> items(5);
  const auto entry = [this](void (TTrayMain::*operation)()) {
    return [this, operation] { Entry([this, operation] { (this->*operation)(); }); };
  };
  items[static_cast<int>(MenuEntry::Review)] = {LangStr(1265), "STATISTICS", true, false, entry(&TTrayMain::ReviewClick)};
  items[static_cast<int>(MenuEntry::Settings)] = {LangStr(1267), "SETTINGS", true, false,
                                                  entry(&TTrayMain::ChooseAppsClick)};
  items[static_cast<int>(MenuEntry::Taskbar)] = {LangStr(1266), "", true, false, entry(&TTrayMain::InfoOnTopClick)};
  items[static_cast<int>(MenuEntry::Separator)] = {"-", "", true, false, nullptr};
  items[static_cast<int>(MenuEntry::Close)] = {LangStr(1268), "", true, false, entry(&TTrayMain::ExitClick)};
  forms_.trayIcon->SetMenu(items);
}

void TTrayMain::Finalize() {
  if (!initialized_) return;
  initialized_ = false;
  if (enabled_) {
    DisableNow("");
    setEnabledState(false);
  }
  Mutexes().CloseMutex(mutexHandle_);
  mutexHandle_ = 0;
  threadsTerminating_ = true;
  StopWatching();
  if (forms_.threads) {
    if (infoThread_ >= 0) forms_.threads->Terminate(infoThread_);
    if (iconThread_ >= 0) forms_.threads->Terminate(iconThread_);
    iconThreadTrace_.reset();
    infoThread_ = iconThread_ = -1;
  }
  if (forms_.trayIcon) forms_.trayIcon->SetActive(false);
}

void TTrayMain::Entry(const std::function<void()>& operation) {
  {
    const BusyScope busy(busy_);
    operation();
  }
  // A DISABLE or an ENABLE that arrived while a modal window was up is
  // carried out now that every window has closed, once, in their order.
  while (busy_ == 0 && (pendingDisable_ || pendingEnable_) && !Application().Terminated()) {
    const BusyScope busy(busy_);
    if (pendingDisable_) {
      pendingDisable_ = false;
      previousUser_ = DisableNow(previousUser_);
      widget_.ForceRepaint(100);
      continue;
    }
    pendingEnable_ = false;
    ReceiveEnable();
  }
  // The next refresh shows what the operation changed.
  widget_.Changed();
}

void TTrayMain::ReceiveEnable() {
  EnableNow(previousUser_);
  if (forms_.application) ForceForeground(forms_.application->Handle());
  widget_.ForceRepaint(100);
}

void TTrayMain::TakeOverSettingsPause() {
  if (!settings_.Showing() || !CurrentUser || enabled_) return;
  settings_.EndModal(ModalResult::Cancel);
  settingsPauseTaken_ = true;
  setEnabledState(true);
}

void TTrayMain::EndSession() {
  Entry([this] {
    TakeOverSettingsPause();
    if (initialized_) Finalize();
  });
  // The process ends as soon as this returns: what is held is saved now.
  ReleaseProgramObjects();
}

void TTrayMain::ExitClick() {
  EnableMenuItem(MenuEntry::Close, false);
  // A settings dialog left open is cancelled first, and the user saved as
  // at every close.
  TakeOverSettingsPause();
  disabledMeanwhile_ = false;
  CloseDialogState state;
  state.question = LangStr(1271);
  state.permanentEnabled = false;
  bool wasOff = true;
  std::string previous;
  if (enabled_) {
    previous = DisableNow(previousUser_);
    wasOff = false;
  }
  const bool opened = choice_.OpenWorkstation();
  if (opened) {
    state.permanentChecked = WorkstationSettings->GetBool(choice_.AccountKey("LaunchAtStartup"));
    state.permanentEnabled = true;
  }
  const ModalResult result = forms_.closeDialog ? forms_.closeDialog->ShowModal(state) : ModalResult::Ok;
  if (opened && WorkstationSettings) {
    WorkstationSettings->SetBool(choice_.AccountKey("LaunchAtStartup"), state.permanentChecked);
    MakeAutoStartable();
    WorkstationSettings->Save();
    WorkstationSettings.reset();
  }
  if (result == ModalResult::Ok) {
    widget_.View().Repaint();
    Finalize();
    Application().Terminate();
    return;
  }
  EnableMenuItem(MenuEntry::Close, true);
  if (wasOff) return;
  // The tutor's DISABLE under the dialog keeps monitoring off; its ENABLE
  // brings the user back.
  if (disabledMeanwhile_) previousUser_ = previous;
  else EnableNow(previous);
}

// ---------------------------------------------------------- message dispatch --

void TTrayMain::AppMessage(const PostedMessage& message, bool& handled) {
  Entry([&] { Dispatch(message, handled); });
}

void TTrayMain::Dispatch(const PostedMessage& message, bool& handled) {
  const uint32_t id = message.message;
  if (id == 0) return;
  // Under a modal window of ours (busy twice: the window's operation and
  // this message) an ENABLE waits until the window has closed, and a later
  // DISABLE cancels it.
  const bool underModal = busy_ > 1;
  if (id == ids_.WM_SENDKEYINFO) {
    uintptr_t word = message.wParam;
    CMKeyInfo(word, message.lParam, message.time);
  }
  if (id == ids_.WM_MOUSECLICKED) {
    uintptr_t wParam = message.wParam;
    passwordField_.FocusMayMove(message.time);
    CMMouseClicked(wParam, message.lParam);
  }
  if (id == ids_.DISABLE) {
    if (underModal) {
      pendingEnable_ = false;
      disabledMeanwhile_ = true;
      // A message box of an enabling under way: the monitor it starts is
      // stopped again once the box is gone.
      if (enabling_ && !enabled_) pendingDisable_ = true;
    }
    previousUser_ = DisableNow(previousUser_);
    widget_.ForceRepaint(100);
  }
  // While the logon window asks, the person is already being enabled: a
  // second enabling would ask again inside the first.
  if (id == ids_.ENABLE && !logon_.Showing()) {
    if (underModal) pendingEnable_ = true;
    else ReceiveEnable();
  }
  if (id == winmsg::kSysCommand && message.wParam == winmsg::kScRestore) {
    if (!enabled_ && !TutorRunning()) EnableNow("");
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
  if (hooksRunning_) return;
  hooksRunning_ = true;
  hooksWatched_ = true;
  DebugLog(0, "TTrayMain.StartHook()");
  // The hooks post to the window captioned with the application title, as
  // found now.
  const WindowHandle target = Windows().FindWindowByCaption(kApplicationTitle);
  Hooks().Start(target, Windows().RegisterMessage(msgname::kSendKeyInfo),
                Windows().RegisterMessage(msgname::kMouseClicked), PostingRules());
}

void TTrayMain::ShutDown() {
  if (!hooksRunning_) return;
  hooksRunning_ = false;
  hooksWatched_ = false;
  DebugLog(0, "TTrayMain.ShutDown()");
  Hooks().Stop();
}

void TTrayMain::ReinstallHooks(const std::string& why) {
  if (!hooksRunning_) return;
  DebugLog(0, "TTrayMain: hooks installed again (" + why + ")");
  CancelAnalyse(CancelReason::Interrupted);
  Hooks().Stop();
  hooksRunning_ = false;
  StartHook();
}

void TTrayMain::StopWatching() {
  if (foregroundWatched_) Windows().StopWatchingForeground();
  foregroundWatched_ = false;
  widget_.onChanged = nullptr;
}

void TTrayMain::WatchHooks() {
  // Ticks fall on the thread's beat, never on the millisecond: half a
  // period early is on time.
  const uint32_t now = Clock().TickCount();
  if (now - hookWatchedAt_ + timing::kIconCheckPeriodMs / 2 < timing::kHookWatchMs) return;
  hookWatchedAt_ = now;
  if (!hooksWatched_ || !forms_.threads) return;
  const uint32_t input = Hooks().LastInputTime(), event = Hooks().LastEventTime();
  const int32_t unseen = static_cast<int32_t>(input - event);
  if (unseen <= timing::kHookSilenceMs) return;
  forms_.threads->Synchronize([this, unseen] {
    if (!threadsTerminating_)
      Entry([this, unseen] { ReinstallHooks("input " + std::to_string(unseen) + " ms after their last event"); });
  });
}

void TTrayMain::SetTrayState(TrayState state) {
  const int icon = static_cast<int>(state);
  switch (state) {
    case TrayState::Idle:
      if (forms_.taskbar) forms_.taskbar->SetOverlayIcon(0);
      if (forms_.trayIcon) forms_.trayIcon->SetIcon(icon);
      break;
    case TrayState::Typing:
      if (forms_.taskbar) forms_.taskbar->SetOverlayIcon(0);
      if (forms_.trayIcon) forms_.trayIcon->SetIcon(icon);
      // The key that opens a run wakes the resting icon-revert thread.
      if (iconArming_.exchange(kArmed | Clock().TickCount()) == 0 && forms_.threads) forms_.threads->Wake(iconThread_);
      break;
    case TrayState::Off:
      if (forms_.taskbar) forms_.taskbar->SetOverlayIcon(icon);
      if (forms_.trayIcon) forms_.trayIcon->SetIcon(icon);
      break;
    default:
      return;
  }
  trayState_ = state;
}

uint32_t TTrayMain::IconRevertCheck() {
  // Runs on the icon-revert thread: only reads the arming and hands the
  // work to the main thread. A key that armed it again meanwhile keeps it.
  // Without a typing run it rests until the next watch of the hooks, or
  // until the key that opens a run wakes it.
  WatchHooks();
  uint64_t arming = iconArming_.load();
  if (arming == 0) {
    const uint32_t left = hookWatchedAt_ + timing::kHookWatchMs - Clock().TickCount();
    return std::max<uint32_t>(1, (left + timing::kIconCheckPeriodMs / 2) / timing::kIconCheckPeriodMs);
  }
  if (Clock().TickCount() - static_cast<uint32_t>(arming) < timing::kIdleRevertMs) return kNextPeriod;
  if (!iconArming_.compare_exchange_strong(arming, 0)) return kNextPeriod;
  if (!forms_.threads) return kNextPeriod;
  const std::optional<uint32_t> endedAt = LateRunEnd(arming);
  forms_.threads->Synchronize([this, endedAt] {
    DebugLog(0, " Hiding");
    DebugLog(0, " TCloseTrayIcon.UpdateIcon()");
    // The abandonment may show the notification window: one more entry.
    if (!threadsTerminating_) Entry([this, endedAt] { CancelAnalyse(CancelReason::IdleTimeout, endedAt); });
  });
  return kNextPeriod;
}

std::optional<uint32_t> TTrayMain::LateRunEnd(uint64_t arming) {
  const uint32_t armedAt = static_cast<uint32_t>(arming);
  if (arming == 0 || Clock().TickCount() - armedAt <= timing::kIdleRevertMs + timing::kLateAbandonMs)
    return std::nullopt;
  return armedAt + timing::kIdleRevertMs;
}

uint32_t TTrayMain::InfoThreadStep() {
  if (!forms_.threads) return kUntilWoken;
  if (MeterHasWork()) {
    forms_.threads->Synchronize([this] {
      if (!threadsTerminating_) RefreshMeter();
    });
  }
  // While a run is open the figures move with the clock; else the thread
  // rests until a change wakes it (an operation of the core, the widget,
  // the window in front), unless the window in front is not watched.
  return iconArming_.load() != 0 || !foregroundWatched_ ? kNextPeriod : kUntilWoken;
}

// Runs on the refresh thread. A tick has work while a typing run is open
// (the figures move with the clock), after a change since the last refresh,
// and, while the widget shows, when the caption in front differs from the
// one the last refresh saw (the refresh abandons the run on it). Otherwise
// the refresh would set what is already set: the tick ends here, with no
// message to the main thread.
bool TTrayMain::MeterHasWork() {
  if (iconArming_.load() != 0) return true;
  std::string seen;
  {
    std::lock_guard<std::mutex> lock(meterSeenLock_);
    if (widget_.Changes() != meterSeen_.changes) return true;
    if (!meterSeen_.visible) return false;
    seen = meterSeen_.caption;
  }
  // Not under the lock: the caption of one of the program's own windows is
  // asked of the main thread.
  return ForegroundCaption() != seen;
}

std::string TTrayMain::ForegroundCaption() {
  const WindowHandle foreground = Windows().ForegroundWindow();
  return foreground ? trim_trailing_blanks(Windows().WindowCaption(foreground)) : std::string();
}

void TTrayMain::RefreshMeter() {
  {
    // Whatever changes from here on is seen by the next tick.
    std::lock_guard<std::mutex> lock(meterSeenLock_);
    meterSeen_.changes = widget_.Changes();
    meterSeen_.visible = widget_.Visible();
  }
  if (!widget_.Visible()) return;
  const TEfficiencyInfo& info = analyzer_.Efficiency;
  const std::string words = std::to_string(info.Words);
  const int speed = speedGraph_ ? static_cast<int>(round_half_even(speedGraph_->Value)) / 5 : 0;
  const std::string time = analyzer_.TypingTime.AsText();
  widget_.AverageSpeedText = std::to_string(analyzer_.CharsPerMinute() / 5);
  bool active;
  if (hooksRunning_) {
    widget_.Paused = false;
    if (forms_.taskbar) forms_.taskbar->SetProgressValue(0);
    if (analyzer_.KeysPerMinute() > 0) {
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
  if (speedGraph_ && widget_.GraphPending) speedGraph_->Step();
  std::string caption = ForegroundCaption();
  {
    std::lock_guard<std::mutex> lock(meterSeenLock_);
    if (caption == meterSeen_.caption) return;
    meterSeen_.caption = std::move(caption);
  }
  CancelAnalyse(CancelReason::Interrupted);
}

void TTrayMain::PlaceWidget() {
  DebugLog(0, "TTrayMain.InfoOnTopClick{");
  DebugLog(0, "Destroying and creating speedgraph #1");
  NewSpeedGraph();
  widget_.onClose = [this] { InfoCloseEvent(); };
  Rect area;
  if (geometry_.top < 0 && forms_.application && forms_.application->WorkArea(area)) {
    const Rect bounds = widget_.View().Bounds();
    widget_.View().SetPosition(area.right - (bounds.right - bounds.left), area.bottom - (bounds.bottom - bounds.top));
  }
  if (geometry_.top >= 0 && geometry_.left >= 0) widget_.View().SetPosition(geometry_.left, geometry_.top);
  widget_.Show();
  widget_.View().Repaint();
  if (forms_.threads && infoThread_ >= 0) forms_.threads->Resume(infoThread_);
}

TWidgetGeometry TTrayMain::WidgetGeometryNow() {
  TWidgetGeometry geometry = geometry_;
  const Rect bounds = widget_.View().Bounds();
  geometry.top = bounds.top;
  geometry.width = bounds.right - bounds.left;
  geometry.left = bounds.left;
  geometry.height = bounds.bottom - bounds.top;
  return geometry;
}

void TTrayMain::TakeWidgetGeometry() { geometry_ = WidgetGeometryNow(); }

void TTrayMain::InfoCloseEvent() {
  TakeWidgetGeometry();
  DebugLog(0, "TTrayMain.InfoCloseEvent() top: " + std::to_string(geometry_.top));
}

void TTrayMain::BeforePopupEvent() {
  ActivatePrevWindow(true);
  currentApp_ = nullptr;
  if (TSpyedApps* apps = MonitoredApplications()) {
    TAppSettings* app = apps->find(apps->CurrentPid);
    if (app && !app->Hidden) currentApp_ = app;
  }
}

void TTrayMain::PopupAtButton() {
  int x = 0, y = 0;
  widget_.View().SetupButtonOrigin(x, y);
  if (forms_.trayIcon) forms_.trayIcon->PopupMenu(x + 1, y + 1);
}

void TTrayMain::ActivatePrevWindow(bool remember) {
  DebugLog(0, "TTrayMain.ActivatePrevWindow{");
  if (remember) {
    previousWindow_ = forms_.application ? forms_.application->FindPreviousWindow() : 0;
  } else if (previousWindow_) {
    Windows().ForceForeground(previousWindow_);
  }
  DebugLog(0, "}TTrayMain.ActivatePrevWindow");
}

void TTrayMain::WordFinished(const std::string& word) { widget_.StatusText = word; }

// ----------------------------------------------------------- user session --

void TTrayMain::setEnabledState(bool enabled) {
  enabled_ = enabled;
  DebugLog(0, enabled ? "TTrayMain.setEnabledState to TRUE" : "TTrayMain.setEnabledState to FALSE");
  SetTrayState(enabled ? TrayState::Idle : TrayState::Off);
  for (MenuEntry entry : {MenuEntry::Review, MenuEntry::Settings, MenuEntry::Taskbar, MenuEntry::Separator})
    EnableMenuItem(entry, enabled);
}

void TTrayMain::ApplyWordCollection() {
  if (!CurrentUser) return;
  if (PolicySettings && PolicySettings->GetBool("DoNotCollectWords")) CurrentUser->SetBool("DoNotCollectWords", true);
  analyzer_.SetSource(CurrentUser->GetBool("DoNotCollectWords") ? kNoWordCollection : kTypedWordsSource);
}

void TTrayMain::OpenUserAnalysis() {
  if (analysis_) return;
  auto applications = std::make_unique<TUserApplications>();
  applications_ = applications.get();
  analysis_ = std::make_unique<UserAnalysis>(std::move(applications));
  run_.SetUser(analysis_.get());
  logon_.Blocks = analysis_.get();
}

TSpyedApps* TTrayMain::MonitoredApplications() const { return applications_ ? applications_->List() : nullptr; }

// A user that cannot be opened: say so and leave monitoring off.
void TTrayMain::UserOpenFailed(const std::string& name, const std::string& reason) {
  Dialogs().ShowMessage(LangStr(1286) + " " + name + LangStr(1285) + "\r\n" + reason, LangStr(1287), mb::kIconError);
  setEnabledState(false);
}

void TTrayMain::EnableNow(std::string name) {
  const bool noUserGiven = name.empty();
  bool changeRequested = false;
  if (name == kChangeUserRequest) {
    name.clear();
    changeRequested = true;
  }
  TraceBlock trace([&] { return "TTrayMain.EnableNow {  - pUser:" + name; }, "} TTrayMain.EnableNow");
  // A user paused for the settings dialog is open all the same: never open
  // it a second time.
  if (enabled_ || (CurrentUser && settings_.Showing())) {
    trace.CloseWith("} TTrayMain.EnableNow - Enabled already true");
    return;
  }
  enabling_ = true;
  const ArmedScopeGuard done([this] { enabling_ = false; });
  OpenUserAnalysis();
  if (!choice_.OpenWorkstation()) return;
  if (applyAutoStart_) {
    applyAutoStart_ = false;
    MakeAutoStartable();
  }
  LoadPolicy(ProgramSettings->RootPath + "policy.dyn");
  if (PolicySettings && PolicySettings->GetBool("Corvane.Hide")) {
    Dialogs().ShowMessage("Wayfen has been removed.", "Wayfen", mb::kIconInformation);
    RemoveAutoStart();
    Application().Terminate();
    return;
  }
  widget_.Launching = false;
  choice_.Mode = LogonMode::Normal;
  bool openUser = true;
  std::string failure;
  const InstallRun install = choice_.FirstRunAfterInstall(name, openUser, failure, analysis_.get());
  if (install != InstallRun::NotThisRun) widget_.Launching = true;
  if (install == InstallRun::UserNotOpened) {
    UserOpenFailed(name, failure);
    return;
  }
  if (name.empty()) {
    name = choice_.FromSettings(changeRequested);
    if (name.empty()) name = AskForUser(noUserGiven, openUser);
  }
  if (!name.empty() && !StartMonitoring(name, openUser)) return;
  if (Application().Terminated()) trace.CloseWith("} TTrayMain.EnableNow - APP WAS TERMINATED BY CANCELLING LOGON");
}

std::string TTrayMain::AskForUser(bool noUserGiven, bool& openUser) {
  DebugLog(0, "Showing LogonFrm");
  setEnabledState(false);
  EnableMenuItem(MenuEntry::Close, false);
  const ModalResult result = choice_.ShowLogon(noUserGiven);
  EnableMenuItem(MenuEntry::Close, true);
  return choice_.TakeLogonResult(result, openUser);
}

bool TTrayMain::StartMonitoring(const std::string& name, bool openUser) {
  try {
    LoadStatistics(name, openUser);
  } catch (const std::exception& error) {
    UserOpenFailed(name, error.what());
    return false;
  }
  ApplyWordCollection();
  widget_.View().SetAlphaTimer(true);
  StartHook();
  setEnabledState(true);
  run_.LetterPairs().SetEnabled(true);
  return true;
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
    choice_.Mode = LogonMode::ChangeOfUser;
    logon_.EndModal(ModalResult::Cancel);
    DebugLog(0, "TTrayMain.DisableNow: closing modal logon win");
  }
  if (settings_.Showing()) {
    settings_.EndModal(ModalResult::Cancel);
    DebugLog(0, "TTrayMain.DisableNow: closing modal settings win");
  }
  if (!enabled_) return result;
  if (!ProgramSettings || !Files().DirectoryExists(ProgramSettings->DatabasePath)) {
    Dialogs().ShowMessage(LangStr(1379), LangStr(1), mb::kIconExclamation);
    // Nothing can be saved there: the user is closed, and monitoring is off,
    // so that the program's end does not tell it again.
    CurrentUser.reset();
    run_.LetterPairs().SetEnabled(false);
    setEnabledState(false);
    ShutDown();
    Application().Terminate();
    return result;
  }
  if (CurrentUser) result = CurrentUser->Name();
  // Monitoring ends before the save clears the day's figures: a refresh
  // that comes in while the tray icon or the taskbar is told then draws the
  // paused widget with the figures it showed last, not the cleared ones.
  ShutDown();
  SaveStatistics();
  if (forms_.taskbar) forms_.taskbar->Hide();
  ReleaseSession();
  DebugLog(0, "TTrayMain.DisableNow: workstationSettings saved");
  run_.LetterPairs().SetEnabled(false);
  setEnabledState(false);
  return result;
}

void TTrayMain::EnableClick() {
  DebugLog(0, "TTrayMain.EnableClick (  - prevuser: " + previousUser_);
  if (enabled_) {
    widget_.View().SetOnOffEnabled(false);
    previousUser_ = DisableNow(previousUser_);
    DebugLog(0, " Disabling, prevuser: " + previousUser_);
  } else {
    widget_.View().SetOnOffEnabled(true);
    DebugLog(0, " Enabling");
    if (TutorRunning()) {
      if (forms_.trayIcon)
        forms_.trayIcon->ShowBalloon(
            "Strevo was launched but is not active yet. Strevo is activated when you exit Quorvel course.",
            LangStr(1775), timing::kBalloonMs);
      RefreshMeter();
    } else {
      EnableNow(previousUser_);
    }
  }
  // The figures may be the ones drawn last: only a forced redraw shows the
  // pause overlay, or takes it away.
  widget_.ForceRepaint();
  DebugLog(0, ") TTrayMain.EnableClick");
}

void TTrayMain::ChooseAppsClick() {
  if (!enabled_ || !CurrentUser) return;
  TraceBlock trace("TTrayMain.ChooseAppsClick{", "} TTrayMain.ChooseAppsClick");
  if (settings_.Showing()) {
    settings_.Focus();
    return;
  }
  SetTrayState(TrayState::Off);
  settingsPauseTaken_ = false;
  const std::string old = WorkstationSettings ? WorkstationSettings->GetString(choice_.AccountKey("SelectedUser")) : "";
  setEnabledState(false);
  ShutDown();
  settings_.VersionLbl = LangStr(1274) + " " + kProgramVersion;
  settings_.ShowFigures(*CurrentUser, counters_.totalHits, counters_.monitoredHits, counters_.MouseClicks,
                        analysis_ ? analysis_->LetterPairs.Dictionary.GetCount() : 0);
  const ModalResult result = settings_.ShowModal();
  if (settingsPauseTaken_) return;  // the program closed or the session ended under the dialog
  if (result == ModalResult::Cancel) {
    DebugLog(0, "going down");
    setEnabledState(true);
    previousUser_ = DisableNow("");
    return;
  }
  if (!CurrentUser) return;  // the user was released meanwhile
  TUser& user = *CurrentUser;
  notifications_.ApplySettings(*CurrentUser);
  MakeAutoStartable();
  SetTrayState(TrayState::Idle);
  widget_.ShowStatusText = !user.GetBool("DoNotCollectWords") && !user.GetBool("DoNotScroll");
  if (user.GetBool("ResetWidgetToScreen")) {
    // No place stored: the widget goes back to the work area's corner.
    geometry_.top = -1;
    PlaceWidget();
    user.SetBool("ResetWidgetToScreen", false);
  }
  widget_.Show();
  widget_.ForceRepaint(10);
  if (result == ModalResult::ChangeUser) {
    setEnabledState(true);
    DisableNow("");
    EnableNow(kChangeUserRequest);
    return;
  }
  const std::string selected = WorkstationSettings ? WorkstationSettings->GetString(choice_.AccountKey("SelectedUser")) : "";
  if (WorkstationSettings && WorkstationSettings->GetBool(choice_.AccountKey("UseSelectedUser")) && selected != old) {
    setEnabledState(true);
    DisableNow("");
    EnableNow(selected);
    if (forms_.trayIcon)
      forms_.trayIcon->ShowBalloon(LangStr(470) + selected + "\"", "Strevo", timing::kBalloonMs);
    return;
  }
  ApplyWordCollection();
  setEnabledState(true);
  StartHook();
  ActivatePrevWindow(false);
}

// ------------------------------------------------------- daily statistics --

void TTrayMain::LoadStatistics(const std::string& name, bool open) {
  TraceBlock trace("TrayMain.LoadStatistics{", "}TrayMain.LoadStatistics");
  if (open) CurrentUser = OpenUser(name, false, kAnyGroup, lock_mode::ReadWrite, analysis_.get());
  if (!CurrentUser) throw EStrevoError("Userfile not opened!");
  if (analysis_) {
    analysis_->LetterPairs.Folder = ProgramSettings->DatabasePath;
    analysis_->LetterPairs.SetUser(name, CurrentUser->BaseName);
  }
  TUser& user = *CurrentUser;
  counters_.LoadFrom(user);
  DailyLoad();
  geometry_.LoadFrom(user);
  widget_.ShowStatusText = !user.GetBool("DoNotCollectWords") && !user.GetBool("DoNotScroll");
  notifications_.ApplySettings(*CurrentUser);
  widget_.Show();
  if (forms_.trayIcon) forms_.trayIcon->CheckItem(static_cast<int>(MenuEntry::Taskbar), false);
  PlaceWidget();
  widget_.View().Repaint();
}

void TTrayMain::SaveStatistics() {
  TraceBlock trace("TrayMain.SaveStatistics{", "} TrayMain.SaveStatistics");
  if (!ProgramSettings || !Files().DirectoryExists(ProgramSettings->DatabasePath))
    DebugLog(0, "DataPath Directory Unavailable");
  TakeWidgetGeometry();
  geometry_.visible = widget_.Visible() ? 1 : 0;
  if (CurrentUser) {
    WriteUserFiles(*CurrentUser, geometry_, true);
    CurrentUser.reset();
  } else {
    SaveLetterPairs(true);
  }
  unsavedSince_.reset();
  DebugLog(0, "Info visible:" + std::to_string(geometry_.visible));
}

void TTrayMain::SaveLetterPairs(bool tell) {
  if (!analysis_) return;
  try {
    analysis_->LetterPairs.Save();
  } catch (const std::exception& error) {
    DebugLog(0, std::string("Bigram save failed: ") + error.what());
    if (tell)
      Dialogs().ShowMessage(std::string("File error in SaveStatistics: ") + error.what(), LangStr(1), mb::kIconError);
  }
}

void TTrayMain::WriteUserFiles(TUser& user, const TWidgetGeometry& geometry, bool tell) {
  user.SaveApplications();
  SaveLetterPairs(tell);
  DailySave(DailySaveMode::Always);
  counters_.SaveTo(user);
  geometry.SaveTo(user);
  user.SaveStatistics();
}

void TTrayMain::Checkpoint() {
  if (!CurrentUser || !enabled_ || !daily_.DayIsCurrent()) return;
  TraceBlock trace("TrayMain.Checkpoint{", "} TrayMain.Checkpoint");
  TUser& user = *CurrentUser;
  // The day's save raises records and empties the day's figures, and the
  // keys' save folds their recent presses into their history: all only for
  // the file, so the final save finds everything as without this one.
  const std::vector<std::string> profile = user.Store().Snapshot();
  std::optional<std::array<TDifficultKeys, 2>> keySets;
  if (analysis_) keySets = analysis_->KeySets;
  const int32_t characters = analyzer_.Efficiency.Characters, words = analyzer_.Efficiency.Words;
  const TTypingTimer typingTime = analyzer_.TypingTime;
  TWidgetGeometry geometry = WidgetGeometryNow();
  geometry.visible = widget_.Visible() ? 1 : 0;
  WriteUserFiles(user, geometry, false);
  user.Store().Restore(profile);
  analyzer_.Efficiency.Characters = characters, analyzer_.Efficiency.Words = words;
  analyzer_.TypingTime = typingTime;
  if (keySets) analysis_->KeySets = *keySets;
  unsavedSince_.reset();
}

void TTrayMain::DailyLoad() { daily_.Load(*CurrentUser); }

void TTrayMain::DailySave(DailySaveMode mode) {
  if (CurrentUser) daily_.Save(*CurrentUser, mode);
}

void TTrayMain::ClearDaily(int32_t weekday) { daily_.Clear(*CurrentUser, weekday); }

void TTrayMain::SaveWeekSamples() { daily_.SaveWeekSamples(*CurrentUser); }

}  // namespace strevo
