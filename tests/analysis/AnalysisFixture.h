// Fixture for the analysis tests: a fresh fake platform and the analysis
// module initialised (fresh singletons and an empty word table).
#pragma once

#include "analysis/AnalyzerAPI.h"
#include "support/Fixture.h"

namespace strevo::test {

class AnalysisTest : public PlatformTest {
 protected:
  void SetUp() override { AnalyzerInitialize(); }
  void TearDown() override {
    while (AnalyzerInitialized()) AnalyzerFinalize();
  }
};

}  // namespace strevo::test
