#include "storage/DateTime.h"

#include <cmath>
#include <cstdio>

namespace strevo {

namespace {

// Day 0 of the program's dates.
constexpr std::chrono::sys_days kEpoch{std::chrono::year{1899} / std::chrono::December / 30};

const char* const kShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

}  // namespace

double encode_date(int year, int month, int day) {
  // A day past the month's end counts on into the next month.
  const std::chrono::sys_days date{std::chrono::year{year} / month / day};
  return static_cast<double>((date - kEpoch).count());
}

double encode_time(int hour, int minute, int second, int millisecond) {
  return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
}

// Before the epoch the whole part is still the day and the fraction the time
// of that day (-1.25 is 1899-12-29 06:00), so the day is the truncated value,
// matching decode_time.
std::chrono::sys_days calendar_day(double dateTime) {
  return kEpoch + std::chrono::days{static_cast<int64_t>(std::trunc(dateTime))};
}

void decode_date(double dateTime, int& year, int& month, int& day) {
  const std::chrono::year_month_day date{calendar_day(dateTime)};
  year = static_cast<int>(date.year());
  month = static_cast<int>(static_cast<unsigned>(date.month()));
  day = static_cast<int>(static_cast<unsigned>(date.day()));
}

void decode_time(double dateTime, int& hour, int& minute, int& second, int& millisecond) {
  double fraction = std::fabs(dateTime - std::trunc(dateTime));
  int64_t ms = static_cast<int64_t>(std::llround(fraction * 86400000.0));
  if (ms >= 86400000) ms = 86399999;
  hour = static_cast<int>(ms / 3600000);
  minute = static_cast<int>(ms / 60000 % 60);
  second = static_cast<int>(ms / 1000 % 60);
  millisecond = static_cast<int>(ms % 1000);
}

int day_of_week(double dateTime) {
  return static_cast<int>(std::chrono::weekday{calendar_day(dateTime)}.c_encoding()) + 1;
}

std::string format_date_time(const std::string& picture, double dateTime, const LocaleFormats& formats) {
  int year, month, day, hour, minute, second, ms;
  decode_date(dateTime, year, month, day);
  decode_time(dateTime, hour, minute, second, ms);
  const int weekday = day_of_week(dateTime) - 1;
  std::string out;
  char buffer[16];
  size_t i = 0;
  while (i < picture.size()) {
    const char c = picture[i];
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    switch (c) {
      case '\'': {
        // Quoted text is copied; two quotes inside it stand for one quote.
        size_t j = i + 1;
        while (j < picture.size()) {
          if (picture[j] == '\'') {
            if (j + 1 < picture.size() && picture[j + 1] == '\'') {
              out += '\'';
              j += 2;
              continue;
            }
            break;
          }
          out += picture[j++];
        }
        i = j < picture.size() ? j + 1 : picture.size();
        continue;
      }
      case 'd':
        if (run == 1) out += std::to_string(day);
        else if (run == 2) { std::snprintf(buffer, sizeof buffer, "%02d", day); out += buffer; }
        else if (run == 3) out += kShortDays[weekday];
        else out += kLongDays[weekday];
        break;
      case 'M':
        if (run == 1) out += std::to_string(month);
        else if (run == 2) { std::snprintf(buffer, sizeof buffer, "%02d", month); out += buffer; }
        else if (run == 3) out += kShortMonths[month - 1];
        else out += kLongMonths[month - 1];
        break;
      case 'y':
        if (run <= 2) { std::snprintf(buffer, sizeof buffer, "%02d", year % 100); out += buffer; }
        else { std::snprintf(buffer, sizeof buffer, "%04d", year); out += buffer; }
        break;
      case 'h': {
        const int h12 = hour % 12 == 0 ? 12 : hour % 12;
        if (run == 1) out += std::to_string(h12);
        else { std::snprintf(buffer, sizeof buffer, "%02d", h12); out += buffer; }
        break;
      }
      case 'H':
        if (run == 1) out += std::to_string(hour);
        else { std::snprintf(buffer, sizeof buffer, "%02d", hour); out += buffer; }
        break;
      case 'm':
        if (run == 1) out += std::to_string(minute);
        else { std::snprintf(buffer, sizeof buffer, "%02d", minute); out += buffer; }
        break;
      case 's':
        if (run == 1) out += std::to_string(second);
        else { std::snprintf(buffer, sizeof buffer, "%02d", second); out += buffer; }
        break;
      case 't': {
        const std::string& marker = hour < 12 ? formats.timeAm : formats.timePm;
        out += run == 1 ? marker.substr(0, 1) : marker;
        break;
      }
      default:
        out.append(run, c);
        break;
    }
    i += run;
  }
  return out;
}

std::string short_date_text(double dateTime) {
  const LocaleFormats formats = System().Formats();
  return format_date_time(formats.shortDate, dateTime, formats);
}

std::string long_time_text(double dateTime) {
  const LocaleFormats formats = System().Formats();
  return format_date_time(formats.longTime, dateTime, formats);
}

}  // namespace strevo
