// The settings dialog's applications page: the rows it offers and what its
// check boxes write back. What the dialog shows and writes otherwise is in
// the scenarios of tests/core/scenarios/SettingsDialogTest.
#include <gtest/gtest.h>

#include <string>

#include "analysis/AnalyzerAPI.h"
#include "input/SpyApps.h"
#include "sim/FakeForms.h"
#include "storage/DynamicSettings.h"
#include "storage/User.h"
#include "support/UserDatabase.h"
#include "ui/ChooseAppsFrm.h"

namespace strevo {
namespace {

class SettingsDialogTest : public test::UserDatabaseTest {
 protected:
  void SetUp() override {
    UserDatabaseTest::SetUp();
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

  std::unique_ptr<TUser> user;
  FakeSettingsView view;
  TChooseApplications dialog{view};
};

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
