// Typed settings with defaults, the policy values and the workstation file
// with its second copy.
#include <gtest/gtest.h>

#include "platform/Application.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

class TDynamicSettingsTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    Application().Reset();
    ResetPolicy();
    WorkstationSettings.reset();
    Localize().Clear();
  }
  void TearDown() override {
    ResetPolicy();
    WorkstationSettings.reset();
    Localize().Clear();
    Application().Reset();
  }
};

// Missing names and values that cannot be converted read as zero; a boolean
// is true for text beginning with T, Y or 1; a failed open is remembered.
TEST_F(TDynamicSettingsTest, TypedReadsAndFailedOpens) {
  fake.WriteHostFile("C:\\a.usr",
                     "i=abc\r\nl=9x\r\nf=one\r\nYes=Yes\r\ntrue=true\r\none=1\r\nTx=Tx\r\ny=y\r\n"
                     "no=no\r\nzero=0\r\nfalse=false\r\nempty=\r\ntwo=2\r\nblank= true\r\n");
  TDynamicSettings settings;
  EXPECT_EQ(settings.Load(), -1) << "never opened";
  ASSERT_EQ(settings.Open("C:\\a.usr", -3), 1);
  EXPECT_EQ(settings.GetInteger("i") + settings.GetInt64("l"), 0);
  EXPECT_EQ(settings.GetFloat("f"), 0.0f);
  EXPECT_EQ(settings.GetStrings("x"), nullptr);
  for (const char* name : {"Yes", "true", "one", "Tx", "y"}) EXPECT_TRUE(settings.GetBool(name)) << name;
  for (const char* name : {"no", "zero", "false", "empty", "two", "blank", "missing"})
    EXPECT_FALSE(settings.GetBool(name)) << name;
  EXPECT_EQ(settings.Open("C:\\none.grp", -4), -1);
  EXPECT_EQ(settings.FileName(), "C:\\none.grp");
  EXPECT_EQ(settings.Load(), -1);
  EXPECT_EQ(settings.GetString("Yes"), "");
}

// ------------------------------------------------------------- the policy --

TEST_F(TDynamicSettingsTest, WordLengthFallsBackToErrorFactorAndThenToFive) {
  struct Case {
    const char* file;
    int32_t expected;
  };
  const Case cases[] = {
      {"wpm_length=0\r\nErrorFactor=6\r\n", 6},   // 0 means "not set"
      {"", 5},                                    // neither key
      {"wpm_length=-3\r\n", 5},                   // below 1
      {"wpm_length=-3\r\nErrorFactor=6\r\n", 5},  // only 0 or missing reads ErrorFactor
      {"ErrorFactor=6\r\n", 6},                   // missing wpm_length
      {"wpm_length=7\r\nErrorFactor=6\r\n", 7},
      {"wpm_length=0\r\nErrorFactor=0\r\n", 5},
      {"wpm_length=four\r\nErrorFactor=4\r\n", 4},  // unreadable counts as 0
  };
  for (const Case& c : cases) {
    ResetPolicy();
    fake.WriteHostFile("C:\\Strevo\\policy.dyn", c.file);
    EXPECT_TRUE(LoadPolicy("C:\\Strevo\\policy.dyn")) << c.file;
    EXPECT_EQ(PolicyWpmLength, c.expected) << c.file;
  }
}

// The switches are read; the file is held shared (an administrator may
// still edit it) and never written; a missing one fails, creates nothing
// and keeps the defaults.
TEST_F(TDynamicSettingsTest, PolicyIsReadNeverWritten) {
  EXPECT_FALSE(LoadPolicy("C:\\Strevo\\policy.dyn"));
  EXPECT_FALSE(Files().FileExists("C:\\Strevo\\policy.dyn"));
  ASSERT_NE(PolicySettings, nullptr) << "readers still find an object";
  EXPECT_FALSE(PolicySettings->GetBool("DoNotCollectWords"));
  EXPECT_EQ(PolicyWpmLength, 5);
  ResetPolicy();
  const std::string text = "disable_colorkbd=1\r\nPrevent_Backspace=Yes\r\nDoNotCollectWords=true\n";
  fake.WriteHostFile("C:\\Strevo\\policy.dyn", text);
  ASSERT_TRUE(LoadPolicy("C:\\Strevo\\policy.dyn"));
  EXPECT_TRUE(PolicyDisableColorKeyboard);
  EXPECT_TRUE(PolicyPreventBackspace);
  EXPECT_TRUE(PolicySettings->GetBool("DoNotCollectWords"));
  TDynamicFile editor;
  EXPECT_EQ(editor.Open("C:\\Strevo\\policy.dyn", 1), 1);
  editor.Close();
  PolicySettings->SetString("DoNotCollectWords", "0");
  PolicySettings.reset();
  EXPECT_EQ(fake.ReadHostFile("C:\\Strevo\\policy.dyn"), text);
}

// ---------------------------------------------------- workstation settings --

// Made when missing; held by another session, the second copy is used.
// When neither can be read the program says so and ends: a SettingsFileTest
// scenario.
TEST_F(TDynamicSettingsTest, WorkstationFileOrItsSecondCopy) {
  fake.WriteHostFile("C:\\Db\\.keep", "");
  EXPECT_TRUE(OpenWorkstationSettings("C:\\Db\\TESTPC.wk10"));
  EXPECT_EQ(WorkstationSettings->FileName(), "C:\\Db\\TESTPC.wk10");
  WorkstationSettings->SetBool("LaunchAtStartup.tester", true);
  WorkstationSettings.reset();
  EXPECT_EQ(fake.ReadHostFile("C:\\Db\\TESTPC.wk10"), "LaunchAtStartup.tester=1\r\n");
  auto other = Files().Open("C:\\Db\\TESTPC.wk10", {FileAccess::ReadWrite, FileShare::Read, FileCreate::OpenExisting});
  ASSERT_TRUE(other);
  EXPECT_TRUE(OpenWorkstationSettings("C:\\Db\\TESTPC.wk10"));
  EXPECT_EQ(WorkstationSettings->FileName(), "C:\\Db\\TESTPC.wk10.2nd");
  EXPECT_TRUE(Files().FileExists("C:\\Db\\TESTPC.wk10.2nd"));
  EXPECT_TRUE(fake.dialogs.shown.empty());
  EXPECT_FALSE(Application().Terminated());
}

}  // namespace
}  // namespace strevo
