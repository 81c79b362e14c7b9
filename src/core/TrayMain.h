// TTrayMain: the one central object. It takes every message of the
// application's queue, dispatches the registered messages, owns the tray
// icon and menu, the hook thread, the icon-revert and information threads,
// holds the per-user counters and the widget geometry, and carries out
// enabling, disabling, the user session and the key path. The daily figures
// are kept by TDailyStatistics, the translation of keys by TKeyDecoder, the
// state of the typing run by TTypingRun, and the session's user analysis
// (keys, words, letter pairs, applications) by a UserAnalysis it owns.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "analysis/AnalyzerAPI.h"
#include "analysis/TypingRun.h"
#include "core/DailyStatistics.h"
#include "core/Notifications.h"
#include "core/UserChoice.h"
#include "input/ForegroundApp.h"
#include "input/KeyDecoder.h"
#include "input/MessageNames.h"
#include "input/PasswordField.h"
#include "platform/Platform.h"
#include "storage/DebugLog.h"
#include "ui/Forms.h"

namespace strevo {

// A second copy's start: when another copy holds the instance mutex, the
// running copy's window (found by its caption) is renamed out of the way of
// its own search and asked to enable itself; true then, and the caller
// ends. The mutex handle is the caller's either way.
bool HandOverToRunningCopy(KernelHandle& mutex, const std::function<void()>& renameOwnWindow);

class TInfoOnTop;
class TLogForm;
class TChooseApplications;
class TNervoGraph;
class TAppSettings;
class TNotifyForm;
class TSpyedApps;
class TUserApplications;
class UserAnalysis;

// The user name that asks EnableNow for a change of user.
inline constexpr const char* kChangeUserRequest = "!!!---!!!";
inline constexpr const char* kProgramVersion = "12.0.974";

// Periods and delays of the tray core.
namespace timing {
inline constexpr uint32_t kRefreshPeriodMs = 150;    // the information thread's refresh
inline constexpr uint32_t kIconCheckPeriodMs = 200;  // the icon-revert thread's check
inline constexpr uint32_t kIdleRevertMs = 6001;      // no key for this long: the run is abandoned
// An abandonment noticed this much later than due: the machine slept (or the
// program stood still), and the run's time ends where it was due.
inline constexpr uint32_t kLateAbandonMs = 5000;
// The hooks are watched every kHookWatchMs, at the icon checks: input the
// system saw more than kHookSilenceMs after the hooks' last event means the
// system removed them.
inline constexpr uint32_t kHookWatchMs = 2000;
inline constexpr int32_t kHookSilenceMs = 1000;
inline constexpr int kBalloonMs = 3000;
// Typing not yet on the disk for this long is written at the next pause.
inline constexpr uint32_t kCheckpointMs = 5 * 60 * 1000;
}  // namespace timing

// Which icon the tray shows.
enum class TrayState {
  Idle = 1,    // monitoring, no run in progress
  Typing = 2,  // a run is being analysed
  Off = 3,     // monitoring off (also while the settings dialog is open)
};

// The tray menu's entries, by position.
enum class MenuEntry { Review = 0, Settings = 1, Taskbar = 2, Separator = 3, Close = 4 };

// How the tutor is launched.
enum class LaunchMode {
  Training = 1,    // " /WAYFEN"
  Statistics = 2,  // " /STATISTICS"
};

class TTrayMain : public IWordObserver {
 public:
  // The forms the program start created and the analysis pipeline it made;
  // the objects behind them live for the whole run.
  TTrayMain(Forms forms, TAnalyzer& analyzer, TInfoOnTop& widget, TLogForm& logon, TChooseApplications& settings,
            TNotifyForm& notify);
  ~TTrayMain() override;

  // Program start and end.
  void Run();
  void Initialize();
  void Finalize();
  void ExitClick();
  // The Windows session ends: the process ends as soon as this returns.
  void EndSession();

  // Message dispatch. Every way in (the queue, the menu, the widget's
  // buttons, the end of the session) runs as one entry.
  void AppMessage(const PostedMessage& message, bool& handled);
  void AppDeactivate();

  // Tray core.
  void StartHook();
  void ShutDown();
  // The hooks again, after the system removed them or may have (sleep,
  // a locked session); the run is abandoned, as keys may have been missed.
  void ReinstallHooks(const std::string& why);
  void SetTrayState(TrayState state);
  void RefreshMeter();
  void PlaceWidget();
  void ActivatePrevWindow(bool remember);
  void BeforePopupEvent();
  void PopupAtButton();
  void InfoOnTopClick();
  void InfoCloseEvent();

  // Enabling, disabling and the user session.
  void EnableNow(std::string name);
  std::string DisableNow(const std::string& previous);
  void setEnabledState(bool enabled);
  void EnableClick();
  void ChooseAppsClick();
  // The autostart entry follows the user's choice at the next enabling
  // (once the workstation settings are open).
  void ApplyAutoStartWhenEnabled() { applyAutoStart_ = true; }

  // Daily statistics and records (carried out by TDailyStatistics).
  void LoadStatistics(const std::string& name, bool open);
  void SaveStatistics();
  // Writes the user's figures as a save would, the day's included, and
  // leaves every figure in memory as it was: a power cut then loses only
  // what came after. Nothing is written when a day is to be closed.
  void Checkpoint();
  void DailyLoad();
  void DailySave(DailySaveMode mode);
  void ClearDaily(int32_t weekday);
  void SaveWeekSamples();

  // The key path and click attribution.
  void CMKeyInfo(uintptr_t& keyInfo, intptr_t lParam, uint32_t messageTime);
  void CharKey(unsigned char ch, intptr_t lParam, uint32_t messageTime);
  void AnalyseChar(unsigned char ch, int32_t delay);
  void NonCharKey(uint32_t virtualKey, uint32_t messageTime, intptr_t lParam, bool ctrl, bool shift);
  // endedAt: the tick at which the run's time stops, when the pause was
  // noticed late.
  void CancelAnalyse(CancelReason reason, std::optional<uint32_t> endedAt = std::nullopt);
  void CMMouseClicked(uintptr_t& wParam, intptr_t lParam);
  void MouseClicked();

  // Training and break notifications (carried out by TNotifications).
  void NotifyCheck(CancelReason reason);
  void NotifyNow();

  // Tutor launch and autostart.
  // The tutor, or without it the statistics report (core/TutorLaunch.cpp).
  int QV2001Launch(LaunchMode mode);
  // The taskbar window (core/TrayTaskbar.cpp): its graph, its thumbnail
  // toolbar, and its tray menu entry.
  void NewSpeedGraph();
  void tbThumbButtonClick(int id);
  bool TutorInstalled() const;
  int ShowReport();
  void ReviewClick();
  void StatisticsClick();
  void TrayClick();

  // The word analysis tells about finished words (the meter's status text).
  void WordFinished(const std::string& word) override;

  // The icon-revert thread's check and the information thread's step, run
  // by their threads (public for the simulator's clock-driven threads).
  uint32_t IconRevertCheck();
  uint32_t InfoThreadStep();
  // On the icon-revert thread: whether the hooks still see the input.
  void WatchHooks();
  // Where an open run's time ends when its abandonment comes late (the
  // machine slept, or the program stood still): its pause began
  // kIdleRevertMs after its last key. None when the run is not late.
  static std::optional<uint32_t> LateRunEnd(uint64_t arming);

  // What the program start, the tests and the simulator read.
  bool Initialized() const { return initialized_; }
  bool Enabled() const { return enabled_; }
  bool HooksRunning() const { return hooksRunning_; }
  TrayState State() const { return trayState_; }
  const TUserCounters& Counters() const { return counters_; }
  TAnalyzer& Analyzer() { return analyzer_; }
  // The session's analysis of its user; none before the first enabling.
  UserAnalysis* Analysis() { return analysis_.get(); }
  // The loaded user's monitored applications; none while no user is loaded.
  TSpyedApps* MonitoredApplications() const;
  const std::string& PreviousUser() const { return previousUser_; }
  int32_t CurrentWeekday() const { return daily_.CurrentWeekday(); }
  TInfoOnTop& Widget() { return widget_; }

 private:
  // On the refresh thread: whether this tick has anything to show.
  bool MeterHasWork();
  std::string ForegroundCaption();
  // Ends the watch of the window in front and the widget's wake-ups.
  void StopWatching();
  // Counts the entries in progress: more than one means a modal window's
  // loop let a message in under an operation.
  struct BusyScope {
    explicit BusyScope(int& count) : count_(count) { ++count_; }
    ~BusyScope() { --count_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
    int& count_;
  };
  void Entry(const std::function<void()>& operation);
  void Dispatch(const PostedMessage& message, bool& handled);
  void ReceiveEnable();
  // Close or session end under the settings dialog: the dialog is ended as
  // cancelled and the paused user is the session's again, to be saved.
  void TakeOverSettingsPause();
  void BuildMenu();
  void StartThreads();
  void CreateTrayIcon();
  void StayOffForTutor();
  void EnableMenuItem(MenuEntry entry, bool enabled);
  void ApplyWordCollection();
  // The analysis every user of the sessions loads into, made at the first
  // enabling and kept: each user opened empties the previous user's keys
  // and words, and the letter pairs change with the user's name.
  void OpenUserAnalysis();
  void ReleaseSession();
  // The logon window; the chosen user's name, empty when cancelled.
  std::string AskForUser(bool noUserGiven, bool& openUser);
  // Loads the user's statistics and starts the hooks; false when the user
  // cannot be opened.
  bool StartMonitoring(const std::string& name, bool openUser);
  void UserOpenFailed(const std::string& name, const std::string& reason);
  void TakeWidgetGeometry();
  // A failed letter-pair save must not cost the profile and the statistics:
  // it is logged, and told (tell) as their failures are.
  void SaveLetterPairs(bool tell);
  // Every file of the user as a save writes them: the applications, the
  // letter pairs, the day's figures, counters and geometry into the profile,
  // the profile and the statistics file.
  void WriteUserFiles(TUser& user, const TWidgetGeometry& geometry, bool tell);
  // The stored geometry with the widget's place and size as they are now.
  TWidgetGeometry WidgetGeometryNow();
  // A key typed into a password field, or sent by a program: counted, and
  // nothing more.
  void PasswordKey(const DecodedKey& key);
  // The key goes into an application the user switched off on the settings
  // dialog's applications page; an application typed in for the first time
  // joins the user's list, monitored.
  bool ApplicationExcluded(uint32_t messageTime);

  Forms forms_;
  TInfoOnTop& widget_;
  TLogForm& logon_;
  TChooseApplications& settings_;

  TAppSettings* currentApp_ = nullptr;
  bool initialized_ = false;
  bool hooksRunning_ = false;
  std::string programFolder_;  // without the trailing "\"
  KernelHandle mutexHandle_ = 0;
  TMessageIds ids_;
  TWidgetGeometry geometry_;
  TrayState trayState_ = TrayState::Idle;
  TUserCounters counters_;
  std::string previousUser_;
  bool enabled_ = false;
  WindowHandle previousWindow_ = 0;
  // What the last refresh saw, for the refresh thread's question whether a
  // tick has work (see MeterHasWork).
  struct MeterSeen {
    uint32_t changes = 0;
    bool visible = false;
    std::string caption;  // the caption in front, trimmed
  } meterSeen_;
  std::mutex meterSeenLock_;
  TAnalyzer& analyzer_;
  TTypingRun run_;
  std::unique_ptr<UserAnalysis> analysis_;
  TUserApplications* applications_ = nullptr;  // analysis_'s list, as the key path reads it
  TUserChoice choice_;
  TNotifications notifications_;
  TDailyStatistics daily_;
  TKeyDecoder keys_;
  TPasswordField passwordField_;
  bool sentKeys_ = false;  // the last key was sent by a program (see CMKeyInfo)
  TForegroundApp foregroundApp_;
  bool inExcludedApp_ = false;  // the previous key went into a switched-off application
  // The record of the application in front, as last joined.
  struct JoinedApplication {
    const TSpyedApps* list;
    uint32_t stamp, asked;
    TAppSettings* record;
  } joined_{nullptr, 0, 0, nullptr};
  std::unique_ptr<TNervoGraph> speedGraph_;

  int iconThread_ = -1, infoThread_ = -1;
  // The icon-revert thread's trace block, open while the thread runs.
  std::optional<TraceBlock> iconThreadTrace_;
  // The icon-revert thread's arming, written by the main thread (armed at
  // each analysed key) and by the icon thread (disarmed when it fires): 0
  // when not armed, else kArmed with the tick of the arming in the low bits,
  // so that both change together.
  static constexpr uint64_t kArmed = uint64_t{1} << 32;
  std::atomic<uint64_t> iconArming_{0};
  bool threadsTerminating_ = false;
  int busy_ = 0;
  bool pendingEnable_ = false;      // an ENABLE waits for the modal windows to close
  bool disabledMeanwhile_ = false;  // a DISABLE came under a modal window
  bool enabling_ = false;           // an EnableNow is under way
  bool applyAutoStart_ = false;     // see ApplyAutoStartWhenEnabled
  bool pendingDisable_ = false;     // a DISABLE came while it was (a message box up)
  bool settingsPauseTaken_ = false;
  // The tick of the first key or click not yet written, if any.
  std::optional<uint32_t> unsavedSince_;
  // kCheckpointMs, or what STREVO_CHECKPOINT_MS asks for (the Wine tests,
  // which cannot type for five minutes).
  uint32_t checkpointMs_ = timing::kCheckpointMs;
  // The hooks are meant to run (read by the icon-revert thread).
  std::atomic<bool> hooksWatched_{false};
  uint32_t hookWatchedAt_ = 0;  // icon-revert thread only
  // The window in front is watched by the system: between its changes the
  // refresh thread rests (else it looks at every tick).
  std::atomic<bool> foregroundWatched_{false};
};

// The process-wide reference to the tray core.
extern TTrayMain* TrayMain;

}  // namespace strevo
