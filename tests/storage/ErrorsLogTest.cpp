// The "Errors.log" side of the error reporter: its header, its four-row
// entries, the 250-character row limit, and what happens without a log.
#include <gtest/gtest.h>

#include "storage/Errors.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

class ErrorsLogTest : public test::PlatformTest {
 protected:
  void SetUp() override {
    Localize().Clear();
    Localize().Strings = {"language.eng", "Quorvel"};
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

  const std::string header =
      "Quorvel 12.0.974 error file.  \r\n"
      "Please send this file to technical support. \r\n";
  const std::string rule = std::string(58, '-') + "\r\n";
  const std::string stamp = "12/9/2025 12:00:00 PM Build 974 (Windows, release) compiled 2025-12-01 - OS 6.1\r\n";
};

TEST_F(ErrorsLogTest, FirstReportWritesTheHeaderAndLaterOnesOnlyTheirFourRows) {
  ReportError(-2, "first");
  fake.clock.SetNow(46001.25);  // 2025-12-10 06:00
  ReportError(-910, "second");
  EXPECT_EQ(Log(), header + rule + stamp + "#-2  File open failed\r\n - first\r\n" + rule +
                       "12/10/2025 6:00:00 AM Build 974 (Windows, release) compiled 2025-12-01 - OS 6.1\r\n"
                       "#-910  Username already exists, new was not be created\r\n - second\r\n");
}

TEST_F(ErrorsLogTest, RowsAreCutAt250Characters) {
  ReportError(-1001, std::string(300, 'm'));
  const std::string log = Log();
  const std::string expected = " - " + std::string(247, 'm') + "\r\n";
  ASSERT_GE(log.size(), expected.size());
  EXPECT_EQ(log.substr(log.size() - expected.size()), expected);
  EXPECT_NE(log.find("#-1001  User bookmark vs. Chapter data overflow\r\n"), std::string::npos);
}

TEST_F(ErrorsLogTest, MissingDatabaseFolderStillShowsTheBoxAndWritesNothing) {
  ProgramSettings->DatabasePath = "C:\\Gone\\";
  ReportError(0, "Database directory not found");
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.dialogs.shown[0].text, "#0 (0)\n\rDatabase directory not found");
  EXPECT_FALSE(Files().DirectoryExists("C:\\Gone\\"));
}

TEST_F(ErrorsLogTest, LogThatCannotBeOpenedForAppendingIsLeftAlone) {
  fake.WriteHostFile("C:\\Db\\Errors.log", "kept\r\n");
  fake.files.Add({FileFault::FailOpen, "Errors.log", 0});
  ReportError(-3, "x");
  fake.files.ClearFaults();
  EXPECT_EQ(Log(), "kept\r\n");
  EXPECT_EQ(fake.dialogs.shown.size(), 1u);
}

}  // namespace
}  // namespace strevo
