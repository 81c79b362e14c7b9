// The advice the monitor gives unasked, at the natural pauses of typing
// (every abandonment of the analysis): a balloon when the user has typed
// for longer than the chosen number of quarter hours without a real pause,
// and the training notification window when enough was typed since the
// last check, enough days have passed since the last notification and the
// combined difficulty is above 20.
#pragma once

#include <cstdint>

namespace strevo {

class TTrayMain;
class TNotifyForm;
class ITrayIcon;
class TUser;
enum class CancelReason;

class TNotifications {
 public:
  TNotifications(TTrayMain& tray, TNotifyForm& form, ITrayIcon* trayIcon);

  // The work period starts with the program.
  void Start();
  // The user's advice settings: "NotifyWhenDifficulties",
  // "PagesTrackBar.position", and "BreakTrackBar.position" when
  // "NotifyWhenBreak" is on.
  void ApplySettings(TUser& user);
  // Runs at every abandonment of the analysis.
  void Check(CancelReason reason);
  // A key was typed: a key after a long enough pause starts a new work
  // period.
  void KeyTyped();
  // Fills and shows the notification window and acts on its result.
  void NotifyNow();

 private:
  void CheckBreak();
  void CheckTraining(TUser& user);
  void FillForm();

  TTrayMain& tray_;
  TNotifyForm& form_;
  ITrayIcon* trayIcon_;
  bool notifyWhenDifficulties_ = false;
  int32_t pagesSetting_ = 0;
  int32_t breakSetting_ = 0;  // quarter hours; 0: no reminders
  // A pause is the time without a key: a run of typing with no abandonment
  // is work, however long since the last check.
  // In days on the tick count, which a clock set forward or back (daylight
  // saving, a manual change) does not move; sleep counts as a pause.
  double lastKeyTime_ = 0, workPeriodStart_ = 0;
  double Elapsed();
  uint32_t lastTick_ = 0;
  uint64_t elapsedMs_ = 0;
  // The break interval's scale: shortened only when the environment asks
  // for it (the demo).
  double dayScale_ = 1.0;
};

}  // namespace strevo
