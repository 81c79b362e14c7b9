// The tutor's exercise results in a profile: read and written back field for
// field, so that the tutor finds its entries intact.
#include <gtest/gtest.h>

#include <string>

#include "analysis/UResults.h"
#include "storage/DynamicSettings.h"
#include "storage/Exceptions.h"
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

// No store or an empty entry gives -3. A malformed number or a truncated
// line raises the conversion error, and a list stops with the items read
// before it.
TEST_F(TResultsTest, MalformedLines) {
  TResultItem empty(4);
  EXPECT_EQ(empty.LoadFrom(0, nullptr), -3);
  EXPECT_EQ(empty.LoadFrom(1, &Profile("Re0=\r\n")), -3);
  EXPECT_EQ(empty.Index, 1);
  for (const char* line : {"K;1;abc;0;0;0;0;STD", "K;x;1;0;0;0;0;STD", "K;1;1;1x;0;0;0;STD", "K;1;1;1;0;0;;STD",
                           "BKM;t;a;0;0;0;1;1;1;0;0;0;STD", "K;1;1;1;0;0;0;TEST;0;bad;0;0;0;1;2;3;4;5;6;n",
                           "K;1;1;1;0;0;0;TEXT;0;0;0;0;0;1;2;3;4;5;six;0", "K;1;1;1;0;0;0;GAME;0;0;0;0;0;lots",
                           "K", "K;1", "K;1;2;3", "K;1;2;3;L;0", "K;1;1;1;0;0;0;TEST;0;1",
                           "K;1;1;1;0;0;0;TEST;0;1;2;0;0;5"}) {
    TDynamicSettings& profile = Profile(std::string("Re0=") + line + "\r\n");
    TResultItem item(0);
    EXPECT_THROW(item.LoadFrom(0, &profile), EConvertError) << line;
  }
  TDynamicSettings& profile = Profile("ReCnt=2\r\nRe0=A;1;1;1;0;0;2;STD\r\nRe1=B;?;1;1;0;0;0;STD\r\n");
  TResults results;
  EXPECT_THROW(results.LoadFrom(&profile), EConvertError);
  EXPECT_EQ(results.Items.size(), 1u);
}

}  // namespace
}  // namespace strevo
