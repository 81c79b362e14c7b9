#include "ui/ULoginForm.h"

#include "platform/Platform.h"
#include "storage/DebugLog.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/User.h"

namespace strevo {

namespace {

int Warn(const std::string& text) {
  return Dialogs().ShowMessage(text, Localize().GetPChar(1), mb::kIconExclamation);
}

}  // namespace

void TLogForm::FormCreate() {
  NoConfirmNewUser = false;
  ListPrompt.clear();
  NewUserPrompt.clear();
  ProposedName.clear();
  GoCaption = LangStr(1173);
  NewUserCaption = LangStr(1674);
  NameLabel = LangStr(1365);
  BackCaption = LangStr(1676);
  DontShowAgainCaption = LangStr(1679);
  CancelCaption = LangStr(722);
}

ModalResult TLogForm::ShowModal() {
  ProductName = LangStr(1);
  Result = ModalResult::None;
  SetMode(1);
  return view_.ShowModal(*this);
}

void TLogForm::SetMode(int mode) {
  Mode = mode;
  if (mode == 2) {
    BackBtnVisible = true;
    NewUserBtnVisible = false;
    InfoText = NewUserPrompt;
    NameList.clear();
    NameText.clear();
    return;
  }
  BackBtnVisible = false;
  NewUserBtnVisible = PolicySettings && !PolicySettings->GetBool("PreventNewUsers") && !NoConfirmNewUser;
  InfoText = ListPrompt;
  if (PolicySettings && !PolicySettings->GetBool("DisableUserList")) {
    NameText = ProposedName;
    NameList = UserNames(-1);
  } else {
    // The form lives for the whole run and the policy is read again before
    // each showing: a hidden list must not keep the names of an earlier one.
    NameText.clear();
    NameList.clear();
  }
}

bool TLogForm::Click(const std::string& control) {
  if (control == "GoBtn") {
    Result = ModalResult::GoPressed;
    return CloseQuery();
  }
  if (control == "CancelBtn" || control == "CloseBtn") {
    Result = ModalResult::Cancel;
    return true;
  }
  if (control == "NewUserBtn") SetMode(2);
  if (control == "BackBtn") SetMode(1);
  return false;
}

bool TLogForm::ShortCut(int key, bool& closes) {
  closes = false;
  if (key == 13) {
    closes = Click("GoBtn");
    return true;
  }
  if (key == 27) {
    closes = Click(Mode == 1 ? "CancelBtn" : "BackBtn");
    return true;
  }
  return false;
}

bool TLogForm::CreateNewUser(const std::string& name) {
  try {
    CurrentUser = CreateUser(name, Blocks);
    return true;
  } catch (const std::exception& error) {
    Warn(LangStr(417) + name + LangStr(418) + "\r" + error.what());
    return false;
  }
}

bool TLogForm::CloseQuery() {
  DebugLog(0, "Modresult " + std::to_string(static_cast<int>(Result)));
  if (Result != ModalResult::GoPressed) return true;
  Result = ModalResult::Ok;
  const std::string name = NormalizeUserName(NameText);
  NameText = name;
  if (name.empty()) {
    Warn(LangStr(415));
    return false;
  }
  try {
    CurrentUser.reset();  // the profile stays open while held: release it before reopening
    CurrentUser = OpenUser(name, false, kAnyGroup, lock_mode::ReadWrite, Blocks);
  } catch (const std::exception& error) {
    CurrentUser.reset();
    Warn(LangStr(417) + name + LangStr(418) + "\r" + error.what());
    return false;
  }
  if (Mode == 2) {
    if (CurrentUser) {
      Warn(LangStr(424) + name + LangStr(425));
      CurrentUser.reset();
      return false;
    }
    return CreateNewUser(name);
  }
  if (CurrentUser) return true;
  if (PolicySettings && PolicySettings->GetBool("PreventNewUsers")) {
    Warn(LangStr(420));
    return false;
  }
  if (!NoConfirmNewUser) {
    const int answer = Dialogs().ShowMessage(LangStr(421) + name + LangStr(422), Localize().GetPChar(1),
                                             mb::kYesNo | mb::kIconQuestion);
    if (answer != mb::kIdYes) return false;
  }
  return CreateNewUser(name);
}

}  // namespace strevo
