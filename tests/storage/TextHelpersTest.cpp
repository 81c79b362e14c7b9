// Windows-1252 case mapping, number text and rounding, and date-times.
#include <clocale>
#include <string>
#include <tuple>
#include <utility>

#include <gtest/gtest.h>

#include "platform/Ansi.h"
#include "storage/DateTime.h"
#include "storage/Numbers.h"

namespace strevo {
namespace {

// ------------------------------------------------------------------ Ansi --

// Only the sixty letter pairs change case, both ways; signs and letters
// without a partner stay; the ASCII mapping leaves accented letters.
TEST(AnsiCaseTest, Windows1252CaseMapping) {
  const int pairs[][2] = {{'A', 'a'}, {'Z', 'z'}, {0x8A, 0x9A}, {0x8C, 0x9C}, {0x8E, 0x9E},
                          {0x9F, 0xFF}, {0xC0, 0xE0}, {0xD6, 0xF6}, {0xD8, 0xF8}, {0xDE, 0xFE}};
  for (const auto& [upper, lower] : pairs) {
    EXPECT_EQ(ansi_upper_char(static_cast<unsigned char>(lower)), upper) << std::hex << lower;
    EXPECT_EQ(ansi_lower_char(static_cast<unsigned char>(upper)), lower) << std::hex << upper;
  }
  int raised = 0, lowered = 0;
  for (int c = 0; c < 256; ++c) {
    const auto byte = static_cast<unsigned char>(c);
    raised += ansi_upper_char(byte) != byte;
    lowered += ansi_lower_char(byte) != byte;
  }
  EXPECT_EQ(raised, 60);
  EXPECT_EQ(lowered, 60);
  for (int c : {0xD7, 0xF7, 0xDF, 0xB5, 0x83, 0x40, 0x5B, 0x60, 0x7B})
    EXPECT_EQ(ansi_upper_char(static_cast<unsigned char>(c)) + ansi_lower_char(static_cast<unsigned char>(c)), 2 * c)
        << std::hex << c;
  EXPECT_EQ(ascii_upper("stra\xDF" "e \xE9t\xE9"), "STRA\xDF" "E \xE9T\xE9");
  EXPECT_EQ(ansi_upper("stra\xDF" "e \xE9t\xE9"), "STRA\xDF" "E \xC9T\xC9");
  EXPECT_TRUE(same_text("\xC4PFEL.USR", "\xE4pfel.usr"));
  EXPECT_FALSE(same_text("ab", "abc"));
  EXPECT_TRUE(contains_text("C:\\Data\\Broken.TXT", "broken.txt"));
}

// --------------------------------------------------------------- Numbers --

TEST(RoundHalfEvenTest, HalvesGoToTheEvenNeighbour) {
  const std::pair<double, int> cases[] = {{0.5, 0},   {1.5, 2},   {2.5, 2},       {3.5, 4},
                                          {-0.5, 0},  {-1.5, -2}, {-2.5, -2},     {2.5000001, 3},
                                          {-2.4999999, -2}};
  for (const auto& [value, rounded] : cases) EXPECT_EQ(round_half_even(value), rounded) << value;
  EXPECT_EQ(trunc_toward_zero(-2.9), -2);
}

// General format with 15 digits; the exponent has no plus sign and no
// leading zeros; a comma or a point separates the fraction. "1e999" once
// read as infinity, which results lines wrote back as "INF" and could then
// no longer read.
TEST(FloatTextTest, WrittenWith15DigitsAndReadWithCommaOrPoint) {
  const std::pair<double, const char*> written[] = {
      {46000.5, "46000.5"}, {0, "0"}, {1.0 / 3.0, "0.333333333333333"}, {0.0001, "0.0001"},
      {123456789012345.0, "123456789012345"}, {0.00001, "1E-5"}, {-1.5e-7, "-1.5E-7"}, {1e15, "1E15"},
      {1.23456789012345678e17, "1.23456789012346E17"}, {46000.123456789, "46000.123456789"}};
  for (const auto& [number, text] : written) EXPECT_EQ(float_to_text(number), text);
  const std::pair<const char*, double> read[] = {{"1,5", 1.5}, {"2E3", 2000.0}, {"46000.123456789", 46000.123456789}};
  for (const auto& [text, number] : read) {
    double value = 0;
    EXPECT_TRUE(text_to_float(text, value)) << text;
    EXPECT_EQ(value, number) << text;
  }
  double value = 7;
  for (const char* text : {"", " 1", "1 ", "1,5,0", "1.5x", "-", "e5", "1,000.5", "inf", "nan", "0x10", "1e999", "-1E400"})
    EXPECT_FALSE(text_to_float(text, value)) << '"' << text << '"';
  EXPECT_EQ(value, 7);
}

// A German Windows gives the C runtime a decimal comma; the number text of
// the program's files must not follow it.
TEST(NumberTextTest, DecimalCommaLocaleChangesNothing) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) GTEST_SKIP() << "no de_DE.UTF-8 locale on this machine";
  const bool commaLocale = std::localeconv()->decimal_point == std::string(",");
  double point = 0, comma = 0;
  const bool read = text_to_float("2.5E-5", point) && text_to_float("-1234,75", comma);
  const std::string written = float_to_text(46000.5) + " " + float_to_text(-1.5e-7);
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_TRUE(commaLocale);
  EXPECT_TRUE(read);
  EXPECT_EQ(point, 2.5e-5);
  EXPECT_EQ(comma, -1234.75);
  EXPECT_EQ(written, "46000.5 -1.5E-7");
}

TEST(TextToIntTest, LimitsHexadecimalAndRefusals) {
  const std::pair<const char*, int32_t> read[] = {{"-2147483648", INT32_MIN}, {"+12", 12}, {"$FFFFFFFF", -1}, {"0x1F", 31}};
  for (const auto& [text, number] : read) {
    int32_t value = 0;
    EXPECT_TRUE(text_to_int32(text, value)) << text;
    EXPECT_EQ(value, number) << text;
  }
  int32_t value = 7;
  for (const char* text : {"2147483648", "-2147483649", "$100000000", "99999999999999999999", "", "-", "+",
                           "12a", " 1", "1 ", "1.0", "--1", "$"})
    EXPECT_FALSE(text_to_int32(text, value)) << '"' << text << '"';
  EXPECT_EQ(value, 7);
  int64_t wide = 0;
  EXPECT_TRUE(text_to_int64("-9223372036854775808", wide));
  EXPECT_EQ(wide, INT64_MIN);
  EXPECT_FALSE(text_to_int64("9223372036854775808", wide));
}

// -------------------------------------------------------------- DateTime --

// Days count from 30 December 1899 by the Gregorian rules (1900 had no
// 29 February); before the epoch the whole part is the day and the fraction
// the time; days of the week run from Sunday; times round to the
// millisecond.
TEST(DateTimeTest, DaysAndTimesOfTheDoubleDateTime) {
  EXPECT_EQ(encode_date(1899, 12, 29), -1);
  EXPECT_EQ(encode_date(1900, 3, 1), 61);
  EXPECT_EQ(encode_date(2025, 12, 9), 46000);
  EXPECT_EQ(encode_date(2000, 2, 29), 36585);
  EXPECT_EQ(encode_date(2100, 3, 1) - encode_date(2100, 2, 28), 1);
  EXPECT_EQ(encode_date(2024, 3, 1) - encode_date(2024, 2, 28), 2);
  int y, m, d, h, min, s, ms;
  decode_date(36585.99, y, m, d);
  EXPECT_EQ((std::tuple{y, m, d}), (std::tuple{2000, 2, 29}));
  decode_date(-1.25, y, m, d);
  decode_time(-1.25, h, min, s, ms);
  EXPECT_EQ((std::tuple{y, m, d, h, min}), (std::tuple{1899, 12, 29, 6, 0}));
  EXPECT_EQ(date_part(-1.25), -1);
  decode_date(-0.5, y, m, d);
  EXPECT_EQ((std::tuple{y, m, d}), (std::tuple{1899, 12, 30}));
  EXPECT_EQ(day_of_week(-1.25), 6);  // a Friday
  EXPECT_EQ(day_of_week(0), 7);
  EXPECT_EQ(day_of_week(1.9), 1);
  EXPECT_EQ(day_of_week(encode_date(2024, 2, 29)), 5);
  decode_time(46000.0 + encode_time(23, 59, 59, 999), h, min, s, ms);
  EXPECT_EQ((std::tuple{h, min, s, ms}), (std::tuple{23, 59, 59, 999}));
}

TEST(FormatDateTimeTest, WindowsPicturesForDatesAndTimes) {
  const LocaleFormats formats{"M/d/yyyy", "h:mm:ss tt", "AM", "PM"};
  const double afternoon = encode_date(2025, 3, 7) + encode_time(14, 5, 9);
  const double night = encode_date(2025, 12, 9) + encode_time(0, 7, 3);
  const std::tuple<const char*, double, const char*> cases[] = {
      {"M/d/yyyy", afternoon, "3/7/2025"},   {"h:mm:ss tt", afternoon, "2:05:09 PM"},
      {"h:mm:ss tt", night, "12:07:03 AM"},  {"HH:mm:ss", afternoon, "14:05:09"},
      {"HH:mm:ss", night, "00:07:03"},       {"H:m:s", night, "0:7:3"},
      {"dd.MM.yy", afternoon, "07.03.25"},   {"'at' H 'o''clock'", afternoon, "at 14 o'clock"},
      {"h t", afternoon, "2 P"},             {"dddd d MMMM yyyy, ddd MMM", night, "Tuesday 9 December 2025, Tue Dec"}};
  for (const auto& [picture, when, text] : cases) EXPECT_EQ(format_date_time(picture, when, formats), text) << picture;
  const LocaleFormats german{"d/M/yyyy", "hh:mm tt", "vorm.", "nachm."};
  EXPECT_EQ(format_date_time(german.longTime, encode_time(9, 30, 0), german), "09:30 vorm.");
}

}  // namespace
}  // namespace strevo
