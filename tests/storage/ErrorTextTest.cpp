// The error table and the message box of the error reporter.
#include <string>

#include "storage/Errors.h"
#include "storage/FileObj.h"
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

TEST_F(ErrorTextTest, FileStatusCodesReadAsTheirTableRows) {
  EXPECT_EQ(ErrorText(FileStatus::EndOfFile), "(0)");
  EXPECT_EQ(ErrorText(FileStatus::NotFound), "File not found");
  EXPECT_EQ(ErrorText(FileStatus::OpenFailed), "File open failed");
  EXPECT_EQ(ErrorText(FileStatus::AlreadyOpen), "File already open");
  EXPECT_EQ(ErrorText(-4), "out of memory for file");
  EXPECT_EQ(ErrorText(FileStatus::WriteError), "File write error");
  EXPECT_EQ(ErrorText(FileStatus::CloseFailed), "File close failed / write failed");
  EXPECT_EQ(ErrorText(FileStatus::ReadError), "Unknown error -7");
}

TEST_F(ErrorTextTest, EveryRowOfTheTableIsPresent) {
  EXPECT_EQ(ErrorText(-10), "out of file request");
  EXPECT_EQ(ErrorText(-88), "textfile row over 255 char");
  EXPECT_EQ(ErrorText(-802), " Time out while opening for write-denied read mode");
  EXPECT_EQ(ErrorText(-910), "Username already exists, new was not be created");
  EXPECT_EQ(ErrorText(-1001), "User bookmark vs. Chapter data overflow");
  EXPECT_EQ(ErrorText(-1202), "User bookmark vs. exercise data overflow");
  EXPECT_EQ(ErrorText(-1517), "Warning: Wrong Userbase file version, size mitsmatch");
  EXPECT_EQ(ErrorText(-3321), "Problems in Difficult Keys event");
  EXPECT_EQ(ErrorText(-6123), "Contents file(s) *.CNT not available, program halted");
  EXPECT_EQ(ErrorText(-9977), "Windows is currently using Large Fonts setting. Program requires small fonts.");
}

TEST_F(ErrorTextTest, CodesOutsideTheTableAreUnknown) {
  EXPECT_EQ(ErrorText(1), "Unknown error 1");
  EXPECT_EQ(ErrorText(-999), "Unknown error -999");
  EXPECT_EQ(ErrorText(-2147483647 - 1), "Unknown error -2147483648");
}

TEST_F(ErrorTextTest, Code801IsLocalizedText126) {
  EXPECT_EQ(ErrorText(-801), "Network drive not ready");
  Localize().Strings.clear();
  EXPECT_EQ(ErrorText(-801), kMissingString);
}

TEST_F(ErrorTextTest, ReportErrorShowsOneErrorBoxWithLineFeedBeforeReturn) {
  ASSERT_FALSE(ProgramSettings);
  EXPECT_EQ(ReportError(-5, "C:\\Data\\Ann.usr"), 0);
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  const ShownMessage& box = fake.dialogs.shown[0];
  EXPECT_EQ(box.text, "#-5 File write error\n\rC:\\Data\\Ann.usr");
  EXPECT_EQ(box.caption, "Strevo");
  EXPECT_EQ(box.flags, mb::kIconError);
  // Without program settings there is no folder for "Errors.log".
  EXPECT_TRUE(Files().List("C:\\", "*").empty());
}

TEST_F(ErrorTextTest, ReportErrorReturnsZeroWhateverTheAnswer) {
  fake.dialogs.answers = {mb::kIdCancel};
  EXPECT_EQ(ReportError(-801, ""), 0);
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.dialogs.shown[0].text, "#-801 Network drive not ready\n\r");
}

}  // namespace
}  // namespace strevo
