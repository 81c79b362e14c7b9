// Fixture for the analysis tests: a fresh fake platform, the analysis module
// initialised (fresh singletons and an empty word table), and a debug log on
// the fake drive that a test can switch on and read back.
#pragma once

#include <string>

#include "analysis/AnalyzerAPI.h"
#include "storage/DebugLog.h"
#include "support/Fixture.h"

namespace strevo::test {

class AnalysisTest : public PlatformTest {
 protected:
  void SetUp() override { AnalyzerInitialize(); }
  void TearDown() override {
    while (AnalyzerInitialized()) AnalyzerFinalize();
    SetDebugLog("");
  }

  void EnableLog() { SetDebugLog("C:\\debug.log"); }
  std::string LogText() { return fake.ReadHostFile("C:\\debug.log"); }
  bool Logged(const std::string& text) { return LogText().find(text) != std::string::npos; }
};

}  // namespace strevo::test
