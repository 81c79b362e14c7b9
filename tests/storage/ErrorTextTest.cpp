// The error table and the message box of the error reporter.
#include <string>

#include "storage/Errors.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

class ErrorTextTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    Localize().Strings.assign(127, "");
    Localize().Strings[1] = "Strevo";
    Localize().Strings[126] = "Network drive not ready";
  }
  void TearDown() override { Localize().Strings.clear(); }
};

TEST_F(ErrorTextTest, CodesOutsideTheTableAreUnknownAnd801IsLocalized) {
  EXPECT_EQ(ErrorText(1), "Unknown error 1");
  EXPECT_EQ(ErrorText(-2147483647 - 1), "Unknown error -2147483648");
  EXPECT_EQ(ErrorText(-801), "Network drive not ready");
}

TEST_F(ErrorTextTest, ReportErrorShowsOneErrorBoxWithLineFeedBeforeReturn) {
  ASSERT_FALSE(ProgramSettings);
  fake.dialogs.answers = {mb::kIdCancel};  // the answer changes nothing
  EXPECT_EQ(ReportError(-5, "C:\\Data\\Ann.usr"), 0);
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  const ShownMessage& box = fake.dialogs.shown[0];
  EXPECT_EQ(box.text, "#-5 File write error\n\rC:\\Data\\Ann.usr");
  EXPECT_EQ(box.caption, "Strevo");
  EXPECT_EQ(box.flags, mb::kIconError);
  // Without program settings there is no folder for "Errors.log".
  EXPECT_TRUE(Files().List("C:\\", "*").empty());
}

}  // namespace
}  // namespace strevo
