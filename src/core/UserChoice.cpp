#include "core/UserChoice.h"

#include <exception>
#include <vector>

#include "core/TutorLaunch.h"
#include "platform/Ansi.h"
#include "platform/Application.h"
#include "platform/Platform.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "storage/ToolBox.h"
#include "storage/User.h"
#include "ui/ULoginForm.h"

namespace strevo {

namespace {

bool only_argument_is(const char* argument) {
  const std::vector<std::string> args = System().Arguments();
  return args.size() == 1 && same_text(args[0], argument);
}

bool first_argument_is(const char* argument) {
  const std::vector<std::string> args = System().Arguments();
  return !args.empty() && same_text(args[0], argument);
}

}  // namespace

std::string TUserChoice::AccountKey(const std::string& key) const { return key + "." + WindowsUserName(); }

bool TUserChoice::OpenWorkstation() {
  std::string file;
  const std::string workstation = WorkstationFileBase(WorkstationName());
  if (workstation.empty()) {
    Dialogs().ShowMessage("This workstation does not have a name!", LangStr(1), mb::kIconExclamation);
    file = "noname.wk10";
  } else {
    file = ProgramSettings->DatabasePath + workstation + ".wk10";
  }
  return OpenWorkstationSettings(file);
}

InstallRun TUserChoice::FirstRunAfterInstall(std::string& name, bool& openUser, std::string& failure,
                                             IUserBlocks* blocks) {
  // The first run after installation is the first enabling of this process:
  // later enablings (after the tutor, a change of user) are ordinary ones.
  const bool install = only_argument_is("/INST") && !installDone_;
  installDone_ = true;
  if (!install) return InstallRun::NotThisRun;
  const std::string account = WindowsUserName();
  TDynamicSettings& station = *WorkstationSettings;
  station.SetBool(AccountKey("WayfenInit"), true);
  station.SetString(AccountKey("SelectedUser"), account);
  station.SetBool(AccountKey("UseSelectedUser"), true);
  station.SetBool(AccountKey("LaunchAtStartup"), true);
  MakeAutoStartable();
  name = account;
  station.Save();
  try {
    CurrentUser = OpenUser(name, false, kAnyGroup, lock_mode::ReadWrite, blocks);
    if (!CurrentUser) CurrentUser = CreateUser(name, blocks);
    name = CurrentUser->Name();
    CurrentUser->Save();
    openUser = false;
  } catch (const std::exception& error) {
    CurrentUser.reset();
    failure = error.what();
    return InstallRun::UserNotOpened;
  }
  station.SetString(AccountKey("LastUser"), name);
  station.SetBool(AccountKey("LaunchAtStartup"), true);
  MakeAutoStartable();
  station.SetString(AccountKey("SelectedUser"), name);
  station.SetBool(AccountKey("UseSelectedUser"), true);
  return InstallRun::Done;
}

std::string TUserChoice::FromSettings(bool changeRequested) {
  TDynamicSettings& station = *WorkstationSettings;
  std::string name;
  if (station.GetBool(AccountKey("UseSelectedUser"))) {
    name = station.GetString(AccountKey("SelectedUser"));
    station.SetString(AccountKey("LastUser"), name);
  }
  if (changeRequested) {
    name.clear();
    Mode = LogonMode::ChangeOfUser;
  }
  if (first_argument_is("/AUTOLOGON") && !changeRequested) name = station.GetString(AccountKey("LastUser"));
  return name;
}

ModalResult TUserChoice::ShowLogon(bool noUserGiven) {
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
  logon_.ProposedName = WorkstationSettings->GetString(AccountKey("LastUser"));
  if (logon_.ProposedName.empty()) {
    logon_.ProposedName = WindowsUserName();
    logon_.NoConfirmNewUser = true;
  }
  return logon_.ShowModal();
}

std::string TUserChoice::TakeLogonResult(ModalResult result, bool& openUser) {
  if (result == ModalResult::Cancel && Mode == LogonMode::Normal) {
    if (logon_.DontShowAgainChecked && WorkstationSettings) {
      WorkstationSettings->SetBool(AccountKey("LaunchAtStartup"), false);
      MakeAutoStartable();
      // The choice is kept, or the next settings OK writes the entry back.
      WorkstationSettings->Save();
    }
    Application().Terminate();
    return {};
  }
  if (result == ModalResult::Cancel) {
    if (WorkstationSettings) WorkstationSettings->Save();
    WorkstationSettings.reset();
    return {};
  }
  if (!CurrentUser || !WorkstationSettings) return {};
  const std::string name = CurrentUser->Name();
  CurrentUser->Save();
  openUser = false;
  WorkstationSettings->SetString(AccountKey("LastUser"), name);
  if (logon_.DontShowAgainChecked) {
    WorkstationSettings->SetString(AccountKey("SelectedUser"), name);
    WorkstationSettings->SetBool(AccountKey("UseSelectedUser"), true);
  }
  return name;
}

}  // namespace strevo
