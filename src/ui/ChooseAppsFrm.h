// TChooseApplications: the settings dialog's logic — which user and
// per-account settings its controls show, what OK and "Change User" write,
// and the texts that follow the track bars. The view shows the controls.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "storage/UserBlocks.h"
#include "ui/Forms.h"

namespace strevo {

class TUser;

class TChooseApplications {
 public:
  explicit TChooseApplications(ISettingsView& view) : view_(view) {}

  void FormCreate();  // localized texts
  void SetUserSettings(TUser* user) { user_ = user; }
  ModalResult ShowModal();
  bool Showing() { return view_.Showing(); }
  void EndModal(ModalResult result) { view_.EndModal(result); }
  void Focus() { view_.Focus(); }

  // Reads the settings into the controls (on show).
  void FormShow();
  // Writes the controls back (OK and Change User).
  void WriteSettings();
  void OkClick();      // result 1
  void LogoffClick();  // result 3
  void CenterClick();  // resets the widget's place
  void RefreshTexts();
  void DoNotCollectWordsClick();

  // The applications page: the user's monitored applications (hidden ones
  // never), those running now (AppListMode 1) or all of them (2). A row's
  // check box is whether typing in it is monitored; OK and "Change User"
  // write the rows back into the list.
  void updateCheckList(int mode);
  void ViewAllChkClick();
  void ViewActiveChkClick();
  void AppsCheckListClickCheck(size_t row, bool checked);

  // The statistics page and the user's settings, before showing: the
  // program's counters, the letter pairs known, and the user's own figures.
  // A policy that forbids collecting words locks that setting on.
  void ShowFigures(TUser& user, int64_t totalHits, int64_t monitoredHits, int64_t mouseClicks, int bigramCount);

  std::string VersionLbl, DateStarted, TotalHits, StatpanelHint, AnalyzedHits, BigramCountLbl, UsrNameLbl2;
  bool DoNotCollectWordsEnabled = true;

  // Controls.
  bool DoNotDisplayTxt = false;
  int WordCount = 10;
  bool DoNotCollectWords = false;
  bool NotifyWhenDifficulties = false;
  int PagesTrackBar = 1;
  bool TakeABreak = false;
  int BreakInterval = 1;
  bool LaunchAtStartup = false;
  bool ShowUserList = true;
  bool UseSelectedUser = false;
  std::string SelectedUser = "Enter your name";
  std::vector<std::string> SelectedUserList;
  bool LoggedOffMode = false;
  std::string NotifyCaption, TakeABreakCaption, WordsLabel, StatusLabel, UserNameLbl, AppliedWinUser, Caption;
  bool WordCountVisible = true;
  int AppListMode = 1;
  std::vector<IApplicationList::Offer> CheckList;
  ModalResult Result = ModalResult::None;

 private:
  ISettingsView& view_;
  TUser* user_ = nullptr;
  std::map<std::string, bool> checkChanges_;  // by key, since the dialog showed
};

}  // namespace strevo
