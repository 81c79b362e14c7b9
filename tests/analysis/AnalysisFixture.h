// Fixture for the analysis tests: a fresh fake platform, a pipeline and a
// user's analysis (empty key sets and word table), connected.
#pragma once

#include "analysis/AnalyzerAPI.h"
#include "analysis/UserAnalysis.h"
#include "support/Fixture.h"

namespace strevo::test {

class AnalysisTest : public PlatformTest {
 protected:
  void SetUp() override { analyzer.SetUser(&user); }

  UserAnalysis user;
  TAnalyzer analyzer;
};

}  // namespace strevo::test
