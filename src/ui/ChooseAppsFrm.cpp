#include "ui/ChooseAppsFrm.h"

#include <cstdio>

#include "platform/Platform.h"
#include "storage/DebugLog.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/Numbers.h"
#include "storage/ToolBox.h"
#include "storage/User.h"

namespace strevo {

namespace {

std::string account_key(const std::string& key) { return key + "." + WindowsUserName(); }

// "%i"/"%d" in a localized text replaced by a number.
std::string with_number(const std::string& text, int value) {
  for (const char* marker : {"%i", "%d"}) {
    const size_t at = text.find(marker);
    if (at != std::string::npos) return text.substr(0, at) + std::to_string(value) + text.substr(at + 2);
  }
  return text;
}

// The text of singularId for one, of pluralId for any other count; a
// language file without the singular says the plural.
std::string counted_text(int count, int singularId, int pluralId) {
  if (count == 1) {
    const std::string singular = LangStr(singularId);
    if (singular != kMissingString && singular != kUnsetString) return singular;
  }
  return LangStr(pluralId);
}

}  // namespace

void TChooseApplications::FormCreate() { Caption = LangStr(1287); }

void TChooseApplications::ShowFigures(TUser& user, int64_t totalHits, int64_t monitoredHits, int64_t mouseClicks,
                                      int bigramCount) {
  const int32_t days = user.GetInteger("WayfenDays.counter");
  DateStarted = std::to_string(days) + counted_text(days, 1796, 1273) + " " + user.GetString("DateStarted");
  TotalHits = std::to_string(totalHits);
  StatpanelHint = "Mouse Clicks: " + std::to_string(mouseClicks);
  AnalyzedHits = std::to_string(monitoredHits);
  BigramCountLbl = std::to_string(bigramCount);
  UsrNameLbl2 = user.Name();
  DoNotCollectWordsEnabled = !(PolicySettings && PolicySettings->GetBool("DoNotCollectWords"));
  if (!DoNotCollectWordsEnabled) user.SetBool("DoNotCollectWords", true);
  SetUserSettings(&user);
}

ModalResult TChooseApplications::ShowModal() {
  Result = ModalResult::None;
  FormShow();
  return view_.ShowModal(*this);
}

void TChooseApplications::FormShow() {
  if (!user_) return;
  TUser& user = *user_;
  DoNotDisplayTxt = user.GetBool("DoNotScroll");
  AppListMode = user.GetInteger("AppListMode") == 2 ? 2 : 1;
  CheckList.clear();  // nothing of an earlier showing or user
  checkChanges_.clear();
  updateCheckList(AppListMode);
  AppliedWinUser = LangStr(1326) + " (" + WindowsUserName() + ")";
  NotifyWhenDifficulties = user.GetBool("NotifyWhenDifficulties");
  PagesTrackBar = user.GetInteger("PagesTrackBar.position");
  TakeABreak = user.GetBool("NotifyWhenBreak");
  BreakInterval = user.GetInteger("BreakTrackBar.position");
  if (user.GetInteger("WordCollLimit") == 0) user.SetInteger("WordCollLimit", 2000);
  WordCount = user.GetInteger("WordCollLimit") / 50;
  if (PolicySettings && PolicySettings->GetBool("DoNotCollectWords")) user.SetBool("DoNotCollectWords", true);
  DoNotCollectWords = user.GetBool("DoNotCollectWords");
  if (WorkstationSettings) {
    LaunchAtStartup = WorkstationSettings->GetBool(account_key("LaunchAtStartup"));
    ShowUserList = WorkstationSettings->GetBool(account_key("ShowUserList"));
    UseSelectedUser = WorkstationSettings->GetBool(account_key("UseSelectedUser"));
    SelectedUser = WorkstationSettings->GetString(account_key("SelectedUser"));
    LoggedOffMode = WorkstationSettings->GetBool(account_key("LoggedOffMode"));
    // The three are one radio group read in this order: a button checked
    // unchecks the ones checked before it. The logon window's "don't show
    // again" stores UseSelectedUser without clearing ShowUserList.
    if (UseSelectedUser) ShowUserList = false;
    if (LoggedOffMode) ShowUserList = UseSelectedUser = false;
  }
  if (!UseSelectedUser && !LoggedOffMode) ShowUserList = true;
  RefreshTexts();
  SelectedUserList = UserNames(-1);
  UserNameLbl = user.Name();
  StatusLabel = LangStr(LaunchAtStartup ? 1327 : 1328);
}

void TChooseApplications::RefreshTexts() {
  NotifyCaption = with_number(counted_text(PagesTrackBar, 1797, 1325), PagesTrackBar);
  const double hours = BreakInterval / 4.0;
  const int minutes = static_cast<int>(round_half_even(hours * 60));
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%1.1d:%2.2d", minutes / 60, minutes % 60);
  TakeABreakCaption = LangStr(1462) + " " + buffer + " h";
  std::snprintf(buffer, sizeof buffer, "%d", WordCount * 50);
  WordsLabel = std::string("Strevo is allowed to store ") + buffer + " popular/difficult words on this device";
  WordCountVisible = !DoNotCollectWords;
}

void TChooseApplications::DoNotCollectWordsClick() { RefreshTexts(); }

void TChooseApplications::updateCheckList(int mode) {
  DebugLog(0, "TChooseApplications.updateCheckList{");
  IApplicationList* list = user_ ? user_->Applications() : nullptr;
  if (!list || !list->Loaded()) {
    DebugLog(0, "} TChooseApplications.updateCheckList - SpyedApps was NIL");
    return;
  }
  CheckList = list->Offered(mode == 1);
  for (IApplicationList::Offer& row : CheckList) {
    DebugLog(0, "in memory: " + row.Key);
    // What the person changed before switching the view.
    if (const auto change = checkChanges_.find(row.Key); change != checkChanges_.end()) row.Monitored = change->second;
  }
}

void TChooseApplications::ViewAllChkClick() {
  AppListMode = 2;
  updateCheckList(2);
  if (user_) user_->SetInteger("AppListMode", 2);
}

void TChooseApplications::ViewActiveChkClick() {
  AppListMode = 1;
  updateCheckList(1);
  if (user_) user_->SetInteger("AppListMode", 1);
}

void TChooseApplications::AppsCheckListClickCheck(size_t row, bool checked) {
  DebugLog(0, "TChooseApplications.AppsCheckListClickCheck()");
  if (row >= CheckList.size()) return;
  CheckList[row].Monitored = checked;
  checkChanges_[CheckList[row].Key] = checked;
}

void TChooseApplications::WriteSettings() {
  if (!user_) return;
  TUser& user = *user_;
  user.SetBool("DoNotScroll", DoNotDisplayTxt);
  user.SetInteger("WordCollLimit", WordCount * 50);
  user.SetBool("DoNotCollectWords", DoNotCollectWords);
  user.SetBool("NotifyWhenDifficulties", NotifyWhenDifficulties);
  user.SetInteger("PagesTrackBar.position", PagesTrackBar);
  user.SetBool("NotifyWhenBreak", TakeABreak);
  user.SetInteger("BreakTrackBar.position", BreakInterval);
  if (WorkstationSettings) {
    WorkstationSettings->SetBool(account_key("LaunchAtStartup"), LaunchAtStartup);
    WorkstationSettings->SetBool(account_key("ShowUserList"), ShowUserList);
    WorkstationSettings->SetBool(account_key("UseSelectedUser"), UseSelectedUser);
    WorkstationSettings->SetString(account_key("SelectedUser"), SelectedUser);
    WorkstationSettings->SetBool(account_key("LoggedOffMode"), LoggedOffMode);
  }
  if (IApplicationList* list = user.Applications(); list && list->Loaded())
    for (const auto& [key, monitored] : checkChanges_) list->SetMonitored(key, monitored);
}

void TChooseApplications::OkClick() {
  WriteSettings();
  Result = ModalResult::Ok;
  view_.EndModal(ModalResult::Ok);
}

void TChooseApplications::LogoffClick() {
  DebugLog(0, "TChooseApplications.LogoffBtnclick()");
  WriteSettings();
  Result = ModalResult::ChangeUser;
  view_.EndModal(ModalResult::ChangeUser);
}

void TChooseApplications::CenterClick() {
  if (!user_) return;
  user_->SetInteger("InfoWinTop", -1);
  user_->SetInteger("InfoWinLeft", -1);
  user_->SetInteger("InfoWinWidth", 295);
  user_->SetInteger("InfoWinHeight", 213);
  user_->SetInteger("InfoWinVisible", 1);
  user_->SetInteger("ResetWidgetToScreen", 1);
}

}  // namespace strevo
