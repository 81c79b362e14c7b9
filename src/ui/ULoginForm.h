// TLogForm: the logon window's logic — list and new-user modes, the policy
// switches, and the validation that opens or creates the user. The view
// (ILogonView) shows it and reports the person's actions.
#pragma once

#include <string>
#include <vector>

#include "ui/Forms.h"

namespace strevo {

class IUserBlocks;

class TLogForm {
 public:
  explicit TLogForm(ILogonView& view) : view_(view) {}

  // Localized texts; called once the language is loaded.
  void FormCreate();
  // Shows the window modally (list mode first) and returns the result:
  // 1 with CurrentUser set, 2 cancelled.
  ModalResult ShowModal();
  bool Showing() { return view_.Showing(); }
  void EndModal(ModalResult result) { view_.EndModal(result); }

  void SetMode(int mode);
  // A button of the window, by its name ("GoBtn", "CancelBtn", "CloseBtn",
  // "NewUserBtn", "BackBtn"). True when the window closes.
  bool Click(const std::string& control);
  // Enter (13) and Escape (27); true when handled.
  bool ShortCut(int key, bool& closes);
  // The validation run when the window would close; true lets it close.
  bool CloseQuery();

  // Set by the tray core before showing. The user opened here loads into
  // Blocks (the session's analysis of its user).
  IUserBlocks* Blocks = nullptr;
  std::string ListPrompt, NewUserPrompt, ProposedName;
  bool NoConfirmNewUser = false;
  std::string ProductName;
  std::string GoCaption = "OK", CancelCaption = "Cancel";
  bool DontShowAgainVisible = false;
  bool DontShowAgainChecked = false;

  // What the window shows.
  int Mode = 1;
  std::string InfoText;
  std::string NameText;  // the name field
  std::vector<std::string> NameList;
  bool NewUserBtnVisible = false;
  bool BackBtnVisible = false;
  bool PasswordsUsed = false;
  std::string NewUserCaption = "New user", BackCaption = "View existing users", NameLabel = "User name",
              DontShowAgainCaption = "Don't show this window again";
  ModalResult Result = ModalResult::None;

 private:
  bool CreateNewUser(const std::string& name);
  ILogonView& view_;
};

}  // namespace strevo
