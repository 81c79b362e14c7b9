// The error reporter: the error table, its message box, and "Errors.log"
// with its header, its four-row entries, the 250-character row limit, and
// what happens without a log.
#include <gtest/gtest.h>

#include "storage/Errors.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

class ErrorsTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    Localize().Clear();
    Localize().Strings.assign(127, "");
    Localize().Strings[0] = "language.eng";
    Localize().Strings[1] = "Quorvel";
    Localize().Strings[126] = "Network drive not ready";
    ProgramSettings = std::make_unique<TProgramSettings>();
    ProgramSettings->DatabasePath = "C:\\Db\\";
    ProgramSettings->VersionText = "12.0.974";
    ProgramSettings->BuildText = "974";
    ProgramSettings->BuildDetail = "Windows, release";
    ProgramSettings->CompileDate = "2025-12-01";
    fake.WriteHostFile("C:\\Db\\.keep", "");
    // 2025-12-09 12:00, Windows 6.1; the fake's formats are M/d/yyyy and h:mm:ss tt.
    fake.clock.SetNow(46000.5);
  }
  void TearDown() override {
    ProgramSettings.reset();
    Localize().Clear();
  }
  std::string Log() { return fake.ReadHostFile("C:\\Db\\Errors.log"); }
};

TEST_F(ErrorsTest, CodesOutsideTheTableAreUnknownAnd801IsLocalized) {
  EXPECT_EQ(ErrorText(1), "Unknown error 1");
  EXPECT_EQ(ErrorText(-2147483647 - 1), "Unknown error -2147483648");
  EXPECT_EQ(ErrorText(-801), "Network drive not ready");
}

// Whatever the answer, one box; without program settings there is no folder
// for "Errors.log" and nothing is written.
TEST_F(ErrorsTest, ReportErrorShowsOneErrorBoxWithLineFeedBeforeReturn) {
  ProgramSettings.reset();
  fake.dialogs.answers = {mb::kIdCancel};
  EXPECT_EQ(ReportError(-5, "C:\\Data\\Ann.usr"), 0);
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  const ShownMessage& box = fake.dialogs.shown[0];
  EXPECT_EQ(box.text, "#-5 File write error\n\rC:\\Data\\Ann.usr");
  EXPECT_EQ(box.caption, "Quorvel");
  EXPECT_EQ(box.flags, mb::kIconError);
  EXPECT_EQ(Files().List("C:\\", "*").size() + Files().List("C:\\Db", "*").size(), 2u) << "the folder and .keep only";
}

// The second entry's message is cut so that its row holds 250 characters.
TEST_F(ErrorsTest, FirstReportWritesTheHeaderAndLaterOnesOnlyTheirFourRows) {
  ReportError(-2, "first");
  fake.clock.SetNow(46001.25);  // 2025-12-10 06:00
  ReportError(-1001, std::string(300, 'm'));
  const std::string rule = std::string(58, '-') + "\r\n";
  EXPECT_EQ(Log(), "Quorvel 12.0.974 error file.  \r\nPlease send this file to technical support. \r\n" + rule +
                       "12/9/2025 12:00:00 PM Build 974 (Windows, release) compiled 2025-12-01 - OS 6.1\r\n"
                       "#-2  File open failed\r\n - first\r\n" + rule +
                       "12/10/2025 6:00:00 AM Build 974 (Windows, release) compiled 2025-12-01 - OS 6.1\r\n"
                       "#-1001  User bookmark vs. Chapter data overflow\r\n - " + std::string(247, 'm') + "\r\n");
}

// A missing database folder is not made; a log that cannot be opened for
// appending is kept as it was. The box is shown all the same.
TEST_F(ErrorsTest, ErrorThatCannotBeLoggedStillShowsTheBoxAndWritesNothing) {
  fake.WriteHostFile("C:\\Db\\Errors.log", "kept\r\n");
  fake.files.Add({FileFault::FailOpen, "Errors.log", 0});
  ReportError(-3, "x");
  fake.files.ClearFaults();
  EXPECT_EQ(Log(), "kept\r\n");
  ProgramSettings->DatabasePath = "C:\\Gone\\";
  ReportError(0, "Database directory not found");
  ASSERT_EQ(fake.dialogs.shown.size(), 2u);
  EXPECT_EQ(fake.dialogs.shown[1].text, "#0 (0)\n\rDatabase directory not found");
  EXPECT_FALSE(Files().DirectoryExists("C:\\Gone\\"));
}

}  // namespace
}  // namespace strevo
