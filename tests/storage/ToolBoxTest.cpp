// The shared string and system utilities.
#include <string>
#include <type_traits>
#include <vector>

#include "storage/DateTime.h"
#include "storage/LangRes.h"
#include "storage/PrgSetup.h"
#include "storage/ToolBox.h"
#include "support/Fixture.h"

namespace strevo {
namespace {

using Fields = std::vector<std::string>;

// Strings 12 (characters allowed in typed figures) and 13 (the language's
// letters) come from the language file; each test fills what it needs.
class ToolBoxTest : public test::PlatformTest {
 protected:
  void SetLetters(const std::string& allowed, const std::string& letters) {
    Localize().Strings.assign(14, "");
    Localize().Strings[12] = allowed;
    Localize().Strings[13] = letters;
  }
  void TearDown() override {
    Localize().Strings.clear();
    ProgramSettings.reset();
  }
};

// ------------------------------------------------------------ splitting --

// Empty fields are dropped; "%" before a delimiter keeps it; custom
// delimiters replace the defaults.
TEST(SplitFieldsTest, FieldsBetweenDelimiters) {
  EXPECT_EQ(SplitFields(" , a \r\n b ,,"), (Fields{"a", "b"}));
  EXPECT_EQ(SplitFields(",, \r\n"), Fields{});
  EXPECT_EQ(SplitFields("x a% b,c"), (Fields{"x", "a b", "c"}));
  EXPECT_EQ(SplitFields("5%x y"), (Fields{"5%x", "y"}));
  EXPECT_EQ(SplitFields("$description=Words%; common;x y", "=;"), (Fields{"$description", "Words; common", "x y"}));
  EXPECT_EQ(TrimBlanks(" \t a \t b\t  "), "a \t b");
  EXPECT_EQ(TrimBlanks("\r\nx\r\n"), "\r\nx\r\n");
}

// ---------------------------------------------------------------- names --

// How typed names are recapitalised is a UserFilesTest scenario.
TEST_F(ToolBoxTest, CapitalizeWordRaisesLettersAfterTheFirstHyphen) {
  SetLetters("", "am");
  EXPECT_EQ(CapitalizeWord("anna-maria"), "Anna-Maria");
  EXPECT_EQ(CapitalizeWord("ANNA-MARIA"), "Anna-Maria");
  EXPECT_EQ(CapitalizeWord("jo-x"), "jo-x");            // fewer than two characters follow
  EXPECT_EQ(CapitalizeWord("ANN-MA-MAX"), "Ann-Ma-max");  // the first hyphen only
  EXPECT_EQ(CapitalizeWord("bert"), "bert");            // b is not one of the letters
  SetLetters("", "\xE9");
  EXPECT_EQ(CapitalizeWord("\xC9MILE \xC9LAN"), "\xC9mile \xC9lan");
}

// ---------------------------------------------------------- left, right --

TEST(LeftRightStrTest, TakeAtMost255Characters) {
  std::string text(300, 'a');
  text.back() = 'z';
  EXPECT_EQ(LeftStr(text, 300), std::string(255, 'a'));
  EXPECT_EQ(RightStr(text, 300), std::string(254, 'a') + "z");
  EXPECT_EQ(LeftStr("abc", 2) + RightStr("abc", 2), "abbc");
  EXPECT_EQ(LeftStr("abc", 0) + RightStr("abc", -1) + RightStr("", 5), "");
}

TEST_F(ToolBoxTest, KeepAllowedCharsKeepsString12AndTheSeparators) {
  SetLetters("0123456789", "");
  EXPECT_EQ(KeepAllowedChars("12 wpm, 3.5 min!"), "12,3.5");
  EXPECT_EQ(KeepAllowedChars("abc"), "");
}

TEST(InterpolateTest, WorkedValuesInSinglePrecision) {
  EXPECT_FLOAT_EQ(Interpolate(200.0f, 100.0f, 60.0f, 20.0f, 30.0f), 125.0f);
  EXPECT_FLOAT_EQ(Interpolate(0.0f, 10.0f, 4.0f, 0.0f, 5.0f), -2.5f);  // beyond the high end
  static_assert(std::is_same_v<decltype(Interpolate(1, 0, 1, 0, 1)), float>);
}

// ------------------------------------------------------- system look-ups --

TEST_F(ToolBoxTest, OpenUrlPutsTheInstallationFolderBeforeLocalNamesAndReportsAShellFailure) {
  ProgramSettings = std::make_unique<TProgramSettings>();
  ProgramSettings->RootPath = "C:\\Strevo\\";
  EXPECT_TRUE(OpenUrl("help\\breaks.htm"));
  EXPECT_TRUE(OpenUrl("HTTP://www.example.com/tips"));
  ASSERT_EQ(fake.system.shellOpened.size(), 2u);
  EXPECT_EQ(fake.system.shellOpened[0], std::make_pair(std::string("C:\\Strevo\\help\\breaks.htm"), 10));
  EXPECT_EQ(fake.system.shellOpened[1], std::make_pair(std::string("HTTP://www.example.com/tips"), 10));
  fake.system.shellOpenSucceeds = false;
  EXPECT_FALSE(OpenUrl("http://www.example.com/"));
}

TEST_F(ToolBoxTest, KeyboardLayoutPartsSplitsTheLayoutName) {
  KeyboardLayout parts;
  fake.system.layoutName = "0001040c";
  EXPECT_FALSE(KeyboardLayoutParts(parts));
  EXPECT_EQ(parts.sublanguage, "0C");
  EXPECT_EQ(parts.language, "104");
  EXPECT_EQ(parts.prefix, "000104");
  fake.system.layoutAvailable = false;
  EXPECT_TRUE(KeyboardLayoutParts(parts));
  EXPECT_EQ(parts.sublanguage + parts.language + parts.prefix, "");
}

// ---------------------------------------------------------- week number --

// Weeks run Monday to Sunday; week 1 ends on the first Sunday of the year.
// 2023 begins on a Sunday, 2025 on a Wednesday, 2024 on a Monday and 2022
// on a Saturday: the last day of week 1 and the first of week 2 of each.
TEST(WeekNumberTest, WorkedDates) {
  const std::pair<double, int> cases[] = {
      {encode_date(2023, 1, 1) + 0.75, 1}, {encode_date(2023, 1, 2), 2},  {encode_date(2025, 1, 5), 1},
      {encode_date(2025, 1, 6), 2},        {encode_date(2024, 1, 7), 1},  {encode_date(2024, 1, 8), 2},
      {encode_date(2022, 1, 2), 1},        {encode_date(2022, 1, 3), 2},  {encode_date(2025, 12, 9) + 0.5, 50},
      {encode_date(2025, 12, 31), 53}};
  for (const auto& [day, week] : cases) EXPECT_EQ(WeekNumber(day), week) << day;
}

}  // namespace
}  // namespace strevo
