// Test fixture: a fake platform with an installation whose data root is
// C:\Root\ (an empty policy and group 0) and whose user database is
// C:\Data\, a user analysis with an applications list for the users the
// tests open, and the language's letter sets loaded. Everything
// process-wide is put back afterwards.
#pragma once

#include <memory>
#include <string>

#include "analysis/UserAnalysis.h"
#include "input/SpyApps.h"
#include "platform/Application.h"
#include "storage/DebugLog.h"
#include "storage/DynamicSettings.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "storage/User.h"
#include "support/Fixture.h"
#include "support/Installation.h"

namespace strevo::test {

class UserDatabaseTest : public PlatformTest {
 protected:
  void SetUp() override {
    Application().Reset();
    ResetPolicy();
    Localize().Clear();
    InstallUserDatabase(fake);
    Localize().Strings[546] = "Processing database, please wait...";
  }
  void TearDown() override {
    CurrentUser.reset();
    ResetPolicy();
    ProgramSettings.reset();
    Localize().Clear();
    Application().Reset();
    SetDebugLog("");
  }
  // The monitored applications the users opened into analysis loaded; none
  // while no user holds them.
  TSpyedApps* Applications() { return static_cast<TUserApplications*>(analysis.Applications())->List(); }

  UserAnalysis analysis{std::make_unique<TUserApplications>()};

  // The installation's policy file, loaded.
  void Policy(const std::string& text) {
    fake.WriteHostFile("C:\\Root\\policy.dyn", text);
    LoadPolicy("C:\\Root\\policy.dyn");
  }
};

}  // namespace strevo::test
