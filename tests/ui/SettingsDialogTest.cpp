// The settings dialog: what it reads into its controls on show, the texts
// that follow the track bars, and what OK writes back.
#include <gtest/gtest.h>

#include <string>

#include "analysis/AnalyzerAPI.h"
#include "input/SpyApps.h"
#include "platform/Application.h"
#include "sim/FakeForms.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "storage/User.h"
#include "support/UserDatabase.h"
#include "ui/ChooseAppsFrm.h"

namespace strevo {
namespace {

const char* const kStation = "C:\\Data\\TESTPC.wk10";

class SettingsDialogTest : public test::UserDatabaseTest {
 protected:
  void SetUp() override {
    UserDatabaseTest::SetUp();
    Localize().Strings[1462] = "Recommend a break after";
    fake.system.userName = "ann";
    user = CreateUser("Ann", &analysis);
    ASSERT_TRUE(user);
    dialog.SetUserSettings(user.get());
  }
  void TearDown() override {
    user.reset();
    WorkstationSettings.reset();
    UserDatabaseTest::TearDown();
  }

  // The workstation file as the tray core opens it before the dialog shows.
  void Station(const std::string& text) {
    WorkstationSettings.reset();
    fake.WriteHostFile(kStation, text);
    ASSERT_TRUE(OpenWorkstationSettings(kStation));
  }

  std::unique_ptr<TUser> user;
  FakeSettingsView view;
  TChooseApplications dialog{view};
};

// A stored word limit of 0 becomes 2000, written back on show; the limit
// shows as whole fifties and is written back as such; the break interval
// shows in quarter hours.
TEST_F(SettingsDialogTest, TrackBarsShowTheStoredLimits) {
  user->SetInteger("WordCollLimit", 0);
  user->SetInteger("BreakTrackBar.position", 1);
  dialog.FormShow();
  EXPECT_EQ(dialog.WordCount, 40);
  EXPECT_EQ(user->GetInteger("WordCollLimit"), 2000) << "written back before OK";
  EXPECT_EQ(dialog.WordsLabel, "Strevo is allowed to store 2000 popular/difficult words on this device");
  EXPECT_EQ(dialog.TakeABreakCaption, "Recommend a break after 0:15 h");
  dialog.BreakInterval = 6;
  dialog.RefreshTexts();
  EXPECT_EQ(dialog.TakeABreakCaption, "Recommend a break after 1:30 h");
  user->SetInteger("WordCollLimit", 75);
  user->SetInteger("BreakTrackBar.position", 10);
  dialog.FormShow();
  EXPECT_EQ(dialog.WordCount, 1);
  EXPECT_EQ(dialog.TakeABreakCaption, "Recommend a break after 2:30 h");
  dialog.OkClick();
  EXPECT_EQ(user->GetInteger("WordCollLimit"), 50);
}

// One radio button of three on show: the user list unless another
// identification is stored under this Windows account's keys; of two stored
// (as the logon window's "don't show again" leaves them after an earlier OK
// with the list chosen) the later button of the group wins, and OK writes it
// under the Windows account's name.
TEST_F(SettingsDialogTest, UserIdentificationIsOneChoiceEvenWhenTwoAreStored) {
  struct Case {
    const char* station;
    bool list, selected, loggedOff;
  };
  for (const Case& c : {
           Case{"ShowUserList.ann=0\r\n", true, false, false},
           Case{"ShowUserList.ann=0\r\nUseSelectedUser.ann=1\r\nSelectedUser.ann=Bo\r\n", false, true, false},
           Case{"ShowUserList.ann=0\r\nLoggedOffMode.ann=1\r\n", false, false, true},
           Case{"UseSelectedUser.bob=1\r\nUseSelectedUser=1\r\nShowUserList.ann=0\r\n", true, false, false},
           Case{"ShowUserList.ann=1\r\nUseSelectedUser.ann=1\r\nLoggedOffMode.ann=1\r\n", false, false, true},
           Case{"ShowUserList.ann=1\r\nUseSelectedUser.ann=1\r\nSelectedUser.ann=Ann\r\n", false, true, false},
       }) {
    Station(c.station);
    dialog.FormShow();
    EXPECT_EQ(dialog.ShowUserList, c.list) << c.station;
    EXPECT_EQ(dialog.UseSelectedUser, c.selected) << c.station;
    EXPECT_EQ(dialog.LoggedOffMode, c.loggedOff) << c.station;
  }
  EXPECT_EQ(dialog.SelectedUser, "Ann");
  dialog.OkClick();
  EXPECT_FALSE(WorkstationSettings->GetBool("ShowUserList.ann"));
  EXPECT_TRUE(WorkstationSettings->GetBool("UseSelectedUser.ann"));
  EXPECT_EQ(WorkstationSettings->GetString("SelectedUser.ann"), "Ann");
  EXPECT_EQ(WorkstationSettings->GetString("LoggedOffMode.ann"), "0");
  EXPECT_NE(WorkstationSettings->GetString("LaunchAtStartup.ann"), "");
  EXPECT_EQ(WorkstationSettings->GetString("LaunchAtStartup"), "") << "only under the account's name";
}

TEST_F(SettingsDialogTest, PolicyForbiddingWordCollectionForcesDoNotCollectWordsOnEveryShow) {
  Policy("DoNotCollectWords=1\r\n");
  dialog.FormShow();
  EXPECT_TRUE(dialog.DoNotCollectWords);
  EXPECT_TRUE(user->GetBool("DoNotCollectWords"));
  dialog.DoNotCollectWords = false;
  dialog.NotifyWhenDifficulties = false;
  dialog.OkClick();
  EXPECT_FALSE(user->GetBool("DoNotCollectWords"));
  EXPECT_FALSE(user->GetBool("NotifyWhenDifficulties"));
  dialog.FormShow();
  EXPECT_TRUE(dialog.DoNotCollectWords);
}

// The applications page offers every application that is not hidden, its
// check box is monitoring, a change of view keeps what was changed, and OK
// writes the rows back into the user's list.
TEST_F(SettingsDialogTest, ApplicationsPageChecksWriteTheMonitoredApplications) {
  Applications()->Items.clear();  // the new user's default list
  Applications()->AddApp(true, "editor.exe", "Editor", "", false);
  Applications()->AddApp(false, "mail.exe", "Mail", "QV", false);
  Applications()->AddApp(false, "DRAXEL.EXE", "Quorvel Wayfen", "", true);
  user->SetInteger("AppListMode", 2);
  dialog.FormShow();
  ASSERT_EQ(dialog.CheckList.size(), 2u) << "the hidden one is never offered";
  EXPECT_EQ(dialog.CheckList[0].Key, "EDITOR.EXE");
  EXPECT_TRUE(dialog.CheckList[0].Monitored);
  EXPECT_FALSE(dialog.CheckList[1].Monitored);
  dialog.AppsCheckListClickCheck(0, false);
  dialog.AppsCheckListClickCheck(1, true);
  dialog.ViewActiveChkClick();
  EXPECT_TRUE(dialog.CheckList.empty()) << "no recorded process runs";
  EXPECT_EQ(user->GetInteger("AppListMode"), 1);
  dialog.ViewAllChkClick();
  ASSERT_EQ(dialog.CheckList.size(), 2u);
  EXPECT_FALSE(dialog.CheckList[0].Monitored) << "a change survives a change of view";
  dialog.OkClick();
  const auto& items = Applications()->Items;
  EXPECT_FALSE(items[0].App->IsEnabled());
  EXPECT_TRUE(items[1].App->IsEnabled());
  EXPECT_FALSE(items[2].App->IsEnabled()) << "the hidden one stays as it was";
  analysis.Applications()->Drop();
  dialog.FormShow();
  EXPECT_TRUE(dialog.CheckList.empty()) << "no list, no rows of an earlier showing";
  dialog.OkClick();
}

}  // namespace
}  // namespace strevo
