// The report's texts: Windows-1252 to UTF-8, escaping for the page and CSV,
// and the figures' number, duration, speed, date and scale texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

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
  EXPECT_EQ(all.find('<'), std::string::npos);
  EXPECT_EQ(all.find('>'), std::string::npos);
  EXPECT_EQ(all.find('"'), std::string::npos);
}

TEST(ReportTextTest, CsvFieldsAreQuotedAndNeverAFormula) {
  EXPECT_EQ(CsvField("plain"), "\"plain\"");
  EXPECT_EQ(CsvField("say \"hi\", then go"), "\"say \"\"hi\"\", then go\"");
  EXPECT_EQ(CsvField("=HYPERLINK(\"x\")"), "\"'=HYPERLINK(\"\"x\"\")\"");
  EXPECT_EQ(CsvField("+1"), "\"'+1\"");
  EXPECT_EQ(CsvField("-"), "\"'-\"");
  EXPECT_EQ(CsvField("@sum"), "\"'@sum\"");
  EXPECT_EQ(CsvField("a=b"), "\"a=b\"");
  // A line end inside a field would start a row in many readers.
  EXPECT_EQ(CsvField("two\r\nlines"), "\"two" + kReplacement + kReplacement + "lines\"");
  EXPECT_EQ(CsvField("\xFC"), "\"\xC3\xBC\"");
}

TEST(ReportTextTest, NumbersAreGroupedByThousands) {
  EXPECT_EQ(GroupedNumber(0), "0");
  EXPECT_EQ(GroupedNumber(999), "999");
  EXPECT_EQ(GroupedNumber(1000), "1" + kNarrowSpace + "000");
  EXPECT_EQ(GroupedNumber(-1234567), "-1" + kNarrowSpace + "234" + kNarrowSpace + "567");
  EXPECT_EQ(GroupedNumber(std::numeric_limits<int64_t>::min()),
            "-9" + kNarrowSpace + "223" + kNarrowSpace + "372" + kNarrowSpace + "036" + kNarrowSpace + "854" +
                kNarrowSpace + "775" + kNarrowSpace + "808");
}

TEST(ReportTextTest, DurationsAndSpeedsFromWholeSeconds) {
  EXPECT_EQ(DurationText(0), "0:00:00");
  EXPECT_EQ(DurationText(3725), "1:02:05");
  EXPECT_EQ(DurationText(100 * 3600), "100:00:00");
  EXPECT_EQ(DurationText(-61), "-0:01:01");
  EXPECT_EQ(DurationText(std::numeric_limits<int64_t>::min()), "-2562047788015215:30:08");
  // 23 characters in 23 seconds are 60 a minute; the fraction is dropped.
  EXPECT_EQ(PerMinute(23, 23), 60);
  EXPECT_EQ(PerMinute(549, 126), 261);
  EXPECT_EQ(PerMinute(10, 0), 0);
  EXPECT_EQ(PerMinute(10, -5), 0);
  // A damaged profile's counts do not overflow.
  EXPECT_GT(PerMinute(std::numeric_limits<int64_t>::max(), 1), 0);
  EXPECT_LT(PerMinute(std::numeric_limits<int64_t>::min(), 1), 0);
}

TEST(ReportTextTest, OnlyDatesOfTheCalendarAreShown) {
  EXPECT_FALSE(IsShownDate(0));
  EXPECT_FALSE(IsShownDate(1.5));
  EXPECT_TRUE(IsShownDate(2));
  EXPECT_TRUE(IsShownDate(2958465.9));
  EXPECT_FALSE(IsShownDate(2958466));
  EXPECT_FALSE(IsShownDate(std::numeric_limits<double>::quiet_NaN()));
  EXPECT_FALSE(IsShownDate(std::numeric_limits<double>::infinity()));
  EXPECT_FALSE(IsShownDate(-1e300));
  const double date = encode_date(2026, 12, 7) + encode_time(9, 5, 30);
  EXPECT_EQ(IsoDate(date), "2026-12-07");
  EXPECT_EQ(IsoDateTime(date), "2026-12-07T09:05:30");
  EXPECT_EQ(PageDateTime(date), "2026-12-07 09:05");
}

TEST(ReportTextTest, ChartScalesEndOnRoundNumbers) {
  EXPECT_EQ(TReportChart::ScaleTop(0), 5);
  EXPECT_EQ(TReportChart::ScaleTop(-3), 5);
  EXPECT_EQ(TReportChart::ScaleTop(std::numeric_limits<double>::quiet_NaN()), 5);
  EXPECT_EQ(TReportChart::ScaleTop(5), 5);
  EXPECT_EQ(TReportChart::ScaleTop(6), 10);
  EXPECT_EQ(TReportChart::ScaleTop(11), 25);  // steps of 5
  EXPECT_EQ(TReportChart::ScaleTop(580), 1000);
  EXPECT_EQ(TReportChart::ScaleTop(1001), 1250);  // steps of 250
  EXPECT_EQ(TReportChart::ScaleTop(1e19), 1e19);
}

}  // namespace
}  // namespace strevo
