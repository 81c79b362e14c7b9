#include "report/ReportText.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/Ansi.h"
#include "storage/DateTime.h"

namespace strevo {

namespace {

constexpr uint32_t kReplacement = 0xFFFD;

bool is_control(uint32_t codePoint) {
  return codePoint < 0x20 || codePoint == 0x7F || (codePoint >= 0x80 && codePoint <= 0x9F);
}

// 1900-01-01 and the day after 9999-12-31.
constexpr double kFirstShownDay = 2.0;
constexpr double kAfterLastShownDay = 2958466.0;

struct DateParts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

DateParts parts_of(double dateTime) {
  DateParts p;
  int ms = 0;
  decode_date(dateTime, p.year, p.month, p.day);
  decode_time(dateTime, p.hour, p.minute, p.second, ms);
  return p;
}

}  // namespace

void AppendUtf8(std::string& out, uint32_t codePoint) {
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

std::string Utf8FromAnsi(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 4);
  for (char ch : ansi) AppendUtf8(out, AnsiCodePoint(static_cast<unsigned char>(ch)));
  return out;
}

std::string HtmlText(std::string_view ansi) {
  std::string out;
  out.reserve(ansi.size() + 16);
  for (char ch : ansi) {
    const uint32_t c = AnsiCodePoint(static_cast<unsigned char>(ch));
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: AppendUtf8(out, is_control(c) ? kReplacement : c);
    }
  }
  return out;
}

std::string CsvField(std::string_view ansi) {
  std::string out = "\"";
  if (!ansi.empty() && (ansi[0] == '=' || ansi[0] == '+' || ansi[0] == '-' || ansi[0] == '@')) out += '\'';
  for (char ch : ansi) {
    const uint32_t c = AnsiCodePoint(static_cast<unsigned char>(ch));
    if (c == '"') out += "\"\"";
    else AppendUtf8(out, is_control(c) ? kReplacement : c);
  }
  out += '"';
  return out;
}

std::string GroupedNumber(int64_t value) {
  const std::string digits = std::to_string(value);
  const size_t first = (value < 0) ? 1 : 0;
  std::string out = digits.substr(0, first);
  const size_t count = digits.size() - first;
  for (size_t i = 0; i < count; ++i) {
    if (i > 0 && (count - i) % 3 == 0) out += "\xE2\x80\xAF";  // U+202F
    out += digits[first + i];
  }
  return out;
}

std::string DurationText(int64_t seconds) {
  // The magnitude in unsigned arithmetic: the most negative figure has no
  // positive counterpart.
  const bool negative = seconds < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(seconds) : static_cast<uint64_t>(seconds);
  char text[48];
  std::snprintf(text, sizeof text, "%s%llu:%02u:%02u", negative ? "-" : "",
                static_cast<unsigned long long>(magnitude / 3600), static_cast<unsigned>(magnitude / 60 % 60),
                static_cast<unsigned>(magnitude % 60));
  return text;
}

int64_t PerMinute(int64_t count, int64_t seconds) {
  if (seconds <= 0) return 0;
  constexpr int64_t kLargest = std::numeric_limits<int64_t>::max() / 60;
  if (count <= kLargest && count >= -kLargest) return count * 60 / seconds;
  // Only a damaged profile holds such counts; the figure is shown, not exact.
  const double perMinute = std::trunc(static_cast<double>(count) / static_cast<double>(seconds) * 60.0);
  constexpr double kLimit = 9.2e18;  // inside the range of int64_t
  return static_cast<int64_t>(std::fmax(-kLimit, std::fmin(kLimit, perMinute)));
}

bool IsShownDate(double dateTime) {
  return std::isfinite(dateTime) && dateTime >= kFirstShownDay && dateTime < kAfterLastShownDay;
}

std::string IsoDate(double dateTime) {
  const DateParts p = parts_of(dateTime);
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d", p.year, p.month, p.day);
  return text;
}

std::string IsoDateTime(double dateTime) {
  const DateParts p = parts_of(dateTime);
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", p.year, p.month, p.day, p.hour, p.minute,
                p.second);
  return text;
}

std::string PageDateTime(double dateTime) {
  const DateParts p = parts_of(dateTime);
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", p.year, p.month, p.day, p.hour, p.minute);
  return text;
}

}  // namespace strevo
