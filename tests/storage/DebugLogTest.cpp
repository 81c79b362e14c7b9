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

TEST_F(DebugLogTest, SwitchedOffWritesNothingAndKeepsTheDepth) {
  SetDebugLog("");
  EXPECT_FALSE(DebugLogOn());
  DebugLog(2, "TTrayMain.EnableNow");
  DebugLog(0, "text");
  EXPECT_EQ(DebugLogDepth(), 0);
  EXPECT_FALSE(Files().FileExists(kLog));
  EXPECT_TRUE(Files().List("C:\\", "*").empty());
}

// Block rows are indented one tab per open block, the row after a block is
// not; level 1 has a blank prefix and level 3 is never indented.
TEST_F(DebugLogTest, NestingPrefixesAndIndents) {
  DebugLog(2, "outer");
  DebugLog(2, "inner");
  EXPECT_EQ(DebugLogDepth(), 2);
  DebugLog(1, "detail");
  DebugLog(3, "arrow");
  DebugLog(-2, "inner");
  DebugLog(-2, "outer");
  EXPECT_EQ(DebugLogDepth(), 0);
  DebugLog(0, "after");
  const std::string s = kStamp;
  EXPECT_EQ(Log(), s + "\t{outer\r\n" + s + "\t\t{inner\r\n" + s + "\t\t detail\r\n" + s + "--> arrow\r\n" + s +
                       "\t\t}inner\r\n" + s + "\t}outer\r\n" + s + "after\r\n");
}

TEST_F(DebugLogTest, UnmatchedCloseNeverIndentsBelowZero) {
  DebugLog(-2, "stray");
  DebugLog(0, "plain");
  const std::string s = kStamp;
  EXPECT_EQ(Log(), s + "}stray\r\n" + s + "plain\r\n");
}

TEST_F(DebugLogTest, Text600LongGivesA500CharacterRowWithoutLineEnd) {
  DebugLog(0, std::string(600, 'x'));
  const std::string log = Log();
  ASSERT_EQ(log.size(), 500u);
  EXPECT_EQ(log, kStamp + std::string(500 - 11, 'x'));
}

TEST_F(DebugLogTest, TimeStampUsesTheLocaleLongTimeFormat) {
  fake.system.formats.longTime = "HH:mm:ss";
  fake.clock.SetNow(encode_date(2025, 12, 9) + encode_time(0, 7, 3));
  DebugLog(0, "night");
  EXPECT_EQ(Log(), "00:07:03 night\r\n");
}

TEST_F(DebugLogTest, RowsAreAppendedToAnExistingFile) {
  fake.WriteHostFile(kLog, "earlier\r\n");
  DebugLog(0, "now");
  EXPECT_EQ(Log(), std::string("earlier\r\n") + kStamp + "now\r\n");
}

TEST_F(DebugLogTest, RowIsLostWhenTheFileCannotBeOpened) {
  fake.files.Add({FileFault::FailOpen, "trace.log", 0});
  DebugLog(2, "lost");
  EXPECT_FALSE(Files().FileExists(kLog));
  EXPECT_EQ(DebugLogDepth(), 1);  // the nesting still counts
}

}  // namespace
}  // namespace strevo
