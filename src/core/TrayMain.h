// TTrayMain: the one central object. It takes every message of the
// application's queue, dispatches the registered messages, owns the tray
// icon and menu, the hook thread, the icon-revert and information threads,
// holds the per-user counters and the widget geometry, and carries out
// enabling, disabling, the user session and the key path. The daily figures
// are kept by TDailyStatistics, the translation of keys by TKeyDecoder.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "analysis/AnalyzerAPI.h"
#include "core/DailyStatistics.h"
#include "core/Notifications.h"
#include "core/UserChoice.h"
#include "input/KeyDecoder.h"
#include "input/MessageNames.h"
#include "input/PasswordField.h"
#include "platform/Platform.h"
#include "storage/DebugLog.h"
#include "ui/Forms.h"

namespace strevo {

class TBigramAnalyzer;
class TInfoOnTop;
class TLogForm;
class TChooseApplications;
class TNervoGraph;
class TAppSettings;
class TNotifyForm;

// The user name that asks EnableNow for a change of user.
inline constexpr const char* kChangeUserRequest = "!!!---!!!";
inline constexpr const char* kProgramVersion = "12.0.974";

// Periods and delays of the tray core.
namespace timing {
inline constexpr uint32_t kRefreshPeriodMs = 150;    // the information thread's refresh
inline constexpr uint32_t kIconCheckPeriodMs = 200;  // the icon-revert thread's check
inline constexpr uint32_t kIdleRevertMs = 6001;      // no key for this long: the run is abandoned
inline constexpr int kBalloonMs = 3000;
}  // namespace timing

// Which icon the tray shows.
enum class TrayState {
  Idle = 1,    // monitoring, no run in progress
  Typing = 2,  // a run is being analysed
  Off = 3,     // monitoring off (also while the settings dialog is open)
};

// Why an analysis run is abandoned.
enum class CancelReason {
  Interrupted = 1,  // a click, a key without a character, a repeat, another window
  IdleTimeout = 2,  // the icon-revert thread after six seconds without a key
  NoWordEnd = 3,    // every tenth character without a word end
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
  // The forms the program start created; the objects behind them live for
  // the whole run.
  TTrayMain(Forms forms, TInfoOnTop& widget, TLogForm& logon, TChooseApplications& settings, TNotifyForm& notify);
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

  // Daily statistics and records (carried out by TDailyStatistics).
  void LoadStatistics(const std::string& name, bool open);
  void SaveStatistics();
  void DailyLoad();
  void DailySave(DailySaveMode mode);
  void ClearDaily(int32_t weekday);
  void SaveWeekSamples();

  // The key path and click attribution.
  void CMKeyInfo(uintptr_t& keyInfo, intptr_t lParam, uint32_t messageTime);
  void CharKey(unsigned char ch, intptr_t lParam, uint32_t messageTime);
  void AnalyseChar(unsigned char ch, int32_t delay);
  void NonCharKey(uint32_t virtualKey, uint32_t messageTime, intptr_t lParam, bool ctrl, bool shift);
  void CancelAnalyse(CancelReason reason);
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
  void IconRevertCheck();
  void InfoThreadStep();

  // What the program start, the tests and the simulator read.
  bool Initialized() const { return initialized_; }
  bool Enabled() const { return enabled_; }
  bool HooksRunning() const { return hooksRunning_; }
  TrayState State() const { return trayState_; }
  const TUserCounters& Counters() const { return counters_; }
  const std::string& PreviousUser() const { return previousUser_; }
  int32_t CurrentWeekday() const { return daily_.CurrentWeekday(); }
  TInfoOnTop& Widget() { return widget_; }

 private:
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
  void ReleaseSession();
  // The logon window; the chosen user's name, empty when cancelled.
  std::string AskForUser(bool noUserGiven, bool& openUser);
  // Loads the user's statistics and starts the hooks; false when the user
  // cannot be opened.
  bool StartMonitoring(const std::string& name, bool openUser);
  void UserOpenFailed(const std::string& name, const std::string& reason);
  void TakeWidgetGeometry();
  // A key typed into a password field: counted, and nothing more.
  void PasswordKey(const DecodedKey& key);

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
  uint32_t previousKeyTime_ = 0;
  std::string previousUser_;
  bool enabled_ = false;
  WindowHandle previousWindow_ = 0;
  unsigned char lastCharacter_ = 0;
  int32_t repeatCount_ = 0;
  int32_t charsSinceWordEnd_ = 0;
  int32_t savedWordCount_ = 0;
  std::string lastForegroundCaption_;
  TUserChoice choice_;
  TNotifications notifications_;
  TDailyStatistics daily_;
  TKeyDecoder keys_;
  TPasswordField passwordField_;
  std::unique_ptr<TBigramAnalyzer> bigrams_;
  std::unique_ptr<TNervoGraph> speedGraph_;

  int iconThread_ = -1, infoThread_ = -1;
  // The icon-revert thread's trace block, open while the thread runs.
  std::optional<TraceBlock> iconThreadTrace_;
  // The icon-revert thread's arming: plain fields written by the main thread.
  bool iconArmed_ = false;
  uint32_t iconArmTime_ = 0;
  bool threadsTerminating_ = false;
  int busy_ = 0;
  bool pendingEnable_ = false;      // an ENABLE waits for the modal windows to close
  bool disabledMeanwhile_ = false;  // a DISABLE came under a modal window
  bool settingsPauseTaken_ = false;
};

// The process-wide reference to the tray core.
extern TTrayMain* TrayMain;

}  // namespace strevo
