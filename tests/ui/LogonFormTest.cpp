// The logon window's Escape key, which no script reaches: from new-user
// mode back to the list, from the list a cancel. What the window refuses,
// confirms and creates is in the scenarios of
// tests/core/scenarios/LogonWindowTest.
#include <gtest/gtest.h>

#include "sim/FakeForms.h"
#include "support/UserDatabase.h"
#include "ui/ULoginForm.h"

namespace strevo {
namespace {

using LogonFormTest = test::UserDatabaseTest;

TEST_F(LogonFormTest, EscapeLeavesNewUserModeAndCancelsFromTheList) {
  FakeLogonView view;
  TLogForm form{view};
  form.FormCreate();
  form.ListPrompt = "Who are you?";
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

}  // namespace
}  // namespace strevo
