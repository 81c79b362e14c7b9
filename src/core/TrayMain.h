// TTrayMain: the one central object. It takes every message of the
// application's queue, dispatches the registered messages, owns the tray
// icon and menu, the hook thread, the icon-revert and information threads,
// holds the per-user counters and the widget geometry, and carries out
// enabling, disabling, the user session, key decoding and the daily
// statistics.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "analysis/AnalyzerAPI.h"
#include "platform/Platform.h"
#include "ui/Forms.h"

namespace strevo {

class TBigramAnalyzer;
class TInfoOnTop;
class TLogForm;
class TChooseApplications;
class TNervoGraph;
class TAppSettings;

// The registered messages of the protocol shared with the tutor and with a
// second copy of the program.
namespace msgname {
inline constexpr const char* kNewMonApp = "QVWayfen1999.WM_NEWMONAPP";
inline constexpr const char* kDisable = "QVWayfen1999.DISABLE";
inline constexpr const char* kEnable = "QVWayfen1999.ENABLE";
inline constexpr const char* kSendKeyInfo = "QVWayfen1999.WM_SENDKEYINFO";
inline constexpr const char* kMouseClicked = "QVWayfen1999.WM_MOUSECLICKED";
inline constexpr const char* kSendWordHdr = "QVWayfen1999.WM_SENDWORDHDR";
inline constexpr const char* kSendWordData = "QVWayfen1999.WM_SENDWORDDATA";
inline constexpr const char* kBringFront = "QV2001.BRINGFRONT";
}  // namespace msgname

inline constexpr const char* kApplicationTitle = "Strevo 11";
inline constexpr const char* kInstanceMutex = "QVDraxelMutex";
inline constexpr const char* kTutorMutex = "QV2004Mutex";
inline constexpr const char* kChangeUserRequest = "!!!---!!!";
inline constexpr const char* kRunKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
inline constexpr const char* kRunValue = "TypingWayfen";
inline constexpr const char* kProgramVersion = "12.0.974";

class TTrayMain : public IWordObserver {
 public:
  // The forms the program start created; the objects behind them live for
  // the whole run.
  TTrayMain(Forms forms, TInfoOnTop& widget, TLogForm& logon, TChooseApplications& settings);
  ~TTrayMain() override;

  // Program start and end.
  void Run();
  void Initialize();
  void Finalize();
  void ExitClick();

  // Message dispatch.
  void AppMessage(const PostedMessage& message, bool& handled);
  void AppDeactivate();

  // Tray core.
  void StartHook();
  void ShutDown();
  void SetTrayState(int state);
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

  // Daily statistics and records.
  void LoadStatistics(const std::string& name, bool open);
  void SaveStatistics();
  void DailyLoad();
  void DailySave(int mode);
  void ClearDaily(int weekday);
  void SaveWeekSamples();

  // Key decoding and click attribution.
  void CMKeyInfo(uintptr_t& keyInfo, intptr_t lParam, uint32_t messageTime);
  unsigned char GetCharFromVK(uint32_t virtualKey, bool shift, bool ctrl, bool alt);
  void CharKey(unsigned char ch, intptr_t lParam, uint32_t messageTime);
  void AnalyseChar(unsigned char ch, int32_t delay);
  void NonCharKey(uint32_t virtualKey, uint32_t messageTime, intptr_t lParam, bool ctrl, bool shift);
  void CancelAnalyse(int reason);
  void CMMouseClicked(uintptr_t& wParam, intptr_t lParam);
  void MouseClicked();

  // Notifications (the day's close until the notification window exists).
  void NotifyCheck(int reason);

  // Tutor launch and autostart.
  int QV2001Launch(int mode);
  void ReviewClick();
  void StatisticsClick();
  void TrayClick();

  // The word analysis tells about finished words (the meter's status text).
  void WordFinished(const std::string& word) override;

  // The icon-revert thread's check and the information thread's step, run
  // by their threads (public for the simulator's clock-driven threads).
  void IconRevertCheck();
  void InfoThreadStep();

  // State (the fields the design names).
  TAppSettings* CurrentApp = nullptr;
  bool Initialized = false;
  bool HooksRunning = false;
  std::string ProgramFolder;  // without the trailing "\"
  KernelHandle MutexHandle = 0;
  uint32_t WM_NEWMONAPP = 0, DISABLE = 0, ENABLE = 0, WM_SENDKEYINFO = 0, WM_MOUSECLICKED = 0, WM_SENDWORDHDR = 0,
           WM_SENDWORDDATA = 0, BRINGFRONT = 0;
  int32_t WidgetTop = -1, WidgetWidth = 0, WidgetHeight = 0, WidgetLeft = -1;
  int32_t WidgetVisible = 0;
  int32_t TrayState = 1;
  int64_t totalHits = 0, monitoredHits = 0, BackSpaces = 0, ArrowHits = 0, MouseClicks = 0;
  double LastCheckTime = 0, WorkPeriodStart = 0;
  uint32_t PreviousKeyTime = 0;
  std::string PreviousUser;
  int32_t LogonMode = 0;
  bool Enabled = false;
  bool NotifyWhenDifficulties = false;
  int32_t PagesSetting = 0, BreakSetting = 0;
  int32_t CurrentWeekday = 1;
  int32_t DeadKeyPending = 0;
  WindowHandle PreviousWindow = 0;
  unsigned char LastCharacter = 0;
  int32_t RepeatCount = 0;
  int32_t CharsSinceWordEnd = 0;
  int32_t SavedWordCount = 0;
  std::string LastForegroundCaption;

  std::unique_ptr<TBigramAnalyzer> Bigrams;
  std::unique_ptr<TNervoGraph> SpeedGraph;

  TInfoOnTop& Widget() { return widget_; }

 private:
  void BuildMenu();
  void ApplyWordCollection();
  std::string AccountKey(const std::string& key) const;
  bool OpenWorkstation();
  void ReleaseSession();
  void UserOpenFailed(const std::string& name, const std::string& reason);

  Forms forms_;
  TInfoOnTop& widget_;
  TLogForm& logon_;
  TChooseApplications& settings_;
  int iconThread_ = -1, infoThread_ = -1;
  // The icon-revert thread's arming: plain fields written by the main thread.
  bool iconArmed_ = false;
  uint32_t iconArmTime_ = 0;
  bool threadsTerminating_ = false;
  bool installDone_ = false;
};

// The process-wide reference to the tray core.
extern TTrayMain* TrayMain;

// The tutor runs: its mutex exists.
bool TutorRunning();
// The autostart entry under the current user's Run key, as the account's
// "LaunchAtStartup." setting says; needs the workstation settings open.
void MakeAutoStartable(const std::string& path);
void RemoveAutoStart();

}  // namespace strevo
