// The tutor's exercise results in a profile: read and written back field for
// field, so that the tutor finds its entries intact.
#include <gtest/gtest.h>

#include <string>

#include "analysis/UResults.h"
#include "storage/DynamicSettings.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

const char* const kProfile = "C:\\Data\\Ann.usr";

class TResultsTest : public test::PlatformTest {
 protected:
  // A profile with these contents, opened writable and loaded.
  TDynamicSettings& Profile(const std::string& text) {
    fake.WriteHostFile(kProfile, text);
    EXPECT_EQ(profile_.Open(kProfile, dynamic_mode::ReadWriteDenyWrite), 1);
    EXPECT_EQ(profile_.Load(), 1);
    return profile_;
  }

 private:
  TDynamicSettings profile_;
};

// ------------------------------------------------------------ one item --

// Every real number is written with "." for the whole run, on a system with
// a decimal comma too. (What the program writes back of each kind of item:
// the scenarios of ExerciseResultsTest.)
TEST_F(TResultsTest, DecimalCommas) {
  fake.system.formats.decimalSeparator = ',';
  TResultItem comma(0);
  comma.LoadFrom(0, &Profile("Re0=K;1;12,75;0;0;0;0;STD\r\n"));
  EXPECT_DOUBLE_EQ(comma.Value, 12.75);
  EXPECT_EQ(comma.Line(), "K;1;12.75;0;0;0;0;STD");
}

// ------------------------------------------------------------ bad input --

// No store or an empty entry gives -3. (A malformed number or a truncated
// line: ExerciseResultsTest/EveryMalformedResultLeavesTheResultsAsTheyStand.)
TEST_F(TResultsTest, AMissingEntryIsNoResult) {
  TResultItem empty(4);
  EXPECT_EQ(empty.LoadFrom(0, nullptr), -3);
  EXPECT_EQ(empty.LoadFrom(1, &Profile("Re0=\r\n")), -3);
  EXPECT_EQ(empty.Index, 1);
}

}  // namespace
}  // namespace strevo
