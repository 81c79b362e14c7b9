// The texts of the statistics report: the program's Windows-1252 bytes as
// UTF-8 (what the JSON writer takes; it escapes its strings itself), made
// safe for an HTML page and a CSV field, and the numbers, durations and
// dates as the report writes them. Every text of a
// user's files (names, words, letter pairs, keys) is hostile until it went
// through one of these.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace strevo {

// The code point in UTF-8 (one to four bytes).
void AppendUtf8(std::string& out, uint32_t codePoint);
std::string Utf8FromAnsi(std::string_view ansi);

// Text for an HTML page (element content and quoted attribute values alike):
// UTF-8, with & < > " ' as references, and every control character (C0,
// DEL, C1), which a page cannot show, as the replacement character U+FFFD.
std::string HtmlText(std::string_view ansi);
// A CSV field, always quoted: UTF-8, quotes doubled, control characters as
// U+FFFD, and a text a spreadsheet would take for a formula (starting with
// = + - @) led by an apostrophe.
std::string CsvField(std::string_view ansi);

// Whole numbers with a narrow no-break space between groups of three digits
// ("12 345"), for the page.
std::string GroupedNumber(int64_t value);
// Seconds as "h:mm:ss" (hours not limited; a negative figure keeps its sign).
std::string DurationText(int64_t seconds);
// Count per minute of seconds, dropping the fraction as the program's speeds
// do; 0 without time.
int64_t PerMinute(int64_t count, int64_t seconds);

// A date-time (days since 1899-12-30) the report can show: from 1900-01-01
// to 9999-12-31. A damaged profile can hold any number.
bool IsShownDate(double dateTime);
std::string IsoDate(double dateTime);      // "2026-12-07"
std::string IsoDateTime(double dateTime);  // "2026-12-07T09:05:00"
// "2026-12-07 09:05" for the page.
std::string PageDateTime(double dateTime);

}  // namespace strevo
