// The developer's trace: nesting, prefixes, the time stamp and the row limit.
#include <string>

#include "storage/DateTime.h"
#include "storage/DebugLog.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

class DebugLogTest : public test::PlatformTest {
 protected:
  static constexpr const char* kLog = "C:\\trace.log";

  void SetUp() override {
    fake.clock.SetNow(encode_date(2025, 12, 9) + encode_time(14, 5, 9));
    SetDebugLog(kLog);
  }
  void TearDown() override { SetDebugLog(""); }

  std::string Log() { return fake.ReadHostFile(kLog); }
};

constexpr const char* kStamp = "2:05:09 PM ";

// Block rows are indented one tab per open block, the row after a block is
// not; level 1 has a blank prefix, level 3 is never indented and an
// unmatched close never indents below zero. Rows are appended.
TEST_F(DebugLogTest, NestingPrefixesAndIndents) {
  fake.WriteHostFile(kLog, "earlier\r\n");
  DebugLog(2, "outer");
  DebugLog(2, "inner");
  DebugLog(1, "detail");
  DebugLog(3, "arrow");
  DebugLog(-2, "inner");
  DebugLog(-2, "outer");
  EXPECT_EQ(DebugLogDepth(), 0);
  DebugLog(-2, "stray");
  DebugLog(0, "after");
  const std::string s = kStamp;
  EXPECT_EQ(Log(), "earlier\r\n" + s + "\t{outer\r\n" + s + "\t\t{inner\r\n" + s + "\t\t detail\r\n" + s +
                       "--> arrow\r\n" + s + "\t\t}inner\r\n" + s + "\t}outer\r\n" + s + "}stray\r\n" + s + "after\r\n");
}

// Switched off it writes nothing; a row that cannot be written is lost but
// its nesting still counts; a long text gives a 500-character row without a
// line end.
TEST_F(DebugLogTest, OffUnwritableAndOverlongRows) {
  SetDebugLog("");
  DebugLog(2, "TTrayMain.EnableNow");
  EXPECT_EQ(DebugLogDepth(), 0);
  EXPECT_TRUE(Files().List("C:\\", "*").empty());
  SetDebugLog(kLog);
  fake.files.Add({FileFault::FailOpen, "trace.log", 0});
  DebugLog(2, "lost");
  EXPECT_FALSE(Files().FileExists(kLog));
  EXPECT_EQ(DebugLogDepth(), 1);
  fake.files.ClearFaults();
  DebugLog(-2, "lost");
  DebugLog(0, std::string(600, 'x'));
  EXPECT_EQ(Log(), kStamp + std::string("\t}lost\r\n") + kStamp + std::string(500 - 11, 'x'));
}

}  // namespace
}  // namespace strevo
