// The logon window: the name rules, new-user and list modes, the policy
// switches and the confirmation before a user is created.
#include <gtest/gtest.h>

#include <algorithm>
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
#include "ui/ULoginForm.h"

namespace strevo {
namespace {

class LogonFormTest : public test::UserDatabaseTest {
 protected:
  void SetUp() override {
    UserDatabaseTest::SetUp();
    Localize().Strings[415] = "Please enter your name.";
    Localize().Strings[420] = "New users are not allowed.";
    Localize().Strings[421] = "Create the user ";
    Localize().Strings[422] = "?";
    Localize().Strings[424] = "The user ";
    Localize().Strings[425] = " exists already.";
    // Ann has used the program before.
    fake.WriteHostFile("C:\\Data\\Ann.usr", "UserName=Ann\r\nDateStarted=1/2/2020\r\nTop1000loaded=1\r\n");
    form.FormCreate();
    form.ListPrompt = "Who are you?";
    form.NewUserPrompt = "Your name:";
  }

  // Types a name and presses OK; true when the window closes.
  bool Go(const std::string& name) {
    form.NameText = name;
    return form.Click("GoBtn");
  }
  std::string LastMessage() { return fake.dialogs.shown.empty() ? "(none)" : fake.dialogs.shown.back().text; }
  bool ProfileExists(const std::string& base) { return fake.files.FileExists("C:\\Data\\" + base + ".usr"); }

  FakeLogonView view;
  TLogForm form{view};
};

TEST_F(LogonFormTest, NameOfBlanksIsRefusedWith415AndTheWindowStaysOpen) {
  view.script = {{"type", "   "}, {"go", ""}, {"type", "ann"}, {"go", ""}};
  EXPECT_EQ(form.ShowModal(), ModalResult::Ok);
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.dialogs.shown[0].text, "Please enter your name.");
  EXPECT_EQ(fake.dialogs.shown[0].caption, "Quorvel");
  EXPECT_EQ(view.prompts, std::vector<std::string>{"Who are you?"});
  ASSERT_TRUE(CurrentUser);
  EXPECT_EQ(CurrentUser->Name(), "Ann");
}

// New-user mode starts with an empty name and refuses an existing one, which
// logs in from the list; Escape returns from new-user mode to the list and
// cancels from the list.
TEST_F(LogonFormTest, ExistingNameIsRefusedInNewUserModeButLogsInFromTheList) {
  form.SetMode(1);
  form.Click("NewUserBtn");
  EXPECT_EQ(form.Mode, 2);
  EXPECT_TRUE(form.NameText.empty());
  EXPECT_FALSE(Go("ann"));
  EXPECT_EQ(LastMessage(), "The user Ann exists already.");
  EXPECT_FALSE(CurrentUser) << "the refused user is not left as the current user";
  form.Click("BackBtn");
  EXPECT_TRUE(Go("ann"));
  EXPECT_EQ(form.Result, ModalResult::Ok);
  ASSERT_TRUE(CurrentUser);
  EXPECT_EQ(CurrentUser->Name(), "Ann");
  EXPECT_EQ(fake.dialogs.shown.size(), 1u);
  form.SetMode(2);
  bool closes = true;
  EXPECT_TRUE(form.ShortCut(27, closes));
  EXPECT_FALSE(closes);
  EXPECT_EQ(form.Mode, 1);
  EXPECT_FALSE(form.BackBtnVisible);
  EXPECT_EQ(form.InfoText, "Who are you?");
  EXPECT_TRUE(form.ShortCut(27, closes));
  EXPECT_TRUE(closes);
  EXPECT_EQ(form.Result, ModalResult::Cancel);
}

// PreventNewUsers refuses an unknown name with 420 and hides "new user";
// DisableUserList, read again before each showing, leaves the name field
// empty and without a list (neither the proposed name nor the names of the
// earlier showing remain).
TEST_F(LogonFormTest, PoliciesPreventNewUsersAndDisableTheUserList) {
  form.ProposedName = "Ann";
  form.SetMode(1);
  EXPECT_TRUE(form.NewUserBtnVisible);
  EXPECT_EQ(form.NameText, "Ann");
  EXPECT_NE(std::find(form.NameList.begin(), form.NameList.end(), "Ann"), form.NameList.end());
  Policy("PreventNewUsers=1\r\n");
  form.SetMode(1);
  EXPECT_FALSE(form.NewUserBtnVisible);
  EXPECT_FALSE(Go("bob"));
  EXPECT_EQ(LastMessage(), "New users are not allowed.");
  EXPECT_FALSE(CurrentUser);
  EXPECT_FALSE(ProfileExists("Bob"));
  EXPECT_TRUE(Go("ann")) << "existing users still log in";
  Policy("DisableUserList=1\r\n");
  view.script = {{"cancel", ""}};
  EXPECT_EQ(form.ShowModal(), ModalResult::Cancel);
  EXPECT_TRUE(form.NameText.empty());
  EXPECT_TRUE(form.NameList.empty());
}

// A new user is confirmed first: "No" keeps the window open and creates
// nothing; without confirmation the user is made at once.
TEST_F(LogonFormTest, NewUsersAreConfirmedUnlessTheSettingSaysNot) {
  form.SetMode(1);
  fake.dialogs.answers = {mb::kIdNo, mb::kIdYes};
  EXPECT_FALSE(Go("bob"));
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.dialogs.shown[0].text, "Create the user Bob?");
  EXPECT_EQ(fake.dialogs.shown[0].flags, mb::kYesNo | mb::kIconQuestion);
  EXPECT_FALSE(CurrentUser);
  EXPECT_FALSE(ProfileExists("Bob"));
  EXPECT_TRUE(Go("bob"));
  ASSERT_TRUE(CurrentUser);
  EXPECT_EQ(CurrentUser->Name(), "Bob");
  CurrentUser.reset();
  form.NoConfirmNewUser = true;
  form.SetMode(1);
  EXPECT_FALSE(form.NewUserBtnVisible);
  EXPECT_TRUE(Go("eve"));
  EXPECT_EQ(fake.dialogs.shown.size(), 2u);
  ASSERT_TRUE(CurrentUser);
  EXPECT_EQ(CurrentUser->Name(), "Eve");
}

}  // namespace
}  // namespace strevo
