// The tutor's presence, the autostart entry, and the tray's launch of the
// tutor (or of the statistics report where the tutor is not installed).
#include "core/TutorLaunch.h"

#include "core/TrayMain.h"
#include "input/MessageNames.h"
#include "platform/Platform.h"
#include "report/UserReport.h"
#include "storage/DebugLog.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "storage/ToolBox.h"
#include "storage/User.h"

namespace strevo {

bool TutorRunning() { return Mutexes().MutexExists(kTutorMutex); }

void MakeAutoStartable() {
  const std::string path = System().ExecutablePath();
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

bool RemoveAutoStartForToolbar() {
  constexpr const char* kMark = "AutostartRemovedWithoutToolbar";
  std::string done;
  if (Registry().ReadString(kProgramKey, kMark, done) && done == "1") return false;
  RemoveAutoStart();
  if (Registry().OpenKey(kProgramKey)) Registry().WriteString(kProgramKey, kMark, "1");
  return true;
}

// ------------------------------------------------------------ tutor launch --

bool TTrayMain::TutorInstalled() const {
  return Files().FileExists(programFolder_ + "\\Pellinor.exe") || Files().FileExists(programFolder_ + "\\Quorvel.exe");
}

int TTrayMain::QV2001Launch(LaunchMode mode) {
  TraceBlock trace("TTrayMain.QV2001Launch(", "} TTrayMain.QV2001Launch");
  if (!TutorInstalled()) return ShowReport();
  int result = 0;
  if (TutorRunning()) {
    DebugLog(0, "WARNING: QV2001 running already");
  } else {
    std::string command = Files().FileExists(programFolder_ + "\\Pellinor.exe") ? "Pellinor.exe" : "Quorvel.exe";
    command += mode == LaunchMode::Training ? " /WAYFEN" : " /STATISTICS";
    if (CurrentUser) {
      if (WorkstationSettings) WorkstationSettings->SetString("DraxelLogon", CurrentUser->Name());
      previousUser_ = DisableNow(previousUser_);
      DebugLog(0, "prevUser = " + previousUser_);
    }
    if (!Processes().Start(command, programFolder_)) {
      Dialogs().ShowMessage("Application main module not found: " + command, LangStr(1287), mb::kOk);
      result = -1;
    } else {
      DebugLog(0, "Running QV2001");
    }
  }
  previousUser_ = DisableNow(previousUser_);
  return result;
}

// The current user's figures are saved (monitoring pauses for the moment),
// the report goes beside the user's files and opens in the browser, and
// monitoring goes on for the same user.
int TTrayMain::ShowReport() {
  TraceBlock trace("TTrayMain.ShowReport{", "} TTrayMain.ShowReport");
  const std::string user = CurrentUser ? CurrentUser->Name() : std::string();
  if (user.empty()) return -1;
  previousUser_ = DisableNow(previousUser_);
  std::string page, error;
  Windows().SetWaitCursor(true);
  const bool written =
      WriteUserReport(user, ProgramSettings ? ProgramSettings->DatabasePath : std::string(), page, error);
  Windows().SetWaitCursor(false);
  if (!error.empty()) DebugLog(0, "report: " + error);
  int result = 0;
  if (!written) {
    Dialogs().ShowMessage(LangStr(1794) + "\n" + error, LangStr(1287), mb::kOk | mb::kIconExclamation);
    result = -1;
  } else if (!OpenUrl(page)) {
    Dialogs().ShowMessage(LangStr(1795) + "\n" + page, LangStr(1287), mb::kOk | mb::kIconExclamation);
    result = -1;
  }
  EnableNow(user);
  return result;
}

void TTrayMain::ReviewClick() {
  DebugLog(0, "TTrayMain.ReviewClick(");
  if (enabled_) QV2001Launch(LaunchMode::Training);
  DebugLog(0, ") TTrayMain.ReviewClick");
}

void TTrayMain::StatisticsClick() {
  if (enabled_) QV2001Launch(LaunchMode::Statistics);
}

void TTrayMain::TrayClick() {
  if (!forms_.trayIcon) return;
  if (TutorRunning()) {
    forms_.trayIcon->ShowBalloon(LangStr(1780), LangStr(1781), timing::kBalloonMs);
    return;
  }
  int x = 0, y = 0;
  if (forms_.application && forms_.application->CursorPos(x, y)) forms_.trayIcon->PopupMenu(x, y);
}

}  // namespace strevo
