#include "storage/DateTime.h"

#include <cmath>
#include <cstdio>

namespace strevo {

namespace {

// Days from 0001-01-01 (proleptic Gregorian) to a civil date.
int64_t days_from_civil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;  // days since 1970-01-01
}

void civil_from_days(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t yy = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  y = static_cast<int>(yy + (m <= 2));
}

const int64_t kEpochShift = days_from_civil(1899, 12, 30);  // relative to 1970-01-01

const char* const kShortDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kLongDays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
const char* const kShortMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
const char* const kLongMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};

}  // namespace

double encode_date(int year, int month, int day) {
  return static_cast<double>(days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                             kEpochShift);
}

double encode_time(int hour, int minute, int second, int millisecond) {
  return (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + millisecond) / 86400000.0;
}

// Before the epoch the whole part is still the day and the fraction the time
// of that day (-1.25 is 1899-12-29 06:00), so the day is the truncated value,
// matching decode_time.
void decode_date(double dateTime, int& year, int& month, int& day) {
  civil_from_days(static_cast<int64_t>(std::trunc(dateTime)) + kEpochShift, year, month, day);
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
  const int64_t days = static_cast<int64_t>(std::trunc(dateTime));
  // 1899-12-30 was a Saturday (7).
  return static_cast<int>(((days + 6) % 7 + 7) % 7) + 1;
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
