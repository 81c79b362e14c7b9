// Which user monitoring runs for, on behalf of the logged-on Windows
// account: on the first run after installation the account's own user;
// otherwise the user selected for the account, the last user ("/AUTOLOGON")
// or the person's choice in the logon window. Works on the workstation
// settings, whose per-account keys end in "." and the account name.
#pragma once

#include <string>

#include "ui/Forms.h"

namespace strevo {

class IUserBlocks;
class TLogForm;

enum class LogonMode {
  Normal = 0,
  ChangeOfUser = 1,  // a change of user was requested: cancelling keeps the program
};

enum class InstallRun { NotThisRun, Done, UserNotOpened };

class TUserChoice {
 public:
  explicit TUserChoice(TLogForm& logon) : logon_(logon) {}

  // The workstation settings of this computer; "noname.wk10" after a
  // message when the computer has no name.
  bool OpenWorkstation();
  // The first run after installation ("/INST" alone, the first enabling of
  // the process): the account's user is opened or created, made current,
  // selected for the account and started at logon; name becomes its name and
  // openUser false. The user loads into blocks. When that user cannot be
  // opened, failure says why.
  InstallRun FirstRunAfterInstall(std::string& name, bool& openUser, std::string& failure, IUserBlocks* blocks);
  // The user the workstation settings give: the selected one, or the last
  // one with "/AUTOLOGON"; none when a change of user was requested.
  std::string FromSettings(bool changeRequested);
  // Fills and shows the logon window modally.
  ModalResult ShowLogon(bool noUserGiven);
  // What the logon window's result means: the chosen user's name (made
  // current and saved; openUser false), or none after a cancel, which ends
  // the program unless a change of user was requested.
  std::string TakeLogonResult(ModalResult result, bool& openUser);

  std::string AccountKey(const std::string& key) const;

  LogonMode Mode = LogonMode::Normal;

 private:
  TLogForm& logon_;
  bool installDone_ = false;
};

}  // namespace strevo
