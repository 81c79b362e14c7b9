// The report's texts: Windows-1252 to UTF-8, escaping for the page and CSV,
// and the figures' number, duration, speed, date and scale texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <tuple>
#include <utility>

#include "ReportFiles.h"
#include "report/ReportChart.h"
#include "report/ReportText.h"
#include "storage/DateTime.h"

namespace strevo {
namespace {

const std::string kReplacement = "\xEF\xBF\xBD";
const std::string kNarrowSpace = "\xE2\x80\xAF";

std::string AllBytes() {
  std::string bytes;
  for (int c = 0; c < 256; ++c) bytes += static_cast<char>(c);
  return bytes;
}

TEST(ReportTextTest, EveryWindows1252ByteBecomesWellFormedUtf8) {
  const std::string utf8 = Utf8FromAnsi(AllBytes());
  EXPECT_TRUE(test::IsUtf8(utf8));
  EXPECT_EQ(Utf8FromAnsi("\x80"), "\xE2\x82\xAC");   // euro sign
  EXPECT_EQ(Utf8FromAnsi("\x9F"), "\xC5\xB8");       // Y with diaeresis
  EXPECT_EQ(Utf8FromAnsi("\xE4\xFF"), "\xC3\xA4\xC3\xBF");
  // An unused byte stands for the control character of its number, as the
  // system converts it.
  EXPECT_EQ(Utf8FromAnsi("\x81"), "\xC2\x81");
}

TEST(ReportTextTest, PageTextEscapesMarkupAndHidesControlCharacters) {
  EXPECT_EQ(HtmlText("<b a=\"1\" b='2'>&amp;</b>"), "&lt;b a=&quot;1&quot; b=&#39;2&#39;&gt;&amp;amp;&lt;/b&gt;");
  EXPECT_EQ(HtmlText(std::string("a\0b", 3)), "a" + kReplacement + "b");
  EXPECT_EQ(HtmlText("\x01\x1F\x7F\x81\x9D"), kReplacement + kReplacement + kReplacement + kReplacement + kReplacement);
  EXPECT_EQ(HtmlText("\x80 \xDF"), "\xE2\x82\xAC \xC3\x9F");
  const std::string all = HtmlText(AllBytes());
  EXPECT_TRUE(test::IsUtf8(all));
  for (char markup : {'<', '>', '"'}) EXPECT_EQ(all.find(markup), std::string::npos) << markup;
}

// Every field quoted, quotes doubled; a field that a spreadsheet would take
// for a formula gets an apostrophe; a line end inside a field would start a
// row in many readers.
TEST(ReportTextTest, CsvFieldsAreQuotedAndNeverAFormula) {
  const std::pair<std::string, std::string> fields[] = {
      {"plain", "\"plain\""},         {"say \"hi\", then go", "\"say \"\"hi\"\", then go\""},
      {"+1", "\"'+1\""},              {"=HYPERLINK(\"x\")", "\"'=HYPERLINK(\"\"x\"\")\""},
      {"-", "\"'-\""},                {"@sum", "\"'@sum\""},
      {"a=b", "\"a=b\""},             {"two\r\nlines", "\"two" + kReplacement + kReplacement + "lines\""},
      {"\xFC", "\"\xC3\xBC\""}};
  for (const auto& [field, written] : fields) EXPECT_EQ(CsvField(field), written) << field;
}

TEST(ReportTextTest, NumbersDurationsAndSpeedsFromWholeValues) {
  const std::string n = kNarrowSpace;
  const std::pair<int64_t, std::string> numbers[] = {
      {0, "0"}, {999, "999"}, {1000, "1" + n + "000"}, {-1234567, "-1" + n + "234" + n + "567"},
      {std::numeric_limits<int64_t>::min(), "-9" + n + "223" + n + "372" + n + "036" + n + "854" + n + "775" + n + "808"}};
  for (const auto& [value, text] : numbers) EXPECT_EQ(GroupedNumber(value), text) << value;
  const std::pair<int64_t, std::string> durations[] = {
      {0, "0:00:00"}, {3725, "1:02:05"}, {100 * 3600, "100:00:00"}, {-61, "-0:01:01"},
      {std::numeric_limits<int64_t>::min(), "-2562047788015215:30:08"}};
  for (const auto& [seconds, text] : durations) EXPECT_EQ(DurationText(seconds), text) << seconds;
  // 23 characters in 23 seconds are 60 a minute; the fraction is dropped.
  const std::tuple<int64_t, int64_t, int64_t> speeds[] = {{23, 23, 60}, {549, 126, 261}, {10, 0, 0}, {10, -5, 0}};
  for (const auto& [count, seconds, perMinute] : speeds) EXPECT_EQ(PerMinute(count, seconds), perMinute) << count;
  // A damaged profile's counts do not overflow.
  EXPECT_GT(PerMinute(std::numeric_limits<int64_t>::max(), 1), 0);
  EXPECT_LT(PerMinute(std::numeric_limits<int64_t>::min(), 1), 0);
}

TEST(ReportTextTest, OnlyDatesOfTheCalendarAreShown) {
  for (double shown : {2.0, 2958465.9}) EXPECT_TRUE(IsShownDate(shown)) << shown;
  for (double hidden : {0.0, 1.5, 2958466.0, -1e300, std::numeric_limits<double>::quiet_NaN(),
                        std::numeric_limits<double>::infinity()})
    EXPECT_FALSE(IsShownDate(hidden)) << hidden;
  const double date = encode_date(2026, 12, 7) + encode_time(9, 5, 30);
  EXPECT_EQ(IsoDate(date), "2026-12-07");
  EXPECT_EQ(IsoDateTime(date), "2026-12-07T09:05:30");
  EXPECT_EQ(PageDateTime(date), "2026-12-07 09:05");
}

// Five steps of 1, 2 or 5 times a power of ten (2.5 too where the steps stay
// whole: 11 needs steps of 5, 1001 steps of 250); never below 5.
TEST(ReportTextTest, ChartScalesEndOnRoundNumbers) {
  const std::pair<double, double> tops[] = {{0, 5},      {-3, 5},       {std::numeric_limits<double>::quiet_NaN(), 5},
                                            {5, 5},      {6, 10},       {11, 25},
                                            {580, 1000}, {1001, 1250},  {1e19, 1e19}};
  for (const auto& [largest, top] : tops) EXPECT_EQ(TReportChart::ScaleTop(largest), top) << largest;
}

}  // namespace
}  // namespace strevo
